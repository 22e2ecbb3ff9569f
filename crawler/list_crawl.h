#pragma once
// The list crawl: every search-result page of the keyword, one row per posting.

#include <string>

#include "data/host.h"
#include "data/job_table.h"

// The site's search host. Tests pass their local server ("127.0.0.1:port") instead.
extern const char* const SiteSearchHost;  // "search.51job.com"

// CrawlListButton: reads the page count, then crawls every page with a pause after each.
void crawlList(Host& host, JobTable& table, const std::string& searchHost);
// One result page (page number as decimal text): appends a row per posting, logs the count.
void crawlListPage(Host& host, JobTable& table, const std::string& searchHost, const Text& pageNumber);
