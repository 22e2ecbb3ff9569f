#include "http/request_headers.h"

#include <gtest/gtest.h>

#include "tests/http/default_header_block.h"
#include "tests/support/fake_host.h"

namespace {

const Text AgentLine = "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)";

struct PairCase {
    Text input;
    Text expected;
};

TEST(CapitaliseFirst, UpperCasesOnlyAnAsciiFirstByte)
{
    const PairCase cases[] = {
        {"", ""},
        {"abc", "Abc"},
        {"Abc", "Abc"},
        {"aBC", "ABC"},
        {"1ab", "1ab"},
        {"-x", "-x"},
        {"\xB0\xA1x", "\xB0\xA1x"},
    };
    for (const PairCase& c : cases) EXPECT_EQ(capitaliseFirst(c.input), c.expected) << c.input;
}

TEST(NormaliseHeaderNames, CapitalisesEachDashWordOfTheName)
{
    const PairCase cases[] = {
        {"", ""},
        {"user-agent: x", "User-Agent: x"},
        {"x-requested-with: y", "X-Requested-With: y"},
        {"CONTENT-type: a-b: c-d", "CONTENT-Type: a-b: c-d"},
        {"accept:text/html", "Accept:text/html"},
        {"a: 1\r\nb: 2\r\n", "A: 1\r\nB: 2"},
        // Lines without a colon are dropped.
        {"no colon here\r\nhost: h", "Host: h"},
        {"only garbage", ""},
        // A name ending in "-" keeps every byte.
        {"x-: v", "X-: v"},
        {"a--b: v", "A--B: v"},
        {": empty name", ": empty name"},
        // Empty lines between headers disappear.
        {"a: 1\r\n\r\nb: 2", "A: 1\r\nB: 2"},
        {"\xB0\xA1-\xB0\xA2: v", "\xB0\xA1-\xB0\xA2: v"},
    };
    for (const PairCase& c : cases) EXPECT_EQ(normaliseHeaderNames(c.input), c.expected) << c.input;
}

TEST(HeaderValue, TakesTheFirstLineStartingWithTheName)
{
    struct Case {
        Text block;
        Text name;
        Text expected;
    } const cases[] = {
        {"Connection: keep-alive", "Connection", "keep-alive"},
        {"A: 1\r\nConnection: close\r\nConnection: keep-alive", "Connection", "close"},
        {"A: 1", "Connection", ""},
        // Starts with the name but has no "name: " inside.
        {"ConnectionX:y\r\nConnection: z", "Connection", ""},
        // The value after the last "name: " of that line.
        {"Connection: Connection: v", "Connection", "v"},
        {"connection: keep-alive", "Connection", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(headerValue(c.block, c.name), c.expected) << c.block;
}

struct BuildCase {
    const char* what;
    Text extraHeaders;
    int method;
    Text sendCookies;
    bool completeHeaders;
    bool capitaliseHeaderNames;
    Text expected;
};

TEST(BuildRequestHeaders, FollowsTheDefaultTableAndTheCookieRules)
{
    const Text formLine = "Content-Type: application/x-www-form-urlencoded\r\n";
    const BuildCase cases[] = {
        {"address alone", "", 0, "", true, true, DefaultHeaderBlock},
        {"form post", "", 1, "", true, true,
         AgentLine + "\r\nAccept: text/html, application/xhtml+xml, */*\r\nAccept-Encoding: gbk, GB2312\r\n"
                     "Accept-Language: zh-cn\r\n" + formLine + "Cache-Control: no-cache"},
        {"other methods get no content type", "", 3, "", true, true, DefaultHeaderBlock},
        {"own agent in lower case", "user-agent: me", 0, "", true, true,
         "User-Agent: me\r\nAccept: text/html, application/xhtml+xml, */*\r\nAccept-Encoding: gbk, GB2312\r\n"
         "Accept-Language: zh-cn\r\nCache-Control: no-cache"},
        {"own agent without the space", "User-Agent:me", 0, "", true, true,
         "User-Agent:me\r\n" + DefaultHeaderBlock},
        {"own content type without the space", "content-type:text/plain", 1, "", true, true,
         "Content-Type:text/plain\r\n" + AgentLine +
             "\r\nAccept: text/html, application/xhtml+xml, */*\r\nAccept-Encoding: gbk, GB2312\r\n"
             "Accept-Language: zh-cn\r\nCache-Control: no-cache"},
        {"Accept-Encoding does not count as Accept", "Accept-Encoding: identity", 0, "", true, true,
         "Accept-Encoding: identity\r\n" + AgentLine +
             "\r\nAccept: text/html, application/xhtml+xml, */*\r\nAccept-Language: zh-cn\r\nCache-Control: no-cache"},
        {"nothing at all", "", 0, "", false, true, ""},
        {"caller's case kept", "x-a: 1", 0, "", false, false, "x-a: 1\r\n"},
        {"caller's line break doubled", "X-A: 1\r\n", 0, "", false, false, "X-A: 1\r\n\r\n"},
        {"line without colon dropped", "garbage\r\nX-A: 1", 0, "", false, true, "X-A: 1"},
        {"line without colon kept", "garbage\r\nX-A: 1", 0, "", false, false, "garbage\r\nX-A: 1\r\n"},
        {"keep-alive line removed", "Connection: keep-alive", 0, "", true, true,
         AgentLine + "\r\nAccept: text/html, application/xhtml+xml, */*\r\nAccept-Encoding: gbk, GB2312\r\n"
                     "Accept-Language: zh-cn\r\nCache-Control: no-cache"},
        {"keep-alive as the last line stays", "Connection: keep-alive", 0, "", false, true,
         "Connection: keep-alive"},
        {"Keep-Alive in other case stays", "Connection: Keep-Alive", 0, "", false, true,
         "Connection: Keep-Alive"},
        {"cookie line added", "", 0, "a=1", false, true, "\r\nCookie: a=1\r\n"},
        {"cookie line after defaults", "", 0, "a=1", true, true, DefaultHeaderBlock + "\r\nCookie: a=1\r\n"},
        {"cookies already named", "", 0, "Cookie: a=1", false, true, "\r\nCookie: a=1\r\n"},
        {"caller's cookie line wins", "cookie: b=2", 0, "a=1", false, true, "Cookie: b=2"},
        {"empty line before the cookie line", "X-A: 1", 0, "a=1", false, false, "X-A: 1\r\n\r\nCookie: a=1\r\n"},
    };
    for (const BuildCase& c : cases) {
        EXPECT_EQ(buildRequestHeaders(c.extraHeaders, c.method, c.sendCookies, c.completeHeaders,
                                      c.capitaliseHeaderNames),
                  c.expected)
            << c.what;
    }
}

class CountingPump : public MessagePump {
public:
    int pumped = 0;
    void processPendingMessages() override { ++pumped; }
    void delayProcessingMessages(int) override {}
    bool stopRequested() const override { return false; }
};

struct ResponseOutputs {
    Text headers = "caller's headers";
    Text status = "caller's status";
    Text location = "caller's location";
    Text cookies = "old=1; ";
};

ResponseOutputs readInto(const Bytes& raw, MessagePump* pump = nullptr)
{
    ResponseOutputs out;
    ResponseHeaderTargets targets;
    targets.returnedHeaders = &out.headers;
    targets.statusText = &out.status;
    targets.redirectLocation = &out.location;
    targets.returnedCookies = &out.cookies;
    readResponseHeaders(raw, targets, pump);
    return out;
}

TEST(ReadResponseHeaders, FillsStatusLocationAndCookies)
{
    const Bytes raw =
        "HTTP/1.1 302 Found\r\nlocation: /first\r\nSet-Cookie: a=1; path=/\r\nLOCATION: /second\r\n"
        "Set-Cookie: b=2\r\n\r\n";
    CountingPump pump;
    const ResponseOutputs out = readInto(raw, &pump);
    EXPECT_EQ(out.headers, raw);
    EXPECT_EQ(out.status, "302 Found");
    EXPECT_EQ(out.location, "/second");
    EXPECT_EQ(out.cookies, "old=1; a=1; b=2; ");
    EXPECT_EQ(pump.pumped, 6);  // one per line; the final empty piece is no line
}

TEST(ReadResponseHeaders, StatusTextEdgeCases)
{
    const PairCase cases[] = {
        {"HTTP/1.1 200 OK\r\n\r\n", "200 OK"},
        {"HTTP/1.0 404 Not Found\r\n\r\n", "404 Not Found"},
        {"HTTP/1.1 200\r\n\r\n", "200"},
        {"HTTP/1.1 200 OK", ""},   // no line break after the status
        {"HTTP/1.1 \r\n", ""},
        {"HTTP/1.1", ""},
        {"", ""},
    };
    for (const PairCase& c : cases) EXPECT_EQ(readInto(c.input).status, c.expected) << c.input;
}

TEST(ReadResponseHeaders, LeavesLocationAloneWithoutOneAndStopsAtAZeroByte)
{
    const char rawBytes[] = "HTTP/1.1 200 OK\r\nX: 1\r\n\0Location: /hidden\r\n\r\n";
    const Bytes raw(rawBytes, sizeof rawBytes - 1);
    const ResponseOutputs out = readInto(raw);
    EXPECT_EQ(out.location, "caller's location");
    EXPECT_EQ(out.headers, "HTTP/1.1 200 OK\r\nX: 1\r\n");
    EXPECT_EQ(out.cookies, "old=1; ");
}

TEST(ReadResponseHeaders, WritesOnlyTheTargetsGiven)
{
    ResponseHeaderTargets none;
    readResponseHeaders("HTTP/1.1 200 OK\r\nLocation: x\r\n\r\n", none);  // must not crash
    Text status;
    ResponseHeaderTargets onlyStatus;
    onlyStatus.statusText = &status;
    readResponseHeaders("HTTP/1.1 204 No Content\r\n\r\n", onlyStatus);
    EXPECT_EQ(status, "204 No Content");
}

}  // namespace
