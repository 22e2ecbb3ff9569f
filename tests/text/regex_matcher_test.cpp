// RegexMatcher: PCRE2 over the UTF-16 form of GBK subjects, 1-based results back as GBK.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/text/text_test_util.h"
#include "text/regex_matcher.h"

using testutil::g;

namespace {

const char* const kPageCountPattern = "共(\\d+)页";
const char* const kSalaryRangePattern = "(.*?)\\-(.*?)(千|万)/(月|年)";
const char* const kSalaryBelowPattern = "(.*?)(千|万)以下/(月|年)";
const char* const kMetaCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

// Every group of every match, as UTF-8 for readable failures.
std::vector<std::vector<std::string>> allGroups(const RegexMatcher& m) {
    std::vector<std::vector<std::string>> out;
    for (int i = 1; i <= m.matchCount(); ++i) {
        std::vector<std::string> groups;
        for (int k = 1; k <= m.groupCount(); ++k) groups.push_back(text::toUtf8(m.groupText(i, k)));
        out.push_back(groups);
    }
    return out;
}

using Groups = std::vector<std::vector<std::string>>;

TEST(RegexMatcher, PatternsOfTheCrawlAndCleaning) {
    struct Case {
        const char* pattern;
        std::string subject;  // UTF-8
        Groups want;
    };
    const Case cases[] = {
        {kPageCountPattern, "<span>共12页，到第</span>", {{"12"}}},
        {kPageCountPattern, "没有结果", {}},
        {kSalaryRangePattern, "6-8千/月", {{"6", "8", "千", "月"}}},
        {kSalaryRangePattern, "1.5-2万/年", {{"1.5", "2", "万", "年"}}},
        {kSalaryRangePattern, "1千以下/月", {}},
        {kSalaryBelowPattern, "1千以下/月", {{"1", "千", "月"}}},
        {kSalaryBelowPattern, "6-8千/月", {}},
        {kSalaryBelowPattern, "0.5万以下/年", {{"0.5", "万", "年"}}},
        // Case-insensitive by default: a tag in capitals, and a quoted name.
        {kMetaCharsetPattern,
         "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; CHARSET=GB2312\">", {{"GB2312"}}},
        {kMetaCharsetPattern, "<meta charset=\"utf-8\">", {{"utf-8"}}},
        {kMetaCharsetPattern, "<meta\n charset=\"utf-8\">", {}},
        // Global: every non-overlapping match, left to right.
        {"(\\d)(\\d)", "12345", {{"1", "2"}, {"3", "4"}}},
        // \d and \w are ASCII only.
        {"(\\d+)", "１２", {}},
        {"(\\w+)", "é_x中", {{"_x"}}},
        // A group that did not take part gives the empty text.
        {"(a)|(b)", "b", {{"", "b"}}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        RegexMatcher m;
        EXPECT_TRUE(m.execute(g(c.pattern), g(c.subject))) << "case " << i;
        EXPECT_EQ(allGroups(m), c.want) << "case " << i;
        EXPECT_EQ(m.matchCount(), static_cast<int>(c.want.size())) << "case " << i;
    }
}

TEST(RegexMatcher, PageCountReadsGroupOne) {
    RegexMatcher m;
    ASSERT_TRUE(m.execute(g(kPageCountPattern), g("...共12页...")));
    EXPECT_EQ(m.matchCount(), 1);
    EXPECT_EQ(m.groupText(1, 1), "12");
    EXPECT_EQ(m.matchText(1), g("共12页"));
    EXPECT_EQ(m.groupCount(), 1);

    ASSERT_TRUE(m.execute(g(kPageCountPattern), "nothing here"));
    EXPECT_EQ(m.matchCount(), 0);
    EXPECT_EQ(m.groupText(1, 1), "");
    EXPECT_EQ(m.groupCount(), 0);  // no first match
}

TEST(RegexMatcher, InvalidPatternFails) {
    for (const char* pattern : {"(a", "a)", "[a", "a{2,1}", "*a", "(?<n>a"}) {
        RegexMatcher m;
        EXPECT_FALSE(m.execute(pattern, "aaa")) << pattern;
        EXPECT_EQ(m.matchCount(), 0) << pattern;
        EXPECT_EQ(m.matchText(1), "") << pattern;
        EXPECT_EQ(m.groupText(1, 1), "") << pattern;
        EXPECT_EQ(m.groupCount(), 0) << pattern;
        EXPECT_EQ(m.replace("x"), "") << pattern;
        EXPECT_EQ(m.pattern(), pattern) << pattern;
    }
}

TEST(RegexMatcher, OutOfRangeIndexesGiveEmptyTexts) {
    RegexMatcher m;
    ASSERT_TRUE(m.execute("(a)(b)", "ab ab"));
    ASSERT_EQ(m.matchCount(), 2);
    struct Case {
        int match, group;
    };
    for (const Case c : {Case{0, 1}, Case{-1, 1}, Case{3, 1}, Case{1, 0}, Case{1, 3}, Case{1, -1}}) {
        int position = 99;
        EXPECT_EQ(m.groupText(c.match, c.group, &position), "") << c.match << "," << c.group;
        EXPECT_EQ(position, -2) << c.match << "," << c.group;
    }
    int position = 99;
    EXPECT_EQ(m.matchText(0, &position), "");
    EXPECT_EQ(position, -2);
    EXPECT_EQ(m.matchText(3), "");
    EXPECT_EQ(m.groupText(2, 2), "b");
}

TEST(RegexMatcher, NothingBeforeTheFirstExecute) {
    RegexMatcher m;
    int position = 5;
    EXPECT_EQ(m.matchCount(), 0);
    EXPECT_EQ(m.pattern(), "");
    EXPECT_EQ(m.matchText(1, &position), "");
    EXPECT_EQ(position, -2);
    EXPECT_EQ(m.groupText(1, 1), "");
    EXPECT_EQ(m.groupCount(), 0);
    EXPECT_EQ(m.replace("x"), "");
}

TEST(RegexMatcher, DotMatchesEverythingButLineFeed) {
    RegexMatcher m;
    // A lazy dot-star never crosses a line feed ...
    ASSERT_TRUE(m.execute("<b>(.*?)</b>", "<b>one\r\ntwo</b> <b>three</b>"));
    EXPECT_EQ(allGroups(m), (Groups{{"three"}}));
    // ... but does take a carriage return.
    ASSERT_TRUE(m.execute("<b>(.*?)\\n", "<b>one\r\ntwo"));
    EXPECT_EQ(allGroups(m), (Groups{{"one\r"}}));
    // Literal parts on different lines match where the pattern holds the line break itself.
    ASSERT_TRUE(m.execute("<p>\r\n  (.*?)</p>", "<p>\r\n  x</p><p>  y</p><p>\r\n  z</p>"));
    EXPECT_EQ(allGroups(m), (Groups{{"x"}, {"z"}}));
    // "." is one character, Chinese included.
    ASSERT_TRUE(m.execute(g("(.)元"), g("五元")));
    EXPECT_EQ(m.groupText(1, 1), g("五"));
}

TEST(RegexMatcher, FlagsCaseMultiLineGlobal) {
    RegexMatcher m;
    ASSERT_TRUE(m.execute("abc", "ABC abc", true));
    EXPECT_EQ(m.matchCount(), 1);
    ASSERT_TRUE(m.execute("abc", "ABC abc"));
    EXPECT_EQ(m.matchCount(), 2);
    ASSERT_TRUE(m.execute("^b", "a\nb"));
    EXPECT_EQ(m.matchCount(), 1);
    ASSERT_TRUE(m.execute("^b", "a\nb", false, false));
    EXPECT_EQ(m.matchCount(), 0);
    ASSERT_TRUE(m.execute("a$", "a\r\na"));  // CR is no line end here: only the last a
    EXPECT_EQ(m.matchCount(), 1);
    ASSERT_TRUE(m.execute("\\d", "1 2 3", false, true, false));
    EXPECT_EQ(m.matchCount(), 1);
    EXPECT_EQ(m.matchText(1), "1");
}

TEST(RegexMatcher, EmptyMatchesDoNotLoop) {
    RegexMatcher m;
    ASSERT_TRUE(m.execute("a*", "baaa"));
    ASSERT_EQ(m.matchCount(), 3);
    EXPECT_EQ(m.matchText(1), "");
    EXPECT_EQ(m.matchText(2), "aaa");
    EXPECT_EQ(m.matchText(3), "");
    ASSERT_TRUE(m.execute("", g("中文")));
    EXPECT_EQ(m.matchCount(), 3);
    ASSERT_TRUE(m.execute("x*", ""));
    EXPECT_EQ(m.matchCount(), 1);
    ASSERT_TRUE(m.execute("\\b", "ab cd"));
    EXPECT_EQ(m.matchCount(), 4);
}

TEST(RegexMatcher, SecondExecuteReplacesTheFirst) {
    RegexMatcher m;
    ASSERT_TRUE(m.execute("(a)(b)(c)", "abc abc abc"));
    ASSERT_EQ(m.matchCount(), 3);
    ASSERT_TRUE(m.execute("(x)", "x"));
    EXPECT_EQ(m.matchCount(), 1);
    EXPECT_EQ(m.groupCount(), 1);
    EXPECT_EQ(m.groupText(1, 2), "");
    EXPECT_EQ(m.matchText(2), "");
    EXPECT_EQ(m.pattern(), "(x)");
    EXPECT_EQ(m.replace("y"), "y");
    // A failed run leaves nothing of the one before.
    EXPECT_FALSE(m.execute("(", "x"));
    EXPECT_EQ(m.matchCount(), 0);
    EXPECT_EQ(m.matchText(1), "");
}

TEST(RegexMatcher, QuoteEscapes) {
    const Text subject = g("<a href=\"/job/1.html\">#引号</a>");
    const Text pattern = g("href=#引号(.*?)#引号");
    RegexMatcher m;
    ASSERT_TRUE(m.execute(pattern, subject, false, true, true, true));
    EXPECT_EQ(m.pattern(), "href=\"(.*?)\"");
    ASSERT_EQ(m.matchCount(), 1);
    EXPECT_EQ(m.groupText(1, 1), "/job/1.html");
    // Without the flag the sequence is searched as written.
    ASSERT_TRUE(m.execute(g(">(#引号)<"), subject));
    EXPECT_EQ(m.pattern(), g(">(#引号)<"));
    EXPECT_EQ(m.groupText(1, 1), g("#引号"));
    ASSERT_TRUE(m.execute(pattern, subject));
    EXPECT_EQ(m.matchCount(), 0);
}

TEST(RegexMatcher, PositionsAreGbkByteOffsets) {
    RegexMatcher m;
    const Text subject = g("中文ab共12页，再共3页");
    ASSERT_TRUE(m.execute(g(kPageCountPattern), subject));
    ASSERT_EQ(m.matchCount(), 2);
    int position = 0;
    EXPECT_EQ(m.matchText(1, &position), g("共12页"));
    EXPECT_EQ(position, 6);
    EXPECT_EQ(m.groupText(1, 1, &position), "12");
    EXPECT_EQ(position, 8);
    EXPECT_EQ(m.matchText(2, &position), g("共3页"));
    EXPECT_EQ(subject.substr(position, 5), g("共3页"));
    EXPECT_EQ(m.groupText(2, 1, &position), "3");
    EXPECT_EQ(subject.substr(position, 1), "3");
    // Case-insensitive runs report the position of the text as it stands in the subject.
    ASSERT_TRUE(m.execute("(B)", g("中ab")));
    EXPECT_EQ(m.groupText(1, 1, &position), "b");
    EXPECT_EQ(position, 3);
    // A group that did not take part has no position; an empty one has its place.
    ASSERT_TRUE(m.execute("x(y)?(z*)", g("中x")));
    EXPECT_EQ(m.groupText(1, 1, &position), "");
    EXPECT_EQ(position, -2);
    EXPECT_EQ(m.groupText(1, 2, &position), "");
    EXPECT_EQ(position, 3);
}

TEST(RegexMatcher, BytesThatAreNotGbkComeBackAsQuestionMarks) {
    RegexMatcher m;
    // 0xFF is no GBK byte; 0x81 0x61 is a two-byte character.
    ASSERT_TRUE(m.execute("x(.)(.*?)y", "x\xFF\x81" "ay"));
    EXPECT_EQ(m.groupText(1, 1), "?");
    EXPECT_EQ(m.groupText(1, 2), "\x81" "a");
    int position = 0;
    EXPECT_EQ(m.groupText(1, 1, &position), "?");
    EXPECT_EQ(position, 1);
    EXPECT_EQ(m.groupText(1, 2, &position), "\x81" "a");
    EXPECT_EQ(position, 2);
    // A stray lead byte before a quote: the group never ends in half a character.
    ASSERT_TRUE(m.execute("title=\"(.*?)\"", "title=\"ab\x81\""));
    EXPECT_EQ(m.groupText(1, 1), "ab?");
    EXPECT_EQ(m.matchText(1), "title=\"ab?\"");
}

TEST(RegexMatcher, Replace) {
    RegexMatcher m;
    ASSERT_TRUE(m.execute("(\\d+)-(\\d+)", "1-2, 30-40"));
    EXPECT_EQ(m.replace("$2~$1"), "2~1, 40~30");
    ASSERT_TRUE(m.execute("(\\d+)-(\\d+)", "1-2, 30-40", false, true, false));
    EXPECT_EQ(m.replace("[$0]"), "[1-2], 30-40");
    ASSERT_TRUE(m.execute(g("千"), g("6-8千/月")));
    EXPECT_EQ(m.replace(g("000")), g("6-8000/月"));
    ASSERT_TRUE(m.execute("z", "abc"));
    EXPECT_EQ(m.replace("y"), "abc");
    ASSERT_TRUE(m.execute("b", std::string(5000, 'b')));
    EXPECT_EQ(m.replace("cc"), std::string(10000, 'c'));
}

TEST(RegexMatcher, ReplacementTexts) {
    struct Case {
        const char* pattern;
        const char* subject;
        const char* replacement;
        const char* want;
    };
    const Case cases[] = {
        // A group that did not take part stands for the empty text.
        {"(a)|(b)", "xaby", "<$1$2>", "x<a><b>y"},
        // References to groups the pattern lacks, and other dollars, stay as written.
        {"(a)", "xay", "<$2>", "x<$2>y"},
        {"(a)", "xay", "<$x $$ $>", "x<$x $ $>y"},
        {"(a)", "xay", "$", "x$y"},
        {"(a)", "xay", "$10", "xa0y"},
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "abcdefghijk", "$10$1", "jak"},
        {"(a)", "xay", "$01", "xay"},
        // The match, and what stands before and after it.
        {"(a)", "xay", "<$&>", "x<a>y"},
        {"a", "xay", "<$`|$'>", "x<x|y>y"},
        {"a", "xay", "\\n", "x\\ny"},
        // Empty matches are replaced where the match collection has them.
        {"a*", "baaa", "-", "-b--"},
        {"x*", "", "-", "-"},
    };
    for (const Case& c : cases) {
        RegexMatcher m;
        ASSERT_TRUE(m.execute(c.pattern, c.subject)) << c.pattern;
        EXPECT_EQ(m.replace(c.replacement), c.want) << c.pattern << " " << c.replacement;
    }
    // Chinese text around and inside the matches keeps its bytes; so do invalid ones.
    const Text subject = g("薪资6千，或1万") + "\xFF";
    RegexMatcher m;
    ASSERT_TRUE(m.execute(g("(\\d+)(千|万)"), subject));
    EXPECT_EQ(m.replace(g("[$2$1]")), g("薪资[千6]，或[万1]") + "\xFF");
    ASSERT_TRUE(m.execute(g("(\\d+)(千|万)"), subject, false, true, false));
    EXPECT_EQ(m.replace("$'"), g("薪资，或1万") + "\xFF" + g("，或1万") + "\xFF");
}

TEST(RegexMatcher, CatastrophicBacktrackingFailsInsteadOfHanging) {
    const std::string hostile = std::string(5000, 'a') + "!";
    for (const char* pattern : {"^(\\w+\\s?)*$", "(a|aa)+$", "^(a+)+$"}) {
        RegexMatcher m;
        EXPECT_FALSE(m.execute(pattern, hostile)) << pattern;
        EXPECT_EQ(m.matchCount(), 0) << pattern;
        EXPECT_EQ(m.groupText(1, 1), "") << pattern;
        // The matcher stays usable.
        EXPECT_TRUE(m.execute("(a)!", hostile)) << pattern;
        EXPECT_EQ(m.matchCount(), 1) << pattern;
    }
}

TEST(RegexMatcher, LongSubjectWithManyMatches) {
    std::string subject;
    for (int i = 0; i < 20000; ++i) subject += "<td>" + std::to_string(i) + "</td>\r\n";
    RegexMatcher m;
    ASSERT_TRUE(m.execute("<td>(.*?)</td>", subject));
    ASSERT_EQ(m.matchCount(), 20000);
    EXPECT_EQ(m.groupText(12345, 1), "12344");
    EXPECT_EQ(m.groupText(20000, 1), "19999");
}

}  // namespace
