#include "app/data_directory.h"

#include <system_error>

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <filesystem>

namespace {

constexpr const char* kDataFolder = "/data";

QString toQString(const std::string& utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Only creating a file proves a directory writable: permission bits say nothing for root or on
// a read-only mount.
bool canCreateFileIn(const std::string& directory)
{
    QTemporaryFile probe(toQString(directory) + QStringLiteral("/.write-probe-XXXXXX"));
    return probe.open();
}

}  // namespace

bool ensureDirectory(const std::string& path)
{
    if (path.empty()) return false;
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::u8path(path);
    std::filesystem::create_directories(p, ec);
    return std::filesystem::is_directory(p, ec);
}

std::string chooseDataDirectory(const std::string& runDirectory)
{
    const std::string besideProgram = runDirectory + kDataFolder;
    if (ensureDirectory(besideProgram) && canCreateFileIn(besideProgram)) return besideProgram;

    const QString userData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    std::string fallback = QDir::cleanPath(userData).toStdString() + kDataFolder;
    ensureDirectory(fallback);
    return fallback;
}

QStringList listPlainFiles(const std::string& directory)
{
    // An empty path is the current directory. QDir::Files without QDir::Hidden leaves out directories and dot-files.
    const QDir dir(toQString(directory));
    return dir.entryList(QStringList(), QDir::Files, QDir::Name);
}
