#pragma once
// Conversions between GBK (code page 936) and UTF-16 / UTF-8.
//
// A character with no GBK form becomes "?"; bytes that are not valid GBK never stop a
// conversion (each becomes U+FFFD on the way to UTF-16). Conversions happen at the edges only:
// the regex engine, the HTTP layer, the widgets and file names on disk.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"

namespace text {

std::u16string toUtf16(std::string_view gbk);
// For callers that map UTF-16 positions back to GBK bytes (the regex matcher): decodes into
// out, reusing its storage, and stores in checkpoints the 0-based offset of the first GBK byte
// of every unit whose index is a multiple of kUtf16CheckpointStride. From the checkpoint before
// a unit, gbkUnitBytes steps to the unit itself: every unit comes from 1 or 2 bytes.
constexpr size_t kUtf16CheckpointStride = 32;
void toUtf16(std::string_view gbk, std::u16string& out, std::vector<uint32_t>& checkpoints);
// How many bytes of gbk, from byte offset i (< gbk.size()), make up one UTF-16 unit.
size_t gbkUnitBytes(std::string_view gbk, size_t i);
Text fromUtf16(std::u16string_view utf16);  // stops at the first NUL character

std::string toUtf8(std::string_view gbk);
Text fromUtf8(std::string_view utf8);

}  // namespace text
