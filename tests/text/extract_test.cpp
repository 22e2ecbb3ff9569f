// textBefore / textAfter / textBetween and compareText.

#include <gtest/gtest.h>

#include "tests/text/text_test_util.h"
#include "text/extract.h"

using namespace text;
using testutil::g;

namespace {

const Text kBackslashChar = "\x81\x5C";  // 乗: its second byte is a backslash

TEST(TextExtract, Before) {
    struct Case {
        Text t, marker;
        int start;
        bool ignoreCase;
        Text want;
    };
    const Case cases[] = {
        {g("济南-历下区"), "-", 1, false, g("济南")},
        {g("济南"), "-", 1, false, ""},
        {"-x", "-", 1, false, ""},
        {"a-b-c", "-", 3, false, "a-b"},  // the result still begins at byte 1
        {"a-b-c", "-", 0, false, "a"},
        {"a-b-c", "-", -4, false, "a"},
        {"aXb", "x", 1, true, "a"},
        {"aXb", "x", 1, false, ""},
        {"abc", "", 1, false, ""},
        {"", "", 1, false, ""},
        {g("引号#引号x"), g("#引号"), 1, false, g("引号")},  // searched literally
        {kBackslashChar + "\\x", "\\", 1, false, kBackslashChar},
        {kBackslashChar, "\\", 1, false, ""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(textBefore(c.t, c.marker, c.start, c.ignoreCase), c.want) << "case " << i;
    }
    EXPECT_EQ(textBefore(g("济南-历下区"), "-"), g("济南"));
}

TEST(TextExtract, After) {
    struct Case {
        Text t, marker;
        int limit;
        bool ignoreCase;
        Text want;
    };
    const Case cases[] = {
        {"3-5", "-", -1, false, "5"},
        {"1-3-5", "-", -1, false, "5"},
        {"5-", "-", -1, false, ""},
        {"1-3-5", "-", 4, false, "3-5"},
        {"1-3-5", "-", 2, false, ""},
        {"a<=>b<=>c", "<=>", -1, false, "c"},
        {"aXbxc", "x", -1, true, "c"},
        {"abc", "", -1, false, "abc"},
        {"", "", -1, false, ""},
        {"a\"b", g("#引号"), -1, false, ""},
        {g("x#引号y"), g("#引号"), -1, false, "y"},
        {"a\\" + kBackslashChar, "\\", -1, false, kBackslashChar},
        {kBackslashChar + "z", "\\", -1, false, ""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(textAfter(c.t, c.marker, c.limit, c.ignoreCase), c.want) << "case " << i;
    }
    EXPECT_EQ(textAfter("1-3-5", "-"), "5");
}

TEST(TextExtract, Between) {
    struct Case {
        Text t, leftMarker, rightMarker;
        int start;
        bool ignoreCase;
        Text want;
    };
    const Case cases[] = {
        {g("招3人"), g("招"), g("人"), 1, false, "3"},
        {g("3人"), g("招"), g("人"), 1, false, ""},
        {g("招人"), g("招"), g("人"), 1, false, ""},
        {g("招3"), g("招"), g("人"), 1, false, ""},
        // Only the first left marker is tried.
        {"[a[b]", "[", "]", 1, false, "a[b"},
        {"x[ab", "[", "]", 1, false, ""},
        {"[a][b]", "[", "]", 3, false, "b"},
        {"[a][b]", "[", "]", 0, false, "a"},
        {"<A>x</a>", "<a>", "</A>", 1, true, "x"},
        {"<A>x</a>", "<a>", "</A>", 1, false, ""},
        // "#引号" stands for a double quote in both markers.
        {"href=\"/x.html\" >", g("href=#引号"), g("#引号"), 1, false, "/x.html"},
        {g("a#引号b#引号"), g("#引号"), g("#引号"), 1, false, ""},
        // An empty left marker is found at byte 1; an empty right marker right after the left one.
        {"ab-c", "", "-", 1, false, "ab"},
        {"ab-c", "a", "", 1, false, ""},
        {"", "", "", 1, false, ""},
        {kBackslashChar + "\\x\\", "\\", "\\", 1, false, "x"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(textBetween(c.t, c.leftMarker, c.rightMarker, c.start, c.ignoreCase), c.want) << "case " << i;
    }
}

TEST(TextExtract, CompareText) {
    EXPECT_EQ(compareText("", Text()), 0);
    EXPECT_EQ(compareText("abc", "abc"), 0);
    EXPECT_NE(compareText("a", "A"), 0);
    EXPECT_LT(compareText("ab", "abc"), 0);
    EXPECT_GT(compareText("abc", "ab"), 0);
    EXPECT_LT(compareText("a", "b"), 0);
    // Bytes compare as unsigned values: 0xB0 is larger than 'z'.
    EXPECT_GT(compareText("\xB0\xA1", "z"), 0);
    EXPECT_LT(compareText("z", "\xB0\xA1"), 0);
    EXPECT_EQ(compareText(Text("a\0b", 3), Text("a\0b", 3)), 0);
    EXPECT_NE(compareText(Text("a\0b", 3), Text("a\0c", 3)), 0);
}

}  // namespace
