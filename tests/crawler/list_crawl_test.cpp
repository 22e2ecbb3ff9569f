// The list crawl against the local job site.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crawler/list_crawl.h"
#include "tests/crawler/site_crawl_test.h"
#include "text/gbk_codec.h"

namespace {

class ListCrawlTest : public SiteCrawlTest {
protected:
    void crawl(const Text& keyword)
    {
        host.keywordText = keyword;
        crawlList(host, table, site_->hostPort());
    }
    // The path and query the site received for page n of the keyword, escapes decoded. Characters
    // beyond ASCII travel as UTF-8, as a browser sends them.
    static std::string received(const Text& keyword, int page)
    {
        return std::string(ListPathPrefix) + text::toUtf8(keyword) + ",2," + std::to_string(page) +
               std::string(ListQuery);
    }
    std::vector<Text> row(int r) const
    {
        std::vector<Text> cells;
        for (int c = 0; c < JobTable::kColumnCount; ++c) cells.push_back(table.cellText(r, c));
        return cells;
    }
};

TEST_F(ListCrawlTest, ZeroPagesLogsOneLineAndRequestsOnce)
{
    crawl("none");
    EXPECT_EQ(host.log, std::vector<Text>{gbk("该关键词在山东省可爬取：0页")});
    EXPECT_EQ(site_->requests(), std::vector<std::string>{received("none", 1)});
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_TRUE(host.delays.empty());
}

TEST_F(ListCrawlTest, OnePageIsRequestedTwice)
{
    crawl("default");
    EXPECT_EQ(host.log, (std::vector<Text>{gbk("该关键词在山东省可爬取：1页"), gbk("第1页 数据：1 合计：1"),
                                           gbk("开始爬取：第1页 剩余：0秒")}));
    EXPECT_EQ(site_->requests(), (std::vector<std::string>{received("default", 1), received("default", 1)}));
    EXPECT_EQ(host.delays, std::vector<int>{3000});
    EXPECT_EQ(table.rowCount(), 1);
}

TEST_F(ListCrawlTest, EveryPageAppendsItsPostingsWithAPauseAfterEach)
{
    crawl("java");
    EXPECT_EQ(host.log, (std::vector<Text>{
                            gbk("该关键词在山东省可爬取：3页"),
                            gbk("第1页 数据：2 合计：2"), gbk("开始爬取：第1页 剩余：10秒"),
                            gbk("第2页 数据：2 合计：4"), gbk("开始爬取：第2页 剩余：5秒"),
                            gbk("第3页 数据：1 合计：5"), gbk("开始爬取：第3页 剩余：0秒"),
                        }));
    EXPECT_EQ(site_->requests(), (std::vector<std::string>{received("java", 1), received("java", 1),
                                                           received("java", 2), received("java", 3)}));
    EXPECT_EQ(host.delays, (std::vector<int>{3000, 3000, 3000}));
    ASSERT_EQ(table.rowCount(), 5);

    // Seven cells from the posting's markup, exactly as captured; the detail cells stay empty.
    std::vector<Text> first(JobTable::kColumnCount);
    first[JobColumn::publishDate] = "11-20";
    first[JobColumn::salary] = gbk("1-1.5万/月");
    first[JobColumn::companyName] = gbk("山东浪潮软件有限公司");
    first[JobColumn::workCity] = gbk("济南-历下区");
    first[JobColumn::pageUrl] = site_->url("/job/full.html");
    first[JobColumn::companyUrl] = "https://jobs.51job.com/all/co1.html";
    first[JobColumn::jobTitle] = gbk("Java开发工程师");
    EXPECT_EQ(row(0), first);

    // Page order, then match order within a page.
    EXPECT_EQ(table.cellText(1, JobColumn::jobTitle), gbk("Java后端开发"));
    EXPECT_EQ(table.cellText(2, JobColumn::jobTitle), gbk("Java实习生"));
    EXPECT_EQ(table.cellText(4, JobColumn::jobTitle), gbk("Java讲师"));

    // An empty "t4" span: the salary is empty, the row is there all the same.
    EXPECT_EQ(table.cellText(2, JobColumn::salary), "");
    EXPECT_EQ(table.cellText(2, JobColumn::workCity), gbk("烟台"));
    EXPECT_EQ(table.cellText(2, JobColumn::publishDate), "11-18");
}

TEST_F(ListCrawlTest, NearMissMarkupYieldsNoRows)
{
    // Page 1 has LF line ends, page 2 a tab for blanks, page 3 an extra attribute.
    crawl("nearmiss");
    EXPECT_EQ(host.log, (std::vector<Text>{
                            gbk("该关键词在山东省可爬取：3页"),
                            gbk("第1页 数据：0 合计：0"), gbk("开始爬取：第1页 剩余：10秒"),
                            gbk("第2页 数据：0 合计：0"), gbk("开始爬取：第2页 剩余：5秒"),
                            gbk("第3页 数据：0 合计：0"), gbk("开始爬取：第3页 剩余：0秒"),
                        }));
    EXPECT_EQ(table.rowCount(), 0);
}

TEST_F(ListCrawlTest, SiteReceivesEveryByteOfTheKeyword)
{
    // None of these names a scenario folder, so each gets the one-page result.
    for (const Text& keyword : {gbk("a b,c#中文"), gbk("100% 工程师"), gbk(""), gbk("c++&x=1?y")}) {
        SCOPED_TRACE(keyword);
        site_->clearRequests();
        host.log.clear();
        crawl(keyword);
        EXPECT_EQ(site_->requests(), (std::vector<std::string>{received(keyword, 1), received(keyword, 1)}));
        EXPECT_EQ(host.log.size(), 3u);
    }
}

TEST_F(ListCrawlTest, KeywordIsReadAfreshForEveryPage)
{
    host.onPump = [](FakeHost& h) {
        if (h.log.size() == 3) h.keywordText = "python";  // after page 1's progress line
    };
    crawl("java");
    EXPECT_EQ(site_->requests(), (std::vector<std::string>{received("java", 1), received("java", 1),
                                                           received("python", 2), received("python", 3)}));
    // The page count stays that of the first keyword.
    EXPECT_EQ(host.log.size(), 7u);
}

TEST_F(ListCrawlTest, TwoCrawlsAppend)
{
    crawl("default");
    crawl("default");
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(row(0), row(1));
    EXPECT_EQ(host.log.at(4), gbk("第1页 数据：1 合计：2"));
}

TEST_F(ListCrawlTest, APageCountBeyondIntIsTheLargestIntAndItsSecondsDoNotWrap)
{
    // The site claims 99999999999 pages; stop once page 1's progress line is out.
    host.onPump = [](FakeHost& h) {
        if (h.log.size() == 3) h.stop = true;
    };
    crawl("huge");
    EXPECT_EQ(host.log, (std::vector<Text>{gbk("该关键词在山东省可爬取：2147483647页"), gbk("第1页 数据：1 合计：1"),
                                           gbk("开始爬取：第1页 剩余：10737418230秒"), gbk("已停止")}));
    EXPECT_EQ(site_->requests().size(), 2u);
}

TEST_F(ListCrawlTest, FailedRequestIsLoggedBeforeTheCrawlsLine)
{
    crawl("missing");
    EXPECT_EQ(host.log, (std::vector<Text>{gbk("请求失败：404 Not Found"), gbk("该关键词在山东省可爬取：0页")}));
}

TEST_F(ListCrawlTest, RefusedConnectionIsLogged)
{
    host.keywordText = "java";
    crawlList(host, table, "127.0.0.1:1");
    EXPECT_EQ(host.log, (std::vector<Text>{gbk("请求失败：711 发送请求失败!"), gbk("该关键词在山东省可爬取：0页")}));
}

TEST_F(ListCrawlTest, StopDuringARequestKeepsEarlierRowsAndAddsNone)
{
    // Page 2 of "slow" answers late; stop is pressed once the site has its request.
    host.onPump = [](FakeHost& h) {
        if (site_->requests().size() == 3) h.stop = true;
    };
    crawl("slow");
    EXPECT_EQ(host.log, (std::vector<Text>{gbk("该关键词在山东省可爬取：2页"), gbk("第1页 数据：1 合计：1"),
                                           gbk("开始爬取：第1页 剩余：5秒"), gbk("已停止")}));
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(table.cellText(0, JobColumn::jobTitle), gbk("Java运维"));
    EXPECT_EQ(site_->requests().size(), 3u);
    EXPECT_EQ(host.delays, std::vector<int>{3000});
}

TEST_F(ListCrawlTest, StopDuringAPauseEndsTheCrawl)
{
    host.onPump = [](FakeHost& h) {
        if (!h.delays.empty()) h.stop = true;
    };
    crawl("java");
    EXPECT_EQ(host.log, (std::vector<Text>{gbk("该关键词在山东省可爬取：3页"), gbk("第1页 数据：2 合计：2"),
                                           gbk("已停止")}));
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_EQ(site_->requests().size(), 2u);
}

}  // namespace
