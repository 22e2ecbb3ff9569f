#pragma once
// The list crawl: every search-result page of the keyword, one row per posting.
//
// Pages are fetched one after another with a pause after each; the keyword is read from the
// host afresh for every page. A failed request is an empty page (no rows); its status text is
// logged as "请求失败：<status>". When the host asks to stop, nothing more is written to the table
// and "已停止" ends the log of the crawl.

#include <string>
#include <string_view>

#include "data/host.h"
#include "data/job_table.h"

// The site's search host. Tests pass their local server ("127.0.0.1:port") instead.
extern const char* const SiteSearchHost;  // "search.51job.com"

// Pieces of a result-page address: "https://" + host + ListPathPrefix + keyword + ",2," + page +
// ListQuery.
extern const std::string_view ListPathPrefix;
extern const std::string_view ListQuery;
// Group 1 of the first match on page 1 is the number of result pages (GBK bytes).
extern const std::string_view PageCountPattern;
// One match per posting on a result page: nine lines joined by CR LF, 435 bytes.
extern const std::string_view ListItemPattern;
// Pause after each result page, and the seconds per remaining page in the progress line.
extern const int ListPageDelayMs;
extern const int SecondsPerPage;

// The address of one result page.
Text listPageAddress(const std::string& searchHost, const Text& keyword, const Text& pageNumber);

// CrawlListButton: reads the page count, then crawls every page with a pause after each.
void crawlList(Host& host, JobTable& table, const std::string& searchHost);
// One result page (page number as decimal text): appends a row per posting, logs the count.
// Writes nothing when the host asks to stop during the request.
void crawlListPage(Host& host, JobTable& table, const std::string& searchHost, const Text& pageNumber);
