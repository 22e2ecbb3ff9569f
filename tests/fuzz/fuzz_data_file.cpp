// Fuzzes reading and writing data files: fillJobTable on arbitrary bytes must give what splitting
// the text by the row terminator and each row by the cell terminator gives, and a table written
// by serializeJobTable must read back exactly when its cells allow it.

#include <cstring>
#include <string>
#include <vector>

#include "data/data_file.h"
#include "data/job_table.h"
#include "tests/fuzz/fuzz_input.h"
#include "text/text.h"

using fuzz::check;

namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows cellsOf(const JobTable& table)
{
    Rows rows;
    for (int r = 0; r < table.rowCount(); ++r) {
        std::vector<std::string> cells;
        for (int c = 0; c < table.columnCount(); ++c) cells.push_back(table.cellText(r, c));
        rows.push_back(cells);
    }
    return rows;
}

// What reading a data-file text must give: the split rules, missing cells empty, extra ones
// ignored.
Rows splitTwice(const Text& t)
{
    Rows rows;
    for (const Text& rowText : text::split(t, RowTerminator)) {
        std::vector<std::string> cells = text::split(rowText, CellTerminator);
        cells.resize(JobTable::kColumnCount);
        rows.push_back(cells);
    }
    return rows;
}

// Whether t ends inside a two-byte character (a lead byte with nothing after it).
bool endsInsideACharacter(const Text& t)
{
    std::size_t k = 0;
    while (k < t.size()) k += static_cast<unsigned char>(t[k]) >= 0x80 ? 2 : 1;
    return k > t.size();
}

// A cell that a saved file gives back unchanged: no terminator a reader would find in it, and no
// unfinished character that would swallow the terminator written after it.
bool survivesSaving(const Text& cell)
{
    return text::find(cell, CellTerminator) < 0 && text::find(cell, RowTerminator) < 0 &&
           !endsInsideACharacter(cell);
}

std::size_t savedSize(const JobTable& table)
{
    std::size_t size = 0;
    for (int r = 0; r < table.rowCount(); ++r) {
        for (int c = 0; c < table.columnCount(); ++c) size += table.cellView(r, c).size() + std::strlen(CellTerminator);
        size += std::strlen(RowTerminator);
    }
    return size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const bool asCells = in.flag();
    const Text t = in.rest();

    if (!asCells) {
        // The input as a data file someone else wrote.
        JobTable table;
        table.appendRow({"stale"});
        fillJobTable(table, t);
        const Rows read = cellsOf(table);
        check(read == splitTwice(t));

        const Text saved = serializeJobTable(table);
        check(saved.size() == savedSize(table));
        bool exact = true;
        for (const auto& row : read) {
            for (const std::string& cell : row) exact = exact && survivesSaving(cell);
        }
        JobTable again;
        fillJobTable(again, saved);
        if (exact) check(cellsOf(again) == read);
        return 0;
    }

    // The input's texts (separated by zero bytes) as the cells of a table, 13 to a row; a last
    // row with fewer cells has the rest empty.
    JobTable table;
    std::vector<std::string> cells;
    bool exact = true;
    std::size_t from = 0;
    for (;;) {
        const std::size_t zero = t.find('\0', from);
        const std::string cell = t.substr(from, zero == std::string::npos ? std::string::npos : zero - from);
        exact = exact && survivesSaving(cell);
        cells.push_back(cell);
        if (cells.size() == JobTable::kColumnCount || zero == std::string::npos) {
            table.appendRow(std::vector<std::string_view>(cells.begin(), cells.end()));
            cells.clear();
        }
        if (zero == std::string::npos) break;
        from = zero + 1;
    }
    const Text saved = serializeJobTable(table);
    check(saved.size() == savedSize(table));
    JobTable loaded;
    fillJobTable(loaded, saved);
    if (exact) check(cellsOf(loaded) == cellsOf(table));
    check(cellsOf(loaded) == splitTwice(saved));
    return 0;
}
