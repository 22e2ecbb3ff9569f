// httpRequest against the local test server (tests/http/test_server.py): one HTTPS server, and
// one plain-HTTP server that also serves as the proxy.

#include "http/http_request.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "tests/http/default_header_block.h"
#include "tests/support/fake_host.h"
#include "tests/support/server_process.h"
#include "text/gbk_codec.h"

namespace {

// On the wire every line ends with a line break.
const Text DefaultBlock = DefaultHeaderBlock + "\r\n";
const Text FormLine = "Content-Type: application/x-www-form-urlencoded\r\n";
const Text Untouched = "caller's value";

Text failure(int code)
{
    const char* texts[] = {"701 解析URL地址失败!", "711 发送请求失败!", "712 服务器未响应!"};
    return text::fromUtf8(texts[code == 701 ? 0 : code == 711 ? 1 : 2]);
}

// Outputs the caller passes, each holding a marker first, so a test sees what was written.
struct Outputs {
    Text sendCookies;
    Text returnedCookies = Untouched;
    Text returnedHeaders = Untouched;
    Text redirectLocation = Untouched;
    Text statusText = Untouched;
    Bytes responseBytes = Untouched;

    HttpRequestArgs args(HttpRequestArgs a = HttpRequestArgs())
    {
        a.sendCookies = &sendCookies;
        a.returnedCookies = &returnedCookies;
        a.returnedHeaders = &returnedHeaders;
        a.redirectLocation = &redirectLocation;
        a.statusText = &statusText;
        a.responseBytes = &responseBytes;
        return a;
    }
};

std::string firstLine(const std::string& t)
{
    return t.substr(0, t.find("\r\n"));
}

// A port on which nothing listens.
int closedPort()
{
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    close(s);
    return ntohs(a.sin_port);
}

// A socket that listens but never accepts: connections complete, nothing ever answers.
class SilentListener {
public:
    SilentListener()
    {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(fd_, 8);
        socklen_t len = sizeof a;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~SilentListener() { close(fd_); }
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

class HttpRequestTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        secure_ = new ServerProcess("http/test_server.py");
        plain_ = new ServerProcess("http/test_server.py", {"--plain"});
    }
    static void TearDownTestSuite()
    {
        delete secure_;
        delete plain_;
        secure_ = plain_ = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(secure_->running());
        ASSERT_TRUE(plain_->running());
    }

    static Text url(const std::string& path) { return secure_->baseUrl() + path; }
    static Text plainUrl(const std::string& path) { return plain_->baseUrl(false) + path; }
    static std::string hostLine() { return "Host: " + secure_->hostPort() + "\r\n"; }
    static Text fixture(const std::string& name)
    {
        std::ifstream in(testSourceDir() + "/fixtures/http/" + name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    static ServerProcess* secure_;
    static ServerProcess* plain_;
};

ServerProcess* HttpRequestTest::secure_ = nullptr;
ServerProcess* HttpRequestTest::plain_ = nullptr;

TEST_F(HttpRequestTest, SendsTheDefaultHeaderBlockExactly)
{
    Outputs out;
    const Text page = httpRequest(url("/echo"), out.args());
    EXPECT_EQ(page, "GET /echo HTTP/1.1\r\n" + hostLine() + DefaultBlock + "\r\n");
    EXPECT_EQ(out.statusText, "200 OK");
    EXPECT_EQ(out.responseBytes, page);
    EXPECT_EQ(firstLine(out.returnedHeaders), "HTTP/1.1 200 OK");
    EXPECT_EQ(out.returnedHeaders.substr(out.returnedHeaders.size() - 4), "\r\n\r\n");
    EXPECT_EQ(out.returnedCookies, Untouched);  // tidied, nothing collected
    EXPECT_EQ(out.redirectLocation, Untouched);
    EXPECT_EQ(out.sendCookies, "");
}

TEST_F(HttpRequestTest, UrlAloneNeedsNoOutputs)
{
    EXPECT_EQ(httpRequest(url("/echo")), "GET /echo HTTP/1.1\r\n" + hostLine() + DefaultBlock + "\r\n");
}

TEST_F(HttpRequestTest, MethodsAndBodies)
{
    struct Case {
        const char* what;
        int method;
        Text postText;
        Bytes postBytes;
        std::string expected;  // after the Host line
    } const cases[] = {
        {"method 1 adds the form content type", 1, "a=1&b=2", "",
         "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
         "Accept: text/html, application/xhtml+xml, */*\r\nAccept-Encoding: gbk, GB2312\r\n"
         "Accept-Language: zh-cn\r\n" + FormLine + "Cache-Control: no-cache\r\nContent-Length: 7\r\n\r\na=1&b=2"},
        {"empty POST", 1, "", "",
         "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
         "Accept: text/html, application/xhtml+xml, */*\r\nAccept-Encoding: gbk, GB2312\r\n"
         "Accept-Language: zh-cn\r\n" + FormLine + "Cache-Control: no-cache\r\nContent-Length: 0\r\n\r\n"},
        {"postBytes win over postText", 3, "text", std::string("by\0tes", 6),
         DefaultBlock + "Content-Length: 6\r\n\r\n" + std::string("by\0tes", 6)},
        {"GET with a body", 0, gbk("正文"), "", DefaultBlock + "Content-Length: 4\r\n\r\n" + gbk("正文")},
        {"DELETE", 5, "", "", DefaultBlock + "\r\n"},
        {"OPTIONS", 4, "", "", DefaultBlock + "\r\n"},
        {"method 8 is GET", 8, "", "", DefaultBlock + "\r\n"},
        {"method -1 is GET", -1, "", "", DefaultBlock + "\r\n"},
    };
    const char* verbs[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE"};
    for (const Case& c : cases) {
        HttpRequestArgs a;
        a.method = c.method;
        a.postText = c.postText;
        a.postBytes = c.postBytes;
        Outputs out;
        const std::string verb = c.method >= 0 && c.method <= 5 ? verbs[c.method] : "GET";
        httpRequest(url("/echo"), out.args(a));
        EXPECT_EQ(out.responseBytes, verb + " /echo HTTP/1.1\r\n" + hostLine() + c.expected) << c.what;
        EXPECT_EQ(out.statusText, "200 OK") << c.what;
    }
}

TEST_F(HttpRequestTest, HeadReturnsNoBodyButTheStatus)
{
    HttpRequestArgs a;
    a.method = 2;
    Outputs out;
    EXPECT_EQ(httpRequest(url("/echo"), out.args(a)), "");
    EXPECT_EQ(out.statusText, "200 OK");
    EXPECT_EQ(out.responseBytes, "");
    EXPECT_NE(out.returnedHeaders.find("Content-Length: "), std::string::npos);
}

TEST_F(HttpRequestTest, RequestLineOfPathQueryAndTypedKeywords)
{
    const struct {
        std::string path;
        std::string expected;
    } cases[] = {
        {"", "GET / HTTP/1.1"},
        {"?x=1", "GET / HTTP/1.1"},
        {"/echo/a/b.html?x=1&y=2", "GET /echo/a/b.html?x=1&y=2 HTTP/1.1"},
        {"/echo/list/120000,000000,0000,00,9,99,c# c++,2,1.html?lang=c&a=%41",
         "GET /echo/list/120000,000000,0000,00,9,99,c%23%20c++,2,1.html?lang=c&a=%41 HTTP/1.1"},
        {"/echo/" + gbk("软件") + "?k=" + gbk("济南"),
         "GET /echo/%E8%BD%AF%E4%BB%B6?k=%E6%B5%8E%E5%8D%97 HTTP/1.1"},
        {"/echo/a/../b/./c", "GET /echo/a/../b/./c HTTP/1.1"},
    };
    for (const auto& c : cases) {
        Outputs out;
        httpRequest(url(c.path), out.args());
        EXPECT_EQ(firstLine(out.responseBytes), c.expected) << c.path;
    }
}

TEST_F(HttpRequestTest, CallerHeadersAreSentAsBuilt)
{
    struct Case {
        const char* what;
        Text extraHeaders;
        bool completeHeaders;
        bool capitalise;
        std::string expected;  // after the Host line
    } const cases[] = {
        {"nothing added", "", false, true, "\r\n"},
        {"own agent", "user-agent: me\r\nx-requested-with: XMLHttpRequest", false, true,
         "User-Agent: me\r\nX-Requested-With: XMLHttpRequest\r\n\r\n"},
        {"own accept replaces the default", "Accept: */*", true, true,
         "Accept: */*\r\nUser-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
         "Accept-Encoding: gbk, GB2312\r\nAccept-Language: zh-cn\r\nCache-Control: no-cache\r\n\r\n"},
        {"lines without a colon or value go as written", "x-a: 1\r\ngarbage\r\nx-empty:", false, false,
         "x-a: 1\r\ngarbage\r\nx-empty:\r\n\r\n"},
        {"no line but such lines", "garbage\r\nx-empty:  ", false, false, "garbage\r\nx-empty:  \r\n\r\n"},
        {"one line without a colon", "garbage", false, false, "garbage\r\n\r\n"},
        {"one line without a value", "x-empty:", false, true, "X-Empty:\r\n\r\n"},
    };
    for (const Case& c : cases) {
        HttpRequestArgs a;
        a.extraHeaders = c.extraHeaders;
        a.completeHeaders = c.completeHeaders;
        a.capitaliseHeaderNames = c.capitalise;
        Outputs out;
        httpRequest(url("/echo"), out.args(a));
        EXPECT_EQ(out.responseBytes, "GET /echo HTTP/1.1\r\n" + hostLine() + c.expected) << c.what;
    }
}

TEST_F(HttpRequestTest, ServerCredentialsOnlyWhenBothPartsAreGiven)
{
    const struct {
        Text user;
        Text password;
        bool sent;
    } cases[] = {{"u", "p", true}, {"u", "", false}, {"", "p", false}, {"", "", false}};
    for (const auto& c : cases) {
        HttpRequestArgs a;
        a.userName = c.user;
        a.password = c.password;
        Outputs out;
        httpRequest(url("/echo"), out.args(a));
        EXPECT_EQ(out.responseBytes.find("Authorization: Basic dTpw\r\n") != std::string::npos, c.sent)
            << c.user << "/" << c.password;
        EXPECT_EQ(out.statusText, "200 OK");
    }
}

TEST_F(HttpRequestTest, ProxyCarriesPlainAndSecureRequests)
{
    const struct {
        const char* what;
        bool secure;
        Text proxyUser;
        Text proxyPassword;
        std::string firstLine;
        bool proxyCredentials;
    } cases[] = {
        {"http through the proxy", false, "", "", "GET http://127.0.0.1:1/echo HTTP/1.1", false},
        {"http with proxy credentials", false, "pu", "pp", "GET http://127.0.0.1:1/echo HTTP/1.1", true},
        {"https tunnels", true, "", "", "CONNECT 127.0.0.1:1 HTTP/1.1", false},
        {"https with proxy credentials", true, "pu", "pp", "CONNECT 127.0.0.1:1 HTTP/1.1", true},
        {"half the credentials", true, "pu", "", "CONNECT 127.0.0.1:1 HTTP/1.1", false},
    };
    for (const auto& c : cases) {
        HttpRequestArgs a;
        a.proxy = plain_->hostPort();
        a.proxyUserName = c.proxyUser;
        a.proxyPassword = c.proxyPassword;
        Outputs out;
        // Port 1 has no server: only the proxy can answer.
        httpRequest(std::string(c.secure ? "https" : "http") + "://127.0.0.1:1/echo", out.args(a));
        EXPECT_EQ(out.statusText, "200 OK") << c.what;
        EXPECT_EQ(firstLine(out.responseBytes), c.firstLine) << c.what;
        EXPECT_EQ(out.responseBytes.find("Proxy-Authorization: Basic cHU6cHA=\r\n") != std::string::npos,
                  c.proxyCredentials)
            << c.what;
        if (!c.secure) {
            EXPECT_EQ(out.responseBytes.find("Proxy-Connection"), std::string::npos) << c.what;
        } else {
            // The tunnel request is the proxy's business; the request inside it is the usual one.
            const std::string inner = "GET /echo HTTP/1.1\r\nHost: 127.0.0.1:1\r\n" + DefaultBlock + "\r\n";
            EXPECT_EQ(out.responseBytes.substr(out.responseBytes.size() - inner.size()), inner) << c.what;
        }
    }
}

TEST_F(HttpRequestTest, NoProxyMeansNoneEvenFromTheEnvironment)
{
    const int refused = closedPort();
    const std::string bogus = "http://127.0.0.1:" + std::to_string(refused);
    setenv("http_proxy", bogus.c_str(), 1);
    setenv("HTTPS_PROXY", bogus.c_str(), 1);
    setenv("ALL_PROXY", bogus.c_str(), 1);
    Outputs plainOut, secureOut;
    httpRequest(plainUrl("/echo"), plainOut.args());
    httpRequest(url("/echo"), secureOut.args());
    unsetenv("http_proxy");
    unsetenv("HTTPS_PROXY");
    unsetenv("ALL_PROXY");
    EXPECT_EQ(plainOut.statusText, "200 OK");
    EXPECT_EQ(firstLine(plainOut.responseBytes), "GET /echo HTTP/1.1");
    EXPECT_EQ(secureOut.statusText, "200 OK");
}

TEST_F(HttpRequestTest, GivenProxyCarriesRequestsWhateverNoProxySays)
{
    setenv("NO_PROXY", "*", 1);
    setenv("no_proxy", "127.0.0.1", 1);
    HttpRequestArgs a;
    a.proxy = plain_->hostPort();
    Outputs out;
    // Port 1 has no server: only the proxy can answer.
    httpRequest("http://127.0.0.1:1/echo", out.args(a));
    unsetenv("NO_PROXY");
    unsetenv("no_proxy");
    EXPECT_EQ(out.statusText, "200 OK");
    EXPECT_EQ(firstLine(out.responseBytes), "GET http://127.0.0.1:1/echo HTTP/1.1");
}

TEST_F(HttpRequestTest, FailuresBeforeAnyResponse)
{
    SilentListener silent;
    const struct {
        const char* what;
        Text url;
        int timeoutSeconds;
        int code;
    } cases[] = {
        {"empty address", "", 0, 701},
        {"relative address", "/echo", 0, 701},
        {"file address", "file://" + testSourceDir() + "/http/test_server.py", 0, 701},
        {"other scheme", "ftp://127.0.0.1/", 0, 701},
        {"no host", "https:///echo", 0, 701},
        {"connection refused", "https://127.0.0.1:" + std::to_string(closedPort()) + "/", 0, 711},
        {"name not resolved", "https://no-such-host.invalid/", 2, 711},
        {"handshake never answered", "https://127.0.0.1:" + std::to_string(silent.port()) + "/", 1, 711},
        {"request never answered", url("/never"), 1, 712},
        {"empty reply", url("/empty"), 0, 712},
        {"redirect loop", url("/loop"), 0, 712},
        {"eleven redirects", url("/redirect/11"), 0, 712},
        {"redirect to a file address", url("/respond?status=302&h=Location:%20file:///etc/hostname"), 0, 712},
        {"redirect to another scheme", url("/respond?status=301&h=Location:%20ftp://127.0.0.1/x"), 0, 712},
        {"host name the library refuses", "http://a,b/x", 0, 701},
        {"redirect to a host name the library refuses", url("/respond?status=302&h=Location:%20http://a,b/"),
         0, 712},
    };
    for (const auto& c : cases) {
        HttpRequestArgs a;
        a.timeoutSeconds = c.timeoutSeconds;
        Outputs out;
        EXPECT_EQ(httpRequest(c.url, out.args(a)), "") << c.what;
        EXPECT_EQ(out.statusText, failure(c.code)) << c.what;
        // Nothing else is written on these paths.
        EXPECT_EQ(out.returnedHeaders, Untouched) << c.what;
        EXPECT_EQ(out.responseBytes, Untouched) << c.what;
        EXPECT_EQ(out.returnedCookies, Untouched) << c.what;
        EXPECT_EQ(out.redirectLocation, Untouched) << c.what;
    }
}

TEST_F(HttpRequestTest, TimeOutValue)
{
    // The server answers after 2.5 s without sending anything before.
    const struct {
        int timeoutSeconds;
        bool answered;
    } cases[] = {{1, false}, {0, true}, {-3, true}, {5, true}};
    for (const auto& c : cases) {
        HttpRequestArgs a;
        a.timeoutSeconds = c.timeoutSeconds;
        Outputs out;
        EXPECT_EQ(httpRequest(url("/slow?delay=2.5"), out.args(a)), c.answered ? "late" : "") << c.timeoutSeconds;
        EXPECT_EQ(out.statusText, c.answered ? Text("200 OK") : failure(712)) << c.timeoutSeconds;
    }
}

TEST_F(HttpRequestTest, SlowTransferThatKeepsMovingIsNotCutOff)
{
    // Twelve bytes, one every 0.25 s: longer than the time-out, never stalled that long.
    HttpRequestArgs a;
    a.timeoutSeconds = 2;
    Outputs out;
    EXPECT_EQ(httpRequest(url("/trickle?count=12&every=0.25"), out.args(a)), std::string(12, 't'));
    EXPECT_EQ(out.statusText, "200 OK");
}

TEST_F(HttpRequestTest, BodyCutOffKeepsWhatArrivedWithTheStatusText)
{
    Outputs out;
    const Text page = httpRequest(url("/cut?total=1000&sent=500"), out.args());
    EXPECT_EQ(page, std::string(500, 'x'));
    EXPECT_EQ(out.responseBytes, std::string(500, 'x'));
    EXPECT_EQ(out.statusText, "200 OK");
    EXPECT_EQ(firstLine(out.returnedHeaders), "HTTP/1.1 200 OK");
}

TEST_F(HttpRequestTest, RedirectsAreFollowedToTheLastResponse)
{
    Outputs out;
    EXPECT_EQ(httpRequest(url("/redirect/10"), out.args()), "arrived");
    EXPECT_EQ(out.statusText, "200 OK");
    EXPECT_NE(out.returnedHeaders.find("X-Hop: last\r\n"), std::string::npos);
    EXPECT_EQ(out.returnedHeaders.find("Location"), std::string::npos);
    EXPECT_EQ(out.redirectLocation, Untouched);
}

TEST_F(HttpRequestTest, ForbiddenRedirectReturnsTheRedirect)
{
    HttpRequestArgs a;
    a.forbidRedirect = true;
    Outputs out;
    EXPECT_EQ(httpRequest(url("/redirect/1"), out.args(a)), "moving on");
    EXPECT_EQ(out.statusText, "302 Found");
    EXPECT_EQ(out.redirectLocation, "/redirect/0");
}

TEST_F(HttpRequestTest, HeaderBytesThatAreNotGbkCannotSwallowALine)
{
    HttpRequestArgs a;
    a.forbidRedirect = true;
    Outputs out;
    httpRequest(url("/respond?status=302&h=X-Odd:%20%C2&h=Location:%20/next&h=X-Gbk:%20%D6%D0"), out.args(a));
    EXPECT_EQ(out.redirectLocation, "/next");
    EXPECT_NE(out.returnedHeaders.find("\r\nX-Odd: ?\r\nLocation: /next\r\nX-Gbk: \xD6\xD0\r\n"), std::string::npos);
}

TEST_F(HttpRequestTest, OnlyTheFinalResponseHeadersAreRead)
{
    {
        // An interim "100 Continue" block before the response is no part of it.
        Outputs out;
        EXPECT_EQ(httpRequest(url("/respond?interim=1&body=done"), out.args()), "done");
        EXPECT_EQ(out.statusText, "200 OK");
        EXPECT_EQ(firstLine(out.returnedHeaders), "HTTP/1.1 200 OK");
        EXPECT_EQ(out.returnedHeaders.find("X-Interim"), std::string::npos);
    }
    {
        // Nor is the trailer after a chunked body, not even a trailer line that looks like a
        // status line.
        Outputs out;
        out.returnedCookies = "";
        EXPECT_EQ(httpRequest(url("/chunked?t=Set-Cookie:%20t=1&t=HTTP/1.1%20500%20Odd:%20x"), out.args()),
                  "chunked");
        EXPECT_EQ(out.statusText, "200 OK");
        EXPECT_EQ(out.returnedCookies, "");
        EXPECT_EQ(out.returnedHeaders.find("Set-Cookie"), std::string::npos);
        EXPECT_EQ(out.returnedHeaders.substr(out.returnedHeaders.size() - 4), "\r\n\r\n");
    }
}

TEST_F(HttpRequestTest, ErrorStatusStillReturnsTheBody)
{
    Outputs out;
    EXPECT_EQ(httpRequest(url("/respond?status=404&body=gone"), out.args()), "gone");
    EXPECT_EQ(out.statusText, "404 Not Found");
}

TEST_F(HttpRequestTest, SetCookieLinesInSeveralForms)
{
    const std::string cookies =
        "/respond?h=Set-Cookie:%20a=1;%20path=/;%20HttpOnly&h=Set-Cookie:%20b=2&h=set-cookie:%20c=3"
        "&h=Set-Cookie:d=4&h=Set-Cookie:%20%20e%20=%205%20%20&h=SET-COOKIE:%20f=6";
    {
        Outputs out;
        out.returnedCookies = "";
        httpRequest(url(cookies), out.args());
        EXPECT_EQ(out.returnedCookies, "a=1; b=2; e = 5");
        EXPECT_EQ(out.sendCookies, "");
    }
    {
        Outputs out;  // text already there stays in front, with no separator
        out.returnedCookies = "old";
        httpRequest(url(cookies), out.args());
        EXPECT_EQ(out.returnedCookies, "olda=1; b=2; e = 5");
    }
}

TEST_F(HttpRequestTest, CookiesSentAndMerged)
{
    const struct {
        const char* what;
        Text sent;
        std::string response;
        bool merge;
        Text returned;
        Text sentAfter;
    } cases[] = {
        {"replaced and deleted", "x=0; y=3", "/respond?h=Set-Cookie:%20x=1&h=Set-Cookie:%20y=deleted", true,
         "x=1", "x=1"},
        {"nothing set", "x=1", "/respond", true, "x=1", "x=1"},
        {"spaces lost", "k = v", "/respond", true, "k=v", "k=v"},
        {"no merging", "x=0", "/respond?h=Set-Cookie:%20a=%20b%20c", false, "a= b c", "x=0"},
    };
    for (const auto& c : cases) {
        HttpRequestArgs a;
        a.autoMergeCookies = c.merge;
        Outputs out;
        out.sendCookies = c.sent;
        out.returnedCookies = "";
        httpRequest(url(c.response), out.args(a));
        EXPECT_EQ(out.returnedCookies, c.returned) << c.what;
        EXPECT_EQ(out.sendCookies, c.sentAfter) << c.what;
    }
    // Merging rewrites the cookies to send even when the caller does not ask for the returned ones.
    Text sendOnly = "x=0";
    HttpRequestArgs a;
    a.sendCookies = &sendOnly;
    httpRequest(url("/respond?h=Set-Cookie:%20y=1"), a);
    EXPECT_EQ(sendOnly, "y=1; x=0");

    Outputs out;
    out.sendCookies = "sid=42; lang=zh";
    httpRequest(url("/echo"), out.args());
    EXPECT_EQ(out.responseBytes, "GET /echo HTTP/1.1\r\n" + hostLine() + DefaultBlock + "Cookie: sid=42; lang=zh\r\n\r\n");
}

TEST_F(HttpRequestTest, PagesAreDecodedFromTheirCharset)
{
    const struct {
        const char* fixture;
        Text expectedPart;  // found in the result
        bool converted;     // the result differs from the bytes
    } cases[] = {
        {"utf8.html", gbk("济南软件工程师"), true},
        {"big5.html", gbk("中文國"), true},
        {"gb2312_caps.html", gbk("张喆 工程师"), true},
        {"unknown_charset.html", "\xE4\xB8\xAD\xE6\x96\x87", false},
        {"meta_beyond_1024.html", "\xE4\xB8\xAD\xE6\x96\x87", false},
        {"zero_byte.html", gbk("前"), false},
    };
    for (const auto& c : cases) {
        Outputs out;
        const Text page = httpRequest(url(std::string("/fixture/") + c.fixture), out.args());
        const Bytes raw = fixture(c.fixture);
        EXPECT_EQ(out.responseBytes, raw) << c.fixture;
        EXPECT_NE(page.find(c.expectedPart), std::string::npos) << c.fixture;
        if (!c.converted) {
            EXPECT_EQ(page, text::bytesToText(raw)) << c.fixture;
        }
    }
    Outputs out;
    EXPECT_EQ(httpRequest(url("/fixture/zero_byte.html"), out.args()).find(gbk("后")), std::string::npos);
}

TEST_F(HttpRequestTest, GzipBodySentUnaskedStaysCompressed)
{
    Outputs out;
    const Text page = httpRequest(url("/gzip"), out.args());
    ASSERT_GE(out.responseBytes.size(), 10u);
    EXPECT_EQ(out.responseBytes.substr(0, 3), "\x1F\x8B\x08");
    EXPECT_EQ(page, "\x1F\x8B\x08");  // the text stops at the first zero byte
}

TEST_F(HttpRequestTest, TwentyMegabyteBody)
{
    const int size = 20 * 1024 * 1024;
    Outputs out;
    const Text page = httpRequest(url("/big?size=" + std::to_string(size)), out.args());
    ASSERT_EQ(out.responseBytes.size(), static_cast<size_t>(size));
    EXPECT_EQ(page.size(), static_cast<size_t>(size));
    std::string block;
    for (int i = 1; i < 256; ++i) block += static_cast<char>(i);
    for (size_t at = 0; at < out.responseBytes.size(); at += block.size() * 997)
        ASSERT_EQ(out.responseBytes.compare(at, 255, block, 0, std::min<size_t>(255, size - at)), 0) << at;
}

TEST_F(HttpRequestTest, ThousandHeaderLines)
{
    FakeHost host;
    HttpRequestArgs a;
    a.pump = &host;
    Outputs out;
    EXPECT_EQ(httpRequest(url("/manyheaders?n=1000"), out.args(a)), "many");
    EXPECT_EQ(out.statusText, "200 OK");
    EXPECT_NE(out.returnedHeaders.find("\r\nX-Line-999: value 999\r\n"), std::string::npos);
    EXPECT_GE(host.pumped, 1000);  // once per header line at least
}

TEST_F(HttpRequestTest, StopAbandonsTheRequestAndWritesNothing)
{
    for (const std::string path : {"/never", "/big?size=100000000"}) {
        FakeHost host;
        host.onPump = [](FakeHost& h) {
            if (h.pumped >= 5) h.stop = true;
        };
        HttpRequestArgs a;
        a.pump = &host;
        a.timeoutSeconds = 20;
        Outputs out;
        EXPECT_EQ(httpRequest(url(path), out.args(a)), "") << path;
        EXPECT_TRUE(host.stop);
        EXPECT_EQ(out.statusText, Untouched) << path;
        EXPECT_EQ(out.responseBytes, Untouched) << path;
        EXPECT_EQ(out.returnedHeaders, Untouched) << path;
    }
    // The next request is not disturbed.
    EXPECT_EQ(httpRequest(url("/redirect/0")), "arrived");
}

TEST_F(HttpRequestTest, ConsecutiveRequestsReuseTheConnection)
{
    Outputs first, second;
    httpRequest(url("/echo"), first.args());
    httpRequest(url("/echo/again"), second.args());
    const auto connectionOf = [](const Text& headers) {
        const size_t at = headers.find("X-Connection: ");
        return at == std::string::npos ? std::string() : headers.substr(at, headers.find("\r\n", at) - at);
    };
    ASSERT_NE(connectionOf(first.returnedHeaders), "");
    EXPECT_EQ(connectionOf(first.returnedHeaders), connectionOf(second.returnedHeaders));
}

TEST_F(HttpRequestTest, RequestStartedFromThePumpRunsNested)
{
    FakeHost host;
    Text nestedPage;
    Text nestedStatus;
    host.onPump = [&](FakeHost&) {
        if (!nestedPage.empty()) return;
        HttpRequestArgs inner;
        inner.statusText = &nestedStatus;
        nestedPage = httpRequest(url("/redirect/0"), inner);
    };
    HttpRequestArgs a;
    a.pump = &host;
    Outputs out;
    EXPECT_EQ(httpRequest(url("/big?size=2000000"), out.args(a)).size(), 2000000u);
    EXPECT_EQ(out.statusText, "200 OK");
    EXPECT_EQ(nestedPage, "arrived");
    EXPECT_EQ(nestedStatus, "200 OK");
}

TEST_F(HttpRequestTest, RequestsFromTwoThreadsAtOnce)
{
    const int perThread = 200;
    int good[2] = {0, 0};
    auto requests = [&](int which) {
        for (int i = 0; i < perThread; ++i) {
            const std::string path = "/echo/" + std::to_string(which) + "/" + std::to_string(i);
            Bytes body;
            HttpRequestArgs a;
            a.responseBytes = &body;
            httpRequest(url(path), a);
            if (firstLine(body) == "GET " + path + " HTTP/1.1") ++good[which];
        }
    };
    std::thread other(requests, 1);
    requests(0);
    other.join();
    EXPECT_EQ(good[0], perThread);
    EXPECT_EQ(good[1], perThread);
}

TEST(HttpErrorText, FailureTextsByteForByte)
{
    const struct {
        HttpErrorCode code;
        const char* utf8;
    } cases[] = {
        {HttpErrorCode::PlatformUnsupported, "700 当前系统不支持WinHttp服务!"},
        {HttpErrorCode::BadUrl, "701 解析URL地址失败!"},
        {HttpErrorCode::SessionFailed, "702 创建WinHttp会话失败!"},
        {HttpErrorCode::ConnectFailed, "703 创建WinHttp连接失败!"},
        {HttpErrorCode::RequestFailed, "704 创建WinHttp请求失败!"},
        {HttpErrorCode::TimeoutFailed, "705 设置超时时间失败!"},
        {HttpErrorCode::CredentialsFailed, "707 设置代理凭证失败!"},
        {HttpErrorCode::CookieOptionFailed, "708 禁止自动设置Cookies失败!"},
        {HttpErrorCode::RedirectOptionFailed, "709 重定向设置失败!"},
        {HttpErrorCode::HeadersFailed, "710 设置协议头失败!"},
        {HttpErrorCode::SendFailed, "711 发送请求失败!"},
        {HttpErrorCode::NoResponse, "712 服务器未响应!"},
        {HttpErrorCode::ReadFailed, "713 读取数据失败!"},
        {HttpErrorCode::SecurityFlagsFailed, "忽略错误/证书错误  失败！"},
    };
    for (const auto& c : cases) EXPECT_EQ(httpErrorText(c.code), gbk(c.utf8)) << c.utf8;
    // Spot checks of the GBK bytes themselves.
    EXPECT_EQ(httpErrorText(HttpErrorCode::SendFailed), "711 \xB7\xA2\xCB\xCD\xC7\xEB\xC7\xF3\xCA\xA7\xB0\xDC!");
    EXPECT_EQ(httpErrorText(HttpErrorCode::SecurityFlagsFailed).substr(17), "  \xCA\xA7\xB0\xDC\xA3\xA1");
}

}  // namespace
