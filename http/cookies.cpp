#include "http/cookies.h"

#include "text/extract.h"

namespace {

const Text SetCookieName = "Set-Cookie";
const Text SetCookieMarker = "Set-Cookie:";
const Text NameSeparator = ": ";
const Text AttributeSeparator = ";";
const Text ItemSeparator = "; ";
const Text DeletedMark = "=deleted";

}  // namespace

void collectSetCookie(const Text& line, Text& returnedCookies)
{
    if (text::compareText(text::textBefore(line, NameSeparator), SetCookieName) != 0) return;
    Text value;
    if (text::find(line, AttributeSeparator) > 0)
        value = text::textBetween(line, SetCookieMarker, AttributeSeparator);
    else
        value = text::replace(line, SetCookieMarker, Text(), 1, -1, false);
    returnedCookies += text::trim(value);
    returnedCookies += ItemSeparator;
}

void tidyReturnedCookies(Text& returnedCookies)
{
    if (text::compareText(text::right(returnedCookies, 2), ItemSeparator) == 0)
        returnedCookies.resize(returnedCookies.size() - ItemSeparator.size());
}

Text mergeCookies(Text& sendCookies, Text& returnedCookies)
{
    sendCookies = text::removeSpaces(sendCookies);
    returnedCookies = text::removeSpaces(returnedCookies);
    const std::vector<Text> oldItems = text::split(sendCookies, AttributeSeparator);
    std::vector<Text> items = text::split(returnedCookies, AttributeSeparator);
    for (const Text& item : oldItems) {
        // The test sees the items appended in earlier rounds: of two sent items with one name,
        // only the first is taken.
        if (!hasCookieNamed(items, cookieName(item))) items.push_back(item);
    }
    Text merged;
    for (const Text& item : items) {
        if (text::compareText(text::right(item, 8), DeletedMark) == 0) continue;
        merged += item;
        merged += ItemSeparator;
    }
    if (!merged.empty()) merged.resize(merged.size() - ItemSeparator.size());
    merged = joinDistinct(merged, ItemSeparator);
    sendCookies = merged;
    return merged;
}

Text cookieName(const Text& item)
{
    const int equals = text::find(item, "=");
    return text::trim(equals > 0 ? text::left(item, equals - 1) : item);
}

bool hasCookieNamed(const std::vector<Text>& items, const Text& name)
{
    for (const Text& item : items) {
        if (text::compareText(cookieName(item), name) == 0) return true;
    }
    return false;
}

Text joinDistinct(const Text& t, const Text& separator)
{
    std::vector<Text> seen;
    Text joined;
    for (const Text& piece : text::split(t, separator)) {
        if (indexOfText(seen, piece) != -1) continue;
        seen.push_back(piece);
        joined += piece;
        joined += separator;
    }
    return text::left(joined, text::length(joined) - text::length(separator));
}

int indexOfText(const std::vector<Text>& items, const Text& t)
{
    for (size_t i = 0; i < items.size(); ++i) {
        if (text::compareText(items[i], t) == 0) return static_cast<int>(i) + 1;
    }
    return -1;
}
