// Fuzzes cookie collection and merging: collectSetCookie, tidyReturnedCookies, mergeCookies,
// cookieName and joinDistinct, checking what each promises.

#include "http/cookies.h"
#include "tests/fuzz/fuzz_input.h"
#include "text/text.h"

using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const Text sentInput = in.text();
    Text returned = in.text();
    std::vector<Text> lines;
    while (true) {
        Text line = in.text();
        if (line.empty()) break;
        lines.push_back(line);
    }
    const size_t before = returned.size();
    const Text start = returned;
    for (const Text& line : lines) {
        const Text was = returned;
        collectSetCookie(line, returned);
        // Only exact "Set-Cookie: " lines add anything, and always "; " at the end.
        if (returned != was) {
            check(line.compare(0, 12, "Set-Cookie: ") == 0);
            check(text::right(returned, 2) == "; ");
        }
    }
    check(returned.compare(0, before, start) == 0);
    tidyReturnedCookies(returned);

    Text sent = sentInput;
    const Text merged = mergeCookies(sent, returned);
    check(merged == sent);
    const std::vector<Text> items = text::split(merged, "; ");
    for (size_t i = 0; i < items.size(); ++i) {
        check(indexOfText(items, items[i]) <= static_cast<int>(i) + 1);
        check(hasCookieNamed(items, cookieName(items[i])));
    }
    // Distinct pieces: joining again keeps every piece once.
    const std::vector<Text> again = text::split(joinDistinct(merged, "; "), "; ");
    for (size_t i = 0; i < again.size(); ++i) check(indexOfText(again, again[i]) == static_cast<int>(i) + 1);
    cookieName(sentInput);
    joinDistinct(sentInput, ";");
    return 0;
}
