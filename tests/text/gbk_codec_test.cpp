// GBK (code page 936) <-> UTF-16 / UTF-8.

#include <gtest/gtest.h>

#include "tests/text/text_test_util.h"
#include "text/gbk_codec.h"

using namespace text;
using testutil::g;

namespace {

TEST(GbkCodec, KnownCharacters) {
    struct Case {
        Text gbk;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"", u""},
        {"abc", u"abc"},
        {"\xD6\xD0\xCE\xC4", u"中文"},
        {"\xBC\xC3\xC4\xCF-\xC0\xFA\xCF\xC2\xC7\xF8", u"济南-历下区"},
        {"\xA1\xA1", u"\u3000"},  // the full-width space
        {"\xA8\xA6", u"\u00E9"},  // é
        {"\xA3\xB1\xA3\xB0", u"１０"},
        {"\x81\x5C", u"乗"},      // second byte 0x5C
        {"\x80", u"\u20AC"},      // CP936's single-byte euro sign
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(toUtf16(c.gbk), c.utf16) << "case " << i;
        EXPECT_EQ(fromUtf16(c.utf16), c.gbk) << "case " << i;
    }
}

TEST(GbkCodec, InvalidBytesBecomeReplacementCharacters) {
    struct Case {
        Text gbk;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"\xFF", u"\uFFFD"},              // 0xFF is no character in CP936
        {"a\xFF" "b", u"a\uFFFDb"},
        {"\x81", u"\uFFFD"},              // a lead byte at the end
        {"\x81\"x", u"\uFFFD\"x"},        // a lead byte before an ASCII byte keeps that byte
        {"\x81\x7F", u"\uFFFD\x7F"},      // 0x7F is never a second byte
        {"\xAA\xA1", u"\uFFFD"},          // a user-defined code with no mapping: one character
        {"\x81\xFF", u"\uFFFD\uFFFD"},
        {Text("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(toUtf16(cases[i].gbk), cases[i].utf16) << "case " << i;
    // The way back has no GBK form for U+FFFD: each becomes "?".
    EXPECT_EQ(fromUtf16(toUtf16("a\xFF\x81")), "a??");
}

TEST(GbkCodec, CharactersWithoutGbkFormBecomeQuestionMarks) {
    struct Case {
        std::u16string utf16;
        Text gbk;
    };
    const Case cases[] = {
        {u"a\U0001F600b", "a?b"},          // beyond the basic plane: one "?" for the pair
        {u"\u0E01", "?"},                  // Thai
        {std::u16string(1, char16_t(0xD800)) + u"x", "?x"},  // a lone surrogate
        {std::u16string(1, char16_t(0xDC00)), "?"},
        {u"\uFFFD", "?"},
        // A base letter and a combining mark become the precomposed letter where GBK has one.
        {u"e\u0301", "\xA8\xA6"},
        {u"u\u0308", "\xA8\xB9"},
        {u"x\u0301", "x?"},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(fromUtf16(cases[i].utf16), cases[i].gbk) << "case " << i;
}

TEST(GbkCodec, FromUtf16StopsAtNul) {
    EXPECT_EQ(fromUtf16(std::u16string(u"ab\0cd", 5)), "ab");
    EXPECT_EQ(fromUtf16(std::u16string(1, u'\0')), "");
    EXPECT_EQ(fromUtf16(u""), "");
}

TEST(GbkCodec, CheckpointsLeadBackToBytes) {
    // Units from one byte and from two, valid or not, across several checkpoints.
    Text gbk;
    for (int i = 0; i < 40; ++i) gbk += "a\xD6\xD0" "b\xFF\x81\x22\xAA\xA1";
    gbk += "\x81";
    std::u16string out = u"old";
    std::vector<uint32_t> checkpoints;
    text::toUtf16(gbk, out, checkpoints);
    EXPECT_EQ(out, toUtf16(gbk));
    // Walking unit by unit with gbkUnitBytes meets every checkpoint and ends at the last byte.
    size_t b = 0;
    for (size_t u = 0; u < out.size(); ++u) {
        if (u % kUtf16CheckpointStride == 0) {
            ASSERT_LT(u / kUtf16CheckpointStride, checkpoints.size());
            EXPECT_EQ(checkpoints[u / kUtf16CheckpointStride], b) << u;
        }
        b += gbkUnitBytes(gbk, b);
    }
    EXPECT_EQ(b, gbk.size());
    EXPECT_EQ(checkpoints.size(), (out.size() + kUtf16CheckpointStride - 1) / kUtf16CheckpointStride);
    text::toUtf16("", out, checkpoints);
    EXPECT_EQ(out, u"");
    EXPECT_TRUE(checkpoints.empty());
}

// Every two-byte code that CP936 defines comes back as the same bytes.
TEST(GbkCodec, EveryDefinedCharacterRoundTrips) {
    int defined = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const Text bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const std::u16string u = toUtf16(bytes);
            ASSERT_EQ(u.size(), 1u);
            if (u[0] == 0xFFFD) continue;
            ++defined;
            EXPECT_EQ(fromUtf16(u), bytes) << std::hex << lead << " " << trail;
        }
    }
    EXPECT_GT(defined, 21000);  // GBK defines 21886 characters besides the user-defined areas
}

TEST(GbkCodec, Utf8) {
    EXPECT_EQ(toUtf8(g("济南 abc 中文")), "济南 abc 中文");
    EXPECT_EQ(toUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(toUtf8("\xFF"), "\xEF\xBF\xBD");
    EXPECT_EQ(fromUtf8("\xE4\xB8\xAD"), "\xD6\xD0");
    struct Case {
        std::string utf8;
        Text gbk;
    };
    const Case cases[] = {
        {"", ""},
        {"\xC3(", "?("},             // a cut-off sequence
        {"\xC0\xAF", "??"},          // an overlong form
        {"\xED\xA0\x80", "?"},       // an encoded surrogate
        {"\xF0\x9F\x98\x80", "?"},   // beyond the basic plane
        {"\xE4\xB8", "?"},
        {"\xFF" "a", "?a"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(fromUtf8(cases[i].utf8), cases[i].gbk) << "case " << i;
}

}  // namespace
