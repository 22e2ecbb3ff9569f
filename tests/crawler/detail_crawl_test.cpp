// The detail crawl against the local job site, and the scraping of a posting page.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crawler/detail_crawl.h"
#include "tests/crawler/site_crawl_test.h"

namespace {

// The six cells the detail crawl writes, in column order.
constexpr int kDetailColumns[] = {JobColumn::companySize, JobColumn::companyType, JobColumn::headcount,
                                  JobColumn::education, JobColumn::industry, JobColumn::experience};

struct DetailCells {
    std::string size, type, headcount, education, industry, experience;  // UTF-8
};

std::vector<Text> expectedCells(const DetailCells& d)
{
    return {gbk(d.size), gbk(d.type), gbk(d.headcount), gbk(d.education), gbk(d.industry), gbk(d.experience)};
}

std::vector<Text> detailCells(const JobTable& table, int row)
{
    std::vector<Text> cells;
    for (int c : kDetailColumns) cells.push_back(table.cellText(row, c));
    return cells;
}

// A row as the list crawl leaves it, with stale detail cells that every visit overwrites.
int addRow(JobTable& table, const std::string& pageUrl)
{
    const int r = table.insertRow();
    for (int c = 0; c < JobTable::kColumnCount; ++c) table.setCellText(r, c, "old" + std::to_string(c));
    table.setCellText(r, JobColumn::pageUrl, pageUrl);
    return r;
}

std::vector<Text> listCells(const JobTable& table, int row)
{
    std::vector<Text> cells;
    for (int c : {0, 1, 2, 7, 8, 9, 10}) cells.push_back(table.cellText(row, c));
    return cells;
}

class DetailCrawlTest : public SiteCrawlTest {};

struct PostingCase {
    const char* page;
    DetailCells cells;
};
// Test listings name a case by its page.
void PrintTo(const PostingCase& c, std::ostream* os) { *os << c.page; }

class PostingPageTest : public DetailCrawlTest, public testing::WithParamInterface<PostingCase> {};

TEST_P(PostingPageTest, FillsTheSixCells)
{
    const std::string url = site_->url(std::string("/job/") + GetParam().page + ".html");
    addRow(table, url);
    const std::vector<Text> before = listCells(table, 0);
    crawlDetails(host, table);
    EXPECT_EQ(detailCells(table, 0), expectedCells(GetParam().cells));
    EXPECT_EQ(listCells(table, 0), before);
    EXPECT_EQ(host.log, std::vector<Text>{gbk("正在爬取：1条详情")});
    EXPECT_EQ(site_->requests(), std::vector<std::string>{std::string("/job/") + GetParam().page + ".html"});
}

INSTANTIATE_TEST_SUITE_P(
    Crawler, PostingPageTest,
    testing::Values(
        // Five parts padded with "&nbsp;": only the entities go, the blank inside a part stays.
        PostingCase{"full", {"150-500", "民营公司", "招2人", "大专 以上", "计算机软件", "3-4年经验"}},
        // Four parts (no education): the three summary cells stay empty.
        PostingCase{"four", {"50-150", "外资（欧美）", "", "", "互联网/电子商务", ""}},
        // A final "|" adds no part.
        PostingCase{"trailing", {"1000-5000", "国企", "招3人", "本科", "通信/电信/网络设备", "5-7年经验"}},
        PostingCase{"six", {"少于50", "民营公司", "", "", "计算机软件", ""}},
        // No size and no industry on the page.
        PostingCase{"missing", {"", "民营公司", "招若干人", "硕士", "", "无需经验"}},
        // A page in UTF-8 arrives as GBK text.
        PostingCase{"utf8", {"500-1000", "上市公司", "招5人", "中专", "教育/培训/院校", "2年经验"}}),
    [](const testing::TestParamInfo<PostingCase>& info) { return std::string(info.param.page); });

TEST_F(DetailCrawlTest, ThreeRowsThreeRequestsThreeLines)
{
    for (const char* page : {"full", "four", "trailing"}) addRow(table, site_->url(std::string("/job/") + page + ".html"));
    crawlDetails(host, table);
    EXPECT_EQ(site_->requests(), (std::vector<std::string>{"/job/full.html", "/job/four.html", "/job/trailing.html"}));
    EXPECT_EQ(host.log, (std::vector<Text>{gbk("正在爬取：1条详情"), gbk("正在爬取：2条详情"), gbk("正在爬取：3条详情")}));
    EXPECT_EQ(host.progress, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
    EXPECT_EQ(table.cellText(2, JobColumn::headcount), gbk("招3人"));
}

TEST_F(DetailCrawlTest, EmptyTableMakesNoRequest)
{
    crawlDetails(host, table);
    EXPECT_TRUE(site_->requests().empty());
    EXPECT_TRUE(host.log.empty());
}

TEST_F(DetailCrawlTest, RowsWithoutAnAbsoluteAddressGetEmptyCells)
{
    addRow(table, "");
    addRow(table, "/job/full.html");
    addRow(table, site_->url("/job/full.html"));
    crawlDetails(host, table);
    const std::vector<Text> empty(6);
    EXPECT_EQ(detailCells(table, 0), empty);
    EXPECT_EQ(detailCells(table, 1), empty);
    EXPECT_EQ(detailCells(table, 2), expectedCells(DetailCells{"150-500", "民营公司", "招2人", "大专 以上", "计算机软件", "3-4年经验"}));
    EXPECT_EQ(host.log, (std::vector<Text>{gbk("请求失败：701 解析URL地址失败!"), gbk("正在爬取：1条详情"),
                                           gbk("请求失败：701 解析URL地址失败!"), gbk("正在爬取：2条详情"),
                                           gbk("正在爬取：3条详情")}));
    EXPECT_EQ(site_->requests(), std::vector<std::string>{"/job/full.html"});
}

TEST_F(DetailCrawlTest, FailedRequestsAreLoggedBeforeTheRowsLine)
{
    addRow(table, site_->url("/job/nosuchpage.html"));
    addRow(table, "https://127.0.0.1:1/job/full.html");
    crawlDetails(host, table);
    EXPECT_EQ(detailCells(table, 0), std::vector<Text>(6));
    EXPECT_EQ(detailCells(table, 1), std::vector<Text>(6));
    EXPECT_EQ(host.log, (std::vector<Text>{gbk("请求失败：404 Not Found"), gbk("正在爬取：1条详情"),
                                           gbk("请求失败：711 发送请求失败!"), gbk("正在爬取：2条详情")}));
}

TEST_F(DetailCrawlTest, RunningTwiceGivesTheSameCells)
{
    addRow(table, site_->url("/job/full.html"));
    crawlDetails(host, table);
    const std::vector<Text> once = detailCells(table, 0);
    crawlDetails(host, table);
    EXPECT_EQ(detailCells(table, 0), once);
    EXPECT_EQ(host.log.back(), gbk("正在爬取：1条详情"));
}

TEST_F(DetailCrawlTest, StopDuringARequestKeepsThatRowsCells)
{
    addRow(table, site_->url("/job/full.html"));
    addRow(table, site_->url("/slow/full.html"));
    addRow(table, site_->url("/job/four.html"));
    const std::vector<Text> stale = detailCells(table, 1);
    // Stop is pressed while the site holds row 1's request.
    host.onPump = [](FakeHost& h) {
        if (site_->requests().size() == 2) h.stop = true;
    };
    crawlDetails(host, table);
    EXPECT_EQ(host.log, (std::vector<Text>{gbk("正在爬取：1条详情"), gbk("已停止")}));
    EXPECT_EQ(table.cellText(0, JobColumn::companySize), "150-500");
    EXPECT_EQ(detailCells(table, 1), stale);
    EXPECT_EQ(detailCells(table, 2), stale);
    EXPECT_EQ(host.progress, (std::vector<std::pair<int, int>>{{1, 3}}));
    EXPECT_EQ(site_->requests().size(), 2u);
}

// The scraping alone, on pages held in memory.
struct InMemoryCase {
    const char* name;
    std::string page;  // UTF-8
    DetailCells cells;
};
// Test listings name a case by its name.
void PrintTo(const InMemoryCase& c, std::ostream* os) { *os << c.name; }

class ScrapeTest : public testing::TestWithParam<InMemoryCase> {};

TEST_P(ScrapeTest, WritesTheSixCells)
{
    JobTable table;
    addRow(table, "");
    writeDetailCells(table, 0, gbk(GetParam().page));
    EXPECT_EQ(detailCells(table, 0), expectedCells(GetParam().cells));
}

const std::string kSummaryOpen = "<p class=\"msg ltype\" title=\"";
const std::string kSummaryClose = "\">x</p>";

INSTANTIATE_TEST_SUITE_P(
    Crawler, ScrapeTest,
    testing::Values(
        InMemoryCase{"EmptyPage", "", {"", "", "", "", "", ""}},
        // Only the first match counts.
        InMemoryCase{"FirstMatch",
                     "<p class=\"at\" title=\"50-150人\"><span class=\"i_people\"></span>50-150人</p>\r\n"
                     "<p class=\"at\" title=\"少于50人\"><span class=\"i_people\"></span>少于50人</p>\r\n",
                     {"50-150", "", "", "", "", ""}},
        // Letter case matters for "&nbsp;"; empty parts count as parts.
        InMemoryCase{"EntityCase", kSummaryOpen + "a|&NBSP;b|&nbsp;c&nbsp;||e" + kSummaryClose,
                     {"", "", "", "c", "", "&NBSP;b"}},
        InMemoryCase{"FivePartsFinalSeparator", kSummaryOpen + "a|b|c|d|e|" + kSummaryClose,
                     {"", "", "d", "c", "", "b"}},
        // An industry paragraph with LF line ends is not the site's markup.
        InMemoryCase{"IndustryLineFeeds",
                     "<p class=\"at\" title=\"IT\">\n                <span class=\"i_trade\"></span>\n"
                     "                                    <a href=\"x\">IT</a>\n                            </p>",
                     {"", "", "", "", "", ""}}),
    [](const testing::TestParamInfo<InMemoryCase>& info) { return std::string(info.param.name); });

}  // namespace
