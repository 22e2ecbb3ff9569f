#include "http/request_headers.h"

#include "http/cookies.h"
#include "text/extract.h"

namespace {

const Text LineBreak = "\r\n";

struct DefaultHeader {
    const char* searchKey;
    const char* line;
    bool formPostOnly;
};

// Tried in this order; each is appended when its key is found nowhere in the block so far.
const DefaultHeader DefaultHeaders[] = {
    {"User-Agent: ", "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n", false},
    {"Accept: ", "Accept: text/html, application/xhtml+xml, */*\r\n", false},
    {"Accept-Encoding: ", "Accept-Encoding: gbk, GB2312\r\n", false},
    {"Accept-Language: ", "Accept-Language: zh-cn\r\n", false},
    {"Content-Type:", "Content-Type: application/x-www-form-urlencoded\r\n", true},
    {"Cache-Control: ", "Cache-Control: no-cache\r\n", false},
};
const int FormPostMethod = 1;

const Text ConnectionName = "Connection";
const Text KeepAlive = "keep-alive";
const Text KeepAliveLine = "Connection: keep-alive\r\n";
const Text CookieKey = "Cookie:";
const Text CookieLineStart = "\r\nCookie: ";

const Text StatusLinePrefixLength = "HTTP/1.1 ";  // only its length is used
const Text LocationKey = "Location: ";

}  // namespace

Text buildRequestHeaders(const Text& extraHeaders, int method, const Text& sendCookies,
                         bool completeHeaders, bool capitaliseHeaderNames)
{
    Text block;
    if (!extraHeaders.empty()) block = extraHeaders + LineBreak;
    if (completeHeaders) {
        for (const DefaultHeader& row : DefaultHeaders) {
            if (row.formPostOnly && method != FormPostMethod) continue;
            if (text::find(block, row.searchKey, 1, true) == -1) block += row.line;
        }
    }
    if (capitaliseHeaderNames) block = normaliseHeaderNames(block);
    if (text::find(block, ConnectionName) != -1 &&
        text::compareText(headerValue(block, ConnectionName), KeepAlive) == 0)
        block = text::replace(block, KeepAliveLine, Text());
    if (text::find(block, CookieKey, 1, true) == -1 && !sendCookies.empty()) {
        if (text::find(sendCookies, CookieKey, 1, true) != -1)
            block += LineBreak + sendCookies + LineBreak;
        else
            block += CookieLineStart + sendCookies + LineBreak;
    }
    return block;
}

Text normaliseHeaderNames(const Text& block)
{
    Text out;
    for (const Text& line : text::split(block, LineBreak)) {
        const int colon = text::find(line, ":");
        if (colon == -1) continue;
        const Text name = text::left(line, colon - 1);
        Text newName;
        if (text::find(name, "-") != -1) {
            const std::vector<Text> words = text::split(name, "-");
            for (size_t i = 0; i < words.size(); ++i) {
                if (i > 0) newName += "-";
                newName += capitaliseFirst(words[i]);
            }
        } else {
            newName = capitaliseFirst(name);
        }
        // Everything after the old name; a name ending in "-" loses its last empty word in the
        // split, so the rest then starts with that "-".
        out += newName;
        out += text::right(line, text::length(line) - text::length(newName));
        out += LineBreak;
    }
    return text::left(out, text::length(out) - text::length(LineBreak));
}

Text capitaliseFirst(const Text& t)
{
    if (t.empty()) return t;
    return text::toUpper(text::left(t, 1)) + t.substr(1);
}

Text headerValue(const Text& block, const Text& name)
{
    for (const Text& line : text::split(block, LineBreak)) {
        if (text::compareText(text::left(line, text::length(name)), name) == 0)
            return text::textAfter(line, name + ": ");
    }
    return Text();
}

void readResponseHeaders(const Bytes& rawBlock, const ResponseHeaderTargets& targets,
                         MessagePump* pump)
{
    const Text block = text::bytesToText(rawBlock);
    if (targets.returnedHeaders) *targets.returnedHeaders = block;
    if (targets.statusText) {
        const int statusStart = text::length(StatusLinePrefixLength) + 1;
        const int lineEnd = text::find(block, LineBreak, statusStart);
        *targets.statusText =
            lineEnd == -1 ? Text() : text::mid(block, statusStart, lineEnd - statusStart);
    }
    for (const Text& line : text::split(block, LineBreak)) {
        if (targets.returnedCookies) collectSetCookie(line, *targets.returnedCookies);
        if (targets.redirectLocation &&
            text::compareIgnoringCase(text::left(line, text::length(LocationKey)), LocationKey))
            *targets.redirectLocation = text::mid(line, text::length(LocationKey) + 1,
                                                  text::length(line));
        if (pump) pump->processPendingMessages();
    }
}
