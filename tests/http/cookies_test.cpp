#include "http/cookies.h"

#include <gtest/gtest.h>

#include "tests/support/fake_host.h"

namespace {

TEST(CollectSetCookie, TakesTheValueOfExactSetCookieLines)
{
    struct Case {
        Text line;
        Text expected;  // what an empty returnedCookies holds afterwards
    } const cases[] = {
        {"Set-Cookie: a=1; path=/", "a=1; "},
        {"Set-Cookie: b=2", "b=2; "},
        {"Set-Cookie: x=1;", "x=1; "},
        {"Set-Cookie:  a=1 ; Path=/; HttpOnly", "a=1; "},
        {"Set-Cookie: v=a b", "v=a b; "},                 // inner spaces stay
        {"Set-Cookie: Set-Cookie: q", "q; "},             // every marker removed without ";"
        {"Set-Cookie: ", "; "},                           // an empty value still adds "; "
        {"Set-Cookie: a=1; set-cookie: b", "a=1; "},
        {"Set-Cookie: " + gbk("　中=文　"), gbk("中=文") + "; "},  // full-width spaces trimmed
        {"set-cookie: a=1", ""},                          // the name's case counts
        {"SET-COOKIE: a=1", ""},
        {"Set-Cookie:a=1", ""},                           // no ": " after the name
        {"Set-Cookie2: a=1", ""},
        {"X-Set-Cookie: a=1", ""},
        {"Location: /x", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        Text returned;
        collectSetCookie(c.line, returned);
        EXPECT_EQ(returned, c.expected) << c.line;
    }
}

TEST(CollectSetCookie, AppendsAfterTheCallersTextWithoutASeparator)
{
    Text returned = "kept";
    collectSetCookie("Set-Cookie: a=1; path=/", returned);
    collectSetCookie("Set-Cookie: b=2", returned);
    tidyReturnedCookies(returned);
    EXPECT_EQ(returned, "kepta=1; b=2");
}

TEST(TidyReturnedCookies, RemovesOnlyAFinalSeparator)
{
    const std::pair<Text, Text> cases[] = {
        {"a=1; b=2; ", "a=1; b=2"}, {"a=1; ", "a=1"}, {"; ", ""}, {"a=1;", "a=1;"}, {"", ""}, {" ", " "},
    };
    for (const auto& [input, expected] : cases) {
        Text t = input;
        tidyReturnedCookies(t);
        EXPECT_EQ(t, expected) << input;
    }
}

struct MergeCase {
    const char* what;
    Text sent;
    Text returned;
    Text expected;
};

TEST(MergeCookies, ResponseCookiesFirstThenTheOldOnesItDidNotSet)
{
    const MergeCase cases[] = {
        {"one replaced, one deleted", "x=0; y=3", "x=1; y=deleted", "x=1"},
        {"nothing set", "x=1", "", "x=1"},
        {"spaces around the equals sign", "k = v", "", "k=v"},
        {"same item both ways", "a=1", "a=1", "a=1"},
        {"new value wins", "a=1", "a=2", "a=2"},
        {"order kept", "a=1; b=2", "c=3; a=9", "c=3; a=9; b=2"},
        {"first of two old items with one name", "a=1; a=2", "", "a=1"},
        {"deleted item unknown before", "a=1", "b=deleted", "a=1"},
        {"duplicate response items listed once", "z=1", "c=3; c=3", "c=3; z=1"},
        {"short items kept", "q", "=d", "=d; q"},
        {"empty item takes part", "a=1;;b=2", "", "a=1; ; b=2"},
        {"all deleted", "a=1", "a=deleted", ""},
        {"caller's text in front", "a=1", "preb=2", "preb=2; a=1"},
        {"spaces inside values lost", "s=a b", "", "s=ab"},
    };
    for (const MergeCase& c : cases) {
        Text sent = c.sent;
        Text returned = c.returned;
        const Text merged = mergeCookies(sent, returned);
        EXPECT_EQ(merged, c.expected) << c.what;
        EXPECT_EQ(sent, c.expected) << c.what;
    }
}

TEST(MergeCookies, LeavesReturnedCookiesWithoutSpaces)
{
    Text sent = "a=1";
    Text returned = "b = 2; c=3";
    mergeCookies(sent, returned);
    EXPECT_EQ(returned, "b=2;c=3");
}

TEST(CookieName, IsThePartBeforeTheFirstEqualsSignTrimmed)
{
    const std::pair<Text, Text> cases[] = {
        {"a=1", "a"}, {" a = 1", "a"}, {"noequals ", "noequals"}, {"=v", ""}, {"a=b=c", "a"}, {"", ""},
    };
    for (const auto& [item, expected] : cases) EXPECT_EQ(cookieName(item), expected) << item;
}

TEST(HasCookieNamed, ComparesNamesExactly)
{
    const std::vector<Text> items = {"a=1", " B =2", "c"};
    EXPECT_TRUE(hasCookieNamed(items, "a"));
    EXPECT_TRUE(hasCookieNamed(items, "B"));
    EXPECT_TRUE(hasCookieNamed(items, "c"));
    EXPECT_FALSE(hasCookieNamed(items, "b"));
    EXPECT_FALSE(hasCookieNamed(items, "a=1"));
    EXPECT_FALSE(hasCookieNamed({}, ""));
}

TEST(JoinDistinct, DropsRepeatedPieces)
{
    struct Case {
        Text text;
        Text separator;
        Text expected;
    } const cases[] = {
        {"a; b; a", "; ", "a; b"},
        {"a; ", "; ", "a"},
        {"", "; ", ""},
        {"a,a,b,b,a", ",", "a,b"},
        {",a,", ",", ",a"},
        {"x", "; ", "x"},
    };
    for (const Case& c : cases) EXPECT_EQ(joinDistinct(c.text, c.separator), c.expected) << c.text;
}

TEST(IndexOfText, IsOneBasedOrMinusOne)
{
    const std::vector<Text> items = {"a", "b", "a", ""};
    EXPECT_EQ(indexOfText(items, "a"), 1);
    EXPECT_EQ(indexOfText(items, "b"), 2);
    EXPECT_EQ(indexOfText(items, ""), 4);
    EXPECT_EQ(indexOfText(items, "A"), -1);
    EXPECT_EQ(indexOfText({}, "a"), -1);
}

}  // namespace
