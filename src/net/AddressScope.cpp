#include "net/AddressScope.h"

#include <array>
#include <cstdint>

namespace tessarin::net {

namespace {

constexpr std::size_t kMaxText = 64;
constexpr std::size_t kMaxIpv6Text = 45; // eight groups, the last two as IPv4

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Dotted decimal, four parts of 0 to 255 without leading zeros (which some
// readers take for octal).
std::optional<std::array<uint8_t, 4>> parseIpv4(std::string_view s) {
    std::array<uint8_t, 4> out{};
    std::size_t i = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (i >= s.size() || s[i] != '.')
                return std::nullopt;
            ++i;
        }
        const std::size_t begin = i;
        int value = 0;
        while (i < s.size() && isDigit(s[i]) && i - begin < 3)
            value = value * 10 + (s[i++] - '0');
        const std::size_t digits = i - begin;
        if (digits == 0 || value > 255 || (digits > 1 && s[begin] == '0'))
            return std::nullopt;
        out[part] = static_cast<uint8_t>(value);
    }
    if (i != s.size())
        return std::nullopt;
    return out;
}

AddressScope scopeOfIpv4(const std::array<uint8_t, 4>& a) {
    if (a[0] == 0 || a[0] >= 224)
        return AddressScope::Other; // "this network", multicast, reserved, broadcast
    if (a[0] == 10 || (a[0] == 172 && (a[1] & 0xF0) == 16) || (a[0] == 192 && a[1] == 168))
        return AddressScope::Private;
    if (a[0] == 100 && (a[1] & 0xC0) == 64)
        return AddressScope::Shared;
    if (a[0] == 127)
        return AddressScope::Loopback;
    if (a[0] == 169 && a[1] == 254)
        return AddressScope::LinkLocal;
    return AddressScope::Public;
}

// The eight groups of an IPv6 address: groups of one to four hex digits
// between colons, one "::" for a run of zeros, an IPv4 address as the last
// two groups.
std::optional<std::array<uint16_t, 8>> parseIpv6(std::string_view s) {
    std::array<uint16_t, 8> head{}, tail{};
    int nHead = 0, nTail = 0;
    bool gap = false;
    std::size_t i = 0;
    if (s.substr(0, 2) == "::") {
        gap = true;
        i = 2;
    } else if (!s.empty() && s[0] == ':') {
        return std::nullopt;
    }
    while (i < s.size()) {
        auto& groups = gap ? tail : head;
        int& n = gap ? nTail : nHead;
        // An IPv4 address at the end takes two groups.
        const std::size_t colon = s.find(':', i);
        if (colon == std::string_view::npos && s.find('.', i) != std::string_view::npos) {
            const auto v4 = parseIpv4(s.substr(i));
            if (!v4 || nHead + nTail + 2 > 8)
                return std::nullopt;
            groups[n++] = static_cast<uint16_t>((*v4)[0] << 8 | (*v4)[1]);
            groups[n++] = static_cast<uint16_t>((*v4)[2] << 8 | (*v4)[3]);
            i = s.size();
            break;
        }
        const std::size_t begin = i;
        unsigned value = 0;
        while (i < s.size() && hexValue(s[i]) >= 0 && i - begin < 4)
            value = value * 16 + static_cast<unsigned>(hexValue(s[i++]));
        if (i == begin || nHead + nTail >= 8)
            return std::nullopt;
        groups[n++] = static_cast<uint16_t>(value);
        if (i == s.size())
            break;
        if (s[i] != ':')
            return std::nullopt;
        ++i;
        if (i < s.size() && s[i] == ':') {
            if (gap)
                return std::nullopt;
            gap = true;
            ++i;
        } else if (i == s.size()) {
            return std::nullopt; // a single colon at the end
        }
    }
    const int total = nHead + nTail;
    if (gap ? total > 7 : total != 8)
        return std::nullopt;
    std::array<uint16_t, 8> out{};
    for (int k = 0; k < nHead; ++k)
        out[k] = head[k];
    for (int k = 0; k < nTail; ++k)
        out[8 - nTail + k] = tail[k];
    return out;
}

AddressScope scopeOfIpv6(const std::array<uint16_t, 8>& g) {
    bool zeroHead = true; // the first five groups
    for (int k = 0; k < 5; ++k)
        zeroHead = zeroHead && g[k] == 0;
    if (zeroHead && g[5] == 0xFFFF) // an IPv4 address, mapped
        return scopeOfIpv4({static_cast<uint8_t>(g[6] >> 8), static_cast<uint8_t>(g[6]),
                            static_cast<uint8_t>(g[7] >> 8), static_cast<uint8_t>(g[7])});
    if (zeroHead && g[5] == 0 && g[6] == 0 && g[7] <= 1)
        return g[7] == 1 ? AddressScope::Loopback : AddressScope::Other;
    if ((g[0] & 0xFFC0) == 0xFE80)
        return AddressScope::LinkLocal;
    if ((g[0] & 0xFE00) == 0xFC00)
        return AddressScope::UniqueLocal;
    if ((g[0] & 0xE000) == 0x2000)
        return AddressScope::Public;
    return AddressScope::Other; // multicast, the old site-local, the reserved ranges
}

bool isZone(std::string_view zone) {
    if (zone.empty())
        return false;
    for (char c : zone)
        if (!(isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' ||
              c == '_' || c == '-'))
            return false;
    return true;
}

} // namespace

bool IsIPv4Address(std::string_view text) {
    return parseIpv4(text).has_value();
}

bool IsIPv6Address(std::string_view text) {
    return text.size() <= kMaxIpv6Text && parseIpv6(text).has_value();
}

std::optional<AddressScope> ScopeOf(std::string_view text) {
    if (text.empty() || text.size() > kMaxText)
        return std::nullopt;
    if (text.find(':') == std::string_view::npos) {
        const auto v4 = parseIpv4(text);
        return v4 ? std::optional(scopeOfIpv4(*v4)) : std::nullopt;
    }
    if (const std::size_t percent = text.find('%'); percent != std::string_view::npos) {
        if (!isZone(text.substr(percent + 1)))
            return std::nullopt;
        text = text.substr(0, percent);
    }
    const auto v6 = parseIpv6(text);
    return v6 ? std::optional(scopeOfIpv6(*v6)) : std::nullopt;
}

} // namespace tessarin::net
