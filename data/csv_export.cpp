#include "data/csv_export.h"

#include <cstring>
#include <string_view>

#include "data/file_io.h"
#include "text/gbk_codec.h"

namespace {

const char* const kLineBreak = "\r\n";
const char kSeparator = ',';
const char kQuote = '"';
// Put before a cell that a spreadsheet would otherwise run as a formula.
const char kFormulaGuard = '\'';
const char* const kCsvExtension = ".csv";
const char* const kCsvFilter = "csv文件 (*.csv)|*.csv";
constexpr int kSaveDialog = 1;

// A plain number such as -5 or 3.25: -?[0-9]+(\.[0-9]+)?
bool isPlainNumber(std::string_view s)
{
    std::size_t i = 0;
    if (i < s.size() && s[i] == '-') ++i;
    auto digits = [&] {
        const std::size_t start = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
        return i > start;
    };
    if (!digits()) return false;
    if (i < s.size() && s[i] == '.') {
        ++i;
        if (!digits()) return false;
    }
    return i == s.size();
}

bool looksLikeFormula(std::string_view cell)
{
    if (cell.empty()) return false;
    const char first = cell.front();
    if (first != '=' && first != '+' && first != '-' && first != '@') return false;
    return !isPlainNumber(cell);
}

// Comma, double quote, CR and LF never occur as the second byte of a GBK character, so a byte
// scan finds exactly the characters that need quoting (and any stray such byte as well).
bool needsQuotes(std::string_view cell)
{
    for (const char c : cell) {
        if (c == kSeparator || c == kQuote || c == '\r' || c == '\n') return true;
    }
    return false;
}

// Appends one field: guarded against formulas, then quoted with inner quotes doubled when it
// holds a separator, a quote or a line break (RFC 4180).
void appendField(Text& out, std::string_view cell)
{
    const bool guard = looksLikeFormula(cell);
    if (!needsQuotes(cell)) {
        if (guard) out += kFormulaGuard;
        out.append(cell.data(), cell.size());
        return;
    }
    out += kQuote;
    if (guard) out += kFormulaGuard;
    std::size_t from = 0;
    for (;;) {
        const std::size_t q = cell.find(kQuote, from);
        if (q == std::string_view::npos) break;
        out.append(cell.data() + from, q + 1 - from);
        out += kQuote;
        from = q + 1;
    }
    out.append(cell.data() + from, cell.size() - from);
    out += kQuote;
}

}  // namespace

namespace {

// Pieces of this size go to the file while exporting.
constexpr std::size_t kWriteChunkBytes = 1 << 20;

// The header line with its line break.
void appendHeader(const JobTable& table, Text& out)
{
    for (int c = 0; c < table.columnCount(); ++c) {
        if (c > 0) out += kSeparator;
        out += JobTable::columnTitle(c);
    }
    out += kLineBreak;
}

// Row r's line, preceded by the line break that ends the line before it (the last row has
// none after it).
void appendRow(const JobTable& table, int r, Text& out)
{
    if (r > 0) out += kLineBreak;
    for (int c = 0; c < table.columnCount(); ++c) {
        if (c > 0) out += kSeparator;
        appendField(out, table.cellView(r, c));
    }
}

}  // namespace

Text buildCsvText(const JobTable& table)
{
    const int columns = table.columnCount();
    const int rows = table.rowCount();

    // Room for every cell, its separator and its line break, plus a little for quoting.
    std::size_t estimate = 256;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) estimate += table.cellView(r, c).size() + 1;
        estimate += 2;
    }
    Text out;
    out.reserve(estimate + estimate / 64);
    appendHeader(table, out);
    for (int r = 0; r < rows; ++r) appendRow(table, r, out);
    return out;
}

void exportCsv(Host& host, const JobTable& table)
{
    FileDialog& dialog = host.fileDialog();
    dialog.kind = kSaveDialog;
    dialog.defaultExtension = kCsvExtension;
    dialog.filter = text::fromUtf8(kCsvFilter);
    if (!host.openFileDialog()) return;
    // The bytes of buildCsvText, handed to the file a piece at a time. The outcome is not
    // reported; a failed write leaves any earlier file as it was.
    int row = -1;  // -1: the header line
    writeWholeFile(dialog.fileName, [&table, &row](Bytes& out) {
        if (row < 0) {
            appendHeader(table, out);
            row = 0;
        }
        while (row < table.rowCount() && out.size() < kWriteChunkBytes) appendRow(table, row++, out);
        return row < table.rowCount();
    });
}
