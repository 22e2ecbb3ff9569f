#pragma once
// GBK text primitives.
//
// A Text is a GBK (code page 936) byte string; an absent text is the empty text. Lengths count
// bytes and positions are 1-based byte positions. A byte of 0x80 or more starts a two-byte
// character: every operation here except left, right and mid steps over such pairs, so a match
// never starts on a second byte. Letter-case folding is ASCII only.

#include <string>
#include <string_view>
#include <vector>

using Text = std::string;   // GBK bytes
using Bytes = std::string;  // raw bytes, may hold zero bytes

namespace text {

int length(const Text& t);
// First / last min(n, length) bytes; "" when n <= 0.
Text left(const Text& t, int n);
Text right(const Text& t, int n);
// Up to n bytes from start; "" when start < 1, start > length or n <= 0.
Text mid(const Text& t, int start, int n);
// First byte as a signed value; 0 for "".
int charCode(const Text& t);

// Position of the first s at or after start, else -1. An empty s gives 1 when bytes start ..
// length are not empty (a start below 1 counts as 1).
int find(const Text& t, const Text& s, int start = 1, bool ignoreCase = false);
// Position of the last s lying wholly in bytes 1 .. limit-1, else -1. limit < 0 means length+1.
int findReverse(const Text& t, const Text& s, int limit = -1, bool ignoreCase = false);
// From start on, the first count occurrences of s become r (count < 0: all). No change when
// t or s is empty or start > length.
Text replace(const Text& t, const Text& s, const Text& r = Text(), int start = 1, int count = -1,
             bool caseSensitive = true);
// Parts between the separators d: leading and inner empty parts kept, an empty part after a
// final separator dropped, "" gives none; at most count parts (count < 0: all).
std::vector<Text> split(const Text& t, const Text& d = ",", int count = -1);
// The same parts as split, as views into t (t must outlive them).
std::vector<std::string_view> splitViews(std::string_view t, std::string_view d, int count = -1);

// Leading and trailing runs of 0x20 and 0xA1 0xA1 removed; tabs and line breaks stay.
Text trim(const Text& t);
// Every 0x20 and 0xA1 0xA1 removed.
Text removeSpaces(const Text& t);
// a..z become A..Z.
Text toUpper(const Text& t);
bool compareIgnoringCase(const Text& a, const Text& b);

// Full-width digits, point, signs, space, tilde and asterisk are mapped to ASCII first; then
// leading white space, a sign and digits (toInt) or a decimal number with point and exponent
// (toFloat, one rounding to 32-bit). No number gives 0.
int toInt(const Text& t);
float toFloat(const Text& t);
// Halves away from zero, with a nudge of 1e-12 on the magnitude.
double roundNumber(double x, int digits = 0);

// Integers "%d"; 32-bit floats rounded to 6 significant digits (halves up) then "%.6g";
// 64-bit floats "%.13g". Exponents are always a sign and three digits (1e+006).
Text toText(int n);
Text toText(long long n);
Text toText(float x);
Text toText(double x);

// Byte strings.
Bytes toBytes(const Text& t);            // the bytes, no terminator
Text bytesToText(const Bytes& b);        // the bytes before the first zero byte
int bytesLength(const Bytes& b);
Bytes bytesLeft(const Bytes& b, int n);
Bytes bytesMid(const Bytes& b, int start, int n);  // a start below 1 counts as 1
Bytes zeroBytes(int n);

}  // namespace text
