#include "data/data_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <random>
#include <string>
#include <vector>

#include "tests/data/table_helpers.h"
#include "tests/support/fake_host.h"
#include "text/gbk_codec.h"
#include "text/text.h"

namespace {

const std::string kCell = "<?nr.#p>";
const std::string kRow = "<?h.#p>";

std::string repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// A row of 13 cells as a data-file text.
std::string rowText(const std::vector<std::string>& cells)
{
    std::string out;
    for (const std::string& c : cells) out += c + kCell;
    return out + kRow;
}

std::vector<std::string> cells13(std::vector<std::string> cells)
{
    cells.resize(13);
    return cells;
}

TEST(DataFile, TerminatorsAreTheFormatsBytes)
{
    EXPECT_EQ(std::string(CellTerminator), "<?nr.#p>");
    EXPECT_EQ(std::string(RowTerminator), "<?h.#p>");
}

TEST(DataFile, EmptyTableIsZeroBytes)
{
    JobTable table;
    EXPECT_EQ(serializeJobTable(table), "");
}

TEST(DataFile, RowsOfEmptyCells)
{
    JobTable table;
    table.insertRow();
    table.insertRow();
    EXPECT_EQ(serializeJobTable(table), repeat(kCell, 13) + kRow + repeat(kCell, 13) + kRow);
}

TEST(DataFile, EmptyLastCellEndsInTwoCellTerminators)
{
    JobTable table;
    addRow(table, {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", ""});
    const std::string saved = serializeJobTable(table);
    EXPECT_EQ(saved.substr(saved.size() - 2 * kCell.size() - kRow.size()), kCell + kCell + kRow);
    EXPECT_EQ(saved, "a" + kCell + "b" + kCell + "c" + kCell + "d" + kCell + "e" + kCell + "f" + kCell + "g" +
                         kCell + "h" + kCell + "i" + kCell + "j" + kCell + "k" + kCell + "l" + kCell + kCell + kRow);
}

TEST(DataFile, HandWrittenFixtureReadsAndWritesByteForByte)
{
    const std::string fixture = readFile(std::string(JC_DATA_FIXTURES) + "/two_rows.txt");
    ASSERT_EQ(fixture.size(), 244u);
    JobTable table;
    fillJobTable(table, fixture);
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(rowUtf8(table, 0), cells13({"03-15", "7000", "济南公司", "", "", "", "", "", "", "", "", "", "1"}));
    EXPECT_EQ(rowUtf8(table, 1), cells13({"", "", "", "", "", "", "", "A\r\nB"}));
    EXPECT_EQ(serializeJobTable(table), fixture);
}

TEST(DataFile, RoundTripKeepsEveryCell)
{
    JobTable table;
    addRow(table, {"03-15", "6-8千/月", "公司\r\n第二行", "", "民营公司", "招3人", "本科", "济南-历下区",
                   "https://jobs.51job.com/jinan/1.html?s=01&t=0", "", "Java开发工程师（济南）", "计算机软件", ""});
    table.insertRow();
    addRow(table, {"", "", "", "", "", "", "", "", "", "", "", "", "last \"quoted\", with comma"});
    table.setCellText(2, 4, std::string("\x81\x5c\xfe\xfe", 4));  // GBK pairs ending in "\\" or 0xFE
    const std::string saved = serializeJobTable(table);
    JobTable loaded;
    addRow(loaded, {"old row"});
    fillJobTable(loaded, saved);
    EXPECT_EQ(tableBytes(loaded), tableBytes(table));
}

struct FillCase {
    const char* name;
    std::string text;
    std::vector<std::vector<std::string>> rows;  // leading cells; the rest empty
};
// Test listings name a case by its name.
void PrintTo(const FillCase& c, std::ostream* os) { *os << c.name; }

class FillJobTable : public testing::TestWithParam<FillCase> {};

TEST_P(FillJobTable, ReadsTheTextByTheSplitRules)
{
    JobTable table;
    addRow(table, {"stale"});
    addRow(table, {"stale"});
    fillJobTable(table, GetParam().text);
    std::vector<std::vector<std::string>> expected;
    for (const auto& row : GetParam().rows) expected.push_back(cells13(row));
    EXPECT_EQ(tableBytes(table), expected);
}

std::vector<std::string> numbered(int from, int to)
{
    std::vector<std::string> v;
    for (int i = from; i <= to; ++i) v.push_back("p" + std::to_string(i));
    return v;
}

std::string joinedParts(int count)
{
    std::string s;
    for (int i = 0; i < count; ++i) s += "p" + std::to_string(i) + kCell;
    return s + kRow;
}

const FillCase kFillCases[] = {
    {"Empty", "", {}},
    {"OneCellNoTerminators", "abc", {{"abc"}}},
    {"CellsWithoutRowTerminator", "a" + kCell + "b", {{"a", "b"}}},
    {"TextAfterLastRowIsARow", rowText({"a"}) + "tail", {{"a"}, {"tail"}}},
    {"LoneRowTerminator", kRow, {{}}},
    {"TwoRowTerminators", kRow + kRow, {{}, {}}},
    {"EmptyLeadingCellsKept", kCell + kCell + "c" + kCell + kRow, {{"", "", "c"}}},
    {"OnePart", "x" + kRow, {{"x"}}},
    {"FortyPartsKeepThirteen", joinedParts(40), {numbered(0, 12)}},
    {"CellTerminatorInsideACellShifts",
     rowText({"a", "b" + kCell + "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n"}),
     {{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m"}}},
    {"RowTerminatorInsideACellSplitsTheRow",
     rowText({"a", "b" + kRow + "c", "d"}),
     {{"a", "b"}, {"c", "d"}}},
    {"LineBreaksStay", rowText({"x\r\ny", "\n", "\r"}), {{"x\r\ny", "\n", "\r"}}},
    {"TerminatorBytesInsideAGbkCharacterDoNotCount",
     // 0x81 starts a two-byte character that swallows the "<" of the would-be terminator.
     std::string("a\x81") + kCell + "b", {{std::string("a\x81") + kCell + "b"}}},
};

INSTANTIATE_TEST_SUITE_P(Texts, FillJobTable, testing::ValuesIn(kFillCases),
                         [](const testing::TestParamInfo<FillCase>& info) { return info.param.name; });

TEST(DataFile, FillAgreesWithSplittingTwiceOnArbitraryBytes)
{
    std::mt19937 random(11);
    const std::vector<std::string> pieces = {kCell, kRow, "a", "\x81", "\xb0\xa1", "<", "<?", "\r\n", "", "x", "\xff\xff\xff", "<?h.#", "nr.#p>"};
    for (int round = 0; round < 3000; ++round) {
        std::string t;
        const int n = static_cast<int>(random() % 30);
        for (int i = 0; i < n; ++i) t += pieces[random() % pieces.size()];
        JobTable table;
        fillJobTable(table, t);
        std::vector<std::vector<std::string>> expected;
        for (const Text& rowPart : text::split(t, kRow)) {
            std::vector<std::string> cells = text::split(rowPart, kCell);
            cells.resize(13);
            expected.push_back(cells);
        }
        EXPECT_EQ(tableBytes(table), expected) << "round " << round;
    }
}

class DataFileJobs : public testing::Test {
protected:
    DataFileJobs()
    {
        host.runDir = dir.path();
        host.dataDir = dir.path() + "/data";
        mkdir(host.dataDir.c_str(), 0755);
        addRow(table, {"03-15", "7000", "济南公司", "", "", "3", "本科", "济南", "u1", "u2", "工程师", "教育", "1"});
        addRow(table, {"a\r\nb"});
    }

    std::string dataPath(const std::string& name) const { return host.dataDir + "/" + name; }

    ScratchDir dir;
    FakeHost host;
    JobTable table;
};

TEST_F(DataFileJobs, SaveWritesTheTypedNameWithTxt)
{
    host.inputAnswers.push_back("abc");
    saveDataFile(host, table);
    EXPECT_EQ(host.inputPrompts, (std::vector<Text>{gbk("请输入文件名")}));
    EXPECT_EQ(host.messages, (std::vector<Text>{gbk("保存成功")}));
    EXPECT_EQ(readFile(dataPath("abc.txt")), serializeJobTable(table));
    EXPECT_EQ(dir.entries("data"), (std::vector<std::string>{"abc.txt"}));
}

TEST_F(DataFileJobs, ChineseNameBecomesUtf8OnDisk)
{
    host.inputAnswers.push_back(gbk("岗位 数据"));
    saveDataFile(host, table);
    EXPECT_EQ(host.messages, (std::vector<Text>{gbk("保存成功")}));
    EXPECT_EQ(dir.entries("data"), (std::vector<std::string>{"岗位 数据.txt"}));
}

TEST_F(DataFileJobs, NameEndingInTxtGetsASecondOne)
{
    host.inputAnswers.push_back("x.txt");
    saveDataFile(host, table);
    EXPECT_EQ(dir.entries("data"), (std::vector<std::string>{"x.txt.txt"}));
}

TEST_F(DataFileJobs, CancelWritesNothingAndSaysNothing)
{
    saveDataFile(host, table);
    EXPECT_EQ(host.inputPrompts.size(), 1u);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(dir.entries("data").empty());
}

TEST_F(DataFileJobs, EmptyTableSavesZeroBytesAndLoadsEmpty)
{
    JobTable empty;
    host.inputAnswers.push_back("empty");
    saveDataFile(host, empty);
    EXPECT_EQ(host.messages, (std::vector<Text>{gbk("保存成功")}));
    EXPECT_TRUE(exists(dataPath("empty.txt")));
    EXPECT_EQ(readFile(dataPath("empty.txt")), "");
    loadChosenDataFile(table, host.dataDir, "empty.txt");
    EXPECT_EQ(table.rowCount(), 0);
}

struct FailedNameCase {
    const char* name;
    std::string typed;
};
// Test listings name a case by its name.
void PrintTo(const FailedNameCase& c, std::ostream* os) { *os << c.name; }

class SaveRefused : public DataFileJobs, public testing::WithParamInterface<FailedNameCase> {};

TEST_P(SaveRefused, ReportsFailureAndWritesNothing)
{
    mkdir(dataPath("sub").c_str(), 0755);
    host.inputAnswers.push_back(GetParam().typed);
    saveDataFile(host, table);
    EXPECT_EQ(host.messages, (std::vector<Text>{gbk("保存失败")}));
    EXPECT_EQ(dir.entries("data"), (std::vector<std::string>{"sub"}));
    EXPECT_TRUE(dir.entries("data/sub").empty());
}

INSTANTIATE_TEST_SUITE_P(Names, SaveRefused,
                         testing::Values(FailedNameCase{"Empty", ""}, FailedNameCase{"MissingFolder", "missing/abc"},
                                         FailedNameCase{"EndsInSlash", "sub/"},
                                         FailedNameCase{"ThreeHundredCharacters", std::string(300, 'n')},
                                         FailedNameCase{"TooLongInGbk", repeat(gbk("岗"), 100)},
                                         FailedNameCase{"ZeroByte", std::string("sub\0x", 5)}),
                         [](const testing::TestParamInfo<FailedNameCase>& info) { return info.param.name; });

TEST_F(DataFileJobs, NameOfAFolderFailsAndLeavesIt)
{
    mkdir(dataPath("dir.txt").c_str(), 0755);
    host.inputAnswers.push_back("dir");
    saveDataFile(host, table);
    EXPECT_EQ(host.messages, (std::vector<Text>{gbk("保存失败")}));
    EXPECT_EQ(dir.entries("data"), (std::vector<std::string>{"dir.txt"}));
    EXPECT_TRUE(dir.entries("data/dir.txt").empty());
}

TEST_F(DataFileJobs, NameWithSlashSavesIntoAnExistingSubfolder)
{
    mkdir(dataPath("sub").c_str(), 0755);
    host.inputAnswers.push_back("sub/abc");
    saveDataFile(host, table);
    EXPECT_EQ(host.messages, (std::vector<Text>{gbk("保存成功")}));
    EXPECT_EQ(readFile(dataPath("sub/abc.txt")), serializeJobTable(table));
}

TEST_F(DataFileJobs, LongestNameThatFitsIsSaved)
{
    const std::string name(251, 'n');  // 255 bytes with ".txt"
    host.inputAnswers.push_back(name);
    saveDataFile(host, table);
    EXPECT_EQ(host.messages, (std::vector<Text>{gbk("保存成功")}));
    EXPECT_EQ(dir.entries("data"), (std::vector<std::string>{name + ".txt"}));
}

TEST_F(DataFileJobs, MissingOrFileDataDirectoryFails)
{
    for (const std::string& dataDir : {dir.path() + "/absent", dir.path() + "/plain"}) {
        writeFile(dir.path() + "/plain", "not a folder");
        host.dataDir = dataDir;
        host.messages.clear();
        host.inputAnswers.push_back("abc");
        saveDataFile(host, table);
        EXPECT_EQ(host.messages, (std::vector<Text>{gbk("保存失败")})) << dataDir;
        EXPECT_FALSE(exists(dir.path() + "/absent"));
        EXPECT_EQ(readFile(dir.path() + "/plain"), "not a folder");
    }
}

TEST_F(DataFileJobs, ReadOnlyDataDirectoryOrFileFails)
{
    // As an ordinary user (root may write anything): a data directory that may not be written,
    // and a data file that may not be written, each fail and stay as they were.
    writeFile(dataPath("locked.txt"), "old");
    chmod(dataPath("locked.txt").c_str(), 0444);
    chmod(dir.path().c_str(), 0755);
    const std::pair<mode_t, const char*> cases[] = {{0555, "new"}, {0777, "locked"}};
    for (const auto& [dataMode, name] : cases) {
        chmod(host.dataDir.c_str(), dataMode);
        const int status = exitStatusAsOrdinaryUser([this, name = name] {
            host.inputAnswers.push_back(name);
            saveDataFile(host, table);
            return host.messages == std::vector<Text>{gbk("保存失败")} ? 0 : 1;
        });
        EXPECT_EQ(status, 0) << name;
    }
    EXPECT_EQ(dir.entries("data"), (std::vector<std::string>{"locked.txt"}));
    EXPECT_EQ(readFile(dataPath("locked.txt")), "old");
}

TEST_F(DataFileJobs, SavingOverAnOldFileReplacesIt)
{
    writeFile(dataPath("abc.txt"), "old content that is longer than nothing");
    JobTable empty;
    host.inputAnswers.push_back("abc");
    saveDataFile(host, empty);
    EXPECT_EQ(host.messages, (std::vector<Text>{gbk("保存成功")}));
    EXPECT_EQ(readFile(dataPath("abc.txt")), "");
    EXPECT_EQ(dir.entries("data"), (std::vector<std::string>{"abc.txt"}));
}

TEST_F(DataFileJobs, SaveAndLoadRoundTrip)
{
    host.inputAnswers.push_back("round");
    saveDataFile(host, table);
    JobTable loaded;
    loadChosenDataFile(loaded, host.dataDir, "round.txt");
    EXPECT_EQ(tableBytes(loaded), tableBytes(table));
}

TEST_F(DataFileJobs, LoadStopsAtTheFirstZeroByte)
{
    writeFile(dataPath("zero.txt"), rowText({"a", "b"}) + "c" + std::string(1, '\0') + "d" + kCell + kRow);
    loadChosenDataFile(table, host.dataDir, "zero.txt");
    EXPECT_EQ(tableBytes(table), (std::vector<std::vector<std::string>>{cells13({"a", "b"}), cells13({"c"})}));
}

TEST_F(DataFileJobs, UnreadableFilesEmptyTheTable)
{
    writeFile(dataPath("zero-bytes.txt"), "");
    mkdir(dataPath("folder").c_str(), 0755);
    for (const char* name : {"missing.txt", "zero-bytes.txt", "folder"}) {
        JobTable t;
        addRow(t, {"stale"});
        loadChosenDataFile(t, host.dataDir, name);
        EXPECT_EQ(t.rowCount(), 0) << name;
    }
}

TEST_F(DataFileJobs, BinaryFileLoadsAsText)
{
    std::mt19937 random(3);
    std::string bytes(64 * 1024, '\0');
    for (char& b : bytes) b = static_cast<char>(random() % 255 + 1);  // no zero byte
    bytes.insert(1000, kRow);
    bytes.insert(500, kCell);
    writeFile(dataPath("binary.bin"), bytes);
    loadChosenDataFile(table, host.dataDir, "binary.bin");
    JobTable expected;
    fillJobTable(expected, bytes);
    EXPECT_GE(table.rowCount(), 1);
    EXPECT_EQ(tableBytes(table), tableBytes(expected));
}

TEST_F(DataFileJobs, LoadingInPiecesReadsLikeTheWholeText)
{
    // The file is read in pieces of 4 MiB: terminators, two-byte characters and a lead byte
    // before "<" fall across the seam at every offset, and a long run of high bytes spans pieces.
    const std::size_t piece = 4u << 20;
    const std::vector<std::string> tails = {kCell + "b" + kCell + kRow + "c" + kRow, "\xb0\xa1" + kCell + kRow + "d",
                                            "\x81" + kCell + "e" + kRow, "\x81\x81" + kRow + "f" + kCell};
    int cases = 0;
    for (const std::string& tail : tails) {
        for (std::size_t shift = 0; shift <= 9; ++shift) {
            const std::string text = std::string(piece - shift, 'a') + tail + rowText({"x", "y"});
            writeFile(dataPath("pieces.txt"), text);
            JobTable loaded;
            loadChosenDataFile(loaded, host.dataDir, "pieces.txt");
            JobTable expected;
            fillJobTable(expected, text);
            ASSERT_EQ(tableBytes(loaded), tableBytes(expected)) << "tail " << cases / 10 << " shift " << shift;
            ++cases;
        }
    }
    for (const std::size_t highBytes : {2 * piece + 1, 2 * piece + 2}) {
        const std::string text = "a" + kCell + std::string(highBytes, '\xb0') + kCell + "z" + kRow + "q";
        writeFile(dataPath("high.txt"), text);
        JobTable loaded;
        loadChosenDataFile(loaded, host.dataDir, "high.txt");
        JobTable expected;
        fillJobTable(expected, text);
        EXPECT_EQ(tableBytes(loaded), tableBytes(expected)) << highBytes;
    }
}

TEST_F(DataFileJobs, ZeroByteInALaterPieceEndsTheText)
{
    const std::string text = std::string(5u << 20, 'a') + kCell + "b" + kRow + "c" + std::string(1, '\0') + "d" + kRow;
    writeFile(dataPath("late-zero.txt"), text);
    loadChosenDataFile(table, host.dataDir, "late-zero.txt");
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.cellText(0, 0).size(), 5u << 20);
    EXPECT_EQ(table.cellText(0, 1), "b");
    EXPECT_EQ(table.cellText(1, 0), "c");
}

TEST_F(DataFileJobs, MegabyteCellsRoundTrip)
{
    JobTable big;
    const int row = big.insertRow();
    std::string cell;
    for (int i = 0; cell.size() < 1024 * 1024; ++i) cell += gbk("岗位描述") + std::to_string(i) + "\r\n";
    big.setCellText(row, 0, cell);
    big.setCellText(row, 12, cell);
    for (int r = 0; r < 3000; ++r) addRow(big, {"03-15", "7000", "", std::to_string(r)});
    host.inputAnswers.push_back("big");
    saveDataFile(host, big);
    EXPECT_EQ(readFile(dataPath("big.txt")), serializeJobTable(big));
    JobTable loaded;
    loadChosenDataFile(loaded, host.dataDir, "big.txt");
    ASSERT_EQ(loaded.rowCount(), 3001);
    EXPECT_EQ(loaded.cellText(0, 0), cell);
    EXPECT_EQ(loaded.cellText(3000, 3), "2999");
    EXPECT_EQ(loaded.cellText(0, 12), cell);
}

}  // namespace
