#include "data/data_cleaning.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/data/table_helpers.h"
#include "tests/support/fake_host.h"
#include "text/gbk_codec.h"

namespace {

const char* const kDeleted = "<deleted>";

// A crawled row that cleaning keeps and leaves unchanged but for the salary (6-8千/月 -> 7000)
// and the experience (1年经验 -> 1).
Utf8Row goodRow(const std::string& id = "公司")
{
    return {"03-15",     "6-8千/月", id,       "50-150人", "民营公司",   "招3人", "本科",
            "济南",      "https://jobs.51job.com/jinan/1.html", "https://jobs.51job.com/all/c1.html",
            "销售代表", "计算机软件", "1年经验"};
}

// Cleans a one-row table whose given column holds the given cell; the cell afterwards, or
// kDeleted when the row went.
std::string cleanCell(int column, const std::string& cell)
{
    JobTable table;
    Utf8Row row = goodRow();
    row[static_cast<std::size_t>(column)] = cell;
    addRow(table, row);
    FakeHost host;
    cleanJobTable(host, table);
    if (table.rowCount() == 0) return kDeleted;
    return text::toUtf8(table.cellText(0, column));
}

struct CellCase {
    std::string in;
    std::string out;
};

std::ostream& operator<<(std::ostream& os, const CellCase& c) { return os << c.in << " -> " << c.out; }

class SalaryCleaning : public testing::TestWithParam<CellCase> {};
TEST_P(SalaryCleaning, BecomesOneMonthlyFigure)
{
    EXPECT_EQ(cleanCell(JobColumn::salary, GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(Salaries, SalaryCleaning,
                         testing::Values(CellCase{"6-8千/月", "7000"}, CellCase{"1.5-2万/月", "17500"},
                                         CellCase{"0.8-1万/月", "9000"}, CellCase{"10-20万/年", "12500"},
                                         CellCase{"15-25万/年", "16666.7"}, CellCase{"2-2.5万/年", "1875"},
                                         CellCase{"1千以下/月", "1000"}, CellCase{"1.5万以下/年", "1250"},
                                         CellCase{"100-150万/月", "1.25e+006"},
                                         CellCase{"４-６千/月", "5000"},  // full-width digits
                                         // Bounds read as 32-bit floats: in double precision
                                         // these would give 1001, 2570.25, 8.07413e+006 and
                                         // 4.93828e+007.
                                         CellCase{"1.0005千以下/月", "1000"},
                                         CellCase{"2.6654-3.5031万/年", "2570.17"},
                                         CellCase{"9600.8-9777.1万/年", "8.07412e+006"},
                                         CellCase{"4936.15-4940.4万/月", "4.93827e+007"},
                                         // 102344.5 goes up to six digits, not to the even one.
                                         CellCase{"122.8134-122.8134万/年", "102345"},
                                         CellCase{"0-0千/月", kDeleted}, CellCase{"150元/天", kDeleted},
                                         CellCase{"3000-5000元/月", kDeleted}, CellCase{"", kDeleted},
                                         CellCase{"面议", kDeleted}, CellCase{"千/月", kDeleted},
                                         // Numbers in the form cleaning writes stay, but 0.
                                         CellCase{"7000", "7000"}, CellCase{"16666.7", "16666.7"},
                                         CellCase{"1.25e+006", "1.25e+006"}, CellCase{"0", kDeleted},
                                         CellCase{"0.0", kDeleted}, CellCase{"7000.", kDeleted},
                                         CellCase{"1e+6", kDeleted}));

class ExperienceCleaning : public testing::TestWithParam<CellCase> {};
TEST_P(ExperienceCleaning, BecomesYears)
{
    EXPECT_EQ(cleanCell(JobColumn::experience, GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(Experience, ExperienceCleaning,
                         testing::Values(CellCase{"无工作经验", "0"}, CellCase{"", "0"},
                                         CellCase{"1年经验", "1"}, CellCase{"3-4年经验", "3.5"},
                                         CellCase{"5-7年经验", "6"}, CellCase{"10年以上经验", "10"},
                                         CellCase{"在校生/应届生", ""}, CellCase{"1-2年", "1.5"},
                                         CellCase{"３-４年经验", "3.5"}, CellCase{" 2-3年", "2.5"},
                                         CellCase{"1-3-5年经验", "3"},  // first and last number
                                         // Already cleaned: kept.
                                         CellCase{"0", "0"}, CellCase{"3.5", "3.5"}, CellCase{"10", "10"}));

class IndustryCleaning : public testing::TestWithParam<CellCase> {};
TEST_P(IndustryCleaning, KeepsTheFirstName)
{
    EXPECT_EQ(cleanCell(JobColumn::industry, GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(Industries, IndustryCleaning,
                         testing::Values(CellCase{"计算机软件/硬件", "计算机软件"},
                                         CellCase{"互联网(电子商务)", "互联网"},
                                         CellCase{"A(B/C)", "A"}, CellCase{"A/B(C)", "A/B"},
                                         CellCase{"", "计算机软件"}, CellCase{"教育/培训/院校", "教育"},
                                         CellCase{"教育（培训）", "教育（培训）"}, CellCase{"医疗", "医疗"}));

class JobTitleCleaning : public testing::TestWithParam<CellCase> {};
TEST_P(JobTitleCleaning, KeepsTheCore)
{
    EXPECT_EQ(cleanCell(JobColumn::jobTitle, GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(JobTitles, JobTitleCleaning,
                         testing::Values(CellCase{"软件开发工程师（济南）", "软件开发工程师"},
                                         CellCase{"高级工程师-济南", "高级工程师"},
                                         CellCase{"实习生/软件", "实习生"},
                                         CellCase{"测试 开发工程师", "测试"},
                                         CellCase{"设计师助理(实习生)", "设计师助理"},
                                         CellCase{"销售代表", "销售代表"},
                                         CellCase{"Java*2", "Java"},           // rule 8
                                         CellCase{"A/B*C", "A"},               // rule 8 skipped after 7
                                         CellCase{"A*B C", "A"},               // rule 9 skipped after 8
                                         CellCase{"A/B C", "A"},               // rule 9 skipped after 7
                                         CellCase{"运维\\开发", "运维"},       // rule 10
                                         CellCase{"深淺", "深淺"},             // 淺 ends in byte 0x5C
                                         CellCase{"店员(急招)", "店员"},
                                         CellCase{"", ""}));

class HeadcountCleaning : public testing::TestWithParam<CellCase> {};
TEST_P(HeadcountCleaning, KeepsTheNumberOrDeletes)
{
    EXPECT_EQ(cleanCell(JobColumn::headcount, GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(Headcounts, HeadcountCleaning,
                         testing::Values(CellCase{"招3人", "3"}, CellCase{"3人", ""}, CellCase{"5", "5"},
                                         CellCase{"招10人", "10"}, CellCase{"", kDeleted},
                                         CellCase{"招若干人", kDeleted}, CellCase{"若干", kDeleted}));

class EducationCleaning : public testing::TestWithParam<CellCase> {};
TEST_P(EducationCleaning, IsKeptOrDeletesTheRow)
{
    EXPECT_EQ(cleanCell(JobColumn::education, GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(Education, EducationCleaning,
                         testing::Values(CellCase{"本科", "本科"}, CellCase{"", kDeleted},
                                         CellCase{"招2人", kDeleted}));

class CityCleaning : public testing::TestWithParam<CellCase> {};
TEST_P(CityCleaning, DropsTheDistrict)
{
    EXPECT_EQ(cleanCell(JobColumn::workCity, GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(Cities, CityCleaning,
                         testing::Values(CellCase{"济南-历下区", "济南"}, CellCase{"青岛", "青岛"},
                                         CellCase{"-x", ""}, CellCase{"", ""}));

struct DefaultCase {
    int column;
    std::string in;
    std::string out;
};

class DefaultCells : public testing::TestWithParam<DefaultCase> {};
TEST_P(DefaultCells, FillOnlyEmptyCells)
{
    EXPECT_EQ(cleanCell(GetParam().column, GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(Defaults, DefaultCells,
                         testing::Values(DefaultCase{JobColumn::companySize, "", "少于50人"},
                                         DefaultCase{JobColumn::companySize, "500-999", "500-999"},
                                         DefaultCase{JobColumn::companyType, "", "民营公司"},
                                         DefaultCase{JobColumn::companyType, "合资", "合资"}));

TEST(DataCleaning, UntouchedColumnsStayAsTheyAre)
{
    JobTable table;
    addRow(table, {"03-15", "6-8千/月", "济南-某公司/(x)", "", "", "招3人", "本科", "济南-历下区",
                   "https://a/b-c(d)", "https://e/f-g", "工程师", "", ""});
    FakeHost host;
    cleanJobTable(host, table);
    ASSERT_EQ(table.rowCount(), 1);
    EXPECT_EQ(rowUtf8(table, 0),
              (Utf8Row{"03-15", "7000", "济南-某公司/(x)", "少于50人", "民营公司", "3", "本科", "济南",
                       "https://a/b-c(d)", "https://e/f-g", "工程师", "计算机软件", "0"}));
}

TEST(DataCleaning, EmptyTableLogsZero)
{
    JobTable table;
    FakeHost host;
    cleanJobTable(host, table);
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(host.logUtf8(), (std::vector<std::string>{"数据清洗后剩余条数：0"}));
    EXPECT_TRUE(host.messages.empty());
}

TEST(DataCleaning, ConsecutiveDeletionsAreAllMade)
{
    JobTable table;
    const std::vector<std::pair<std::string, bool>> rows = {
        {"a", false}, {"b", false}, {"c", true}, {"d", false}, {"e", false}, {"f", false}, {"g", true}};
    for (const auto& [id, keep] : rows) {
        Utf8Row row = goodRow(id);
        if (!keep) row[JobColumn::salary] = "150元/天";
        addRow(table, row);
    }
    FakeHost host;
    cleanJobTable(host, table);
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(text::toUtf8(table.cellText(0, JobColumn::companyName)), "c");
    EXPECT_EQ(text::toUtf8(table.cellText(1, JobColumn::companyName)), "g");
    EXPECT_EQ(host.logUtf8(), (std::vector<std::string>{"数据清洗后剩余条数：2"}));
}

TEST(DataCleaning, EachPassDeletesWhatItsRuleSays)
{
    // Rows deleted by pass 1 and by pass 4 for each of its reasons, mixed with rows kept.
    JobTable table;
    auto with = [](const std::string& id, int column, const std::string& cell) {
        Utf8Row row = goodRow(id);
        row[static_cast<std::size_t>(column)] = cell;
        return row;
    };
    addRow(table, with("keep1", JobColumn::jobTitle, "经理"));
    addRow(table, with("noHeadcount", JobColumn::headcount, ""));
    addRow(table, with("noEducation", JobColumn::education, ""));
    addRow(table, with("educationRecruits", JobColumn::education, "招1人"));
    addRow(table, with("several", JobColumn::headcount, "招若干人"));
    addRow(table, with("keep2", JobColumn::headcount, "3人"));
    addRow(table, with("noSalary", JobColumn::salary, "3000-5000元/月"));
    addRow(table, with("keep3", JobColumn::salary, "1.5万以下/年"));
    FakeHost host;
    cleanJobTable(host, table);
    std::vector<std::string> kept;
    for (int r = 0; r < table.rowCount(); ++r) kept.push_back(text::toUtf8(table.cellText(r, JobColumn::companyName)));
    EXPECT_EQ(kept, (std::vector<std::string>{"keep1", "keep2", "keep3"}));
    EXPECT_EQ(host.logUtf8(), (std::vector<std::string>{"数据清洗后剩余条数：3"}));
}

TEST(DataCleaning, SecondRunKeepsWhatTheFirstLeft)
{
    JobTable table;
    const char* salaries[] = {"6-8千/月", "15-25万/年", "100-150万/月", "1千以下/月", "150元/天", "2-2.5万/年"};
    const char* experience[] = {"3-4年经验", "", "10年以上经验", "无工作经验", "1年经验", "5-7年经验"};
    for (int i = 0; i < 6; ++i) {
        Utf8Row row = goodRow("c" + std::to_string(i));
        row[JobColumn::salary] = salaries[i];
        row[JobColumn::experience] = experience[i];
        addRow(table, row);
    }
    FakeHost host;
    cleanJobTable(host, table);
    const auto first = tableBytes(table);
    ASSERT_EQ(first.size(), 5u);
    cleanJobTable(host, table);
    EXPECT_EQ(tableBytes(table), first);
    EXPECT_EQ(host.logUtf8(), (std::vector<std::string>{"数据清洗后剩余条数：5", "数据清洗后剩余条数：5"}));
    EXPECT_EQ(text::toUtf8(table.cellText(0, JobColumn::experience)), "3.5");
    EXPECT_EQ(text::toUtf8(table.cellText(2, JobColumn::salary)), "1.25e+006");
}

class RecordingListener : public JobTableListener {
public:
    int events = 0;
    bool reset = false;
    void rowsAppended(int, int) override { ++events; }
    void rowsRemoved(int, int) override { ++events; }
    void cellsChanged(int, int) override { ++events; }
    void tableReset() override
    {
        ++events;
        reset = true;
    }
};

TEST(DataCleaning, TheViewHearsOnce)
{
    JobTable table;
    for (int i = 0; i < 50; ++i) {
        Utf8Row row = goodRow();
        if (i % 3 == 0) row[JobColumn::salary] = "";
        addRow(table, row);
    }
    RecordingListener listener;
    table.setListener(&listener);
    FakeHost host;
    cleanJobTable(host, table);
    EXPECT_EQ(table.rowCount(), 33);
    EXPECT_EQ(listener.events, 1);
    EXPECT_TRUE(listener.reset);
}

TEST(DataCleaning, LetsTheWindowWorkDuringTheRun)
{
    JobTable table;
    for (int i = 0; i < 20; ++i) addRow(table, goodRow());
    FakeHost host;
    cleanJobTable(host, table);
    EXPECT_GE(host.pumped, 1);
    EXPECT_LE(host.pumped, 20);
}

TEST(DataCleaning, StopMidRunLeavesCleanedAndUntouchedRowsOnly)
{
    // The window's first turn takes a while, so it gets its second turn at the next look at the
    // clock (after 256 small rows), where the stop is requested. The rows before are cleaned (the even
    // ones deleted), the rows after are as they were, and nothing is logged.
    const int rows = 1000;
    JobTable table;
    for (int i = 0; i < rows; ++i) {
        Utf8Row row = goodRow(std::to_string(i));
        if (i % 2 == 0) row[JobColumn::salary] = "";
        addRow(table, row);
    }
    FakeHost host;
    host.onPump = [](FakeHost& h) {
        if (h.pumped == 1) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (h.pumped == 2) h.stop = true;
    };
    cleanJobTable(host, table);
    EXPECT_EQ(host.pumped, 2);
    EXPECT_TRUE(host.log.empty());
    const int firstRaw = 256;                          // rows 0..255 were cleaned
    const int deleted = (firstRaw + 1) / 2;            // the even ones among them
    const int cleaned = firstRaw - deleted;
    ASSERT_EQ(table.rowCount(), rows - deleted);
    for (int r = 0; r < table.rowCount(); ++r) {
        const Utf8Row row = rowUtf8(table, r);
        const int id = std::stoi(row[JobColumn::companyName]);
        if (r < cleaned) {
            EXPECT_EQ(id, 2 * r + 1);
            EXPECT_EQ(row[JobColumn::salary], "7000") << id;
            EXPECT_EQ(row[JobColumn::experience], "1") << id;
        } else {
            EXPECT_EQ(id, firstRaw + r - cleaned);
            Utf8Row raw = goodRow(std::to_string(id));
            if (id % 2 == 0) raw[JobColumn::salary] = "";
            EXPECT_EQ(row, raw) << id;
        }
    }
}

TEST(DataCleaning, RowsWithHugeCellsLetTheWindowWorkSooner)
{
    // Rows of 100 KB: the clock is read after each, so the stop comes after the first row.
    JobTable table;
    const std::string huge(100 * 1024, 'x');
    for (int i = 0; i < 5; ++i) addRow(table, goodRow(huge));
    FakeHost host;
    host.onPump = [](FakeHost& h) {
        if (h.pumped == 1) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (h.pumped == 2) h.stop = true;
    };
    cleanJobTable(host, table);
    EXPECT_EQ(host.pumped, 2);
    ASSERT_EQ(table.rowCount(), 5);
    EXPECT_EQ(text::toUtf8(table.cellText(0, JobColumn::salary)), "7000");
    for (int r = 1; r < 5; ++r) EXPECT_EQ(rowUtf8(table, r), goodRow(huge)) << r;
}

TEST(DataCleaning, StopBeforeAnythingLeavesTheTableAlone)
{
    JobTable table;
    addRow(table, goodRow());
    FakeHost host;
    host.stop = true;
    cleanJobTable(host, table);
    EXPECT_EQ(text::toUtf8(table.cellText(0, JobColumn::salary)), "6-8千/月");
    EXPECT_TRUE(host.log.empty());
}

TEST(DataCleaning, LongSalaryTextsAreWorkedOutEveryTime)
{
    // Texts too long to be remembered are worked out anew for each row.
    JobTable table;
    const std::string padded = std::string(100, ' ') + "6-8千/月";
    for (const std::string& salary : {padded, padded, std::string(100, ' ') + "1-2万/月", padded}) {
        Utf8Row row = goodRow();
        row[JobColumn::salary] = salary;
        addRow(table, row);
    }
    FakeHost host;
    cleanJobTable(host, table);
    ASSERT_EQ(table.rowCount(), 4);
    const char* expected[] = {"7000", "7000", "15000", "7000"};
    for (int r = 0; r < 4; ++r) EXPECT_EQ(text::toUtf8(table.cellText(r, JobColumn::salary)), expected[r]) << r;
}

TEST(DataCleaning, ManyDistinctSalariesAreEachWorkedOut)
{
    // More distinct salary texts than are remembered at once.
    JobTable table;
    const int rows = 70000;
    for (int i = 0; i < rows; ++i) {
        Utf8Row row = goodRow();
        row[JobColumn::salary] = std::to_string(i % 1000 + 1) + "-" + std::to_string(i + 1) + "千/月";
        addRow(table, row);
    }
    FakeHost host;
    cleanJobTable(host, table);
    ASSERT_EQ(table.rowCount(), rows);
    for (int i : {0, 1, 999, 65535, 65536, 69999}) {
        const double expected = (i % 1000 + 1 + i + 1) / 2.0 * 1000;
        EXPECT_EQ(text::toUtf8(table.cellText(i, JobColumn::salary)), text::toUtf8(text::toText(static_cast<float>(expected))))
            << i;
    }
}

}  // namespace
