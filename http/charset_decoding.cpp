#include "http/charset_decoding.h"

#include <cerrno>
#include <iconv.h>
#include <string>

#include "text/gbk_codec.h"
#include "text/regex_matcher.h"

namespace {

const Text MetaCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
const int MetaSearchWindow = 1024;
// Declared names that mean "already GBK"; compared exactly.
const Text GbkNames[] = {"gbk", "gb2312"};
// Declared names read as code page 936 (letter case ignored): glibc's own GB2312 converter
// rejects characters that pages declaring it use in practice.
const Text GbkFamily[] = {"gb2312", "gbk", "x-gbk", "cp936"};
const char* const GbkCodePage = "CP936";
// Windows reads big5 as its code page 950, a superset of plain Big5.
const Text Big5Name = "big5";
const char* const Big5CodePage = "CP950";
const char16_t ReplacementCharacter = 0xFFFD;

std::string iconvNameFor(const Text& charset)
{
    for (const Text& name : GbkFamily) {
        if (text::compareIgnoringCase(charset, name)) return GbkCodePage;
    }
    if (text::compareIgnoringCase(charset, Big5Name)) return Big5CodePage;
    return charset;
}

// Converts body from the named charset into UTF-16; invalid or incomplete sequences become
// U+FFFD, one per offending byte.
bool toUtf16From(const Bytes& body, const std::string& charset, std::u16string& out)
{
    iconv_t cd = iconv_open("UTF-16LE", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out.clear();
    out.reserve(body.size());
    std::u16string buffer(body.size() + 16, u'\0');
    char* const bufferStart = reinterpret_cast<char*>(&buffer[0]);
    const size_t bufferBytes = buffer.size() * sizeof(char16_t);
    auto keep = [&](const char* end) {
        out.append(buffer.data(), static_cast<size_t>(end - bufferStart) / sizeof(char16_t));
    };
    char* in = const_cast<char*>(body.data());
    size_t inLeft = body.size();
    while (inLeft > 0) {
        char* outPtr = bufferStart;
        size_t outLeft = bufferBytes;
        const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        const int error = rc == static_cast<size_t>(-1) ? errno : 0;
        keep(outPtr);
        if (error == 0 || error == E2BIG) continue;
        if (error != EILSEQ && error != EINVAL) break;
        // An invalid sequence, or an incomplete one at the end: one byte becomes a
        // replacement character and the conversion goes on from the next.
        out.push_back(ReplacementCharacter);
        ++in;
        --inLeft;
    }
    // Ends any shift state.
    char* outPtr = bufferStart;
    size_t outLeft = bufferBytes;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    keep(outPtr);
    iconv_close(cd);
    return true;
}

}  // namespace

bool convertToGbk(const Bytes& body, const Text& charset, Text& converted)
{
    std::u16string utf16;
    if (!toUtf16From(body, iconvNameFor(charset), utf16)) return false;
    converted = text::fromUtf16(utf16);
    return true;
}

Text decodeResponseText(const Bytes& body, MessagePump* pump)
{
    Text result = text::bytesToText(body);
    RegexMatcher matcher;
    // A pattern run that fails (its match limit, say) leaves the page as it came.
    if (!matcher.execute(MetaCharsetPattern, text::left(result, MetaSearchWindow))) return result;
    const Text charset = matcher.groupText(1, 1);
    bool alreadyGbk = charset.empty();
    for (const Text& name : GbkNames) alreadyGbk = alreadyGbk || charset == name;
    if (!alreadyGbk) {
        Text converted;
        if (convertToGbk(body, charset, converted)) result = converted;
    }
    if (pump) pump->processPendingMessages();
    return result;
}
