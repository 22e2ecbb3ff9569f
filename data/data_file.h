#pragma once
// The data-file format and the save and load jobs.
//
// A data file is the table's cells as GBK bytes, each cell followed by "<?nr.#p>", each row
// followed by "<?h.#p>", and nothing else.

#include <string>

#include "data/host.h"
#include "data/job_table.h"

extern const char* const CellTerminator;  // "<?nr.#p>"
extern const char* const RowTerminator;   // "<?h.#p>"

// The data-file text of the whole table. Cells are written raw, so it reads back exactly unless
// a cell holds a terminator or ends in the lead byte of an unfinished two-byte character (which
// then swallows the "<" of the terminator after it).
Text serializeJobTable(const JobTable& table);
// Replaces every row of the table by the rows of a data-file text.
void fillJobTable(JobTable& table, const Text& fileText);

// SaveButton: asks for a name and writes the table to <data directory>/<name>.txt, reporting
// "保存成功" or "保存失败".
void saveDataFile(Host& host, const JobTable& table);
// A DataFileList entry chosen: reads directory/chosenFile (UTF-8) into the table.
void loadChosenDataFile(JobTable& table, const std::string& directory, const std::string& chosenFile);
