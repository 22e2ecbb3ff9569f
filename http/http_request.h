#pragma once
// httpRequest: the program's one network operation. One HTTP or HTTPS exchange over libcurl,
// returning the response body as GBK text.
//
// Every failure yields the empty text and, where it has one, a numbered failure text in
// statusText; nothing is thrown. Outputs are written only when the caller passes somewhere to
// write them, and are never cleared first. Threads may call it at once; each keeps its own
// connections.

#include "http/http_error_code.h"
#include "text/message_pump.h"
#include "text/text.h"

// Request verbs by index; any other index is sent as "GET".
enum class HttpMethod { Get = 0, Post = 1, Head = 2, Put = 3, Options = 4, Delete = 5, Trace = 6, Connect = 7 };

// The arguments after the address, each with its default. Outputs are pointers: nullptr means
// "not asked for".
struct HttpRequestArgs {
    int method = 0;
    Text postText;
    Text* sendCookies = nullptr;      // in/out: cookies to send; the merged text afterwards
    Text* returnedCookies = nullptr;  // out: cookies set by the response, appended
    Text extraHeaders;
    Text* returnedHeaders = nullptr;  // out: raw response header block (CRLF lines)
    bool forbidRedirect = false;
    Text userName;
    Text password;
    Text proxy;  // host:port; empty means a direct connection
    Text proxyUserName;
    Text proxyPassword;
    int timeoutSeconds = 0;            // 0 or less means 30
    Text* redirectLocation = nullptr;  // out: value of a "Location: " header
    Text* statusText = nullptr;        // out: "200 OK" or a failure text
    Bytes* responseBytes = nullptr;    // out: the raw body
    bool autoMergeCookies = true;
    bool completeHeaders = true;
    Bytes postBytes;
    bool capitaliseHeaderNames = true;

    // Lets the window keep painting while the request waits, and abandons the request at once
    // when it says the job must stop (the result is then empty and no output is written).
    MessagePump* pump = nullptr;
};

Text httpRequest(const Text& url, const HttpRequestArgs& args = HttpRequestArgs());
