// libFuzzer target: any bytes as a join link, and as the Join window's
// address field. A link is refused with words, or it prints and reads back
// the same; an address is refused with words, or it is one.
//
// Seeds (bench/fuzz/link): links of an IPv4 address, an IPv6 address and a
// host name.

#include "net/AddressScope.h"
#include "net/JoinLink.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace tessarin::net;

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Parsed<JoinLink> link = ParseJoinLink(text);
    check(link.Value.has_value() != !link.Error.empty());
    if (link.Value) {
        const std::string printed = PrintJoinLink(*link.Value);
        check(printed.size() <= kMaxJoinLinkLength + 16);
        check(ParseJoinLink(printed).Value == link.Value);
    }
    const Parsed<HostPort> address = ParseHostPort(text);
    check(address.Value.has_value() != !address.Error.empty());
    if (address.Value)
        check(IsIPv4Address(address.Value->Host) || IsIPv6Address(address.Value->Host) ||
              IsHostName(address.Value->Host));
    return 0;
}
