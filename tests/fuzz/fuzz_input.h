#pragma once
// Cutting a fuzz input into the arguments of the call under test.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

// Reads small numbers from the front of the input, then hands out texts separated by 0x00.
class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    // One byte as a number (0 when the input is used up).
    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    // A small signed number from one byte: -3 .. 12, so that edges (0, -1, 1) come up often.
    int smallInt() { return static_cast<int>(byte() % 16) - 3; }
    bool flag() { return byte() & 1; }
    // The next text, up to the next 0x00 byte or the end.
    std::string text() {
        std::string t;
        while (pos_ < size_ && data_[pos_] != 0) t.push_back(static_cast<char>(data_[pos_++]));
        if (pos_ < size_) ++pos_;
        return t;
    }
    // Everything left, zero bytes included.
    std::string rest() {
        std::string t(reinterpret_cast<const char*>(data_ + pos_), size_ - pos_);
        pos_ = size_;
        return t;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Aborts (a crash libFuzzer reports) when an invariant does not hold.
inline void check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace fuzz
