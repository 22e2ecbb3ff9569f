#include "crawler/list_crawl.h"

#include "crawler/fetch_page.h"
#include "text/gbk_codec.h"
#include "text/regex_matcher.h"

const char* const SiteSearchHost = "search.51job.com";

namespace {

constexpr std::string_view kScheme = "https://";
// Region 120000 (Shandong); the keyword and ",2," + page number follow.
constexpr std::string_view kListPathPrefix = "/list/120000,000000,0000,00,9,99,";
constexpr std::string_view kPageSeparator = ",2,";
constexpr std::string_view kListQuery =
    ".html?lang=c&postchannel=0000&workyear=99&cotype=99&degreefrom=99&jobterm=99&companysize=99"
    "&ord_field=0&dibiaoid=0&line=&welfare=";

// "共(\d+)页" in GBK.
constexpr std::string_view kPageCountPattern = "\xB9\xB2" "(\\d+)" "\xD2\xB3";

// The markup of one posting on a result page, line by line. Blank runs are part of the markup:
// 1, 16, 20 (and 16 before "</a>"), 12, 68, 8, 8, 8 and 8 blanks open the nine lines.
constexpr std::string_view kListItemPattern =
    " <span>\r\n"
    "                <a target=\"_blank\" title=\"(.*?)\" href=\"(.*?)\"  onmousedown=\"\">\r\n"
    "                    (.*?)                </a>\r\n"
    "            </span>\r\n"
    "                                                                    </p>\r\n"
    "        <span class=\"t2\"><a target=\"_blank\" title=\"(.*?)\" href=\"(.*?)\">(.*?)</a></span>\r\n"
    "        <span class=\"t3\">(.*?)</span>\r\n"
    "        <span class=\"t4\">(.*?)</span>\r\n"
    "        <span class=\"t5\">(.*?)</span>";
static_assert(kListItemPattern.size() == 435, "the posting markup is 435 bytes");

// Which group of ListItemPattern goes to which cell, in the order the cells are written.
struct GroupCell {
    int group;
    int column;
};
constexpr GroupCell kListCells[] = {
    {1, JobColumn::jobTitle},  {2, JobColumn::pageUrl},  {4, JobColumn::companyName},
    {5, JobColumn::companyUrl}, {7, JobColumn::workCity}, {8, JobColumn::salary},
    {9, JobColumn::publishDate},
};

// Log texts (GBK), made once.
struct ListLogTexts {
    Text pageCount = text::fromUtf8("该关键词在山东省可爬取：");
    Text pageUnit = text::fromUtf8("页");
    Text pageData = text::fromUtf8("第");
    Text pageDataCount = text::fromUtf8("页 数据：");
    Text pageDataTotal = text::fromUtf8(" 合计：");
    Text progress = text::fromUtf8("开始爬取：第");
    Text progressRemaining = text::fromUtf8("页 剩余：");
    Text seconds = text::fromUtf8("秒");
};

const ListLogTexts& logTexts()
{
    static const ListLogTexts texts;
    return texts;
}

}  // namespace

const std::string_view ListPathPrefix = kListPathPrefix;
const std::string_view ListQuery = kListQuery;
const std::string_view PageCountPattern = kPageCountPattern;
const std::string_view ListItemPattern = kListItemPattern;
const int ListPageDelayMs = 3000;
const int SecondsPerPage = 5;

Text listPageAddress(const std::string& searchHost, const Text& keyword, const Text& pageNumber)
{
    Text address;
    address.reserve(kScheme.size() + searchHost.size() + ListPathPrefix.size() + keyword.size() +
                    kPageSeparator.size() + pageNumber.size() + ListQuery.size());
    address += kScheme;
    address += searchHost;
    address += ListPathPrefix;
    address += keyword;  // as typed: the request layer encodes what cannot travel raw
    address += kPageSeparator;
    address += pageNumber;
    address += ListQuery;
    return address;
}

void crawlList(Host& host, JobTable& table, const std::string& searchHost)
{
    const ListLogTexts& log = logTexts();
    RegexMatcher matcher;

    const Text first = fetchPage(host, listPageAddress(searchHost, host.keyword(), text::toText(1)));
    if (crawlStopped(host)) return;
    matcher.execute(Text(PageCountPattern), first);
    const int pages = text::toInt(matcher.groupText(1, 1));
    host.appendLog(log.pageCount + text::toText(pages) + log.pageUnit);

    // Counted so that the last page number may be INT_MAX (a page may claim any count).
    for (int done = 0; done < pages; ++done) {
        const int i = done + 1;
        host.processPendingMessages();
        if (crawlStopped(host)) return;
        crawlListPage(host, table, searchHost, text::toText(i));
        if (crawlStopped(host)) return;
        host.delayProcessingMessages(ListPageDelayMs);
        if (crawlStopped(host)) return;
        const double remaining = static_cast<double>(pages - i) * SecondsPerPage;
        host.appendLog(log.progress + text::toText(i) + log.progressRemaining +
                       text::toText(remaining) + log.seconds);
    }
}

void crawlListPage(Host& host, JobTable& table, const std::string& searchHost, const Text& pageNumber)
{
    const ListLogTexts& log = logTexts();
    RegexMatcher matcher;

    const Text page = fetchPage(host, listPageAddress(searchHost, host.keyword(), pageNumber));
    if (host.stopRequested()) return;
    matcher.execute(Text(ListItemPattern), page);
    const int count = matcher.matchCount();
    {
        JobTable::Batch batch(table);
        for (int j = 1; j <= count; ++j) {
            const int row = table.insertRow();
            for (const GroupCell& cell : kListCells)
                table.setCellText(row, cell.column, matcher.groupText(j, cell.group));
        }
    }
    host.appendLog(log.pageData + pageNumber + log.pageDataCount + text::toText(count) +
                   log.pageDataTotal + text::toText(table.rowCount()));
}
