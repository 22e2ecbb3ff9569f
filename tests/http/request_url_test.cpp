#include "http/request_url.h"

#include <gtest/gtest.h>

#include "tests/support/fake_host.h"

namespace {

struct UrlCase {
    Text url;
    bool secure;
    std::string host;
    int port;
    std::string object;
};

TEST(ParseRequestUrl, CracksSchemeHostPortAndObject)
{
    const UrlCase cases[] = {
        {"https://example.com", true, "example.com", 443, "/"},
        {"http://example.com", false, "example.com", 80, "/"},
        {"HTTPS://Example.com:8443/a", true, "Example.com", 8443, "/a"},
        {"http://h/a/b.html?x=1&y=2", false, "h", 80, "/a/b.html?x=1&y=2"},
        {"http://h?x=1", false, "h", 80, "/"},  // no path: the query is not sent
        {"http://h:/p", false, "h", 80, "/p"},
        {"http://user:pw@h:81/p", false, "h", 81, "/p"},
        {"http://[::1]:8080/p", false, "[::1]", 8080, "/p"},
        {"https://h/list/120000,000000,0000,00,9,99,java,2,1.html?lang=c&x=%20",
         true, "h", 443, "/list/120000,000000,0000,00,9,99,java,2,1.html?lang=c&x=%20"},
        // Bytes that cannot go raw into a request line are percent-encoded.
        {"http://h/s/c# and c++?q=a b", false, "h", 80, "/s/c%23%20and%20c++?q=a%20b"},
        {"http://h/" + gbk("开发") + "?k=" + gbk("济南"), false, "h", 80,
         "/%E5%BC%80%E5%8F%91?k=%E6%B5%8E%E5%8D%97"},
        {"http://h/a\tb\x7F\"<>`{}|^\\", false, "h", 80, "/a%09b%7F%22%3C%3E%60%7B%7D|^\\"},
        {"http://h/%41%zz", false, "h", 80, "/%41%zz"},
    };
    for (const UrlCase& c : cases) {
        RequestTarget target;
        ASSERT_TRUE(parseRequestUrl(c.url, target)) << c.url;
        EXPECT_EQ(target.secure, c.secure) << c.url;
        EXPECT_EQ(target.host, c.host) << c.url;
        EXPECT_EQ(target.port, c.port) << c.url;
        EXPECT_EQ(target.object, c.object) << c.url;
        EXPECT_EQ(target.address, std::string(c.secure ? "https://" : "http://") + c.host + ":" +
                                      std::to_string(c.port) + c.object)
            << c.url;
    }
}

TEST(ParseRequestUrl, HostHeaderNamesThePortOnlyWhenItIsNotTheDefault)
{
    const std::pair<Text, std::string> cases[] = {
        {"http://h/", "h"},           {"http://h:80/", "h"},         {"https://h:443", "h"},
        {"https://h:80/", "h:80"},    {"http://h:443/", "h:443"},    {"http://h:8080/", "h:8080"},
        {"https://[::1]/", "[::1]"}, {"https://[::1]:81/", "[::1]:81"},
    };
    for (const auto& [url, expected] : cases) {
        RequestTarget target;
        ASSERT_TRUE(parseRequestUrl(url, target)) << url;
        EXPECT_EQ(target.hostHeader, expected) << url;
    }
}

TEST(ParseRequestUrl, RejectsWhatIsNotAnAbsoluteHttpAddress)
{
    const Text bad[] = {
        "", "/relative/path", "relative.html", "example.com/x", "file:///etc/passwd", "ftp://h/x",
        "http://", "https:///path", "http://:80/", "http://h:0/", "http://h:65536/", "http://h:8x/",
        "http//h/", "http:/h/", "http://a b/", "http://[::1/", "http://h:1:2/", "javascript:alert(1)",
    };
    for (const Text& url : bad) {
        RequestTarget target;
        EXPECT_FALSE(parseRequestUrl(url, target)) << url;
    }
}

}  // namespace
