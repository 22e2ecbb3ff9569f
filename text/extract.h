#pragma once
// Marker-based cutting of texts and the byte-wise comparison every caller uses.

#include "text/text.h"

namespace text {

// What stands before the first marker found at or after start; "" when not found. The result
// always begins at the first byte of the text.
Text textBefore(const Text& t, const Text& marker, int start = 1, bool ignoreCase = false);
// What stands after the last marker lying wholly before limit (limit < 0: length + 1).
Text textAfter(const Text& t, const Text& marker, int limit = -1, bool ignoreCase = false);
// What stands between the first left marker (at or after start) and the next right marker.
// "#引号" in either marker stands for a double quote.
Text textBetween(const Text& t, const Text& leftMarker, const Text& rightMarker, int start = 1,
                 bool ignoreCase = false);
// Unsigned byte-wise comparison: negative, zero or positive.
int compareText(const Text& a, const Text& b);

}  // namespace text
