// The router's port through the real UPnP and NAT-PMP libraries, against
// the fake router (tools/fake_router) on the loopback. What the router
// did is read from the fake's log.
#include "qt/RouterPorts.h"

#include "Rig.h"

#include <QProcess>
#include <QSignalSpy>
#include <gmock/gmock.h>

using namespace tessarin;
using namespace tessarin::qt;
using tessarin::qt::testing::until;
using ::testing::HasSubstr;
using State = net::PortMapping::State;

namespace {

struct FakeRouter {
    QProcess process;
    QString log;
    explicit FakeRouter(const QStringList& arguments) {
        QObject::connect(&process, &QProcess::readyReadStandardOutput,
                         [this] { log += QString::fromLatin1(process.readAllStandardOutput()); });
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(TESSARIN_FAKE_ROUTER), arguments);
        EXPECT_TRUE(until([this] { return log.contains(QLatin1String("ready")); })) << "not ready";
    }
    ~FakeRouter() {
        process.kill();
        process.waitForFinished();
    }
    bool said(const char* line) {
        return until([&] { return log.contains(QLatin1String(line)); });
    }
};

class RouterPortsTest : public ::testing::Test {
protected:
    // The fake router's interface, as the environment had it before.
    void SetUp() override {
        before = qgetenv("TESSARIN_ROUTER");
        qputenv("TESSARIN_ROUTER", "127.0.0.1");
    }
    void TearDown() override { qputenv("TESSARIN_ROUTER", before); }
    QByteArray before;

    static RouterOptions quick() {
        RouterOptions o;
        o.discoveryMs = 1000;
        o.natpmpMs = 1000;
        return o;
    }
    // Started on port; true once the router's answer is in.
    static bool answered(RouterPorts& ports, quint16 port) {
        ports.start(port);
        EXPECT_EQ(ports.text(), QStringLiteral("Asking your router to open port %1...").arg(port));
        return until([&] { return ports.mapping()->state() != State::Asking; });
    }
};

TEST_F(RouterPortsTest, UpnpMappingIsAddedRenewedAndRemovedAtStop) {
    FakeRouter router({});
    RouterOptions options = quick();
    options.renewMs = 200;
    RouterPorts ports(options);
    QSignalSpy changes(&ports, &RouterPorts::changed);
    ASSERT_TRUE(answered(ports, 47077));
    EXPECT_THAT(ports.text().toStdString(), HasSubstr("join at 203.0.113.5:47077."));
    EXPECT_EQ(ports.externalAddress(), QStringLiteral("203.0.113.5"));
    EXPECT_EQ(changes.count(), 2);
    EXPECT_TRUE(router.said("added upnp TCP 47077 -> 127.0.0.1:47077 lease 3600"));
    EXPECT_TRUE(router.said("renewed upnp TCP 47077 -> 127.0.0.1:47077 lease 3600"));
    ports.stop();
    EXPECT_TRUE(router.said("removed upnp TCP 47077"));
}

TEST_F(RouterPortsTest, APermanentMappingIsRemovedWhenTheProgramEnds) {
    FakeRouter router({"--mode", "permanent"});
    {
        RouterPorts ports(quick());
        ASSERT_TRUE(answered(ports, 47079));
        EXPECT_EQ(ports.mapping()->state(), State::Open);
        EXPECT_TRUE(ports.mapping()->permanent());
        EXPECT_TRUE(router.said("refused upnp TCP 47079 725 lease 3600"));
        EXPECT_TRUE(router.said("added upnp TCP 47079 -> 127.0.0.1:47079 lease 0"));
    }
    EXPECT_TRUE(router.said("removed upnp TCP 47079"));
}

TEST_F(RouterPortsTest, RefusalsNonsenseNatPmpAndRoutersBehindRoutersAreTold) {
    struct Case {
        QStringList arguments;
        State state;
        const char* text;
        const char* log;
    };
    const Case cases[] = {
        {{"--mode", "refuse"},
         State::Refused,
         "already open for another computer (error 718)",
         "refused upnp TCP 47080 718"},
        {{"--mode", "garbage"}, State::NoAnswer, "did not answer properly", nullptr},
        {{"--mode", "natpmp"},
         State::Open,
         "join at 203.0.113.5:47080",
         "added natpmp TCP 47080 lease 3600"},
        {{"--external", "100.64.1.2"},
         State::Behind,
         "shared by your internet provider",
         "added upnp TCP 47080"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        FakeRouter router(c.arguments);
        RouterPorts ports(quick());
        ASSERT_TRUE(answered(ports, 47080));
        EXPECT_EQ(ports.mapping()->state(), c.state);
        EXPECT_THAT(ports.text().toStdString(), HasSubstr(c.text));
        if (c.log) {
            EXPECT_TRUE(router.said(c.log));
        }
        if (c.state != State::Open) {
            EXPECT_EQ(ports.externalAddress(), std::nullopt);
        }
        if (c.state == State::Open || c.state == State::Behind) {
            ports.stop();
            EXPECT_TRUE(router.said(c.state == State::Open ? "removed natpmp TCP 47080"
                                                           : "removed upnp TCP 47080"));
        }
    }
}

TEST_F(RouterPortsTest, WithoutARouterOrSwitchedOffNothingWaits) {
    {
        RouterPorts ports(quick());
        ASSERT_TRUE(answered(ports, 47081));
        EXPECT_EQ(ports.mapping()->state(), State::NoRouter);
        EXPECT_THAT(ports.text().toStdString(),
                    HasSubstr("forward TCP port 47081 to this computer by hand"));
    }
    qputenv("TESSARIN_ROUTER", "off");
    RouterPorts off;
    off.start(47081);
    EXPECT_FALSE(off.enabled());
    EXPECT_TRUE(off.text().isEmpty());
}

// Found by its search, then silent: the answer's time runs out, and the end
// does not wait for the library's call that is still waiting.
TEST_F(RouterPortsTest, ARouterThatNeverAnswersRunsOutOfTime) {
    FakeRouter router({"--mode", "silent"});
    RouterOptions options = quick();
    options.answerMs = 1000;
    options.exitWaitMs = 100;
    auto ports = std::make_unique<RouterPorts>(options);
    ASSERT_TRUE(answered(*ports, 47082));
    EXPECT_EQ(ports->mapping()->state(), State::NoAnswer);
    ports.reset();
    EXPECT_FALSE(router.log.contains(QLatin1String("added")));
}

} // namespace
