#pragma once
// CSV export: the header line of the 13 column titles, then one line per row, GBK, lines
// separated by CR LF (none after the last row), fields quoted as RFC 4180 wants. A cell that a
// spreadsheet would run as a formula (starting with =, +, - or @ and not a plain number) gets an
// apostrophe in front.

#include "data/host.h"
#include "data/job_table.h"

Text buildCsvText(const JobTable& table);
// ExportCsvButton: asks for a path in the save dialog and writes the CSV file there.
void exportCsv(Host& host, const JobTable& table);
