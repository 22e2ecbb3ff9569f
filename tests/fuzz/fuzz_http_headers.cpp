// Fuzzes the request header block (normaliseHeaderNames, buildRequestHeaders) and the reading of
// raw response header blocks (readResponseHeaders), checking what each promises.

#include "http/request_headers.h"
#include "tests/fuzz/fuzz_input.h"
#include "text/text.h"

using fuzz::check;

namespace {

std::vector<Text> linesOf(const Text& block)
{
    return text::split(block, "\r\n");
}

void checkNormalised(const Text& block)
{
    const Text out = normaliseHeaderNames(block);
    // Only letter case changes, and only lines with a colon stay, in their order.
    std::vector<Text> kept;
    for (const Text& line : linesOf(block)) {
        if (text::find(line, ":") != -1) kept.push_back(line);
    }
    Text expected;
    for (size_t i = 0; i < kept.size(); ++i) expected += (i ? "\r\n" : "") + kept[i];
    check(out.size() == expected.size());
    check(text::compareIgnoringCase(out, expected));
    // Normalising twice changes nothing (ASCII blocks: a GBK lead byte may swallow a line break).
    bool ascii = true;
    for (const char c : block) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) check(normaliseHeaderNames(out) == out);
}

void checkResponse(const Bytes& raw)
{
    Text headers, status = "s", location = "l", cookies = "c";
    ResponseHeaderTargets targets;
    targets.returnedHeaders = &headers;
    targets.statusText = &status;
    targets.redirectLocation = &location;
    targets.returnedCookies = &cookies;
    readResponseHeaders(raw, targets);
    check(headers == text::bytesToText(raw));
    check(headers.find('\0') == std::string::npos);
    check(status.empty() || headers.compare(9, status.size(), status) == 0);
    // In a block of whole GBK characters (what the engine hands over), the status text ends at
    // the first line break.
    bool ascii = true;
    for (const char c : raw) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) check(status.find("\r\n") == std::string::npos);
    check(location == "l" || headers.find(location) != std::string::npos);
    check(cookies.compare(0, 1, "c") == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const int method = in.smallInt();
    const bool complete = in.flag();
    const bool capitalise = in.flag();
    const Text extra = in.text();
    const Text cookies = in.text();
    const Text raw = in.rest();

    checkNormalised(extra);
    const Text block = buildRequestHeaders(extra, method, cookies, complete, capitalise);
    if (complete) check(text::find(block, "User-Agent", 1, true) != -1);
    if (!cookies.empty()) check(text::find(block, "Cookie:", 1, true) != -1);
    capitaliseFirst(extra);
    headerValue(extra, cookies);
    checkResponse(raw);
    return 0;
}
