// Opening the host's port on the router, against a scripted router on
// virtual time; and the scope of addresses that the texts depend on.
#include "net/PortMapping.h"

#include "platform/VirtualTimerHost.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <random>

using namespace tessarin;
using namespace tessarin::net;
using ::testing::HasSubstr;
using ::testing::Not;
using Result = RouterReply::Result;
using State = PortMapping::State;

namespace {

TEST(AddressScopeTest, TellsWhereAnAddressReaches) {
    const std::pair<const char*, AddressScope> known[] = {
        {"203.0.113.5", AddressScope::Public},
        {"10.1.2.3", AddressScope::Private},
        {"172.16.0.1", AddressScope::Private},
        {"172.31.255.255", AddressScope::Private},
        {"172.32.0.1", AddressScope::Public},
        {"192.168.1.20", AddressScope::Private},
        {"100.64.1.2", AddressScope::Shared},
        {"100.127.0.1", AddressScope::Shared},
        {"100.128.0.1", AddressScope::Public},
        {"127.0.0.1", AddressScope::Loopback},
        {"169.254.3.4", AddressScope::LinkLocal},
        {"0.0.0.0", AddressScope::Other},
        {"224.0.0.1", AddressScope::Other},
        {"255.255.255.255", AddressScope::Other},
        {"2001:db8::1", AddressScope::Public},
        {"::1", AddressScope::Loopback},
        {"::", AddressScope::Other},
        {"fe80::1%eth0", AddressScope::LinkLocal},
        {"fd12:3456::1", AddressScope::UniqueLocal},
        {"ff02::1", AddressScope::Other},
        {"::ffff:192.168.0.1", AddressScope::Private},
        {"2a00:1:2:3:4:5:6:7", AddressScope::Public},
        {"1:2:3:4:5:6:1.2.3.4", AddressScope::Other},
    };
    for (const auto& [text, scope] : known)
        EXPECT_EQ(ScopeOf(text), scope) << text;
    for (const char* bad : {"",
                            "1.2.3",
                            "1.2.3.4.5",
                            "256.1.1.1",
                            "01.2.3.4",
                            "1.2.3.4 ",
                            "1..2.3",
                            "a.b.c.d",
                            ":::",
                            "1::2::3",
                            "1:2:3:4:5:6:7:8:9",
                            "12345::",
                            "1:2",
                            "fe80::1%",
                            "fe80::1%a b",
                            "::1:",
                            ":1::",
                            "1:2:3:4:5:6:7::8",
                            "::1.2.3",
                            "2001:db8::1/64",
                            "example.org"})
        EXPECT_EQ(ScopeOf(bad), std::nullopt) << bad;
    EXPECT_EQ(ScopeOf(std::string(65, '1')), std::nullopt);
}

// A router that answers when the test says.
struct ScriptedRouter : Router {
    struct Call {
        bool open;
        RouterWay way;
        uint16_t port;
        uint32_t lease;
        Reply reply;
    };
    std::vector<Call> calls;
    void open(RouterWay way, uint16_t port, uint32_t lease, Reply reply) override {
        calls.push_back({true, way, port, lease, std::move(reply)});
    }
    void close(RouterWay way, uint16_t port, Reply reply) override {
        calls.push_back({false, way, port, 0, std::move(reply)});
    }
    void answer(RouterReply r) { Reply(calls.back().reply)(r); }
};

RouterReply done(std::string address = "203.0.113.5", std::string lease = {}) {
    return {Result::Done, 0, {}, std::move(address), std::move(lease)};
}

class PortMappingTest : public ::testing::Test {
protected:
    VirtualTimerHost timers;
    ScriptedRouter router;
    int changes = 0;
    std::unique_ptr<PortMapping> mapping =
        std::make_unique<PortMapping>(timers, router, [this] { ++changes; });

    const ScriptedRouter::Call& last() const { return router.calls.back(); }
    std::vector<std::pair<bool, RouterWay>> callsSince(std::size_t from) const {
        std::vector<std::pair<bool, RouterWay>> out;
        for (std::size_t i = from; i < router.calls.size(); ++i)
            out.emplace_back(router.calls[i].open, router.calls[i].way);
        return out;
    }
};

TEST_F(PortMappingTest, OpensByUpnpRenewsAtHalfTheLeaseAndRemovesAtTheEnd) {
    mapping->start(47077);
    EXPECT_EQ(mapping->text(), "Asking your router to open port 47077...");
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(router.calls.size(), 1u);
    EXPECT_TRUE(last().open && last().way == RouterWay::UPnP && last().port == 47077);
    EXPECT_EQ(last().lease, 3600u);
    router.answer(done());
    EXPECT_EQ(mapping->state(), State::Open);
    EXPECT_EQ(mapping->text(), "Your router opened port 47077. Friends on the internet join at "
                               "203.0.113.5:47077.");
    EXPECT_EQ(mapping->externalAddress(), "203.0.113.5");

    timers.advance(1799 * 1000);
    EXPECT_EQ(router.calls.size(), 1u);
    timers.advance(1000);
    ASSERT_EQ(router.calls.size(), 2u);
    EXPECT_EQ(last().lease, 3600u);
    // A renewal that fails is told, and tried again.
    router.answer({Result::NoAnswer, 0, {}, {}, {}});
    EXPECT_EQ(mapping->state(), State::Lost);
    EXPECT_THAT(mapping->text(), HasSubstr("forward TCP port 47077 to this computer by hand"));
    timers.advance(1800 * 1000);
    router.answer(done());
    EXPECT_EQ(mapping->state(), State::Open);

    const std::size_t before = router.calls.size();
    mapping->stop();
    EXPECT_EQ(callsSince(before),
              (std::vector<std::pair<bool, RouterWay>>{{false, RouterWay::UPnP}}));
    EXPECT_EQ(mapping->state(), State::Idle);
    timers.advance(3600 * 1000);
    EXPECT_EQ(router.calls.size(), before + 1);
}

TEST_F(PortMappingTest, ARouterOfPermanentMappingsOnlyGetsOneThatIsRemovedAtTheEnd) {
    mapping->start(47077);
    router.answer({Result::Refused, 725, "OnlyPermanentLeasesSupported", {}, {}});
    ASSERT_EQ(router.calls.size(), 2u);
    EXPECT_EQ(last().lease, 0u);
    router.answer(done());
    EXPECT_TRUE(mapping->permanent());
    EXPECT_EQ(mapping->state(), State::Open);
    timers.advance(7200 * 1000);
    EXPECT_EQ(router.calls.size(), 2u); // nothing to renew
    mapping->stop();
    EXPECT_FALSE(last().open);
}

TEST_F(PortMappingTest, WithoutUpnpNatPmpIsAskedAndItsShorterLeaseIsRenewed) {
    mapping->start(47077);
    router.answer({Result::NoRouter, 0, {}, {}, {}});
    ASSERT_EQ(router.calls.size(), 2u);
    EXPECT_EQ(last().way, RouterWay::NatPmp);
    router.answer(done("198.51.100.7", "120"));
    EXPECT_EQ(mapping->way(), RouterWay::NatPmp);
    EXPECT_EQ(mapping->externalAddress(), "198.51.100.7");
    timers.advance(60 * 1000 - 1);
    EXPECT_EQ(router.calls.size(), 2u);
    timers.advance(1);
    EXPECT_EQ(router.calls.size(), 3u);
    mapping->stop();
    EXPECT_EQ(callsSince(3), (std::vector<std::pair<bool, RouterWay>>{{false, RouterWay::NatPmp}}));
}

TEST_F(PortMappingTest, NoRouterNoAnswerAndRefusalsAreExplained) {
    mapping->start(47077);
    router.answer({Result::NoRouter, 0, {}, {}, {}});
    router.answer({Result::NoRouter, 0, {}, {}, {}});
    EXPECT_EQ(mapping->state(), State::NoRouter);
    EXPECT_THAT(mapping->text(), HasSubstr("No router answered"));
    EXPECT_THAT(mapping->text(), HasSubstr("Friends on your own network can still join."));
    std::size_t before = router.calls.size();
    mapping->stop();
    EXPECT_EQ(router.calls.size(), before); // nothing was opened

    // Silence: each way has its time, then the next is asked.
    mapping->start(47077);
    timers.advance(kRouterAnswerMs);
    EXPECT_EQ(last().way, RouterWay::NatPmp);
    timers.advance(kRouterAnswerMs);
    EXPECT_EQ(mapping->state(), State::NoAnswer);
    EXPECT_THAT(mapping->text(), HasSubstr("did not answer properly"));
    before = router.calls.size();
    mapping->stop(); // either may have opened it after all
    EXPECT_EQ(callsSince(before), (std::vector<std::pair<bool, RouterWay>>{
                                      {false, RouterWay::UPnP}, {false, RouterWay::NatPmp}}));

    // A refusal is the router's answer: NAT-PMP is not asked, nothing is removed.
    mapping->start(47077);
    before = router.calls.size();
    router.answer({Result::Refused, 718, "ConflictInMappingEntry", {}, {}});
    EXPECT_EQ(mapping->state(), State::Refused);
    EXPECT_EQ(mapping->text().substr(0, mapping->text().find(" To let")),
              "Your router refused to open port 47077: the port is already open for another "
              "computer (error 718).");
    mapping->stop();
    EXPECT_EQ(router.calls.size(), before);
}

TEST_F(PortMappingTest, APrivateOrSharedRouterAddressIsExplained) {
    mapping->start(47077);
    router.answer(done("192.168.0.2"));
    EXPECT_EQ(mapping->state(), State::Behind);
    EXPECT_THAT(mapping->text(), HasSubstr("192.168.0.2, is a private one: your router is behind "
                                           "another router"));
    EXPECT_EQ(mapping->externalAddress(), std::nullopt);
    mapping->start(47077);
    router.answer(done("100.64.1.2"));
    EXPECT_EQ(mapping->state(), State::Behind);
    EXPECT_THAT(mapping->text(), HasSubstr("internet provider"));
    EXPECT_THAT(mapping->text(), HasSubstr("cannot reach it without help"));
    EXPECT_THAT(mapping->text(), HasSubstr("Friends on your own network can still join."));
}

TEST_F(PortMappingTest, HostileAnswersAreBoundedAndStaleOnesIgnored) {
    mapping->start(47077);
    router.answer({Result::Done,
                   0,
                   {},
                   "203.0.113.5<script>" + std::string(100000, '1'),
                   "99999999999999999999"});
    EXPECT_EQ(mapping->state(), State::Open);
    EXPECT_EQ(mapping->externalAddress(), std::nullopt);
    EXPECT_THAT(mapping->text(), Not(HasSubstr("script")));
    timers.advance(1800 * 1000); // the lease as asked, not as said
    EXPECT_EQ(router.calls.size(), 2u);

    // An answer to an earlier request, or after the end, counts for nothing.
    const Router::Reply stale = router.calls[0].reply;
    mapping->start(47077);
    stale(done("198.51.100.1"));
    EXPECT_EQ(mapping->state(), State::Asking);
    const Router::Reply late = last().reply;
    mapping.reset();
    late(done());
}

} // namespace

// Real answers damaged every which way: whatever the router says, the
// window's text stays plain and bounded and only a public address is
// offered to friends.
TEST(PortMappingMutationTest, DamagedAnswersStayPlainAndOfferOnlyPublicAddresses) {
    const RouterReply real[] = {
        {Result::Done, 0, {}, "203.0.113.5", "3600"},
        {Result::Done, 0, {}, "2001:db8::17", "120"},
        {Result::Refused, 718, "ConflictInMappingEntry", {}, {}},
        {Result::Done, 0, {}, "100.64.1.2", "0"},
    };
    std::mt19937 rng(7);
    for (int round = 0; round < 4000; ++round) {
        RouterReply r = real[round % 4];
        std::string* field[] = {&r.reason, &r.externalAddress, &r.lease};
        for (int n = 1 + static_cast<int>(rng() % 4); n > 0; --n) {
            std::string& s = *field[rng() % 3];
            const std::size_t at = s.empty() ? 0 : rng() % s.size();
            switch (rng() % 4) {
            case 0:
                s.insert(at, 1, static_cast<char>(rng()));
                break;
            case 1:
                if (!s.empty())
                    s.erase(at, 1);
                break;
            case 2:
                if (!s.empty())
                    s[at] = static_cast<char>(rng());
                break;
            default:
                s.insert(at, std::string(rng() % 300, static_cast<char>(rng())));
            }
        }
        r.code = round % 7 == 0 ? static_cast<int>(rng()) : r.code;
        VirtualTimerHost timers;
        ScriptedRouter router;
        PortMapping mapping(timers, router, nullptr);
        mapping.start(47077);
        router.answer(r);
        timers.advance(3600 * 1000);
        if (mapping.externalAddress()) {
            ASSERT_EQ(ScopeOf(*mapping.externalAddress()), AddressScope::Public);
        }
        ASSERT_LE(mapping.text().size(), 500u);
        for (char c : mapping.text())
            ASSERT_TRUE(c >= 0x20 && c < 0x7F) << mapping.text();
    }
}
