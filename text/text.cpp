#include "text/text.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace text {
namespace {

// A byte of 0x80 or more leads a two-byte character (unless it is the very last byte).
inline bool isLeadByte(unsigned char c) { return c >= 0x80; }

inline size_t charWidth(const char* p, size_t i, size_t n) {
    return (isLeadByte(static_cast<unsigned char>(p[i])) && i + 1 < n) ? 2 : 1;
}

inline unsigned char foldAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Whether s occurs in t at byte offset i (i is the first byte of a character). Letters of
// single-byte characters are folded when ignoreCase; the bytes of two-byte characters always
// compare exactly.
bool matchesAt(std::string_view t, size_t i, std::string_view s, bool ignoreCase) {
    if (i + s.size() > t.size()) return false;
    if (!ignoreCase) return std::memcmp(t.data() + i, s.data(), s.size()) == 0;
    size_t k = 0;
    while (k < s.size()) {
        const auto a = static_cast<unsigned char>(t[i + k]);
        const auto b = static_cast<unsigned char>(s[k]);
        if (isLeadByte(b) && k + 1 < s.size()) {
            if (a != b || t[i + k + 1] != s[k + 1]) return false;
            k += 2;
        } else {
            if (foldAscii(a) != foldAscii(b)) return false;
            ++k;
        }
    }
    return true;
}

// 0-based offset of the first s in t starting at a character boundary at or after `from`
// (0-based), or npos. s must not be empty. scanStart is a known character boundary at or before
// `from` (0 when none is known): stepping starts there, so repeated searches that resume after
// a match (replace, split) stay linear.
size_t findFrom(std::string_view t, std::string_view s, size_t from, bool ignoreCase, size_t scanStart = 0) {
    const size_t n = t.size();
    if (s.size() > n) return std::string_view::npos;
    const unsigned char first = static_cast<unsigned char>(s[0]);
    const bool quickFirst = !ignoreCase || !((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z'));
    size_t i = scanStart;
    while (i < n) {
        if (i >= from && (!quickFirst || static_cast<unsigned char>(t[i]) == first) &&
            matchesAt(t, i, s, ignoreCase))
            return i;
        i += charWidth(t.data(), i, n);
    }
    return std::string_view::npos;
}

// Full-width digits, signs, point and the like mapped to ASCII before numbers are parsed.
std::string mapFullWidth(const Text& t) {
    std::string out;
    out.reserve(t.size());
    const size_t n = t.size();
    size_t i = 0;
    while (i < n) {
        const auto c = static_cast<unsigned char>(t[i]);
        if (isLeadByte(c) && i + 1 < n) {
            const auto c2 = static_cast<unsigned char>(t[i + 1]);
            if (c == 0xA3 && c2 >= 0xA1 && c2 <= 0xFE) {
                out.push_back(static_cast<char>(c2 - 0x80));
            } else if (c == 0xA1 && c2 == 0xA1) {
                out.push_back(' ');
            } else if (c == 0xA1 && c2 == 0xAB) {
                out.push_back('~');
            } else if (c == 0xA1 && (c2 == 0xEE || c2 == 0xEF)) {
                out.push_back('*');
            } else {
                out.push_back(static_cast<char>(c));
                out.push_back(static_cast<char>(c2));
            }
            i += 2;
        } else {
            out.push_back(static_cast<char>(c));
            ++i;
        }
    }
    return out;
}

// Whether the w-byte character at p is a space (0x20) or a full-width space (0xA1 0xA1).
inline bool isBlankChar(const char* p, size_t w) {
    return w == 1 ? p[0] == ' '
                  : static_cast<unsigned char>(p[0]) == 0xA1 && static_cast<unsigned char>(p[1]) == 0xA1;
}

inline bool isSpaceByte(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Where the digits of a number in m begin: after leading white space and one sign.
size_t skipBlanksAndSign(const std::string& m, bool& negative) {
    size_t i = 0;
    while (i < m.size() && isSpaceByte(m[i])) ++i;
    if (i < m.size() && (m[i] == '+' || m[i] == '-')) negative = m[i++] == '-';
    return i;
}

// Exponents of numbers are read up to this size; any larger one means the same out-of-range
// number.
constexpr long kExponentCeiling = 1000000;

// printf's exponent has at least two digits; this system always writes three (1e+006).
Text widenExponent(const char* s) {
    Text out(s);
    const size_t e = out.find_first_of("eE");
    if (e == Text::npos || e + 1 >= out.size()) return out;
    size_t digits = e + 1;
    if (out[digits] == '+' || out[digits] == '-') ++digits;
    const size_t count = out.size() - digits;
    if (count < 3) out.insert(digits, 3 - count, '0');
    return out;
}

// "%.<precision>g" in the C locale, whatever locale the process runs in.
Text formatGeneral(double x, int precision) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof(buf) - 1, x, std::chars_format::general, precision);
    *res.ptr = '\0';
    return widenExponent(buf);
}

}  // namespace

int length(const Text& t) { return static_cast<int>(t.size()); }

Text left(const Text& t, int n) {
    if (n <= 0) return Text();
    return t.substr(0, std::min<size_t>(static_cast<size_t>(n), t.size()));
}

Text right(const Text& t, int n) {
    if (n <= 0) return Text();
    const size_t k = std::min<size_t>(static_cast<size_t>(n), t.size());
    return t.substr(t.size() - k);
}

Text mid(const Text& t, int start, int n) {
    if (start < 1 || start > length(t) || n <= 0) return Text();
    return t.substr(static_cast<size_t>(start - 1), static_cast<size_t>(n));
}

int charCode(const Text& t) { return t.empty() ? 0 : static_cast<int>(static_cast<signed char>(t[0])); }

int find(const Text& t, const Text& s, int start, bool ignoreCase) {
    const int n = length(t);
    const int from = start < 1 ? 1 : start;
    if (s.empty()) return from <= n ? 1 : -1;
    if (from > n) return -1;
    const size_t p = findFrom(t, s, static_cast<size_t>(from - 1), ignoreCase);
    return p == std::string_view::npos ? -1 : static_cast<int>(p) + 1;
}

int findReverse(const Text& t, const Text& s, int limit, bool ignoreCase) {
    const int n = length(t);
    if (limit < 0 || limit > n + 1) limit = n + 1;
    // Only bytes 1 .. limit-1 may hold the occurrence.
    const size_t end = static_cast<size_t>(limit > 0 ? limit - 1 : 0);
    if (end == 0) return -1;
    if (s.empty()) return 1;
    if (s.size() > end) return -1;
    int found = -1;
    size_t i = 0;
    while (i + s.size() <= end) {
        if (matchesAt(t, i, s, ignoreCase)) found = static_cast<int>(i) + 1;
        i += charWidth(t.data(), i, t.size());
    }
    return found;
}

Text replace(const Text& t, const Text& s, const Text& r, int start, int count, bool caseSensitive) {
    const int n = length(t);
    if (t.empty() || s.empty() || start > n || count == 0) return t;
    const size_t from = static_cast<size_t>(start < 1 ? 0 : start - 1);
    const bool ignoreCase = !caseSensitive;
    Text out;
    out.reserve(t.size());
    size_t copied = 0;  // t[0 .. copied) is already in out
    size_t pos = from;
    size_t scan = 0;  // a character boundary at or before pos
    int done = 0;
    while (count < 0 || done < count) {
        const size_t p = findFrom(t, s, pos, ignoreCase, scan);
        if (p == std::string_view::npos) break;
        out.append(t, copied, p - copied);
        out.append(r);
        copied = p + s.size();
        pos = copied;
        scan = p;
        ++done;
        if (pos >= t.size()) break;
    }
    out.append(t, copied, Text::npos);
    return out;
}

std::vector<std::string_view> splitViews(std::string_view t, std::string_view d, int count) {
    std::vector<std::string_view> parts;
    if (t.empty() || count == 0) return parts;
    if (d.empty()) {
        parts.push_back(t);
        return parts;
    }
    size_t begin = 0;
    size_t scan = 0;  // a character boundary at or before begin
    while (count < 0 || static_cast<int>(parts.size()) < count) {
        const size_t p = findFrom(t, d, begin, false, scan);
        if (p == std::string_view::npos) {
            // The part after the last separator; dropped when it is empty.
            if (begin < t.size()) parts.push_back(t.substr(begin));
            break;
        }
        parts.push_back(t.substr(begin, p - begin));
        begin = p + d.size();
        scan = p;
    }
    return parts;
}

std::vector<Text> split(const Text& t, const Text& d, int count) {
    std::vector<Text> parts;
    for (std::string_view v : splitViews(t, d, count)) parts.emplace_back(v);
    return parts;
}

Text trim(const Text& t) {
    const size_t n = t.size();
    size_t i = 0;
    size_t begin = n;     // first byte of the first non-blank character
    size_t end = 0;       // one past the last non-blank character
    while (i < n) {
        const size_t w = charWidth(t.data(), i, n);
        const bool blank = isBlankChar(t.data() + i, w);
        if (!blank) {
            if (begin == n) begin = i;
            end = i + w;
        }
        i += w;
    }
    if (begin >= end) return Text();
    return t.substr(begin, end - begin);
}

Text removeSpaces(const Text& t) {
    Text out;
    out.reserve(t.size());
    const size_t n = t.size();
    size_t i = 0;
    while (i < n) {
        const size_t w = charWidth(t.data(), i, n);
        const bool blank = isBlankChar(t.data() + i, w);
        if (!blank) out.append(t, i, w);
        i += w;
    }
    return out;
}

Text toUpper(const Text& t) {
    Text out(t);
    const size_t n = out.size();
    size_t i = 0;
    while (i < n) {
        const size_t w = charWidth(out.data(), i, n);
        if (w == 1) out[i] = static_cast<char>(foldAscii(static_cast<unsigned char>(out[i])));
        i += w;
    }
    return out;
}

bool compareIgnoringCase(const Text& a, const Text& b) {
    return a.size() == b.size() && matchesAt(a, 0, b, true);
}

int toInt(const Text& t) {
    const std::string m = mapFullWidth(t);
    bool negative = false;
    size_t i = skipBlanksAndSign(m, negative);
    long long v = 0;
    while (i < m.size() && isDigit(m[i])) {
        v = v * 10 + (m[i++] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) v = -v;
    if (v > INT_MAX) v = INT_MAX;
    if (v < INT_MIN) v = INT_MIN;
    return static_cast<int>(v);
}

float toFloat(const Text& t) {
    const std::string m = mapFullWidth(t);
    bool negative = false;
    const size_t i = skipBlanksAndSign(m, negative);
    // The longest prefix of the form digits [. digits] [e [sign] digits]. Along the way, the
    // power of ten of the first significant digit, for numbers beyond the float range.
    const size_t numBegin = i;
    size_t j = i;
    size_t mantissaDigits = 0;
    long firstDigitPower = 0;
    bool significant = false;
    while (j < m.size() && isDigit(m[j])) {
        significant = significant || m[j] != '0';
        if (significant) ++firstDigitPower;
        ++j, ++mantissaDigits;
    }
    if (significant) --firstDigitPower;
    if (j < m.size() && m[j] == '.') {
        ++j;
        while (j < m.size() && isDigit(m[j])) {
            if (!significant) {
                --firstDigitPower;
                significant = m[j] != '0';
            }
            ++j, ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return 0.0f;
    if (j < m.size() && (m[j] == 'e' || m[j] == 'E')) {
        size_t k = j + 1;
        const bool negativeExponent = k < m.size() && m[k] == '-';
        if (k < m.size() && (m[k] == '+' || m[k] == '-')) ++k;
        if (k < m.size() && isDigit(m[k])) {
            long exponent = 0;
            while (k < m.size() && isDigit(m[k])) {
                exponent = std::min(exponent * 10 + (m[k++] - '0'), kExponentCeiling);
            }
            firstDigitPower += negativeExponent ? -exponent : exponent;
            j = k;
        }
    }
    float value = 0.0f;
    const auto res = std::from_chars(m.data() + numBegin, m.data() + j, value, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        // Too large becomes infinity, too small zero, as strtof would give.
        value = firstDigitPower > 0 ? HUGE_VALF : 0.0f;
    }
    return negative ? -value : value;
}

double roundNumber(double x, int digits) {
    if (x == 0.0) return 0.0;
    const double scale = std::pow(10.0, digits);
    const double m = std::fabs(x) * scale + 1e-12;
    // Scaled beyond the double range the number has no digit left to round away.
    if (!std::isfinite(m)) return x;
    double whole = std::floor(m);
    if (m - whole >= 0.5) whole += 1.0;
    // A scale that underflowed to 0 leaves whole at 0: the result is 0, not 0 / 0.
    const double r = whole == 0.0 ? 0.0 : whole / scale;
    return x < 0 ? -r : r;
}

Text toText(int n) { return std::to_string(n); }
Text toText(long long n) { return std::to_string(n); }

Text toText(float x) {
    double d = static_cast<double>(x);
    if (std::isfinite(d) && d != 0.0) {
        // Six significant digits, halves rounded away from zero, before printing.
        const double magnitude = std::fabs(d);
        const int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
        const double scale = std::pow(10.0, 5 - exponent);
        const double rounded = std::floor(magnitude * scale + 0.5) / scale;
        d = d < 0 ? -rounded : rounded;
    }
    return formatGeneral(d, 6);
}

Text toText(double x) { return formatGeneral(x, 13); }

Bytes toBytes(const Text& t) { return t; }

Text bytesToText(const Bytes& b) {
    const size_t z = b.find('\0');
    return z == Bytes::npos ? b : b.substr(0, z);
}

int bytesLength(const Bytes& b) { return static_cast<int>(b.size()); }

Bytes bytesLeft(const Bytes& b, int n) { return left(b, n); }

Bytes bytesMid(const Bytes& b, int start, int n) {
    if (start < 1) start = 1;
    if (n <= 0 || static_cast<size_t>(start) > b.size()) return Bytes();
    return b.substr(static_cast<size_t>(start - 1), static_cast<size_t>(n));
}

Bytes zeroBytes(int n) { return n <= 0 ? Bytes() : Bytes(static_cast<size_t>(n), '\0'); }

}  // namespace text
