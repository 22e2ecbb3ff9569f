#pragma once
// Request and response header blocks. A header block is header lines ("Name: value") joined by
// "\r\n". buildRequestHeaders makes the block every request carries: the caller's lines, the
// browser-like default lines the caller did not give, and the cookie line. readResponseHeaders
// turns a raw response header block into httpRequest's outputs. Texts are GBK.

#include "text/message_pump.h"
#include "text/text.h"

// The request block from the caller's extra lines: defaults added when completeHeaders (each
// only when its name is absent, case ignored; the form content type only for method 1), names
// capitalised when capitaliseHeaderNames, a redundant "Connection: keep-alive" line dropped and a
// "Cookie: " line for sendCookies unless the block already has one. May be empty.
Text buildRequestHeaders(const Text& extraHeaders, int method, const Text& sendCookies,
                         bool completeHeaders, bool capitaliseHeaderNames);

// Every header name capitalised per dash-separated word (user-agent -> User-Agent); lines
// without a colon dropped; no byte after a name changes. No line break at the end.
Text normaliseHeaderNames(const Text& block);

// The first byte upper-cased when it is an ASCII letter; the rest unchanged.
Text capitaliseFirst(const Text& t);

// The value after the last name + ": " of the first line that starts with name; "" when no line
// starts with name.
Text headerValue(const Text& block, const Text& name);

// Where readResponseHeaders writes; a null target is not written.
struct ResponseHeaderTargets {
    Text* returnedHeaders = nullptr;
    Text* statusText = nullptr;
    Text* redirectLocation = nullptr;
    Text* returnedCookies = nullptr;  // Set-Cookie values are appended (see cookies.h)
};

// Reads a raw response block (status line, header lines, each ended by "\r\n"; cut at a zero
// byte): the block itself, the status text after the nine-byte "HTTP/1.1 " prefix, the value of
// the last "Location: " line (case ignored) and every Set-Cookie value. Lets the pump process
// its pending messages after each line.
void readResponseHeaders(const Bytes& rawBlock, const ResponseHeaderTargets& targets,
                         MessagePump* pump = nullptr);
