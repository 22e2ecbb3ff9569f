// The crawls' fixed patterns and address pieces, byte for byte.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crawler/detail_crawl.h"
#include "crawler/list_crawl.h"
#include "tests/support/fake_host.h"
#include "text/regex_matcher.h"

namespace {

std::vector<std::string> crlfLines(std::string_view s)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = s.find("\r\n", start);
        lines.emplace_back(s.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return lines;
        start = end + 2;
    }
}

std::size_t leadingBlanks(const std::string& line)
{
    const std::size_t n = line.find_first_not_of(' ');
    return n == std::string::npos ? line.size() : n;
}

struct MultiLinePattern {
    const char* name;
    std::string_view pattern;
    std::size_t bytes;
    std::vector<std::size_t> blanks;  // leading blanks of each CR LF line
};
// Test listings name a case by its name.
void PrintTo(const MultiLinePattern& c, std::ostream* os) { *os << c.name; }

class MultiLinePatternTest : public testing::TestWithParam<MultiLinePattern> {};

TEST_P(MultiLinePatternTest, HasItsLengthLinesAndBlankRuns)
{
    const MultiLinePattern& p = GetParam();
    EXPECT_EQ(p.pattern.size(), p.bytes);
    EXPECT_EQ(p.pattern.find('\t'), std::string_view::npos);
    const std::vector<std::string> lines = crlfLines(p.pattern);
    ASSERT_EQ(lines.size(), p.blanks.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE("line " + std::to_string(i + 1));
        EXPECT_EQ(leadingBlanks(lines[i]), p.blanks[i]);
        // No bare CR or LF: lines are joined by CR LF only, and nothing follows the last line.
        EXPECT_EQ(lines[i].find_first_of("\r\n"), std::string::npos);
        EXPECT_FALSE(lines[i].empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Crawler, MultiLinePatternTest,
    testing::Values(MultiLinePattern{"ListItemPattern", ListItemPattern, 435, {1, 16, 20, 12, 68, 8, 8, 8, 8}},
                    MultiLinePattern{"IndustryPattern", IndustryPattern, 168, {0, 16, 36, 28}},
                    MultiLinePattern{"CompanySizePattern", CompanySizePattern, 71, {0}},
                    MultiLinePattern{"CompanyTypePattern", CompanyTypePattern, 65, {0}},
                    MultiLinePattern{"SummaryPattern", SummaryPattern, 42, {0}}),
    [](const testing::TestParamInfo<MultiLinePattern>& info) { return std::string(info.param.name); });

TEST(ListItemPatternTest, LinesReadAsTheResultPageMarkup)
{
    const std::vector<std::string> lines = crlfLines(ListItemPattern);
    ASSERT_EQ(lines.size(), 9u);
    const std::vector<std::string> expected = {
        " <span>",
        std::string(16, ' ') + "<a target=\"_blank\" title=\"(.*?)\" href=\"(.*?)\"  onmousedown=\"\">",
        std::string(20, ' ') + "(.*?)" + std::string(16, ' ') + "</a>",
        std::string(12, ' ') + "</span>",
        std::string(68, ' ') + "</p>",
        std::string(8, ' ') + "<span class=\"t2\"><a target=\"_blank\" title=\"(.*?)\" href=\"(.*?)\">(.*?)</a></span>",
        std::string(8, ' ') + "<span class=\"t3\">(.*?)</span>",
        std::string(8, ' ') + "<span class=\"t4\">(.*?)</span>",
        std::string(8, ' ') + "<span class=\"t5\">(.*?)</span>",
    };
    EXPECT_EQ(lines, expected);
}

TEST(DetailPatternsTest, ReadAsThePostingPageMarkup)
{
    EXPECT_EQ(Text(CompanySizePattern),
              gbk("<p class=\"at\" title=\"(.*?)人\"><span class=\"i_people\"></span>(.*?)人</p>"));
    EXPECT_EQ(Text(CompanyTypePattern),
              "<p class=\"at\" title=\"(.*?)\"><span class=\"i_flag\"></span>(.*?)</p>");
    EXPECT_EQ(Text(SummaryPattern), "<p class=\"msg ltype\" title=\"(.*?)\">.*?</p>");
    EXPECT_EQ(crlfLines(IndustryPattern),
              (std::vector<std::string>{"<p class=\"at\" title=\"(.*?)\">",
                                        std::string(16, ' ') + "<span class=\"i_trade\"></span>",
                                        std::string(36, ' ') + "<a href=\".*?\">.*?</a>",
                                        std::string(28, ' ') + "</p>"}));
}

TEST(ListAddressTest, IsHostPrefixKeywordPageAndQuery)
{
    EXPECT_EQ(std::string(SiteSearchHost), "search.51job.com");
    EXPECT_EQ(ListPathPrefix, "/list/120000,000000,0000,00,9,99,");
    EXPECT_EQ(ListQuery,
              ".html?lang=c&postchannel=0000&workyear=99&cotype=99&degreefrom=99&jobterm=99"
              "&companysize=99&ord_field=0&dibiaoid=0&line=&welfare=");
    EXPECT_EQ(Text(PageCountPattern), gbk("共(\\d+)页"));
    EXPECT_EQ(ListPageDelayMs, 3000);
    EXPECT_EQ(SecondsPerPage, 5);
    EXPECT_EQ(listPageAddress(SiteSearchHost, gbk("java 工程师"), "12"),
              gbk("https://search.51job.com/list/120000,000000,0000,00,9,99,java 工程师,2,12"
                  ".html?lang=c&postchannel=0000&workyear=99&cotype=99&degreefrom=99&jobterm=99"
                  "&companysize=99&ord_field=0&dibiaoid=0&line=&welfare="));
    EXPECT_EQ(listPageAddress("127.0.0.1:8443", "", "1"),
              "https://127.0.0.1:8443/list/120000,000000,0000,00,9,99,,2,1" + std::string(ListQuery));
}

TEST(ListItemPatternTest, HasNineGroups)
{
    RegexMatcher matcher;
    Text posting(ListItemPattern);
    // Fill every group with a word: the pattern then matches its own filled-in form.
    for (std::size_t at; (at = posting.find("(.*?)")) != Text::npos;) posting.replace(at, 5, "x");
    for (std::size_t at; (at = posting.find(".*?")) != Text::npos;) posting.replace(at, 3, "y");
    ASSERT_TRUE(matcher.execute(Text(ListItemPattern), posting));
    EXPECT_EQ(matcher.matchCount(), 1);
    EXPECT_EQ(matcher.groupCount(), 9);
}

}  // namespace
