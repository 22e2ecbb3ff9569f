#include "tests/data/table_helpers.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "text/gbk_codec.h"

void addRow(JobTable& table, const Utf8Row& cells)
{
    const int row = table.insertRow();
    for (std::size_t c = 0; c < cells.size(); ++c)
        table.setCellText(row, static_cast<int>(c), text::fromUtf8(cells[c]));
}

Utf8Row rowUtf8(const JobTable& table, int r)
{
    Utf8Row row;
    for (int c = 0; c < table.columnCount(); ++c) row.push_back(text::toUtf8(table.cellText(r, c)));
    return row;
}

std::vector<Utf8Row> tableUtf8(const JobTable& table)
{
    std::vector<Utf8Row> rows;
    for (int r = 0; r < table.rowCount(); ++r) rows.push_back(rowUtf8(table, r));
    return rows;
}

std::vector<std::vector<std::string>> tableBytes(const JobTable& table)
{
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < table.rowCount(); ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < table.columnCount(); ++c) row.push_back(table.cellText(r, c));
        rows.push_back(row);
    }
    return rows;
}

namespace {

void removeTree(const std::string& path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
        if (DIR* d = opendir(path.c_str())) {
            while (dirent* e = readdir(d)) {
                const std::string name = e->d_name;
                if (name == "." || name == "..") continue;
                removeTree(path + "/" + name);
            }
            closedir(d);
        }
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

}  // namespace

ScratchDir::ScratchDir()
{
    char pattern[] = "/tmp/jc-data-test.XXXXXX";
    const char* made = mkdtemp(pattern);
    path_ = made ? made : "/tmp";
}

ScratchDir::~ScratchDir()
{
    if (path_ != "/tmp") removeTree(path_);
}

std::vector<std::string> ScratchDir::entries(const std::string& sub) const
{
    std::vector<std::string> names;
    const std::string dir = sub.empty() ? path_ : path_ + "/" + sub;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

int exitStatusAsOrdinaryUser(const std::function<int()>& work)
{
    constexpr uid_t kNobody = 65534;
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(255);
        _exit(work());
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 255) return -1;
    return WEXITSTATUS(status);
}
