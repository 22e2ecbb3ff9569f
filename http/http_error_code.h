#pragma once
// The numbered failure texts httpRequest writes to its statusText output. Each text is fixed,
// in GBK; there is no code 706, and the certificate-options failure has no number.

#include "text/text.h"

enum class HttpErrorCode {
    PlatformUnsupported = 700,  // the HTTP library cannot be used on this system
    BadUrl = 701,               // not an absolute http:// or https:// address with a host
    SessionFailed = 702,        // no transfer handle, or the proxy could not be set
    ConnectFailed = 703,        // the address could not be handed to the library
    RequestFailed = 704,        // the verb or protocol options could not be set
    TimeoutFailed = 705,        // the time-outs could not be set
    CredentialsFailed = 707,    // server or proxy credentials could not be set
    CookieOptionFailed = 708,   // the library's own cookie handling could not be switched off
    RedirectOptionFailed = 709, // the redirect options could not be set
    HeadersFailed = 710,        // the request header lines could not be set
    SendFailed = 711,           // the request never reached the server
    NoResponse = 712,           // no status line came back (time-out, empty reply, redirect loop)
    ReadFailed = 713,           // the body was cut off after the headers
    SecurityFlagsFailed = -1,   // certificate checks could not be switched off
};

// The failure text of a code, e.g. "711 发送请求失败!" (as GBK).
Text httpErrorText(HttpErrorCode code);
