#pragma once
// Whole-file reading and writing. Paths are UTF-8 file-system paths.

#include <functional>
#include <string>

#include "text/text.h"

// All bytes of the file; no bytes when it cannot be opened or read.
Bytes readWholeFile(const std::string& path);
// Replaces the file's content with bytes, never leaving a half-written file: the bytes go to a
// temporary file in the same directory, which is then renamed over the target. False when the
// path is empty, the directory does not exist or any step fails; the old file is then untouched
// and no temporary file is left. Never creates directories.
bool writeWholeFile(const std::string& path, const Bytes& bytes);
// The same for content made piece by piece, so that a large file never has to be held whole:
// produce(out) appends the next piece to out (emptied before each call) and returns false once
// it has appended the last one.
bool writeWholeFile(const std::string& path, const std::function<bool(Bytes& out)>& produce);
