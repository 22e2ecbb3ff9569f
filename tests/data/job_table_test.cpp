#include "data/job_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tests/data/table_helpers.h"
#include "tests/support/fake_host.h"

namespace {

// Records every notification as a short text.
class RecordingListener : public JobTableListener {
public:
    std::vector<std::string> events;
    void rowsAppended(int first, int count) override { add("appended", first, count); }
    void rowsRemoved(int first, int count) override { add("removed", first, count); }
    void cellsChanged(int firstRow, int lastRow) override { add("changed", firstRow, lastRow); }
    void tableReset() override { events.push_back("reset"); }

private:
    void add(const char* what, int a, int b)
    {
        events.push_back(std::string(what) + " " + std::to_string(a) + " " + std::to_string(b));
    }
};

// A table whose row r holds "r<r>c<c>" in every cell.
void fillNumbered(JobTable& table, int rows)
{
    for (int r = 0; r < rows; ++r) {
        const int row = table.insertRow();
        for (int c = 0; c < JobTable::kColumnCount; ++c)
            table.setCellText(row, c, "r" + std::to_string(r) + "c" + std::to_string(c));
    }
}

TEST(JobTable, StartsEmptyWithThirteenTitledColumns)
{
    JobTable table;
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(table.columnCount(), 13);
    const char* titles[] = {"发布时间 0", "薪资 1",     "公司名称 2", "公司规模 3", "公司类型 4",
                            "招聘人数 5", "学历要求 6", "工作城市 7", "页面url 8",  "公司url 9",
                            "职位名称 10", "公司行业 11", "工作经验 12"};
    for (int c = 0; c < 13; ++c) EXPECT_EQ(JobTable::columnTitle(c), gbk(titles[c])) << c;
    EXPECT_EQ(JobTable::columnTitle(-1), "");
    EXPECT_EQ(JobTable::columnTitle(13), "");
}

TEST(JobTable, InsertRowAppendsEmptyRowsAndReturnsTheirIndex)
{
    JobTable table;
    EXPECT_EQ(table.insertRow(), 0);
    EXPECT_EQ(table.insertRow(), 1);
    EXPECT_EQ(table.rowCount(), 2);
    for (int c = 0; c < 13; ++c) EXPECT_EQ(table.cellText(1, c), "");
}

TEST(JobTable, SetCellTextKeepsTheOtherCells)
{
    JobTable table;
    table.insertRow();
    table.setCellText(0, 5, "five");
    table.setCellText(0, 0, gbk("发布"));
    table.setCellText(0, 12, "last");
    table.setCellText(0, 5, "5");        // shorter
    table.setCellText(0, 0, gbk("今天发布"));  // longer
    table.setCellText(0, 12, "LAST");    // same length, in place
    EXPECT_EQ(table.cellText(0, 0), gbk("今天发布"));
    EXPECT_EQ(table.cellText(0, 5), "5");
    EXPECT_EQ(table.cellText(0, 12), "LAST");
    for (int c : {1, 2, 3, 4, 6, 7, 8, 9, 10, 11}) EXPECT_EQ(table.cellText(0, c), "") << c;
    table.setCellText(0, 5, "");
    EXPECT_EQ(table.cellText(0, 5), "");
    EXPECT_EQ(table.cellText(0, 12), "LAST");
}

TEST(JobTable, CellsKeepZeroBytesAndLineBreaks)
{
    JobTable table;
    table.insertRow();
    const std::string odd("a\0b\r\nc", 6);
    table.setCellText(0, 3, odd);
    EXPECT_EQ(table.cellText(0, 3), odd);
}

TEST(JobTable, SetCellTextFromAnotherCellOfTheSameRow)
{
    JobTable table;
    table.insertRow();
    table.setCellText(0, 1, "abcdef");
    table.setCellText(0, 2, "xyz");
    table.setCellText(0, 2, table.cellView(0, 1));  // the source lives in the block replaced
    table.setCellText(0, 3, "123");
    table.setCellText(0, 1, table.cellView(0, 3));  // same size as nothing else: in place
    EXPECT_EQ(table.cellText(0, 2), "abcdef");
    EXPECT_EQ(table.cellText(0, 1), "123");
}

TEST(JobTable, ReplaceRowSetsEveryCellAtOnce)
{
    JobTable table;
    fillNumbered(table, 3);
    RecordingListener listener;
    table.setListener(&listener);
    const std::string_view cells[] = {"a", "", "c"};
    table.replaceRow(1, cells, 3);
    table.replaceRow(3, cells, 3);  // missing row: ignored
    EXPECT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.cellText(1, 0), "a");
    EXPECT_EQ(table.cellText(1, 1), "");
    EXPECT_EQ(table.cellText(1, 2), "c");
    for (int c = 3; c < 13; ++c) EXPECT_EQ(table.cellText(1, c), "") << c;
    EXPECT_EQ(table.cellText(2, 0), "r2c0");
    // Cells taken from the row itself.
    const std::string_view own[] = {table.cellView(2, 12), table.cellView(2, 0)};
    table.replaceRow(2, own, 2);
    EXPECT_EQ(table.cellText(2, 0), "r2c12");
    EXPECT_EQ(table.cellText(2, 1), "r2c0");
    EXPECT_EQ(listener.events, (std::vector<std::string>{"changed 1 1", "changed 2 2"}));
}

TEST(JobTable, MissingRowsAndColumnsAreIgnored)
{
    JobTable table;
    table.insertRow();
    table.setCellText(1, 0, "x");
    table.setCellText(-1, 0, "x");
    table.setCellText(0, 13, "x");
    table.setCellText(0, -1, "x");
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(table.cellText(0, 0), "");
    EXPECT_EQ(table.cellText(5, 0), "");
    EXPECT_EQ(table.cellText(0, 13), "");
    EXPECT_EQ(table.cellText(-1, -1), "");
    table.deleteRow(1);
    table.deleteRow(-1);
    EXPECT_EQ(table.rowCount(), 1);
}

TEST(JobTable, AppendRowTakesUpToThirteenCells)
{
    JobTable table;
    table.appendRow({"a", "", "c"});
    std::vector<std::string_view> many;
    const std::vector<std::string> texts = [] {
        std::vector<std::string> t;
        for (int i = 0; i < 20; ++i) t.push_back("p" + std::to_string(i));
        return t;
    }();
    for (const std::string& t : texts) many.push_back(t);
    table.appendRow(many);
    table.appendRow({});
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.cellText(0, 0), "a");
    EXPECT_EQ(table.cellText(0, 1), "");
    EXPECT_EQ(table.cellText(0, 2), "c");
    EXPECT_EQ(table.cellText(0, 3), "");
    for (int c = 0; c < 13; ++c) EXPECT_EQ(table.cellText(1, c), "p" + std::to_string(c));
    for (int c = 0; c < 13; ++c) EXPECT_EQ(table.cellText(2, c), "");
}

TEST(JobTable, DeleteRowMovesLaterRowsUp)
{
    JobTable table;
    fillNumbered(table, 4);
    table.deleteRow(1);
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.cellText(0, 0), "r0c0");
    EXPECT_EQ(table.cellText(1, 0), "r2c0");
    EXPECT_EQ(table.cellText(2, 12), "r3c12");
}

TEST(JobTable, DeleteRowsInOneSweepEqualsDeletingOneByOne)
{
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        const int rows = static_cast<int>(random() % 40);
        std::vector<char> doomed(random() % 50);
        for (char& d : doomed) d = random() % 3 == 0;

        JobTable swept;
        JobTable oneByOne;
        fillNumbered(swept, rows);
        fillNumbered(oneByOne, rows);
        swept.deleteRows(doomed);
        // Deleting one by one: a deleted index is examined again.
        int original = 0;
        for (int i = 0; i < oneByOne.rowCount(); ++original) {
            if (original < static_cast<int>(doomed.size()) && doomed[original]) {
                oneByOne.deleteRow(i);
            } else {
                ++i;
            }
        }
        EXPECT_EQ(tableBytes(swept), tableBytes(oneByOne)) << "round " << round;
    }
}

TEST(JobTable, DeleteAllRowsEmptiesTheTable)
{
    JobTable table;
    fillNumbered(table, 3);
    table.deleteAllRows();
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(table.cellText(0, 0), "");
    table.deleteAllRows();
    EXPECT_EQ(table.insertRow(), 0);
}

struct NotificationCase {
    const char* name;
    void (*change)(JobTable&);
    std::vector<std::string> expected;
};
// Test listings name a case by its name.
void PrintTo(const NotificationCase& c, std::ostream* os) { *os << c.name; }

class JobTableNotifications : public testing::TestWithParam<NotificationCase> {};

TEST_P(JobTableNotifications, ListenerHearsWhatChanged)
{
    JobTable table;
    fillNumbered(table, 5);
    RecordingListener listener;
    table.setListener(&listener);
    GetParam().change(table);
    EXPECT_EQ(listener.events, GetParam().expected);
}

const NotificationCase kNotificationCases[] = {
    {"InsertRow", [](JobTable& t) { t.insertRow(); }, {"appended 5 1"}},
    {"AppendRow", [](JobTable& t) { t.appendRow({"x"}); }, {"appended 5 1"}},
    {"SetCell", [](JobTable& t) { t.setCellText(2, 3, "new"); }, {"changed 2 2"}},
    {"DeleteRow", [](JobTable& t) { t.deleteRow(1); }, {"removed 1 1"}},
    {"DeleteRowsOne", [](JobTable& t) { t.deleteRows({0, 0, 0, 1}); }, {"removed 3 1"}},
    {"DeleteRowsMany", [](JobTable& t) { t.deleteRows({1, 0, 1}); }, {"reset"}},
    {"DeleteRowsNone", [](JobTable& t) { t.deleteRows({0, 0}); }, {}},
    {"DeleteAll", [](JobTable& t) { t.deleteAllRows(); }, {"reset"}},
    {"BatchOfCellChanges",
     [](JobTable& t) {
         JobTable::Batch batch(t);
         t.setCellText(3, 0, "a");
         t.setCellText(1, 0, "b");
         t.setCellText(2, 0, "c");
     },
     {"changed 1 3"}},
    {"BatchOfAppends",
     [](JobTable& t) {
         JobTable::Batch batch(t);
         for (int i = 0; i < 4; ++i) t.setCellText(t.insertRow(), 0, "x");
     },
     {"appended 5 4"}},
    {"BatchWithDeletes",
     [](JobTable& t) {
         JobTable::Batch batch(t);
         t.setCellText(0, 0, "a");
         t.deleteRow(1);
         t.deleteRow(1);
         t.insertRow();
     },
     {"reset"}},
    {"NestedBatchesTellOnce",
     [](JobTable& t) {
         JobTable::Batch outer(t);
         {
             JobTable::Batch inner(t);
             t.setCellText(4, 0, "a");
         }
         t.setCellText(0, 0, "b");
     },
     {"changed 0 4"}},
    {"EmptyBatch", [](JobTable& t) { JobTable::Batch batch(t); }, {}},
    {"BatchClearAndRefill",
     [](JobTable& t) {
         JobTable::Batch batch(t);
         t.deleteAllRows();
         t.appendRow({"x"});
     },
     {"reset"}},
};

INSTANTIATE_TEST_SUITE_P(Changes, JobTableNotifications, testing::ValuesIn(kNotificationCases),
                         [](const testing::TestParamInfo<NotificationCase>& info) { return info.param.name; });

TEST(JobTable, BatchOfAppendsAndChangesReportsBoth)
{
    JobTable table;
    fillNumbered(table, 5);
    RecordingListener listener;
    table.setListener(&listener);
    {
        JobTable::Batch batch(table);
        table.setCellText(1, 0, "a");
        table.setCellText(table.insertRow(), 0, "x");
    }
    // The appended row is covered by the append; the changed range covers the old row changed
    // (it may be wider, never beyond the old rows).
    ASSERT_EQ(listener.events.size(), 2u);
    EXPECT_EQ(listener.events[0], "appended 5 1");
    int first = -1, last = -1;
    ASSERT_EQ(std::sscanf(listener.events[1].c_str(), "changed %d %d", &first, &last), 2);
    EXPECT_LE(first, 1);
    EXPECT_GE(last, 1);
    EXPECT_LE(last, 4);
}

TEST(JobTable, BatchOnAnEmptyTableReportsAppends)
{
    JobTable table;
    RecordingListener listener;
    table.setListener(&listener);
    {
        JobTable::Batch batch(table);
        table.appendRow({"a"});
        table.appendRow({"b"});
    }
    EXPECT_EQ(listener.events, (std::vector<std::string>{"appended 0 2"}));
}

TEST(JobTable, ManyRowsAndMemoryFollowTheText)
{
    JobTable table;
    table.reserve(100000);
    for (int r = 0; r < 100000; ++r) table.appendRow({"2024-01-01", "7000"});
    EXPECT_EQ(table.rowCount(), 100000);
    EXPECT_EQ(table.cellText(99999, 1), "7000");
    // 14 bytes of text and 52 bytes of offsets per row, plus the row pointer.
    EXPECT_LT(table.memoryUsage(), 100000u * 100u);
}

}  // namespace
