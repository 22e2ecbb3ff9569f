#pragma once
// Whole-file reading and writing. Paths are UTF-8 file-system paths.

#include <functional>
#include <string>
#include <string_view>

#include "text/text.h"

// All bytes of a plain file; no bytes when it cannot be opened or read (or is no plain file:
// a FIFO or a device never blocks the caller).
Bytes readWholeFile(const std::string& path);
// The same bytes handed to take a piece at a time, in order, until the file ends or take
// returns false. False when the file cannot be opened or a read fails (take may have been
// given pieces by then).
bool readFileInPieces(const std::string& path, const std::function<bool(std::string_view piece)>& take);
// Replaces the file's content with bytes, never leaving a half-written file: the bytes go to a
// hidden temporary file in the same directory, which is synced and then renamed over the
// target (through a symbolic link, over the file it names; an existing file keeps its mode).
// False when the path is empty or holds a zero byte, the directory does not exist, the target
// is not a plain file or may not be written, or any step fails; the old file is then untouched and no temporary file
// is left. Never creates directories.
bool writeWholeFile(const std::string& path, const Bytes& bytes);
// The same for content made piece by piece, so that a large file never has to be held whole:
// produce(out) appends the next piece to out (emptied before each call) and returns false once
// it has appended the last one.
bool writeWholeFile(const std::string& path, const std::function<bool(Bytes& out)>& produce);
