// libFuzzer target: what a router answers, as bytes. The port mapping is
// started and its router answers each request from the input (the result,
// the error code, the reason, the internet address, the lease), with time
// passing between answers; now and then it is stopped and started again.
// Every address text is also read on its own.
//
// The window's text is printable ASCII of bounded length; an address
// offered to friends is a public one; an address read as one is short and
// made of an address's characters.

#include "net/AddressScope.h"
#include "net/PortMapping.h"
#include "platform/VirtualTimerHost.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace tessarin;
using namespace tessarin::net;

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

struct Input {
    std::string_view rest;
    uint8_t byte() {
        if (rest.empty())
            return 0;
        const auto b = static_cast<uint8_t>(rest[0]);
        rest.remove_prefix(1);
        return b;
    }
    std::string text() {
        const std::size_t n = std::min<std::size_t>(byte(), rest.size());
        std::string s(rest.substr(0, n));
        rest.remove_prefix(n);
        return s;
    }
};

struct Answering final : Router {
    std::vector<Reply> waiting;
    void open(RouterWay, uint16_t, uint32_t, Reply reply) override {
        waiting.push_back(std::move(reply));
    }
    void close(RouterWay, uint16_t, Reply) override {}
};

void address(std::string_view text) {
    const auto scope = ScopeOf(text);
    if (!scope)
        return;
    check(text.size() <= 64);
    for (char c : text.substr(0, text.find('%')))
        check((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') ||
              c == '.' || c == ':');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    Input in{std::string_view(reinterpret_cast<const char*>(data), size)};
    VirtualTimerHost timers;
    Answering router;
    PortMapping mapping(timers, router, nullptr);
    mapping.start(47077);
    while (!in.rest.empty()) {
        const uint8_t what = in.byte();
        if (what == 0xFF) {
            mapping.start(static_cast<uint16_t>(in.byte() << 8 | in.byte()));
            continue;
        }
        if (what == 0xFE) {
            mapping.stop();
            continue;
        }
        RouterReply reply;
        reply.result = static_cast<RouterReply::Result>(what % 4);
        reply.code = static_cast<int16_t>(in.byte() << 8 | in.byte());
        reply.reason = in.text();
        reply.externalAddress = in.text();
        reply.lease = in.text();
        address(reply.externalAddress);
        if (!router.waiting.empty()) {
            const Router::Reply answer = router.waiting.back();
            answer(reply);
        }
        timers.advance(static_cast<int64_t>(in.byte()) * 60000);
        check(mapping.text().size() <= 800);
        for (char c : mapping.text())
            check(c >= 0x20 && c < 0x7F);
        if (mapping.externalAddress())
            check(ScopeOf(*mapping.externalAddress()) == AddressScope::Public);
        if (mapping.state() == PortMapping::State::Idle)
            check(mapping.text().empty());
    }
    mapping.stop();
    return 0;
}
