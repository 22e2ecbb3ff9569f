#pragma once
// Helpers for the text tests: GBK literals written as UTF-8 source text.

#include <string>

#include "text/gbk_codec.h"

namespace testutil {

inline Text g(const std::string& utf8) { return text::fromUtf8(utf8); }

}  // namespace testutil
