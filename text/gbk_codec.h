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
// The same, and for every UTF-16 unit the 0-based offset of its first GBK byte, plus one
// closing entry holding gbk.size() (so byteOffsets has result.size() + 1 entries).
std::u16string toUtf16(std::string_view gbk, std::vector<uint32_t>& byteOffsets);
Text fromUtf16(std::u16string_view utf16);  // stops at the first NUL character

std::string toUtf8(std::string_view gbk);
Text fromUtf8(std::string_view utf8);

}  // namespace text
