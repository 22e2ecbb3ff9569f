// Fuzzes the GBK conversions: arbitrary GBK bytes, arbitrary UTF-16 and UTF-8.

#include <cstring>

#include "tests/fuzz/fuzz_input.h"
#include "text/gbk_codec.h"

using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // GBK -> UTF-16: at most one unit per byte, never a surrogate; the checkpoints lead back.
    const std::u16string wide = text::toUtf16(bytes);
    check(wide.size() <= bytes.size());
    for (char16_t u : wide) check(u < 0xD800 || u > 0xDFFF);
    std::u16string again;
    std::vector<uint32_t> checkpoints;
    text::toUtf16(bytes, again, checkpoints);
    check(again == wide);
    size_t b = 0;
    for (size_t u = 0; u < wide.size(); ++u) {
        if (u % text::kUtf16CheckpointStride == 0) check(checkpoints.at(u / text::kUtf16CheckpointStride) == b);
        b += text::gbkUnitBytes(bytes, b);
    }
    check(b == bytes.size());

    // And back: a second round trip is stable.
    const Text back = text::fromUtf16(wide);
    check(text::fromUtf16(text::toUtf16(back)) == back);

    // The bytes as UTF-16 units.
    std::u16string units(size / 2, u'\0');
    if (!units.empty()) std::memcpy(units.data(), data, units.size() * 2);
    const Text fromUnits = text::fromUtf16(units);
    check(fromUnits.find('\0') == Text::npos);
    check(fromUnits.size() <= units.size() * 2);

    // The bytes as UTF-8.
    const Text fromUtf8 = text::fromUtf8(bytes);
    const std::string utf8 = text::toUtf8(fromUtf8);
    check(text::fromUtf8(utf8) == fromUtf8);
    (void)text::toUtf8(bytes);
    return 0;
}
