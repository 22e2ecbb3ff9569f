#pragma once
// Cracks a request address: "http://" or "https://" (any letter case), a host, an optional port,
// and the path with its query. The path and query are made fit for a request line: bytes that
// cannot go raw (blanks, control bytes, "#", quotes, angle brackets, braces, backquote, and
// non-ASCII characters, taken as the UTF-8 of the GBK character) are percent-encoded; every other
// byte, "%" included, is kept. A user name and password inside the address are not used.

#include <string>

#include "text/text.h"

struct RequestTarget {
    bool secure = false;
    std::string host;        // as written (an IPv6 literal keeps its brackets), UTF-8
    int port = 0;            // the scheme's default when the address names none
    std::string hostHeader;  // host, and ":" port unless it is the scheme's default
    std::string object;      // "/" when the address has no path (a query is then not sent)
    std::string address;     // scheme://host:port + object, ready for the transfer library
};

// False for anything else: an empty or relative address, another scheme, no host, a bad port.
bool parseRequestUrl(const Text& url, RequestTarget& target);
