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

}  // namespace

Text serializeJobTable(const JobTable& table)
{
    const std::string_view cellEnd(CellTerminator);
    const std::string_view rowEnd(RowTerminator);
    const int rows = table.rowCount();
    const int columns = table.columnCount();

    std::size_t size = 0;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) size += table.cellView(r, c).size();
    }
    size += static_cast<std::size_t>(rows) * (static_cast<std::size_t>(columns) * cellEnd.size() + rowEnd.size());

    Text out;
    out.resize(size);
    char* p = out.empty() ? nullptr : &out[0];
    auto put = [&p](std::string_view piece) {
        if (piece.empty()) return;
        std::memcpy(p, piece.data(), piece.size());
        p += piece.size();
    };
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            put(table.cellView(r, c));
            put(cellEnd);
        }
        put(rowEnd);
    }
    return out;
}

void fillJobTable(JobTable& table, const Text& fileText)
{
    const std::vector<std::string_view> rowTexts = text::splitViews(fileText, RowTerminator);
    JobTable::Batch batch(table);
    table.deleteAllRows();
    table.reserve(static_cast<int>(rowTexts.size()));
    std::vector<std::string_view> cells;
    for (std::string_view rowText : rowTexts) {
        cells = text::splitViews(rowText, CellTerminator);
        // Parts beyond the last column are ignored; missing ones leave their cells empty.
        if (cells.size() > static_cast<std::size_t>(JobTable::kColumnCount)) cells.resize(JobTable::kColumnCount);
        table.appendRow(cells);
    }
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
    // A Text already is its bytes: no conversion copy of a large table.
    const bool written = writeWholeFile(path, serializeJobTable(table));
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
