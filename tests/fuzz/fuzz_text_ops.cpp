// Fuzzes the GBK text primitives and the marker helpers with arbitrary bytes, checking the
// results against what each operation promises.

#include <cmath>
#include <cstring>

#include "tests/fuzz/fuzz_input.h"
#include "text/extract.h"
#include "text/text.h"

using fuzz::check;

namespace {

// Whether 0-based offset i is the first byte of a character of t.
bool onBoundary(const Text& t, size_t i) {
    size_t k = 0;
    while (k < i) k += (static_cast<unsigned char>(t[k]) >= 0x80 && k + 1 < t.size()) ? 2 : 1;
    return k == i;
}

std::string join(const std::vector<Text>& parts, const Text& d) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) out += d;
        out += parts[i];
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const int start = in.smallInt();
    const int count = in.smallInt();
    const bool ignoreCase = in.flag();
    const Text s = in.text();
    const Text r = in.text();
    const Text t = in.rest();
    const int n = text::length(t);

    // find: a position at or after start, on a character boundary, holding s.
    const int f = text::find(t, s, start, ignoreCase);
    check(f == -1 || (f >= 1 && f <= n));
    if (f > 0 && s.empty()) check(f == 1);
    if (f > 0 && !s.empty()) {
        check(f >= (start < 1 ? 1 : start));
        check(static_cast<size_t>(f - 1 + s.size()) <= t.size());
        check(onBoundary(t, static_cast<size_t>(f - 1)));
        const Text found = text::mid(t, f, text::length(s));
        check(ignoreCase ? text::compareIgnoringCase(found, s) : found == s);
    }

    // findReverse: wholly before the limit.
    const int limit = start == 12 ? -1 : start;
    const int fr = text::findReverse(t, s, limit, ignoreCase);
    check(fr == -1 || (fr >= 1 && fr <= n));
    if (fr > 0 && !s.empty()) {
        const int l = (limit < 0 || limit > n + 1) ? n + 1 : limit;
        check(fr - 1 + text::length(s) <= l - 1);
        check(onBoundary(t, static_cast<size_t>(fr - 1)));
    }

    // replace: replacing s by itself changes nothing (letter case aside); lengths move in steps
    // of |r| - |s|.
    const Text same = text::replace(t, s, s, start, count, !ignoreCase);
    check(ignoreCase ? text::compareIgnoringCase(same, t) : same == t);
    const Text replaced = text::replace(t, s, r, start, count, !ignoreCase);
    const long long delta = static_cast<long long>(replaced.size()) - static_cast<long long>(t.size());
    const long long step = static_cast<long long>(r.size()) - static_cast<long long>(s.size());
    check(step == 0 ? delta == 0 : delta % step == 0);

    // split: joining the parts gives the text back (less a final separator).
    const std::vector<Text> parts = text::split(t, s, -1);
    const std::vector<std::string_view> views = text::splitViews(t, s, -1);
    check(parts.size() == views.size());
    for (size_t i = 0; i < parts.size(); ++i) check(parts[i] == views[i]);
    if (t.empty()) {
        check(parts.empty());
    } else if (!s.empty()) {
        const std::string joined = join(parts, s);
        check(joined == t || joined + s == t);
    }
    check(text::split(t, s, count).size() <= (count < 0 ? parts.size() : static_cast<size_t>(count)));

    // The marker helpers return pieces of the text.
    const Text before = text::textBefore(t, s, start, ignoreCase);
    check(t.compare(0, before.size(), before) == 0);
    const Text after = text::textAfter(t, s, limit, ignoreCase);
    check(after.size() <= t.size() && t.compare(t.size() - after.size(), after.size(), after) == 0);
    const Text between = text::textBetween(t, s, r, start, ignoreCase);
    check(between.empty() || t.find(between) != Text::npos);

    const Text trimmed = text::trim(t);
    check(t.find(trimmed) != Text::npos);
    check(text::removeSpaces(t).size() <= t.size());
    check(text::toUpper(t).size() == t.size());
    check((text::compareText(t, s) > 0) == (text::compareText(s, t) < 0));

    (void)text::toInt(t);
    const float x = text::toFloat(t);
    (void)text::toText(x);
    (void)text::toText(static_cast<double>(x));
    if (std::isfinite(x)) (void)text::roundNumber(x, count);
    (void)text::bytesMid(t, start, count);
    return 0;
}
