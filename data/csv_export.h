#pragma once
// CSV export: the header line of the 13 column titles, then one line per row, GBK, lines
// separated by CR LF, fields quoted as RFC 4180 wants.

#include "data/host.h"
#include "data/job_table.h"

Text buildCsvText(const JobTable& table);
// ExportCsvButton: asks for a path in the save dialog and writes the CSV file there.
void exportCsv(Host& host, const JobTable& table);
