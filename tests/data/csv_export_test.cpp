#include "data/csv_export.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/data/table_helpers.h"
#include "tests/support/fake_host.h"
#include "text/gbk_codec.h"

namespace {

const std::string kHeader =
    "发布时间 0,薪资 1,公司名称 2,公司规模 3,公司类型 4,招聘人数 5,学历要求 6,工作城市 7,页面url 8,"
    "公司url 9,职位名称 10,公司行业 11,工作经验 12\r\n";

std::string csvUtf8(const JobTable& table) { return text::toUtf8(buildCsvText(table)); }

TEST(CsvText, EmptyTableIsTheHeaderLine)
{
    JobTable table;
    EXPECT_EQ(csvUtf8(table), kHeader);
}

TEST(CsvText, OneRowHasNoLineBreakAfterIt)
{
    JobTable table;
    addRow(table, {"03-15", "7000", "济南公司", "", "", "3", "本科", "济南", "https://a/b", "", "工程师", "教育", "1"});
    EXPECT_EQ(csvUtf8(table), kHeader + "03-15,7000,济南公司,,,3,本科,济南,https://a/b,,工程师,教育,1");
}

TEST(CsvText, RowsAreSeparatedByCrLf)
{
    JobTable table;
    addRow(table, {"a"});
    table.insertRow();
    addRow(table, {"", "", "", "", "", "", "", "", "", "", "", "", "z"});
    EXPECT_EQ(csvUtf8(table), kHeader + "a,,,,,,,,,,,,\r\n,,,,,,,,,,,,\r\n,,,,,,,,,,,,z");
}

struct FieldCase {
    std::string cell;
    std::string field;
};

std::ostream& operator<<(std::ostream& os, const FieldCase& c) { return os << c.cell << " -> " << c.field; }

class CsvField : public testing::TestWithParam<FieldCase> {};

TEST_P(CsvField, IsWrittenAsRfc4180Wants)
{
    JobTable table;
    addRow(table, {GetParam().cell, "next"});
    EXPECT_EQ(csvUtf8(table), kHeader + GetParam().field + ",next,,,,,,,,,,,");
}

INSTANTIATE_TEST_SUITE_P(
    Cells, CsvField,
    testing::Values(FieldCase{"", ""}, FieldCase{"plain", "plain"}, FieldCase{"济南", "济南"},
                    FieldCase{"3,000", "\"3,000\""}, FieldCase{"say \"hi\"", "\"say \"\"hi\"\"\""},
                    FieldCase{"\"", "\"\"\"\""}, FieldCase{"A\r\nB", "\"A\r\nB\""}, FieldCase{"A\nB", "\"A\nB\""},
                    FieldCase{"A\rB", "\"A\rB\""}, FieldCase{"1,2\r\n3", "\"1,2\r\n3\""},
                    FieldCase{"“全角”", "“全角”"}, FieldCase{"(括号)", "(括号)"},
                    // Formula-like cells are defused; numbers stay numbers.
                    FieldCase{"=1+1", "'=1+1"}, FieldCase{"+86 531", "'+86 531"}, FieldCase{"@SUM(A1)", "'@SUM(A1)"},
                    FieldCase{"-", "'-"}, FieldCase{"-x", "'-x"}, FieldCase{"=HYPERLINK(\"a\",\"b\")", "\"'=HYPERLINK(\"\"a\"\",\"\"b\"\")\""},
                    FieldCase{"-5", "-5"}, FieldCase{"-5.25", "-5.25"}, FieldCase{"-5.", "'-5."},
                    FieldCase{"+5", "'+5"}, FieldCase{"5-8", "5-8"}, FieldCase{"1.25e+006", "1.25e+006"},
                    FieldCase{"a=b", "a=b"}));

TEST(CsvText, TitlesAreWrittenAsTheyAre)
{
    JobTable table;
    const std::string csv = buildCsvText(table);
    std::string expected;
    for (int c = 0; c < 13; ++c) expected += (c ? "," : "") + JobTable::columnTitle(c);
    EXPECT_EQ(csv, expected + "\r\n");
}

TEST(CsvExport, SetsUpTheDialogAndWritesTheChosenFile)
{
    ScratchDir dir;
    JobTable table;
    addRow(table, {"03-15", "3,000"});
    FakeHost host;
    const std::string path = dir.path() + "/导出.csv";
    host.dialogAnswers.push_back(path);
    exportCsv(host, table);
    EXPECT_EQ(host.dialogOpened, 1);
    EXPECT_EQ(host.dialog.kind, 1);
    EXPECT_EQ(host.dialog.defaultExtension, ".csv");
    EXPECT_EQ(host.dialog.filter, gbk("csv文件 (*.csv)|*.csv"));
    EXPECT_EQ(readFile(path), buildCsvText(table));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"导出.csv"}));

    // The next export proposes the same path and replaces the file.
    table.deleteAllRows();
    host.dialogAnswers.push_back(host.dialog.fileName);
    exportCsv(host, table);
    EXPECT_EQ(host.dialog.fileName, path);
    EXPECT_EQ(readFile(path), buildCsvText(table));
}

TEST(CsvExport, LargeTableIsWrittenAsBuilt)
{
    ScratchDir dir;
    JobTable table;
    std::string longCell;
    while (longCell.size() < 3 * 1024 * 1024) longCell += gbk("描述,\"引用\"\r\n");
    addRow(table, {longCell, "=x"});
    for (int r = 0; r < 20000; ++r) addRow(table, {std::to_string(r), "a,b", "-5"});
    FakeHost host;
    host.dialogAnswers.push_back(dir.path() + "/big.csv");
    exportCsv(host, table);
    EXPECT_EQ(readFile(dir.path() + "/big.csv"), buildCsvText(table));
}

TEST(CsvExport, CancelWritesNothing)
{
    ScratchDir dir;
    JobTable table;
    FakeHost host;
    host.dialog.fileName = dir.path() + "/last.csv";
    exportCsv(host, table);
    EXPECT_EQ(host.dialogOpened, 1);
    EXPECT_TRUE(dir.entries().empty());
    EXPECT_EQ(host.dialog.fileName, dir.path() + "/last.csv");
}

TEST(CsvExport, FailedWriteIsSilentAndKeepsTheTable)
{
    ScratchDir dir;
    JobTable table;
    addRow(table, {"a"});
    FakeHost host;
    host.dialogAnswers.push_back(dir.path() + "/missing/out.csv");
    exportCsv(host, table);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_TRUE(dir.entries().empty());
}

}  // namespace
