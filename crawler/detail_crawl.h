#pragma once
// The detail crawl: requests every row's posting page and fills six cells from it.
//
// The rows present when the crawl starts are visited in order, each with one request; cells that
// a page lacks become empty. A failed request logs "请求失败：<status>" before the row's line.
// When the host asks to stop, the row in flight keeps its cells, nothing more is written and
// "已停止" ends the log of the crawl.

#include <string_view>

#include "data/host.h"
#include "data/job_table.h"

// Group 1 of the first match of each is the value (GBK bytes).
extern const std::string_view CompanySizePattern;  // 71 bytes
extern const std::string_view CompanyTypePattern;  // 65 bytes
extern const std::string_view IndustryPattern;     // 168 bytes, four lines joined by CR LF
extern const std::string_view SummaryPattern;      // 42 bytes

// CrawlDetailsButton.
void crawlDetails(Host& host, JobTable& table);
// One row (0-based index).
void crawlDetailRow(Host& host, JobTable& table, int row);
// The work on a fetched posting page: scrapes it and writes the six cells of the row.
void writeDetailCells(JobTable& table, int row, const Text& page);
