#include "app/data_directory.h"

#include <filesystem>
#include <system_error>

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "app/gbk_qstring.h"

namespace {

constexpr const char* kDataFolder = "/data";

// Only creating a file proves a directory writable: permission bits say nothing for root or on
// a read-only mount.
bool canCreateFileIn(const std::string& directory)
{
    QTemporaryFile probe(pathToQString(directory) + QStringLiteral("/.write-probe-XXXXXX"));
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
    std::string fallback = qstringToPath(QDir::cleanPath(userData)) + kDataFolder;
    ensureDirectory(fallback);
    return fallback;
}

QStringList listPlainFiles(const std::string& directory)
{
    // An empty path is the current directory. QDir::Files without QDir::Hidden leaves out directories and dot-files.
    const QDir dir(pathToQString(directory));
    return dir.entryList(QStringList(), QDir::Files, QDir::Name);
}
