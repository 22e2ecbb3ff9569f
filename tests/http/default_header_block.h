#pragma once
// The header block every request carries when the caller adds nothing: the default lines in
// their order, without a line break after the last.

#include "text/text.h"

inline const Text DefaultHeaderBlock =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n"
    "Cache-Control: no-cache";
