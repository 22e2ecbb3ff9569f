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

bool isHighByte(char c)
{
    return static_cast<unsigned char>(c) >= 0x80;
}

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
//
// The text may come in pieces (a file read a piece at a time): rows are appended as soon as
// they are complete, and only the unfinished row is kept.
class DataFileReader {
public:
    explicit DataFileReader(JobTable& table) : table_(table) {}

    // Reads a whole text in place.
    void readAll(std::string_view text)
    {
        text_ = text;
        scan(true);
        finishRows();
    }

    // Adds the next piece of the text.
    void feed(std::string_view piece)
    {
        dropFinishedRows();
        buffer_.append(piece.data(), piece.size());
        text_ = buffer_;
        scan(false);
    }

    // The text has ended.
    void finish()
    {
        text_ = buffer_;
        scan(true);
        finishRows();
    }

private:
    // Decides every "<" from pos_ on. Before the end of the text a "<" too near the end to hold
    // a whole terminator waits for the next piece.
    void scan(bool atEnd)
    {
        const std::string_view rowEnd(RowTerminator);
        const std::string_view cellEnd(CellTerminator);
        const char* const p = text_.data();
        const std::size_t n = text_.size();
        while (pos_ < n) {
            const void* hit = std::memchr(p + pos_, '<', n - pos_);
            if (!hit) {
                skipToEnd();
                return;
            }
            const std::size_t q = static_cast<std::size_t>(static_cast<const char*>(hit) - p);
            std::size_t k = q;
            while (k > pos_ && isHighByte(p[k - 1])) --k;
            if ((q - k) % 2 != 0) {  // the "<" is the second byte of a character
                pos_ = q + 1;
                continue;
            }
            if (!atEnd && n - q < cellEnd.size()) {
                pos_ = q;
                return;
            }
            if (text_.compare(q, rowEnd.size(), rowEnd) == 0) {
                endRow(q);
                pos_ = rowStart_ = cellStart_ = q + rowEnd.size();
            } else if (text_.compare(q, cellEnd.size(), cellEnd) == 0) {
                addCell(q);
                pos_ = cellStart_ = q + cellEnd.size();
            } else {
                pos_ = q + 1;
            }
        }
    }

    // No "<" from pos_ on: moves pos_ to the last character boundary known so far. The byte
    // after the last ASCII byte is one, and the high bytes after it pair up.
    void skipToEnd()
    {
        const std::size_t n = text_.size();
        std::size_t k = n;
        while (k > pos_ && isHighByte(text_[k - 1])) --k;
        pos_ = k + ((n - k) & ~static_cast<std::size_t>(1));
    }

    // Text after the last row terminator is a row of its own; nothing after it is none.
    void finishRows()
    {
        if (rowStart_ < text_.size()) endRow(text_.size());
        rowStart_ = cellStart_ = pos_ = text_.size();
    }

    // Forgets the bytes of the rows already appended once they are the larger part of the
    // buffer, so that the unfinished row is moved only now and then.
    void dropFinishedRows()
    {
        if (rowStart_ == 0 || rowStart_ < buffer_.size() / 2) return;
        buffer_.erase(0, rowStart_);
        for (auto& cell : cells_) {
            cell.first -= rowStart_;
            cell.second -= rowStart_;
        }
        pos_ -= rowStart_;
        cellStart_ -= rowStart_;
        rowStart_ = 0;
    }

    void addCell(std::size_t end)
    {
        // Parts beyond the last column are ignored.
        if (cells_.size() < static_cast<std::size_t>(JobTable::kColumnCount)) cells_.emplace_back(cellStart_, end);
    }

    void endRow(std::size_t end)
    {
        // The part after the row's last cell terminator counts only when it is not empty (and an
        // empty row text has no parts at all); missing cells stay empty.
        if (cellStart_ < end) addCell(end);
        views_.clear();
        for (const auto& cell : cells_) views_.push_back(text_.substr(cell.first, cell.second - cell.first));
        table_.appendRow(views_);
        cells_.clear();
    }

    JobTable& table_;
    std::string buffer_;     // the pieces fed and not yet dropped
    std::string_view text_;  // what is being read: the whole text, or the buffer
    std::vector<std::pair<std::size_t, std::size_t>> cells_;  // the unfinished row's cells
    std::vector<std::string_view> views_;
    std::size_t pos_ = 0;  // a character boundary: every "<" before it is decided
    std::size_t rowStart_ = 0;
    std::size_t cellStart_ = 0;
};

}  // namespace

void fillJobTable(JobTable& table, const Text& fileText)
{
    JobTable::Batch batch(table);
    table.deleteAllRows();
    DataFileReader(table).readAll(fileText);
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
    // The file is read and its rows appended a piece at a time, so a large file is never held
    // whole next to the table. Its text ends at the first zero byte.
    JobTable::Batch batch(table);
    table.deleteAllRows();
    DataFileReader reader(table);
    const bool read = readFileInPieces(directory + "/" + chosenFile, [&reader](std::string_view piece) {
        const void* zero = std::memchr(piece.data(), 0, piece.size());
        if (zero) piece = piece.substr(0, static_cast<std::size_t>(static_cast<const char*>(zero) - piece.data()));
        reader.feed(piece);
        return zero == nullptr;
    });
    if (read) {
        reader.finish();
    } else {
        table.deleteAllRows();  // an unreadable file gives no bytes, hence no rows
    }
}
