#include "text/gbk_codec.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace text {
namespace {

constexpr char16_t kReplacementChar = 0xFFFD;
constexpr char kNoGbkForm = '?';

// Conversion tables for code page 936, built once from glibc's iconv "CP936". Opening a
// converter per text costs more than converting it, so every conversion is a table lookup.
struct Cp936Tables {
    // Single bytes 0x80..0xFF that stand alone (0x80 is the euro sign); 0 = not a character.
    std::array<char16_t, 256> single{};
    // Two-byte characters: index (lead - 0x81) * 192 + (trail - 0x40); 0 = not a character.
    std::vector<char16_t> pair = std::vector<char16_t>(126 * 192, 0);
    // UTF-16 code unit -> GBK bytes (high byte first; a value below 0x100 is one byte);
    // 0 = no GBK form (except for U+0000 itself).
    std::vector<uint16_t> encode = std::vector<uint16_t>(65536, 0);

    Cp936Tables() {
        iconv_t dec = iconv_open("UTF-16LE", "CP936");
        iconv_t enc = iconv_open("CP936", "UTF-16LE");
        for (int c = 0; c < 0x80; ++c) {
            single[c] = static_cast<char16_t>(c);
            encode[c] = static_cast<uint16_t>(c);
        }
        if (dec != reinterpret_cast<iconv_t>(-1)) {
            for (int c = 0x80; c < 0x100; ++c) {
                const char in[1] = {static_cast<char>(c)};
                single[c] = decodeOne(dec, in, 1);
            }
            for (int lead = 0x81; lead <= 0xFE; ++lead) {
                for (int trail = 0x40; trail <= 0xFE; ++trail) {
                    if (trail == 0x7F) continue;
                    const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                    pair[(lead - 0x81) * 192 + (trail - 0x40)] = decodeOne(dec, in, 2);
                }
            }
            iconv_close(dec);
        }
        if (enc != reinterpret_cast<iconv_t>(-1)) {
            for (int u = 0x80; u < 0x10000; ++u) {
                if (u >= 0xD800 && u <= 0xDFFF) continue;
                encode[u] = encodeOne(enc, static_cast<char16_t>(u));
            }
            iconv_close(enc);
        }
    }

    static char16_t decodeOne(iconv_t cd, const char* bytes, size_t n) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(bytes);
        size_t inLeft = n;
        char out[8];
        char* outPtr = out;
        size_t outLeft = sizeof(out);
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0 ||
            outPtr - out != 2)
            return 0;
        return static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                     (static_cast<unsigned char>(out[1]) << 8));
    }

    static uint16_t encodeOne(iconv_t cd, char16_t u) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char bytes[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        char* in = bytes;
        size_t inLeft = 2;
        char out[8];
        char* outPtr = out;
        size_t outLeft = sizeof(out);
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
            return 0;
        const size_t len = static_cast<size_t>(outPtr - out);
        if (len == 1) return static_cast<unsigned char>(out[0]);
        if (len == 2)
            return static_cast<uint16_t>((static_cast<unsigned char>(out[0]) << 8) |
                                         static_cast<unsigned char>(out[1]));
        return 0;
    }
};

const Cp936Tables& tables() {
    static const Cp936Tables instance;  // thread-safe one-time construction
    return instance;
}

// Appends the GBK form of one code unit, "?" when it has none.
inline void appendGbk(Text& out, const Cp936Tables& tb, char16_t u) {
    const uint16_t g = tb.encode[u];
    if (g == 0) {
        out.push_back(kNoGbkForm);
    } else if (g < 0x100) {
        out.push_back(static_cast<char>(g));
    } else {
        out.push_back(static_cast<char>(g >> 8));
        out.push_back(static_cast<char>(g & 0xFF));
    }
}

// Precomposed forms for a base letter followed by a combining mark, where GBK has the
// precomposed letter (the pinyin vowels and a few more). Windows' code page conversion
// composes these; so do we, so that decomposed text from the web keeps its accents.
struct Composition {
    char16_t base;
    char16_t mark;
    char16_t composed;
};
constexpr Composition kCompositions[] = {
    {u'a', 0x0304, 0x0101}, {u'a', 0x0301, 0x00E1}, {u'a', 0x030C, 0x01CE}, {u'a', 0x0300, 0x00E0},
    {u'e', 0x0304, 0x0113}, {u'e', 0x0301, 0x00E9}, {u'e', 0x030C, 0x011B}, {u'e', 0x0300, 0x00E8},
    {u'e', 0x0302, 0x00EA}, {u'i', 0x0304, 0x012B}, {u'i', 0x0301, 0x00ED}, {u'i', 0x030C, 0x01D0},
    {u'i', 0x0300, 0x00EC}, {u'o', 0x0304, 0x014D}, {u'o', 0x0301, 0x00F3}, {u'o', 0x030C, 0x01D2},
    {u'o', 0x0300, 0x00F2}, {u'u', 0x0304, 0x016B}, {u'u', 0x0301, 0x00FA}, {u'u', 0x030C, 0x01D4},
    {u'u', 0x0300, 0x00F9}, {u'u', 0x0308, 0x00FC}, {0x00FC, 0x0304, 0x01D6}, {0x00FC, 0x0301, 0x01D8},
    {0x00FC, 0x030C, 0x01DA}, {0x00FC, 0x0300, 0x01DC}, {u'n', 0x0301, 0x0144}, {u'n', 0x030C, 0x0148},
    {u'n', 0x0300, 0x01F9}, {u'm', 0x0301, 0x1E3F},
};

inline bool isCombiningMark(char16_t u) { return u >= 0x0300 && u <= 0x036F; }

char16_t compose(char16_t base, char16_t mark) {
    for (const Composition& c : kCompositions)
        if (c.base == base && c.mark == mark) return c.composed;
    return 0;
}

}  // namespace

namespace {

// Whether bytes c, t form a two-byte character (defined or not: an undefined pair is one
// replacement character).
inline bool isPair(unsigned char c, unsigned char t) {
    return c >= 0x81 && c <= 0xFE && t >= 0x40 && t <= 0xFE && t != 0x7F;
}

// Decodes GBK into out (resized to the unit count), one unit per character or per byte that
// starts no character. When checkpoints is given, it receives the first byte of every
// kUtf16CheckpointStride-th unit.
void decodeGbk(std::string_view gbk, std::u16string& out, std::vector<uint32_t>* checkpoints) {
    const Cp936Tables& tb = tables();
    out.resize(gbk.size());
    if (checkpoints) checkpoints->clear();
    char16_t* dst = out.data();
    size_t o = 0;
    const size_t n = gbk.size();
    const auto* p = reinterpret_cast<const unsigned char*>(gbk.data());
    size_t i = 0;
    while (i < n) {
        // Pages are mostly ASCII markup: widen whole runs of ASCII bytes at once.
        size_t run = 0;
        while (i + run + 8 <= n) {
            uint64_t eight;
            std::memcpy(&eight, p + i + run, 8);
            if (eight & 0x8080808080808080ULL) break;
            run += 8;
        }
        while (i + run < n && p[i + run] < 0x80) ++run;
        if (run > 0) {
            if (checkpoints) {
                for (size_t u = (o + kUtf16CheckpointStride - 1) / kUtf16CheckpointStride * kUtf16CheckpointStride;
                     u < o + run; u += kUtf16CheckpointStride)
                    checkpoints->push_back(static_cast<uint32_t>(i + (u - o)));
            }
            for (size_t k = 0; k < run; ++k) dst[o + k] = p[i + k];
            o += run;
            i += run;
            continue;
        }
        // A run of two-byte characters (Chinese text).
        while (i < n && p[i] >= 0x80) {
            if (checkpoints && o % kUtf16CheckpointStride == 0) checkpoints->push_back(static_cast<uint32_t>(i));
            const unsigned char c = p[i];
            if (i + 1 < n && isPair(c, p[i + 1])) {
                const char16_t u = tb.pair[(c - 0x81) * 192 + (p[i + 1] - 0x40)];
                dst[o++] = u ? u : kReplacementChar;
                i += 2;
            } else {
                // A byte that starts no valid character: one replacement, and the next byte
                // is read afresh (an ASCII byte after a stray lead byte is kept).
                const char16_t u = tb.single[c];
                dst[o++] = u ? u : kReplacementChar;
                ++i;
            }
        }
    }
    out.resize(o);
}

}  // namespace

std::u16string toUtf16(std::string_view gbk) {
    std::u16string out;
    decodeGbk(gbk, out, nullptr);
    return out;
}

void toUtf16(std::string_view gbk, std::u16string& out, std::vector<uint32_t>& checkpoints) {
    decodeGbk(gbk, out, &checkpoints);
}

size_t gbkUnitBytes(std::string_view gbk, size_t i) {
    const auto* p = reinterpret_cast<const unsigned char*>(gbk.data());
    return (i + 1 < gbk.size() && isPair(p[i], p[i + 1])) ? 2 : 1;
}

Text fromUtf16(std::u16string_view utf16) {
    const Cp936Tables& tb = tables();
    Text out;
    out.reserve(utf16.size() * 2);
    const size_t n = utf16.size();
    for (size_t i = 0; i < n; ++i) {
        char16_t u = utf16[i];
        if (u == 0) break;
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            // Characters beyond the basic plane have no GBK form.
            out.push_back(kNoGbkForm);
            ++i;
            continue;
        }
        if (i + 1 < n && isCombiningMark(utf16[i + 1])) {
            if (const char16_t composed = compose(u, utf16[i + 1])) {
                if (tb.encode[composed] != 0) {
                    u = composed;
                    ++i;
                }
            }
        }
        appendGbk(out, tb, u);
    }
    return out;
}

std::string toUtf8(std::string_view gbk) {
    const std::u16string u = toUtf16(gbk);
    std::string out;
    out.reserve(u.size() * 3);
    for (char16_t c : u) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            // GBK decodes to the basic plane only, never to a surrogate.
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

Text fromUtf8(std::string_view utf8) {
    std::u16string u;
    u.reserve(utf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const size_t n = utf8.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            u.push_back(c);
            ++i;
            continue;
        }
        // Length and smallest value of a well-formed sequence with this first byte.
        size_t len = 0;
        uint32_t cp = 0;
        uint32_t minimum = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2, cp = c & 0x1F, minimum = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3, cp = c & 0x0F, minimum = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4, cp = c & 0x07, minimum = 0x10000;
        }
        size_t k = 1;
        while (len && k < len && i + k < n && (p[i + k] & 0xC0) == 0x80) {
            cp = (cp << 6) | (p[i + k] & 0x3F);
            ++k;
        }
        if (len == 0 || k < len || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            u.push_back(kReplacementChar);  // one replacement per malformed sequence
            i += (len == 0 || k == 0) ? 1 : k;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            u.push_back(static_cast<char16_t>(0xD800 | (cp >> 10)));
            u.push_back(static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
        } else {
            u.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return fromUtf16(u);
}

}  // namespace text
