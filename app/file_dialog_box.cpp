#include "app/file_dialog_box.h"

#include <QFileDialog>

#include "app/gbk_qstring.h"

namespace {

constexpr int kSaveKind = 1;

}  // namespace

QStringList qtNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString pattern = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (description.isEmpty() && pattern.isEmpty()) continue;
        if (pattern.isEmpty() || description.contains(QLatin1Char('('))) {
            filters << (description.isEmpty() ? pattern : description);
        } else {
            filters << QStringLiteral("%1 (%2)").arg(description, pattern);
        }
    }
    return filters;
}

bool showFileDialog(QWidget* parent, FileDialog& settings)
{
    QFileDialog dialog(parent);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (settings.kind == kSaveKind) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    QString suffix = gbkToQString(settings.defaultExtension);
    if (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    const QStringList filters = qtNameFilters(gbkToQString(settings.filter));
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!settings.fileName.empty()) dialog.selectFile(pathToQString(settings.fileName));

    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return false;
    settings.fileName = qstringToPath(chosen.first());
    return true;
}
