// The GBK text primitives: exact results, including the two-byte stepping rules.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "tests/text/text_test_util.h"
#include "text/text.h"

using namespace text;
using testutil::g;

namespace {

// 乗 is 0x81 0x5C: its second byte is a backslash. 0x81 0x41 has an 'A' as second byte.
const Text kBackslashChar = "\x81\x5C";
const Text kLetterTrailChar = "\x81\x41";

TEST(TextSlicing, LeftRightMid) {
    struct Case {
        Text got, want;
    };
    const Text zh = g("中文");  // D6 D0 CE C4
    const Case cases[] = {
        {left("abc", 2), "ab"},        {left("abc", 5), "abc"},       {left("abc", 0), ""},
        {left("abc", -1), ""},         {left("", 3), ""},             {right("abc", 2), "bc"},
        {right("abc", 9), "abc"},      {right("abc", 0), ""},         {right("abc", -2), ""},
        {mid("abcdef", 2, 3), "bcd"},  {mid("abcdef", 5, 10), "ef"},  {mid("abcdef", 0, 2), ""},
        {mid("abcdef", 7, 1), ""},     {mid("abcdef", 6, 1), "f"},    {mid("abcdef", 1, 0), ""},
        {mid("abcdef", 2, -1), ""},
        // Plain byte operations: they may cut a character in two.
        {left(zh, 1), "\xD6"},         {mid(zh, 2, 2), "\xD0\xCE"},   {right(zh, 3), "\xD0\xCE\xC4"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].got, cases[i].want) << "case " << i;
}

TEST(TextSlicing, LengthAndCharCode) {
    EXPECT_EQ(length(""), 0);
    EXPECT_EQ(length("abc"), 3);
    EXPECT_EQ(length(g("中文")), 4);
    EXPECT_EQ(charCode(""), 0);
    EXPECT_EQ(charCode("A"), 65);
    EXPECT_EQ(charCode("\xB0\xA1"), static_cast<int>(static_cast<signed char>(0xB0)));
    EXPECT_EQ(charCode("\xB0"), -80);
}

TEST(TextFind, Forward) {
    struct Case {
        Text t, s;
        int start;
        bool ignoreCase;
        int want;
    };
    const Case cases[] = {
        {"abcabc", "bc", 1, false, 2},
        {"abcabc", "bc", 3, false, 5},
        {"abcabc", "bc", 6, false, -1},
        {"abcabc", "bc", 0, false, 2},
        {"abcabc", "bc", -5, false, 2},
        {"abcabc", "abcabcd", 1, false, -1},
        {"abc", "", 1, false, 1},
        {"abc", "", 0, false, 1},
        {"abc", "", 3, false, 1},
        {"abc", "", 4, false, -1},
        {"", "", 1, false, -1},
        {"", "a", 1, false, -1},
        {"aBc", "b", 1, true, 2},
        {"aBc", "b", 1, false, -1},
        {"ABC", "abc", 1, true, 1},
        // Stepping over two-byte characters: no match starts on a second byte.
        {kBackslashChar, "\\", 1, false, -1},
        {kBackslashChar + "\\", "\\", 1, false, 3},
        {kBackslashChar + "\\", "\\", 2, false, 3},
        {kLetterTrailChar, "A", 1, false, -1},
        {kLetterTrailChar, "a", 1, true, -1},
        {g("中文"), "\xD0\xCE", 1, false, -1},
        {g("中文中文"), g("文"), 1, false, 3},
        {g("中文中文"), g("文"), 4, false, 7},
        {g("中a"), "a", 2, false, 3},
        // Case folding touches single-byte letters only.
        {"x" + kLetterTrailChar + "B", "\x81\x61", 1, true, -1},
        {"x" + kLetterTrailChar + "B", kLetterTrailChar + "b", 1, true, 2},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(find(c.t, c.s, c.start, c.ignoreCase), c.want) << "case " << i;
    }
}

TEST(TextFind, Reverse) {
    struct Case {
        Text t, s;
        int limit;
        bool ignoreCase;
        int want;
    };
    const Case cases[] = {
        {"1-3-5", "-", -1, false, 4},
        {"1-3-5", "-", 100, false, 4},
        {"1-3-5", "-", 5, false, 4},  // bytes 1..4 hold the second hyphen
        {"1-3-5", "-", 4, false, 2},
        {"1-3-5", "-", 2, false, -1},
        {"1-3-5", "-", 0, false, -1},
        {"abab", "ab", -1, false, 3},
        {"abab", "ab", 4, false, 1},  // the second "ab" would end on byte 4
        {"AbAb", "ab", -1, true, 3},
        {"AbAb", "ab", -1, false, -1},
        {"abc", "", -1, false, 1},
        {"", "", -1, false, -1},
        {"", "a", -1, false, -1},
        {kBackslashChar + kBackslashChar, "\\", -1, false, -1},
        {"\\" + kBackslashChar, "\\", -1, false, 1},
        {g("文中文"), g("文"), -1, false, 5},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(findReverse(c.t, c.s, c.limit, c.ignoreCase), c.want) << "case " << i;
    }
}

TEST(TextReplace, StartCountAndCase) {
    struct Case {
        Text t, s, r;
        int start, count;
        bool caseSensitive;
        Text want;
    };
    const Case cases[] = {
        {"a,b,c", ",", ";", 1, -1, true, "a;b;c"},
        {"a,b,c", ",", ";", 3, -1, true, "a,b;c"},
        {"a,b,c", ",", ";", 0, -1, true, "a;b;c"},
        {"a,b,c", ",", ";", 1, 1, true, "a;b,c"},
        {"a,b,c", ",", ";", 1, 0, true, "a,b,c"},
        {"a,b,c", ",", ";", 6, -1, true, "a,b,c"},
        {"a,b,c", ",", ";", 5, -1, true, "a,b,c"},
        {"", ",", ";", 1, -1, true, ""},
        {"a,b", "", ";", 1, -1, true, "a,b"},
        {"a b c", " ", "", 1, -1, true, "abc"},
        {"aaa", "aa", "b", 1, -1, true, "ba"},
        {"AbAB", "ab", "x", 1, -1, false, "xx"},
        {"AbAB", "ab", "x", 1, -1, true, "AbAB"},
        {"ab", "ab", "abab", 1, -1, true, "abab"},
        {kBackslashChar + "\\", "\\", "/", 1, -1, true, kBackslashChar + "/"},
        {g("一#引号二#引号"), g("#引号"), "\"", 1, -1, true, g("一\"二\"")},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(replace(c.t, c.s, c.r, c.start, c.count, c.caseSensitive), c.want) << "case " << i;
    }
    EXPECT_EQ(replace("x-y", "-"), "xy");  // default: remove every occurrence
}

TEST(TextSplit, EmptyPartsAndCount) {
    struct Case {
        Text t, d;
        int count;
        std::vector<Text> want;
    };
    const Case cases[] = {
        {"a,b,c", ",", -1, {"a", "b", "c"}},
        {",a", ",", -1, {"", "a"}},
        {"a,,b", ",", -1, {"a", "", "b"}},
        {"a,b,", ",", -1, {"a", "b"}},
        {"a,b,,", ",", -1, {"a", "b", ""}},
        {",", ",", -1, {""}},
        {"", ",", -1, {}},
        {"abc", ",", -1, {"abc"}},
        {"a,b,c", ",", 2, {"a", "b"}},
        {"a,b,c", ",", 0, {}},
        {"a,b,c", ",", 9, {"a", "b", "c"}},
        {"x<?h.#p>y<?h.#p>", "<?h.#p>", -1, {"x", "y"}},
        {"abc", "", -1, {"abc"}},
        {kBackslashChar + "\\x", "\\", -1, {kBackslashChar, "x"}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(split(c.t, c.d, c.count), c.want) << "case " << i;
        const auto views = splitViews(c.t, c.d, c.count);
        ASSERT_EQ(views.size(), c.want.size()) << "case " << i;
        for (size_t k = 0; k < views.size(); ++k) EXPECT_EQ(Text(views[k]), c.want[k]) << "case " << i;
    }
    EXPECT_EQ(split("a,b"), (std::vector<Text>{"a", "b"}));  // default separator ","
}

TEST(TextBlanks, TrimRemoveSpacesUpper) {
    const Text ideographicSpace = "\xA1\xA1";
    struct Case {
        Text got, want;
    };
    const Case cases[] = {
        {trim("  a b  "), "a b"},
        {trim(ideographicSpace + "a" + ideographicSpace + " "), "a"},
        {trim("\ta\r\n"), "\ta\r\n"},
        {trim(" "), ""},
        {trim(""), ""},
        {trim(ideographicSpace + " " + ideographicSpace), ""},
        // 啊 (B0 A1) followed by a full-width space: A1 A1 only counts on a character boundary.
        {trim("\xB0\xA1" + ideographicSpace), "\xB0\xA1"},
        {trim("\xB0\xA1\xA1"), "\xB0\xA1\xA1"},
        {removeSpaces("a b" + ideographicSpace + "c "), "abc"},
        {removeSpaces("\xB0\xA1\xA1\xA1"), "\xB0\xA1"},
        {removeSpaces("a\tb"), "a\tb"},
        {toUpper("abcXYZ1_z"), "ABCXYZ1_Z"},
        {toUpper("\x81\x61" "a"), "\x81\x61" "A"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].got, cases[i].want) << "case " << i;
}

TEST(TextBlanks, CompareIgnoringCase) {
    EXPECT_TRUE(compareIgnoringCase("abc", "ABC"));
    EXPECT_TRUE(compareIgnoringCase("", ""));
    EXPECT_FALSE(compareIgnoringCase("abc", "abd"));
    EXPECT_FALSE(compareIgnoringCase("ab", "abc"));
    EXPECT_FALSE(compareIgnoringCase("\x81\x61", "\x81\x41"));
    EXPECT_TRUE(compareIgnoringCase(g("薪资a"), g("薪资A")));
}

TEST(TextNumbers, ToInt) {
    struct Case {
        Text t;
        int want;
    };
    const Case cases[] = {
        {"10-15", 10}, {"1.5", 1},      {"", 0},          {"abc", 0},
        {"  -42x", -42}, {"+7", 7},     {"\t\r\n 5", 5},  {"- 5", 0},
        {g("１０"), 10}, {g("－３"), -3}, {g("　５"), 5},   {g("＋１２千"), 12},
        {"2147483647", INT_MAX},        {"99999999999", INT_MAX},
        {"-2147483648", INT_MIN},       {"-99999999999", INT_MIN},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(toInt(cases[i].t), cases[i].want) << "case " << i;
}

TEST(TextNumbers, ToFloat) {
    struct Case {
        Text t;
        float want;
    };
    const Case cases[] = {
        {"1.5", 1.5f},        {"10-15", 10.0f},    {"", 0.0f},         {"abc", 0.0f},
        {"  -0.1", -0.1f},    {"0.1", 0.1f},       {"2.5e3", 2500.0f}, {"2.5E-1x", 0.25f},
        {"1e", 1.0f},         {"1e+", 1.0f},       {".5", 0.5f},       {"5.", 5.0f},
        {".", 0.0f},          {g("１．５"), 1.5f},  {g("－２．５万"), -2.5f},
        {"inf", 0.0f},        {"nan", 0.0f},       {"0x10", 0.0f},
        // One rounding from the decimal text: going through double first would give 1.0.
        {"1.0000000596046447753906251", 1.0000001192092896f},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(toFloat(cases[i].t), cases[i].want) << "case " << i;
    // Beyond the float range: infinity or zero, also beyond the double range.
    struct Range {
        Text t;
        float want;
    };
    const Range beyond[] = {
        {"1e99", HUGE_VALF},           {"-1e99", -HUGE_VALF},       {"1e400", HUGE_VALF},
        {"-1e400", -HUGE_VALF},        {"1e99999999999", HUGE_VALF}, {"0.0001e50000", HUGE_VALF},
        {"1e-99", 0.0f},               {"1e-400", 0.0f},             {"12345e-50000", 0.0f},
        {"0e99999", 0.0f},             {"1e-45", 1e-45f},
    };
    for (const Range& c : beyond) EXPECT_EQ(toFloat(c.t), c.want) << c.t;
}

TEST(TextNumbers, RoundNumber) {
    struct Case {
        double x;
        int digits;
        double want;
    };
    const Case cases[] = {
        {2.5, 0, 3.0},          {-2.5, 0, -3.0},        {2.4999999999995, 0, 3.0},
        {2.4, 0, 2.0},          {0.0, 2, 0.0},          {-0.5, 0, -1.0},
        {0.49999, 0, 0.0},      {1.005, 2, 1.01},       {1234.5678, -2, 1200.0},
        {1.25, 1, 1.3},         {-1.25, 1, -1.3},       {7.0, 0, 7.0},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_DOUBLE_EQ(roundNumber(c.x, c.digits), c.want) << "case " << i;
    }
    EXPECT_EQ(roundNumber(2.5), 3.0);
    // Scales beyond the double range round nothing away; no NaN comes out.
    EXPECT_EQ(roundNumber(1e308, 2), 1e308);
    EXPECT_EQ(roundNumber(2.5, 400), 2.5);
    EXPECT_EQ(roundNumber(-2.5, 400), -2.5);
    EXPECT_EQ(roundNumber(2.5, -400), 0.0);
}

TEST(TextNumbers, ToText) {
    struct Case {
        Text got, want;
    };
    const Case cases[] = {
        {toText(42), "42"},
        {toText(-7), "-7"},
        {toText(0), "0"},
        {toText(1000000000000LL), "1000000000000"},
        {toText(1000000.0f), "1e+006"},
        {toText(1250000.0f), "1.25e+006"},
        {toText(1.5f), "1.5"},
        {toText(0.1f), "0.1"},
        {toText(-2.5f), "-2.5"},
        {toText(0.0f), "0"},
        {toText(999999.0f), "999999"},
        // Halves go up before printing (plain "%.6g" would round 123456.5 to even).
        {toText(123456.5f), "123457"},
        {toText(1234565.0f), "1.23457e+006"},
        {toText(9999995.0f), "1e+007"},
        // Near the switch to an exponent: the halves-up rounding decides which side wins.
        {toText(999999.5f), "1e+006"},
        {toText(999998.5f), "999999"},
        {toText(999999.4375f), "999999"},
        {toText(0.0001f), "0.0001"},
        {toText(0.00001f), "1e-005"},
        {toText(5.0), "5"},
        {toText(0.1), "0.1"},
        {toText(1.0 / 3.0), "0.3333333333333"},
        {toText(1e15), "1e+015"},
        {toText(1e100), "1e+100"},
        {toText(123456789012345.0), "1.234567890123e+014"},
        {toText(-0.5), "-0.5"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].got, cases[i].want) << "case " << i;
}

TEST(TextBytes, Helpers) {
    const Bytes withZero("ab\0cd", 5);
    EXPECT_EQ(toBytes("abc"), Bytes("abc"));
    EXPECT_EQ(bytesToText(withZero), "ab");
    EXPECT_EQ(bytesToText("abc"), "abc");
    EXPECT_EQ(bytesLength(withZero), 5);
    EXPECT_EQ(bytesLeft(withZero, 4), Bytes("ab\0c", 4));
    EXPECT_EQ(bytesLeft("abc", 9), "abc");
    EXPECT_EQ(bytesLeft("abc", 0), "");
    EXPECT_EQ(bytesMid("abcdef", 0, 2), "ab");
    EXPECT_EQ(bytesMid("abcdef", -3, 2), "ab");
    EXPECT_EQ(bytesMid("abcdef", 5, 10), "ef");
    EXPECT_EQ(bytesMid("abcdef", 7, 1), "");
    EXPECT_EQ(bytesMid("abcdef", 2, 0), "");
    EXPECT_EQ(zeroBytes(3), Bytes(3, '\0'));
    EXPECT_EQ(zeroBytes(0), "");
    EXPECT_EQ(zeroBytes(-1), "");
}

}  // namespace
