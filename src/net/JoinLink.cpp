#include "net/JoinLink.h"

#include "net/AddressScope.h"
#include "net/Protocol.h"

#include <algorithm>

namespace tessarin::net {

namespace {

constexpr std::string_view kScheme = "tessarin://";
// Longer than any address with a port; what is longer is not one.
constexpr std::size_t kMaxAddressLength = 300;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHex(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
bool allOf(std::string_view s, bool (*test)(char)) {
    return std::all_of(s.begin(), s.end(), test);
}

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A whole number of at most `digits` digits, or nothing.
std::optional<unsigned long> number(std::string_view s, std::size_t digits) {
    if (s.empty() || s.size() > digits || !allOf(s, isDigit))
        return std::nullopt;
    unsigned long n = 0;
    for (const char c : s)
        n = n * 10 + static_cast<unsigned long>(c - '0');
    return n;
}

enum class AddressFault { None, NoAddress, BadAddress, Unbracketed, BadPort };

// HOST, HOST:PORT or [IPV6]:PORT; a bare IPv6 address only where allowed
// (a port could not be told from its last group).
AddressFault splitHostPort(std::string_view text, bool bareIPv6, HostPort& out) {
    if (text.empty())
        return AddressFault::NoAddress;
    if (text.size() > kMaxAddressLength)
        return AddressFault::BadAddress;
    std::string_view host = text, port;
    bool hasPort = false;
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos || !IsIPv6Address(text.substr(1, close - 1)))
            return AddressFault::BadAddress;
        host = text.substr(1, close - 1);
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty() && rest.front() != ':')
            return AddressFault::BadAddress;
        hasPort = !rest.empty();
        port = hasPort ? rest.substr(1) : rest;
    } else if (std::count(text.begin(), text.end(), ':') > 1) {
        if (!IsIPv6Address(text))
            return AddressFault::BadAddress;
        if (!bareIPv6)
            return AddressFault::Unbracketed;
    } else {
        const std::size_t colon = text.find(':');
        if (colon != std::string_view::npos) {
            host = text.substr(0, colon);
            port = text.substr(colon + 1);
            hasPort = true;
        }
        if (!IsIPv4Address(host) && !IsHostName(host))
            return AddressFault::BadAddress;
    }
    out.Host = std::string(host);
    out.Port.reset();
    if (hasPort) {
        const std::optional<unsigned long> n = number(port, 5);
        if (!n || *n < 1 || *n > 65535)
            return AddressFault::BadPort;
        out.Port = static_cast<uint16_t>(*n);
    }
    return AddressFault::None;
}

Parsed<JoinLink> refused(std::string text) {
    return {std::nullopt, std::move(text)};
}

} // namespace

bool IsHostName(std::string_view text) {
    if (text.empty() || text.size() > 253)
        return false;
    std::string_view label;
    while (true) {
        const std::size_t dot = text.find('.');
        label = text.substr(0, dot);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-' ||
            !allOf(label, [](char c) { return isLetter(c) || isDigit(c) || c == '-'; }))
            return false;
        if (dot == std::string_view::npos)
            break;
        text.remove_prefix(dot + 1);
    }
    // A last label of digits would make it look like an IPv4 address.
    return !allOf(label, isDigit);
}

std::string ShownJoinCode(std::string_view code) {
    std::string shown(code);
    if (shown.size() == kJoinCodeLength)
        shown.insert(kJoinCodeLength / 2, 1, '-');
    return shown;
}

std::string PrintHostPort(std::string_view host, uint16_t port) {
    const bool v6 = host.find(':') != std::string_view::npos;
    return (v6 ? "[" + std::string(host) + "]" : std::string(host)) + ":" + std::to_string(port);
}

std::string PrintJoinLink(const JoinLink& link) {
    std::string text = std::string(kScheme) + PrintHostPort(link.Host, link.Port) + "/" +
                       ShownJoinCode(link.Code) + "?v=" + std::to_string(kJoinLinkVersion);
    if (link.KeyHex)
        text += "&key=" + *link.KeyHex;
    return text;
}

Parsed<JoinLink> ParseJoinLink(std::string_view text) {
    text = trimmed(text);
    if (text.size() > kMaxJoinLinkLength)
        return refused("This link is too long to be a Tessarin link.");
    if (!allOf(text, [](char c) { return c > ' ' && c <= '~'; }))
        return refused("This link has characters in it that no Tessarin link has.");
    const bool tessarin =
        text.size() >= kScheme.size() && std::equal(kScheme.begin(), kScheme.end(), text.begin(),
                                                    [](char a, char b) { return a == lower(b); });
    if (!tessarin)
        return refused("This is not a Tessarin link: one begins with tessarin://");
    text.remove_prefix(kScheme.size());
    if (!text.empty() && text.back() == '/')
        text.remove_suffix(1);

    const std::size_t question = std::min(text.find('?'), text.size());
    std::string_view query = text.substr(std::min(question + 1, text.size()));
    text = text.substr(0, question);

    // The version first: a later version may have changed the rest.
    JoinLink link;
    bool version = false;
    std::optional<std::string_view> key;
    while (!query.empty()) {
        const std::size_t amp = std::min(query.find('&'), query.size());
        const std::string_view param = query.substr(0, amp);
        query.remove_prefix(std::min(amp + 1, query.size()));
        const std::size_t equals = std::min(param.find('='), param.size());
        const std::string_view name = param.substr(0, equals);
        const std::string_view value = param.substr(std::min(equals + 1, param.size()));
        if (name == "v") {
            const std::optional<unsigned long> v = number(value, 9);
            if (version || !v || *v < 1)
                return refused("The version number in this link is not right.");
            if (*v > static_cast<unsigned long>(kJoinLinkVersion))
                return refused("This link is for a newer version of Tessarin.");
            version = true;
        } else if (name == "key") {
            if (key)
                return refused("This link gives the host's key twice.");
            key = value;
        }
    }

    const std::size_t slash = std::min(text.find('/'), text.size());
    HostPort address;
    switch (splitHostPort(text.substr(0, slash), false, address)) {
    case AddressFault::None:
        break;
    case AddressFault::NoAddress:
        return refused("This link has no address of the host.");
    case AddressFault::BadAddress:
        return refused("The address in this link is not right: it should be an IPv4 address, "
                       "an IPv6 address in brackets or a host name.");
    case AddressFault::Unbracketed:
        return refused("The IPv6 address in this link should be in brackets, as in "
                       "[2001:db8::1]:47077.");
    case AddressFault::BadPort:
        return refused("The port in this link is not right: it should be a number from 1 "
                       "to 65535.");
    }
    link.Host = std::move(address.Host);
    link.Port = address.Port.value_or(kDefaultPort);

    const std::string_view code = text.substr(std::min(slash + 1, text.size()));
    if (code.empty())
        return refused("This link has no join code.");
    link.Code = NormalizeJoinCode(code);
    if (!IsJoinCode(link.Code))
        return refused("The join code in this link is not right: a join code is six letters "
                       "and digits, without I, O, 0 or 1.");

    if (key) {
        if (key->size() != kKeyHexLength || !allOf(*key, isHex))
            return refused("The host's key in this link is not right: it should be 64 digits "
                           "and letters from a to f.");
        link.KeyHex.emplace();
        std::transform(key->begin(), key->end(), std::back_inserter(*link.KeyHex), lower);
    }
    return {std::move(link), {}};
}

Parsed<HostPort> ParseHostPort(std::string_view text) {
    HostPort out;
    switch (splitHostPort(trimmed(text), true, out)) {
    case AddressFault::None:
        return {std::move(out), {}};
    case AddressFault::NoAddress:
        return {std::nullopt, "Type the host's address."};
    case AddressFault::BadAddress:
    case AddressFault::Unbracketed:
        break;
    case AddressFault::BadPort:
        return {std::nullopt, "The port after the address should be a number from 1 to 65535."};
    }
    return {std::nullopt, "The address is not right: type an IPv4 address (203.0.113.5), an "
                          "IPv6 address (2001:db8::1) or a host name."};
}

} // namespace tessarin::net
