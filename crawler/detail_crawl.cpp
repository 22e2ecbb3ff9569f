#include "crawler/detail_crawl.h"

#include <vector>

#include "crawler/fetch_page.h"
#include "text/gbk_codec.h"
#include "text/regex_matcher.h"

namespace {

// "人" is 0xC8 0xCB in GBK.
constexpr std::string_view kCompanySizePattern =
    "<p class=\"at\" title=\"(.*?)\xC8\xCB\"><span class=\"i_people\"></span>(.*?)\xC8\xCB</p>";
constexpr std::string_view kCompanyTypePattern =
    "<p class=\"at\" title=\"(.*?)\"><span class=\"i_flag\"></span>(.*?)</p>";
// Four lines opened by 0, 16, 36 and 28 blanks.
constexpr std::string_view kIndustryPattern =
    "<p class=\"at\" title=\"(.*?)\">\r\n"
    "                <span class=\"i_trade\"></span>\r\n"
    "                                    <a href=\".*?\">.*?</a>\r\n"
    "                            </p>";
constexpr std::string_view kSummaryPattern = "<p class=\"msg ltype\" title=\"(.*?)\">.*?</p>";
static_assert(kCompanySizePattern.size() == 71, "company size pattern");
static_assert(kCompanyTypePattern.size() == 65, "company type pattern");
static_assert(kIndustryPattern.size() == 168, "industry pattern");
static_assert(kSummaryPattern.size() == 42, "summary pattern");

// The summary line: "|" between five parts; parts 2, 3 and 4 (1-based) are experience,
// education and headcount, padded with "&nbsp;".
constexpr char kSummarySeparator[] = "|";
constexpr int kSummaryParts = 5;
constexpr char kNoBreakSpace[] = "&nbsp;";

struct DetailLogTexts {
    Text crawling = text::fromUtf8("正在爬取：");
    Text details = text::fromUtf8("条详情");
};

const DetailLogTexts& logTexts()
{
    static const DetailLogTexts texts;
    return texts;
}

Text firstGroup(RegexMatcher& matcher, std::string_view pattern, const Text& page)
{
    matcher.execute(Text(pattern), page);
    return matcher.groupText(1, 1);
}

Text summaryPart(const std::vector<Text>& parts, int index)
{
    return text::replace(parts[index - 1], kNoBreakSpace, Text());
}

}  // namespace

const std::string_view CompanySizePattern = kCompanySizePattern;
const std::string_view CompanyTypePattern = kCompanyTypePattern;
const std::string_view IndustryPattern = kIndustryPattern;
const std::string_view SummaryPattern = kSummaryPattern;

void crawlDetails(Host& host, JobTable& table)
{
    const DetailLogTexts& log = logTexts();
    const int rows = table.rowCount();
    for (int i = 1; i <= rows; ++i) {
        crawlDetailRow(host, table, i - 1);
        if (crawlStopped(host)) return;
        host.appendLog(log.crawling + text::toText(i) + log.details);
        host.reportProgress(i, rows);
    }
}

void crawlDetailRow(Host& host, JobTable& table, int row)
{
    const Text page = fetchPage(host, table.cellText(row, JobColumn::pageUrl));
    // A row whose request was abandoned keeps what it held.
    if (host.stopRequested()) return;
    writeDetailCells(table, row, page);
}

void writeDetailCells(JobTable& table, int row, const Text& page)
{
    RegexMatcher matcher;
    const Text size = firstGroup(matcher, CompanySizePattern, page);
    const Text type = firstGroup(matcher, CompanyTypePattern, page);
    const Text industry = firstGroup(matcher, IndustryPattern, page);
    const Text summary = firstGroup(matcher, SummaryPattern, page);

    Text headcount;
    Text education;
    Text experience;
    const std::vector<Text> parts = text::split(summary, kSummarySeparator);
    if (static_cast<int>(parts.size()) == kSummaryParts) {
        headcount = summaryPart(parts, 4);
        experience = summaryPart(parts, 2);
        education = summaryPart(parts, 3);
    }

    JobTable::Batch batch(table);
    table.setCellText(row, JobColumn::companySize, size);
    table.setCellText(row, JobColumn::education, education);
    table.setCellText(row, JobColumn::companyType, type);
    table.setCellText(row, JobColumn::industry, industry);
    table.setCellText(row, JobColumn::headcount, headcount);
    table.setCellText(row, JobColumn::experience, experience);
}
