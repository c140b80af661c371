#include "net/JoinLink.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace tessarin::net;
using ::testing::HasSubstr;

namespace {

const std::string kKey(64, 'a');

TEST(JoinLink, ReadsEveryFormOfAddressAndPrintsItBack) {
    const struct {
        std::string text;
        JoinLink link;
    } cases[] = {
        {"tessarin://203.0.113.5:47077/K7Q-M2X?v=1&key=" + std::string(64, 'A'),
         {"203.0.113.5", 47077, "K7QM2X", kKey}},
        {"tessarin://[2001:db8::1]:5000/k7qm2x?v=1", {"2001:db8::1", 5000, "K7QM2X", {}}},
        {"tessarin://[::ffff:192.0.2.1]/K7QM2X", {"::ffff:192.0.2.1", 47077, "K7QM2X", {}}},
        // Pasted with whitespace, a capital scheme, a slash at the end, a
        // parameter of a later version passed over.
        {"  TESSARIN://Host-1.example:1/K7Q-M2X?x=y&v=1&&key=" + kKey + "/\n",
         {"Host-1.example", 1, "K7QM2X", kKey}},
        {"tessarin://localhost/K7QM2X/", {"localhost", 47077, "K7QM2X", {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Parsed<JoinLink> parsed = ParseJoinLink(c.text);
        ASSERT_TRUE(parsed.Value) << parsed.Error;
        EXPECT_EQ(*parsed.Value, c.link);
        EXPECT_EQ(ParseJoinLink(PrintJoinLink(c.link)).Value, c.link);
    }
    EXPECT_EQ(PrintJoinLink({"2001:db8::1", 47077, "K7QM2X", kKey}),
              "tessarin://[2001:db8::1]:47077/K7Q-M2X?v=1&key=" + kKey);
}

TEST(JoinLink, AMalformedLinkIsRefusedWithWordsThatSayWhatIsWrong) {
    const std::string longName = std::string(63, 'a') + "." + std::string(63, 'b') + "." +
                                 std::string(63, 'c') + "." + std::string(63, 'd');
    const struct {
        std::string text;
        const char* says;
    } cases[] = {
        {"http://203.0.113.5/K7QM2X", "not a Tessarin link"},
        {"tessarin:203.0.113.5/K7QM2X", "not a Tessarin link"},
        {"tessarin://203.0.113.5/K7QM2X?v=2", "newer version of Tessarin"},
        {"tessarin://[[bad/?v=12", "newer version of Tessarin"},
        {"tessarin://203.0.113.5/K7QM2X?v=0", "version number"},
        {"tessarin://203.0.113.5/K7QM2X?v=1&v=1", "version number"},
        {"tessarin://203.0.113.5/K7Q M2X", "characters"},
        {"tessarin://203.0.113.5/K7QM2X\xc3\xa9", "characters"},
        {"tessarin://203.0.113.5/" + std::string(600, 'A'), "too long"},
        {"tessarin:///K7QM2X", "no address"},
        {"tessarin://203.0.113.256/K7QM2X", "address in this link is not right"},
        {"tessarin://203.0.113.05/K7QM2X", "address in this link is not right"},
        {"tessarin://-host.example/K7QM2X", "address in this link is not right"},
        {"tessarin://" + longName + "/K7QM2X", "address in this link is not right"},
        {"tessarin://[2001:db8::1::2]/K7QM2X", "address in this link is not right"},
        {"tessarin://[2001:db8::1]x/K7QM2X", "address in this link is not right"},
        {"tessarin://2001:db8::1/K7QM2X", "in brackets"},
        {"tessarin://203.0.113.5:0/K7QM2X", "port"},
        {"tessarin://203.0.113.5:65536/K7QM2X", "port"},
        {"tessarin://203.0.113.5", "no join code"},
        {"tessarin://203.0.113.5/K7QM2I", "join code"},
        {"tessarin://203.0.113.5/K7Q/M2X", "join code"},
        {"tessarin://203.0.113.5/K7QM2X?key=" + kKey.substr(1) + "g", "key"},
        {"tessarin://203.0.113.5/K7QM2X?key=" + kKey + "&key=" + kKey, "key twice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Parsed<JoinLink> parsed = ParseJoinLink(c.text);
        EXPECT_FALSE(parsed.Value);
        EXPECT_THAT(parsed.Error, HasSubstr(c.says));
    }
}

TEST(JoinLink, TheAddressFieldTakesAHostWithOrWithoutAPort) {
    const struct {
        const char* text;
        std::optional<HostPort> address;
        const char* says;
    } cases[] = {
        {"203.0.113.5", HostPort{"203.0.113.5", {}}, ""},
        {" 203.0.113.5:47077 ", HostPort{"203.0.113.5", 47077}, ""},
        {"2001:db8::1", HostPort{"2001:db8::1", {}}, ""},
        {"[2001:db8::1]:47077", HostPort{"2001:db8::1", 47077}, ""},
        {"host.example", HostPort{"host.example", {}}, ""},
        {"host.example:47077", HostPort{"host.example", 47077}, ""},
        {"", {}, "Type the host's address."},
        {"host.example:99999", {}, "port"},
        {"2001:db8:::1", {}, "address is not right"},
        {"[2001:db8::1]47077", {}, "address is not right"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Parsed<HostPort> parsed = ParseHostPort(c.text);
        EXPECT_EQ(parsed.Value, c.address);
        EXPECT_THAT(parsed.Error, HasSubstr(c.says));
    }
    EXPECT_EQ(PrintHostPort("2001:db8::1", 47077), "[2001:db8::1]:47077");
}

// Every byte of good links set to every value, and every cut: each result
// is refused with words, or is a link that prints and reads back the same.
TEST(JoinLink, DamagedLinksAreRefusedOrReadBackTheSame) {
    const std::string links[] = {
        "tessarin://203.0.113.5:47077/K7Q-M2X?v=1&key=" + kKey,
        "tessarin://[2001:db8::1]:47077/K7Q-M2X?v=1&key=" + kKey,
        "tessarin://host.example/K7QM2X?v=1",
    };
    int accepted = 0;
    const auto check = [&](const std::string& text) {
        const Parsed<JoinLink> parsed = ParseJoinLink(text);
        ASSERT_NE(parsed.Value.has_value(), !parsed.Error.empty()) << text;
        accepted += parsed.Value.has_value();
        if (parsed.Value) {
            EXPECT_EQ(ParseJoinLink(PrintJoinLink(*parsed.Value)).Value, parsed.Value) << text;
        }
    };
    for (const std::string& good : links)
        for (std::size_t at = 0; at < good.size(); ++at) {
            check(good.substr(0, at));
            for (int byte = 0; byte < 256; ++byte)
                check(good.substr(0, at) + static_cast<char>(byte) + good.substr(at + 1));
        }
    EXPECT_GT(accepted, 1000); // letters of the code and the key, digits of the port, ...
}

} // namespace
