#include "data/data_file.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "data/file_io.h"
#include "text/gbk_codec.h"
#include "text/text.h"

const char* const CellTerminator = "<?nr.#p>";
const char* const RowTerminator = "<?h.#p>";

namespace {

const char* const kAskFileName = "请输入文件名";
const char* const kSaved = "保存成功";
const char* const kSaveFailed = "保存失败";
const char* const kDataFileExtension = ".txt";

// Pieces of this size go to the file while saving.
constexpr std::size_t kWriteChunkBytes = 1 << 20;

void appendRowText(const JobTable& table, int row, Text& out)
{
    const std::string_view cellEnd(CellTerminator);
    for (int c = 0; c < table.columnCount(); ++c) {
        const std::string_view cell = table.cellView(row, c);
        out.append(cell.data(), cell.size());
        out.append(cellEnd.data(), cellEnd.size());
    }
    out.append(RowTerminator);
}

}  // namespace

Text serializeJobTable(const JobTable& table)
{
    const int rows = table.rowCount();
    const int columns = table.columnCount();
    std::size_t size = 0;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) size += table.cellView(r, c).size();
    }
    size += static_cast<std::size_t>(rows) *
            (static_cast<std::size_t>(columns) * std::strlen(CellTerminator) + std::strlen(RowTerminator));
    Text out;
    out.reserve(size);
    for (int r = 0; r < rows; ++r) appendRowText(table, r, out);
    return out;
}

namespace {

// Reads a data-file text into rows in one pass. Reading it is splitting the text by the row
// terminator and each row's text by the cell terminator, where a terminator only counts when it
// starts on a character boundary: a byte of 0x80 or more leads a two-byte character and so
// hides the byte after it. Both terminators start with "<" and hold no other "<", so they never
// overlap, and a boundary of the whole text is a boundary of the row text it lies in: one scan
// for "<" on boundaries finds exactly what the two splits find.
//
// The scan jumps from "<" to "<" (memchr) and decides whether a "<" starts a character by
// counting the run of high bytes right before it: the byte after any ASCII byte starts a
// character, so the "<" does exactly when that run has an even length.
class DataFileReader {
public:
    DataFileReader(JobTable& table, std::string_view text) : table_(table), text_(text) {}

    void read()
    {
        const std::string_view rowEnd(RowTerminator);
        const std::string_view cellEnd(CellTerminator);
        const char* const p = text_.data();
        const std::size_t n = text_.size();
        std::size_t pos = 0;  // a character boundary: everything before it is decided
        while (pos < n) {
            const void* hit = std::memchr(p + pos, '<', n - pos);
            if (!hit) break;
            const std::size_t q = static_cast<std::size_t>(static_cast<const char*>(hit) - p);
            std::size_t k = q;
            while (k > pos && static_cast<unsigned char>(p[k - 1]) >= 0x80) --k;
            if ((q - k) % 2 != 0) {  // the "<" is the second byte of a character
                pos = q + 1;
                continue;
            }
            if (text_.compare(q, rowEnd.size(), rowEnd) == 0) {
                endRow(q);
                pos = rowStart_ = cellStart_ = q + rowEnd.size();
            } else if (text_.compare(q, cellEnd.size(), cellEnd) == 0) {
                addCell(q);
                pos = cellStart_ = q + cellEnd.size();
            } else {
                pos = q + 1;
            }
        }
        // Text after the last row terminator is a row of its own; nothing after it is none.
        if (rowStart_ < n) endRow(n);
    }

private:
    void addCell(std::size_t end)
    {
        // Parts beyond the last column are ignored.
        if (cells_.size() < static_cast<std::size_t>(JobTable::kColumnCount))
            cells_.push_back(text_.substr(cellStart_, end - cellStart_));
    }

    void endRow(std::size_t end)
    {
        // The part after the row's last cell terminator counts only when it is not empty (and an
        // empty row text has no parts at all); missing cells stay empty.
        if (cellStart_ < end) addCell(end);
        table_.appendRow(cells_);
        cells_.clear();
    }

    JobTable& table_;
    std::string_view text_;
    std::vector<std::string_view> cells_;
    std::size_t rowStart_ = 0;
    std::size_t cellStart_ = 0;
};

}  // namespace

void fillJobTable(JobTable& table, const Text& fileText)
{
    JobTable::Batch batch(table);
    table.deleteAllRows();
    DataFileReader(table, fileText).read();
}

void saveDataFile(Host& host, const JobTable& table)
{
    Text typed;
    if (!host.inputBox(text::fromUtf8(kAskFileName), typed)) return;
    // An empty name (or one ending in "/") would make a hidden ".txt" that no list shows.
    if (typed.empty() || typed.back() == '/') {
        host.messageBox(text::fromUtf8(kSaveFailed));
        return;
    }
    const std::string path = host.dataDirectory() + "/" + text::toUtf8(typed) + kDataFileExtension;
    // The same bytes as serializeJobTable, handed to the file a piece at a time.
    int row = 0;
    const bool written = writeWholeFile(path, [&table, &row](Bytes& out) {
        while (row < table.rowCount() && out.size() < kWriteChunkBytes) appendRowText(table, row++, out);
        return row < table.rowCount();
    });
    host.messageBox(text::fromUtf8(written ? kSaved : kSaveFailed));
}

void loadChosenDataFile(JobTable& table, const std::string& directory, const std::string& chosenFile)
{
    Bytes bytes = readWholeFile(directory + "/" + chosenFile);
    // The text ends at the first zero byte; cut in place rather than copy a large file.
    const void* zero = bytes.empty() ? nullptr : std::memchr(bytes.data(), 0, bytes.size());
    if (zero) bytes.resize(static_cast<std::size_t>(static_cast<const char*>(zero) - bytes.data()));
    fillJobTable(table, bytes);
}
