#pragma once
// Data cleaning: normalises the crawled cells in place (one monthly salary figure, defaults,
// cities, experience, industries, headcounts, job titles) and deletes unusable rows, then logs
// "数据清洗后剩余条数：" and the rows left.

#include "data/host.h"
#include "data/job_table.h"

void cleanJobTable(Host& host, JobTable& table);
