#pragma once
// The detail crawl: requests every row's posting page and fills six cells from it.

#include "data/host.h"
#include "data/job_table.h"

// CrawlDetailsButton.
void crawlDetails(Host& host, JobTable& table);
// One row (0-based index).
void crawlDetailRow(Host& host, JobTable& table, int row);
