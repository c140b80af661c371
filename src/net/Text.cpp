#include "net/Text.h"

#include "platform/CodePage1252.h"

namespace tessarin::net {

namespace {

std::string_view trimmed(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') + 1 - first);
}

} // namespace

std::string WireBytes(std::string_view utf8, std::size_t maxBytes, bool asciiOnly) {
    std::string bytes = ToCodePage1252(utf8);
    for (char& c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (asciiOnly ? !IsAsciiShownByte(b) : !IsShownByte(b))
            c = '?';
    }
    if (bytes.size() > maxBytes)
        bytes.resize(maxBytes);
    return bytes;
}

std::string WireText(std::string_view utf8, std::size_t maxBytes, bool asciiOnly) {
    return FromCodePage1252(WireBytes(utf8, maxBytes, asciiOnly));
}

bool IsStorableName(std::string_view utf8) {
    const std::string bytes = ToCodePage1252(utf8);
    if (bytes.empty() || bytes.size() > kMaxNameLength || trimmed(bytes).size() != bytes.size() ||
        FromCodePage1252(bytes) != utf8) // a character outside the code page
        return false;
    for (const char c : bytes)
        if (!IsShownByte(static_cast<unsigned char>(c)) || c == '/')
            return false;
    return true;
}

std::string FitName(std::string_view utf8) {
    std::string bytes;
    for (const char c : ToCodePage1252(utf8)) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\r' || c == '\n' || c == '\t')
            bytes += ' ';
        else if (c == '/')
            bytes += '?';
        else if (IsShownByte(b))
            bytes += c;
    }
    std::string_view name = trimmed(bytes);
    return FromCodePage1252(trimmed(name.substr(0, kMaxNameLength)));
}

} // namespace tessarin::net
