#pragma once

// The join link: a whole invitation to a network game in one line of text,
// pasted into the Join window, given on the command line, or clicked where
// the desktop hands "tessarin:" links to the game.
//
//   tessarin://HOST:PORT/CODE?v=1&key=<64 lowercase hex>
//
// The format is public and versioned:
// - HOST is a dotted IPv4 address, an IPv6 address in brackets, or a host
//   name (letters, digits and hyphens in dot-separated labels, at most 253
//   characters);
// - :PORT, 1 to 65535, may be left out (47077);
// - CODE is the join code, as the host's window shows it (K7Q-M2X) or as
//   typed (lower case, without the dash);
// - v is the version of the format; a link of a later version is refused
//   with words that say so, one without v is taken as version 1;
// - key is the SHA-256 fingerprint of the host's certificate; the links
//   the game makes carry it, a link without it still joins (the player
//   then compares the key by eye);
// - other parameters are passed over, for later versions to add.
// The scheme's case does not matter; whitespace around the link and one
// slash at its end are tolerated; anything else is refused with words for
// the player that say which part is wrong. Nothing from outside is trusted:
// the link is bounded (kMaxJoinLinkLength) and checked byte by byte.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessarin::net {

constexpr uint16_t kDefaultPort = 47077;
constexpr int kJoinLinkVersion = 1;
constexpr std::size_t kMaxJoinLinkLength = 512;
constexpr std::size_t kKeyHexLength = 64;

struct JoinLink {
    std::string Host; // without brackets: "203.0.113.5", "2001:db8::1", "host.example"
    uint16_t Port = kDefaultPort;
    std::string Code;                  // six characters, as IsJoinCode takes them
    std::optional<std::string> KeyHex; // 64 lowercase hex digits
    bool operator==(const JoinLink&) const = default;
};

// A host and maybe a port, as typed in the Join window's address field.
struct HostPort {
    std::string Host; // without brackets
    std::optional<uint16_t> Port;
    bool operator==(const HostPort&) const = default;
};

// What a parse gives: a value, or the words that say what is wrong.
template <class T> struct Parsed {
    std::optional<T> Value;
    std::string Error;
};

Parsed<JoinLink> ParseJoinLink(std::string_view text);
// The link of a JoinLink whose parts are valid: the port always written,
// the code as shown, an IPv6 address in brackets.
std::string PrintJoinLink(const JoinLink& link);

// "203.0.113.5", "203.0.113.5:47077", "2001:db8::1", "[2001:db8::1]:47077",
// "host.example", "host.example:47077", with whitespace around.
Parsed<HostPort> ParseHostPort(std::string_view text);
// HOST:PORT as a friend types it, an IPv6 address in brackets.
std::string PrintHostPort(std::string_view host, uint16_t port);

// Letters, digits and hyphens in dot-separated labels, not all digits at the
// end (IsIPv4Address and IsIPv6Address are in AddressScope.h).
bool IsHostName(std::string_view text);

// A join code as the windows show it: "K7QM2X" as "K7Q-M2X".
std::string ShownJoinCode(std::string_view code);

} // namespace tessarin::net
