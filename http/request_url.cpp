#include "http/request_url.h"

#include <cctype>

#include "text/gbk_codec.h"

namespace {

const int HttpPort = 80;
const int HttpsPort = 443;
const int MaxPort = 65535;
// Bytes of a path or query sent percent-encoded besides blanks, control bytes and non-ASCII.
const std::string EncodedPunctuation = "#\"<>`{}";
// Bytes that may not appear in a host name.
const std::string BadHostBytes = "/?#@[]\\\"<>^`{|}%";

bool startsWithIgnoringCase(const std::string& s, const std::string& prefix)
{
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
    }
    return true;
}

std::string percentEncoded(const std::string& raw)
{
    static const char Hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(raw.size());
    for (const char c : raw) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7F || EncodedPunctuation.find(c) != std::string::npos) {
            out += '%';
            out += Hex[b >> 4];
            out += Hex[b & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

bool parsePort(const std::string& digits, int& port)
{
    if (digits.empty() || digits.size() > 5) return false;
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > MaxPort) return false;
    port = value;
    return true;
}

}  // namespace

bool parseRequestUrl(const Text& url, RequestTarget& target)
{
    const std::string address = text::toUtf8(url);
    std::string rest;
    if (startsWithIgnoringCase(address, "https://")) {
        target.secure = true;
        rest = address.substr(8);
    } else if (startsWithIgnoringCase(address, "http://")) {
        target.secure = false;
        rest = address.substr(7);
    } else {
        return false;
    }
    const size_t authorityEnd = rest.find_first_of("/?#");
    std::string authority = rest.substr(0, authorityEnd);
    const std::string tail = authorityEnd == std::string::npos ? std::string() : rest.substr(authorityEnd);
    const size_t at = authority.rfind('@');
    if (at != std::string::npos) authority.erase(0, at + 1);

    std::string host;
    std::string portText;
    if (!authority.empty() && authority[0] == '[') {
        const size_t close = authority.find(']');
        if (close == std::string::npos) return false;
        host = authority.substr(0, close + 1);
        const std::string after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after[0] != ':') return false;
            portText = after.substr(1);
        }
        if (host.size() <= 2) return false;
    } else {
        const size_t colon = authority.find(':');
        host = authority.substr(0, colon);
        if (colon != std::string::npos) portText = authority.substr(colon + 1);
        if (host.empty()) return false;
        for (const char c : host) {
            const auto b = static_cast<unsigned char>(c);
            if (b <= 0x20 || b == 0x7F || BadHostBytes.find(c) != std::string::npos || c == ':')
                return false;
        }
    }
    const int defaultPort = target.secure ? HttpsPort : HttpPort;
    target.port = defaultPort;
    if (!portText.empty() && !parsePort(portText, target.port)) return false;
    target.host = host;
    target.hostHeader = target.port == defaultPort ? host : host + ":" + std::to_string(target.port);
    target.object = !tail.empty() && tail[0] == '/' ? percentEncoded(tail) : std::string("/");
    target.address = std::string(target.secure ? "https://" : "http://") + host + ":" +
                     std::to_string(target.port) + target.object;
    return true;
}
