#pragma once
// Where the data files live, and which of them the file list shows.
//
// The data directory is "data" beside the program when that can be created and written. An
// installed program's directory usually cannot be written, so the user's data location for this
// program + "/data" is used then. Paths are UTF-8, without a trailing slash.

#include <string>

#include <QStringList>

// Creates the directory and every missing parent. True when it exists afterwards; a failure is
// only this result, never a message.
bool ensureDirectory(const std::string& path);

// runDirectory + "/data" if it exists or can be created and a file can be created in it;
// otherwise the per-user data location + "/data", created if missing.
std::string chooseDataDirectory(const std::string& runDirectory);

// Names of the plain files in the directory, sorted by name; directories and dot-files are left
// out. Nothing for a missing directory; "" means the current directory.
QStringList listPlainFiles(const std::string& directory);
