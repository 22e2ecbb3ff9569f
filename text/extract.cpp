#include "text/extract.h"

namespace text {
namespace {

// Callers write a double quote inside a textBetween marker as "#引号" (GBK bytes below).
const Text kQuoteEscape = "#\xD2\xFD\xBA\xC5";
const Text kDoubleQuote = "\"";

}  // namespace

Text textBefore(const Text& t, const Text& marker, int start, bool ignoreCase) {
    if (start <= 0) start = 1;
    const int p = find(t, marker, start, ignoreCase);
    if (p < 0) return Text();
    return left(t, p - 1);
}

Text textAfter(const Text& t, const Text& marker, int limit, bool ignoreCase) {
    if (limit < 0) limit = length(t) + 1;
    const int p = findReverse(t, marker, limit, ignoreCase);
    if (p < 0) return Text();
    return right(t, length(t) - length(marker) - p + 1);
}

Text textBetween(const Text& t, const Text& leftMarker, const Text& rightMarker, int start,
                 bool ignoreCase) {
    const Text leftM = replace(leftMarker, kQuoteEscape, kDoubleQuote, 1, -1, true);
    const Text rightM = replace(rightMarker, kQuoteEscape, kDoubleQuote, 1, -1, true);
    const int found = find(t, leftM, start, ignoreCase);
    if (found < 0) return Text();
    const int p = found + length(leftM);
    const int q = find(t, rightM, p, ignoreCase);
    if (q < 0) return Text();
    return mid(t, p, q - p);
}

int compareText(const Text& a, const Text& b) {
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace text
