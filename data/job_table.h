#pragma once
// JobTable: the program's one store of job postings. Every row (a JobRow) has 13 GBK text cells,
// addressed by 0-based row and column indexes.
//
// Each row's cells are packed into one heap block (13 end offsets, then the bytes), so a million
// rows cost little more than their text; appends are amortised O(1). One listener (the window's
// table model) is told what changed. Work that changes many rows wraps itself in a Batch: the
// listener then hears once, when the outermost batch ends.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "text/text.h"

// Column indexes of the cells.
namespace JobColumn {
constexpr int publishDate = 0;
constexpr int salary = 1;
constexpr int companyName = 2;
constexpr int companySize = 3;
constexpr int companyType = 4;
constexpr int headcount = 5;
constexpr int education = 6;
constexpr int workCity = 7;
constexpr int pageUrl = 8;
constexpr int companyUrl = 9;
constexpr int jobTitle = 10;
constexpr int industry = 11;
constexpr int experience = 12;
}  // namespace JobColumn

class JobTableListener {
public:
    virtual ~JobTableListener() = default;
    // Rows first .. first+count-1 were appended at the end.
    virtual void rowsAppended(int first, int count) = 0;
    // Rows first .. first+count-1 were removed; later rows moved up.
    virtual void rowsRemoved(int first, int count) = 0;
    // Cells of rows firstRow .. lastRow changed.
    virtual void cellsChanged(int firstRow, int lastRow) = 0;
    // Anything may have changed: rows, their number and their cells.
    virtual void tableReset() = 0;
};

class JobTable {
public:
    static constexpr int kColumnCount = 13;

    JobTable();
    ~JobTable();
    JobTable(const JobTable&) = delete;
    JobTable& operator=(const JobTable&) = delete;

    int rowCount() const { return static_cast<int>(rows_.size()); }
    int columnCount() const { return kColumnCount; }
    // The header title ("发布时间 0" ... "工作经验 12" in GBK); "" for a missing column.
    static Text columnTitle(int column);

    // Appends one empty row; returns its index.
    int insertRow();
    // Appends one row with the given cells (missing ones empty, extra ones ignored).
    int appendRow(const std::vector<std::string_view>& cells);
    // Replaces every cell of a row at once (missing ones empty, extra ones ignored); a missing
    // row is ignored. The cells may point into that row.
    void replaceRow(int row, const std::string_view* cells, int count);
    // Sets one cell; a missing row or column is ignored.
    void setCellText(int row, int column, std::string_view text);
    // The whole text; "" for a missing row or column.
    Text cellText(int row, int column) const;
    // The same without a copy; valid until the row changes.
    std::string_view cellView(int row, int column) const;

    // Removes the row; later rows move up by one. A missing row is ignored.
    void deleteRow(int row);
    // Removes every row whose flag is non-zero, in one sweep: the same result as deleting them
    // one by one. Flags beyond doomed.size() count as zero.
    void deleteRows(const std::vector<char>& doomed);
    void deleteAllRows();
    void reserve(int rows);

    void setListener(JobTableListener* listener) { listener_ = listener; }

    // Coalesces notifications until the outermost batch ends.
    void beginBatch();
    void endBatch();
    class Batch {
    public:
        explicit Batch(JobTable& table) : table_(table) { table_.beginBatch(); }
        ~Batch() { table_.endBatch(); }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        JobTable& table_;
    };

    // Bytes held for the rows (blocks and row index), for measurements.
    std::size_t memoryUsage() const;

private:
    using Block = std::unique_ptr<char[]>;
    static Block makeBlock(const std::string_view* cells, int count);

    void notifyAppended(int first, int count);
    void notifyRemoved(int first, int count);
    void notifyCellsChanged(int row);
    void notifyReset();

    std::vector<Block> rows_;  // nullptr: a row whose cells are all empty
    JobTableListener* listener_ = nullptr;

    int batchDepth_ = 0;
    int batchStartRows_ = 0;
    bool batchStructural_ = false;
    int batchFirstChanged_ = -1;
    int batchLastChanged_ = -1;
};
