#include "http/charset_decoding.h"

#include <gtest/gtest.h>

#include "tests/support/fake_host.h"

namespace {

const Bytes Utf8Chinese = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文
const Bytes Big5Chinese = "\xA4\xA4\xA4\xE5\xB0\xEA";  // 中文國
const Bytes GbkOnly = "\x86\xB4\x87\xF8";              // 喆國: in GBK, not in GB2312

Bytes withZero(const Bytes& before, const Bytes& after)
{
    return before + std::string(1, '\0') + after;
}

struct DecodeCase {
    const char* what;
    Bytes body;
    Text expected;
};

TEST(DecodeResponseText, ConvertsFromTheDeclaredCharset)
{
    const Bytes meta = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=";
    const Bytes padding(1100, ' ');
    const DecodeCase cases[] = {
        {"no declaration", "<p>" + gbk("中文"), "<p>" + gbk("中文")},
        {"gbk", meta + "gbk\">" + gbk("中文"), meta + "gbk\">" + gbk("中文")},
        {"gb2312 taken as it is", "<meta charset=gb2312>" + GbkOnly, "<meta charset=gb2312>" + GbkOnly},
        {"utf-8 in the older form", meta + "utf-8\">" + Utf8Chinese, meta + "utf-8\">" + gbk("中文")},
        {"utf-8 quoted", "<meta charset=\"utf-8\">" + Utf8Chinese, "<meta charset=\"utf-8\">" + gbk("中文")},
        {"upper-case tag and name", "<META CHARSET=UTF-8>" + Utf8Chinese, "<META CHARSET=UTF-8>" + gbk("中文")},
        {"big5", "<meta charset=big5>" + Big5Chinese, "<meta charset=big5>" + gbk("中文國")},
        {"GB2312 in capitals keeps GBK-only characters", "<meta charset=GB2312>" + GbkOnly,
         "<meta charset=GB2312>" + GbkOnly},
        {"GBK in capitals", "<meta charset=GBK>" + gbk("中文"), "<meta charset=GBK>" + gbk("中文")},
        {"x-gbk", "<meta charset=x-gbk>" + GbkOnly, "<meta charset=x-gbk>" + GbkOnly},
        {"cp936", "<meta charset=CP936>" + GbkOnly, "<meta charset=CP936>" + GbkOnly},
        {"unknown charset leaves the bytes", "<meta charset=x-no-such-set>" + Utf8Chinese,
         "<meta charset=x-no-such-set>" + Utf8Chinese},
        {"declaration beyond 1024 bytes", padding + "<meta charset=utf-8>" + Utf8Chinese,
         padding + "<meta charset=utf-8>" + Utf8Chinese},
        {"declaration on another line than <meta", "<meta\ncharset=utf-8>" + Utf8Chinese,
         "<meta\ncharset=utf-8>" + Utf8Chinese},
        {"zero byte in an undeclared body", withZero(gbk("前"), gbk("后")), gbk("前")},
        {"zero byte before the declaration", withZero("x", "<meta charset=utf-8>" + Utf8Chinese), "x"},
        {"converted text stops at a NUL character", "<meta charset=utf-8>" + withZero(Utf8Chinese, "tail"),
         "<meta charset=utf-8>" + gbk("中文")},
        {"invalid utf-8 bytes become ?", "<meta charset=utf-8>a\xFF\xFE" "b" + Utf8Chinese,
         "<meta charset=utf-8>a??b" + gbk("中文")},
        {"truncated utf-8 at the end", "<meta charset=utf-8>a\xE4\xB8", "<meta charset=utf-8>a??"},
        {"character with no GBK form becomes ?", "<meta charset=utf-8>\xC3\xA4!", "<meta charset=utf-8>?!"},
        {"iso-8859-1", "<meta charset=iso-8859-1>caf\xE9", "<meta charset=iso-8859-1>caf" + gbk("é")},
        {"empty body", "", ""},
    };
    for (const DecodeCase& c : cases) EXPECT_EQ(decodeResponseText(c.body), c.expected) << c.what;
}

TEST(DecodeResponseText, LargeBodyConvertsWhole)
{
    Bytes body = "<meta charset=utf-8>";
    Text expected = body;
    for (int i = 0; i < 50000; ++i) {
        body += Utf8Chinese;
        expected += gbk("中文");
    }
    EXPECT_EQ(decodeResponseText(body), expected);
}

TEST(DecodeResponseText, LetsThePumpRunOnce)
{
    FakeHost host;
    decodeResponseText("<p>x</p>", &host);
    EXPECT_EQ(host.pumped, 1);
}

TEST(ConvertToGbk, ReportsUnknownNames)
{
    Text out = "untouched";
    EXPECT_FALSE(convertToGbk("abc", "no-such-charset", out));
    EXPECT_EQ(out, "untouched");
    EXPECT_TRUE(convertToGbk(Utf8Chinese, "utf-8", out));
    EXPECT_EQ(out, gbk("中文"));
}

}  // namespace
