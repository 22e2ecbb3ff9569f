#include "app_test_helpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace {

WarningCollector* activeCollector = nullptr;
QtMessageHandler previousHandler = nullptr;

void collect(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (activeCollector && type >= QtWarningMsg) activeCollector->warnings << message;
    if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

ScratchDir::ScratchDir()
{
    EXPECT_TRUE(dir_.isValid());
}

std::string ScratchDir::path(const std::string& relative) const
{
    std::string p = dir_.path().toStdString();
    if (!relative.empty()) p += "/" + relative;
    return p;
}

void ScratchDir::writeFile(const std::string& relative, const std::string& bytes) const
{
    const QString file = QString::fromStdString(path(relative));
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly)) << relative;
    out.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void ScratchDir::makeDir(const std::string& relative) const
{
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(path(relative)))) << relative;
}

QStringList entries(const QListWidget& list)
{
    QStringList names;
    for (int i = 0; i < list.count(); ++i) names << list.item(i)->text();
    return names;
}

int execWithSafetyNet(int safetyMs)
{
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(2); });
    safety.start(safetyMs);
    return QCoreApplication::exec();
}

WarningCollector::WarningCollector()
{
    activeCollector = this;
    previousHandler = qInstallMessageHandler(collect);
}

WarningCollector::~WarningCollector()
{
    qInstallMessageHandler(previousHandler);
    activeCollector = nullptr;
}
