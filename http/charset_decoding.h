#pragma once
// Turns a response body into the GBK text httpRequest returns. The charset a page declares in a
// meta tag within its first 1024 bytes decides: "gbk" or "gb2312" (exactly so written) or no
// declaration means the bytes are GBK already; any other name is converted from that charset to
// GBK. A name no converter knows leaves the body unconverted; bytes invalid in the declared
// charset, and characters with no GBK form, become "?" and never end the conversion early.

#include "text/message_pump.h"
#include "text/text.h"

// The body as text (the unconverted text stops at the first zero byte; a converted one at the
// first NUL character). Lets the pump process its pending messages before returning.
Text decodeResponseText(const Bytes& body, MessagePump* pump = nullptr);

// The body converted from the named charset to GBK, or false when no converter knows the name.
// The GBK family (gb2312, gbk, x-gbk, cp936 in any letter case) is read as code page 936.
bool convertToGbk(const Bytes& body, const Text& charset, Text& converted);
