#pragma once

// Where an address can be reached from, told from its numeric text alone:
// the router's internet address and the host's own addresses are checked
// with it before a player is told to give them to a friend.

#include <optional>
#include <string_view>

namespace tessarin::net {

enum class AddressScope {
    Public,      // reachable from the internet
    Private,     // 10/8, 172.16/12, 192.168/16: a home or office network
    Shared,      // 100.64/10: the provider's network (carrier-grade NAT)
    Loopback,    // 127/8, ::1: this machine only
    LinkLocal,   // 169.254/16, fe80::/10: the one network segment
    UniqueLocal, // fc00::/7: a site's own IPv6 network
    Other,       // unspecified, multicast, broadcast, reserved
};

// The scope of an IPv4 address in dotted decimal ("192.168.1.20") or of an
// IPv6 address in its text forms ("2001:db8::1", "::ffff:10.0.0.1", with a
// "%zone" after it); nullopt for anything else. At most 64 characters are
// looked at.
std::optional<AddressScope> ScopeOf(std::string_view numericAddress);

// Whether text is an IPv4 address in dotted decimal (four parts of 0 to 255,
// without leading zeros), or an IPv6 address in one of its text forms
// (without brackets or a zone).
bool IsIPv4Address(std::string_view text);
bool IsIPv6Address(std::string_view text);

} // namespace tessarin::net
