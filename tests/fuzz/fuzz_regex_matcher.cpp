// Fuzzes RegexMatcher::execute with pattern, subject and flags from the input, and checks every
// result it reads back.

#include "tests/fuzz/fuzz_input.h"
#include "text/regex_matcher.h"

using fuzz::check;

namespace {

bool isSubjectTextAt(const Text& subject, int position, const Text& text)
{
    const size_t at = static_cast<size_t>(position);
    if (at + text.size() <= subject.size() && subject.compare(at, text.size(), text) == 0) return true;
    return text.find('?') != Text::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const uint8_t flags = in.byte();
    const Text pattern = in.text();
    const Text replacement = in.text();
    const Text subject = in.rest();

    RegexMatcher m;
    const bool ok = m.execute(pattern, subject, flags & 1, flags & 2, !(flags & 4), flags & 8);
    const int count = m.matchCount();
    check(ok || count == 0);
    check(count >= 0);
    if (flags & 4) check(count <= 1);  // not global: the first match only
    for (int i = 0; i <= count + 1; ++i) {
        int position = -7;
        const Text match = m.matchText(i, &position);
        if (i < 1 || i > count) {
            check(match.empty() && position == -2);
            continue;
        }
        // Each text is the subject's own bytes at the reported position, unless some of those
        // bytes were not GBK: then they come back as "?".
        check(position >= 0 && static_cast<size_t>(position) <= subject.size());
        check(isSubjectTextAt(subject, position, match));
        for (int g = 0; g <= m.groupCount() + 1; ++g) {
            int groupPosition = -7;
            const Text group = m.groupText(i, g, &groupPosition);
            if (groupPosition == -2) {
                check(group.empty());
                continue;
            }
            check(groupPosition >= 0 && static_cast<size_t>(groupPosition) <= subject.size());
            check(isSubjectTextAt(subject, groupPosition, group));
        }
    }
    (void)m.pattern();
    // Replacing every match by itself gives the subject back; a failed run gives nothing.
    check(m.replace("$&") == (ok ? subject : Text()));
    (void)m.replace(replacement);
    return 0;
}
