// Fuzzes decodeResponseText with arbitrary bodies, half of them behind a meta tag naming a
// charset from the input, and the address cracking of requests.

#include "http/charset_decoding.h"
#include "http/request_url.h"
#include "tests/fuzz/fuzz_input.h"
#include "text/text.h"

using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const bool declared = in.flag();
    const Text charset = in.text();
    const Bytes rest = in.rest();
    const Bytes body = declared ? "<meta charset=" + charset + ">" + rest : rest;

    const Text page = decodeResponseText(body);
    check(page.find('\0') == std::string::npos);
    // Without "charset=" anywhere (any letter case, any byte position) the page is the bytes.
    std::string upper = body;
    for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (!declared && upper.find("CHARSET=") == std::string::npos)
        check(page == text::bytesToText(body));

    RequestTarget target;
    if (parseRequestUrl(charset, target)) {
        check(!target.host.empty());
        check(target.port >= 1 && target.port <= 65535);
        check(!target.object.empty() && target.object[0] == '/');
        for (const char c : target.object) {
            const auto b = static_cast<unsigned char>(c);
            check(b > 0x20 && b < 0x7F && c != '#');
        }
    }
    return 0;
}
