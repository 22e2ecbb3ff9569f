#pragma once
// Cookies as plain text. httpRequest keeps no cookie store: the caller passes the cookies to send
// ("name=value; name=value") and gets back the cookies the response set. These functions collect
// Set-Cookie header values, tidy the collected text and merge it with the cookies sent, so the
// result can be fed into the next request. Texts are GBK; comparisons are exact byte
// comparisons. Nothing here fails: malformed items pass through as text.

#include <vector>

#include "text/text.h"

// For a header line named exactly "Set-Cookie" (followed by ": "), appends the cookie's
// name=value (trimmed, attributes after the first ";" dropped) and "; " to returnedCookies.
// Other lines leave it as it is.
void collectSetCookie(const Text& line, Text& returnedCookies);

// Removes a final "; " left by collectSetCookie.
void tidyReturnedCookies(Text& returnedCookies);

// Merges the cookies sent with those the response set: first the response's cookies in order,
// then the sent cookies whose names the response did not set; items ending in "=deleted" are
// dropped and identical items kept once. All spaces are removed from both texts. Both
// sendCookies and the result hold the merged text; returnedCookies keeps its space-free form.
Text mergeCookies(Text& sendCookies, Text& returnedCookies);

// The name of a cookie item: the part before its first "=" (the whole item without one), trimmed.
Text cookieName(const Text& item);

// True when some item's cookieName equals name.
bool hasCookieNamed(const std::vector<Text>& items, const Text& name);

// The text split at separator, with every piece equal to an earlier one removed, joined again.
Text joinDistinct(const Text& t, const Text& separator);

// 1-based position of the first item equal to t; -1 when there is none.
int indexOfText(const std::vector<Text>& items, const Text& t);
