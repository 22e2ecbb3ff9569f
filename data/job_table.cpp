#include "data/job_table.h"

#include <algorithm>
#include <cstring>

#include "text/gbk_codec.h"

namespace {

// A block holds kColumnCount end offsets (uint32), then the cells' bytes back to back.
constexpr std::size_t kHeaderBytes = JobTable::kColumnCount * sizeof(std::uint32_t);
// The most bytes a row's cells hold together: the offsets must fit in 32 bits. Bytes beyond it
// (only a file of more than 4 GiB without terminators gets there) are cut off.
constexpr std::size_t kMaxRowBytes = UINT32_MAX;

std::uint32_t endOf(const char* block, int column)
{
    std::uint32_t end;
    std::memcpy(&end, block + column * sizeof(std::uint32_t), sizeof end);
    return end;
}

std::string_view cellOf(const char* block, int column)
{
    if (!block) return {};
    const std::uint32_t begin = column == 0 ? 0 : endOf(block, column - 1);
    const std::uint32_t end = endOf(block, column);
    return std::string_view(block + kHeaderBytes + begin, end - begin);
}

const char* const kTitles[JobTable::kColumnCount] = {
    "发布时间 0", "薪资 1",     "公司名称 2", "公司规模 3", "公司类型 4",
    "招聘人数 5", "学历要求 6", "工作城市 7", "页面url 8",  "公司url 9",
    "职位名称 10", "公司行业 11", "工作经验 12",
};

}  // namespace

JobTable::JobTable() = default;
JobTable::~JobTable() = default;

Text JobTable::columnTitle(int column)
{
    static const std::vector<Text> titles = [] {
        std::vector<Text> t;
        for (const char* utf8 : kTitles) t.push_back(text::fromUtf8(utf8));
        return t;
    }();
    if (column < 0 || column >= kColumnCount) return Text();
    return titles[column];
}

JobTable::Block JobTable::makeBlock(const std::string_view* cells, int count)
{
    std::size_t total = 0;
    for (int c = 0; c < count && c < kColumnCount; ++c) total += std::min(cells[c].size(), kMaxRowBytes - total);
    if (total == 0) return nullptr;
    Block block(new char[kHeaderBytes + total]);
    std::uint32_t end = 0;
    char* bytes = block.get() + kHeaderBytes;
    for (int c = 0; c < kColumnCount; ++c) {
        const std::size_t size = c < count ? std::min(cells[c].size(), total - end) : 0;
        // An empty view may carry a null pointer, which memcpy must not be given.
        if (size > 0) {
            std::memcpy(bytes + end, cells[c].data(), size);
            end += static_cast<std::uint32_t>(size);
        }
        std::memcpy(block.get() + c * sizeof(std::uint32_t), &end, sizeof end);
    }
    return block;
}

int JobTable::insertRow()
{
    rows_.emplace_back();
    const int row = rowCount() - 1;
    notifyAppended(row, 1);
    return row;
}

int JobTable::appendRow(const std::vector<std::string_view>& cells)
{
    rows_.push_back(makeBlock(cells.data(), static_cast<int>(cells.size())));
    const int row = rowCount() - 1;
    notifyAppended(row, 1);
    return row;
}

void JobTable::replaceRow(int row, const std::string_view* cells, int count)
{
    if (row < 0 || row >= rowCount()) return;
    rows_[row] = makeBlock(cells, count);
    notifyCellsChanged(row);
}

void JobTable::setCellText(int row, int column, std::string_view text)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumnCount) return;
    Block& block = rows_[row];
    const std::string_view old = cellOf(block.get(), column);
    if (block && old.size() == text.size()) {
        if (!text.empty()) std::memmove(const_cast<char*>(old.data()), text.data(), text.size());
    } else {
        std::string_view cells[kColumnCount];
        for (int c = 0; c < kColumnCount; ++c) cells[c] = cellOf(block.get(), c);
        cells[column] = text;
        // text may point into the old block: build the new one before releasing it.
        Block replacement = makeBlock(cells, kColumnCount);
        block = std::move(replacement);
    }
    notifyCellsChanged(row);
}

Text JobTable::cellText(int row, int column) const
{
    return Text(cellView(row, column));
}

std::string_view JobTable::cellView(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumnCount) return {};
    return cellOf(rows_[row].get(), column);
}

void JobTable::deleteRow(int row)
{
    if (row < 0 || row >= rowCount()) return;
    rows_.erase(rows_.begin() + row);
    notifyRemoved(row, 1);
}

void JobTable::deleteRows(const std::vector<char>& doomed)
{
    const std::size_t n = std::min(doomed.size(), rows_.size());
    std::size_t kept = 0;
    std::size_t first = n;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (i < n && doomed[i]) {
            if (first == n) first = i;
            continue;
        }
        if (kept != i) rows_[kept] = std::move(rows_[i]);
        ++kept;
    }
    if (kept == rows_.size()) return;
    const std::size_t removed = rows_.size() - kept;
    rows_.resize(kept);
    if (removed == 1) {
        notifyRemoved(static_cast<int>(first), 1);
    } else {
        notifyReset();
    }
}

void JobTable::deleteAllRows()
{
    if (rows_.empty()) return;
    std::vector<Block>().swap(rows_);
    notifyReset();
}

void JobTable::reserve(int rows)
{
    if (rows > 0) rows_.reserve(static_cast<std::size_t>(rows));
}

void JobTable::beginBatch()
{
    if (batchDepth_++ > 0) return;
    batchStartRows_ = rowCount();
    batchStructural_ = false;
    batchFirstChanged_ = -1;
    batchLastChanged_ = -1;
}

void JobTable::endBatch()
{
    if (batchDepth_ == 0 || --batchDepth_ > 0) return;
    if (!listener_) return;
    if (batchStructural_) {
        listener_->tableReset();
        return;
    }
    if (rowCount() > batchStartRows_) listener_->rowsAppended(batchStartRows_, rowCount() - batchStartRows_);
    // Changes to appended rows are covered by the append itself.
    const int last = std::min(batchLastChanged_, batchStartRows_ - 1);
    if (batchFirstChanged_ >= 0 && batchFirstChanged_ <= last) listener_->cellsChanged(batchFirstChanged_, last);
}

std::size_t JobTable::memoryUsage() const
{
    std::size_t bytes = rows_.capacity() * sizeof(Block);
    for (const Block& block : rows_) {
        if (block) bytes += kHeaderBytes + endOf(block.get(), kColumnCount - 1);
    }
    return bytes;
}

void JobTable::notifyAppended(int first, int count)
{
    if (batchDepth_ > 0) return;  // endBatch compares row counts
    if (listener_) listener_->rowsAppended(first, count);
}

void JobTable::notifyRemoved(int first, int count)
{
    if (batchDepth_ > 0) {
        batchStructural_ = true;
        return;
    }
    if (listener_) listener_->rowsRemoved(first, count);
}

void JobTable::notifyCellsChanged(int row)
{
    if (batchDepth_ > 0) {
        if (batchFirstChanged_ < 0 || row < batchFirstChanged_) batchFirstChanged_ = row;
        batchLastChanged_ = std::max(batchLastChanged_, row);
        return;
    }
    if (listener_) listener_->cellsChanged(row, row);
}

void JobTable::notifyReset()
{
    if (batchDepth_ > 0) {
        batchStructural_ = true;
        return;
    }
    if (listener_) listener_->tableReset();
}
