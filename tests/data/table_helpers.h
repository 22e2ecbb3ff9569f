#pragma once
// Helpers for the data tests: tables built from UTF-8 cells, read back as UTF-8, and a scratch
// directory removed at the end of each test.

#include <functional>
#include <string>
#include <vector>

#include "data/job_table.h"

using Utf8Row = std::vector<std::string>;

// Appends a row of UTF-8 cells (converted to GBK); missing cells stay empty.
void addRow(JobTable& table, const Utf8Row& cells);
// Row r as UTF-8 cells (all 13).
Utf8Row rowUtf8(const JobTable& table, int r);
// The whole table as UTF-8 rows.
std::vector<Utf8Row> tableUtf8(const JobTable& table);
// The whole table as GBK rows of 13 cells.
std::vector<std::vector<std::string>> tableBytes(const JobTable& table);

// A fresh empty directory under /tmp, removed with everything in it on destruction.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    // Names of the entries (hidden ones included), sorted.
    std::vector<std::string> entries(const std::string& sub = "") const;

private:
    std::string path_;
};

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
bool exists(const std::string& path);

// Runs work in a child process as an ordinary user (nobody, when the tests run as root, who may
// write anything) and returns its exit status; -1 when the child could not run it.
int exitStatusAsOrdinaryUser(const std::function<int()>& work);
