#include "net/Session.h"

#include "net/NetSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace tessarin::net;
using namespace tessarin::net::test;
using ::testing::HasSubstr;
using Left = HostSession::LeftReason;
using End = JoinSession::EndReason;
using HostState = HostSession::State;
using JoinState = JoinSession::State;

namespace {

constexpr int16_t kDuel = 2;

struct Joiner {
    std::unique_ptr<JoinSession> session;
    MemoryPipe* pipe = nullptr;
    std::optional<End> ended;
    std::string endText;
    int views = 0;
    std::unique_ptr<RawEnd> host; // when the host is played by hand
};

class SessionTest : public ::testing::Test {
protected:
    Network net;
    const std::string code = "ABC234";
    std::unique_ptr<HostSession> host;
    std::vector<std::string> notices;
    std::vector<KeyAction> actions;
    std::string joinedName;
    std::vector<std::pair<Left, std::string>> left;

    SessionTest() { newHost(); }
    void newHost() {
        left.clear();
        host = std::make_unique<HostSession>(net.timers, kDuel, code, hostEvents());
    }
    std::vector<Left> leftFor() const {
        std::vector<Left> r;
        for (const auto& l : left)
            r.push_back(l.first);
        return r;
    }

    HostSession::Events hostEvents() {
        return {[this](const std::string& name) { joinedName = name; },
                [this](KeyAction a) { actions.push_back(a); },
                [this](Left r, const std::string& text) { left.emplace_back(r, text); },
                [this](const std::string& text) { notices.push_back(text); }};
    }

    // A joiner on a new pipe, not yet connected.
    std::unique_ptr<Joiner> joiner(const std::string& withCode, const std::string& name) {
        auto j = std::make_unique<Joiner>();
        j->pipe = &net.newPipe();
        Joiner* jp = j.get();
        j->session = std::make_unique<JoinSession>(
            net.timers, j->pipe->end(MemoryPipe::kJoiner), withCode, name,
            JoinSession::Events{nullptr, [jp] { ++jp->views; },
                                [jp](End r, const std::string& text) {
                                    jp->ended = r;
                                    jp->endText = text;
                                },
                                nullptr});
        return j;
    }
    // A joiner that connects to the host with a code and a name.
    std::unique_ptr<Joiner> join(const std::string& withCode, const std::string& name = "Bea",
                                 const std::string& from = {}) {
        auto j = joiner(withCode, name);
        host->accept(j->pipe->end(MemoryPipe::kHost), from);
        j->pipe->connect();
        net.pump();
        return j;
    }
    // A joiner connected to a host played by hand.
    std::unique_ptr<Joiner> joinRaw() {
        auto j = joiner(code, "Bea");
        j->host = std::make_unique<RawEnd>(j->pipe->end(MemoryPipe::kHost));
        j->pipe->connect();
        return j;
    }
    std::unique_ptr<Joiner> play() {
        auto j = join(code);
        host->welcome("Ann");
        net.pump();
        return j;
    }
    // A connection to the host played by hand.
    std::unique_ptr<RawEnd> raw(const std::string& from = {}) {
        MemoryPipe& pipe = net.newPipe();
        host->accept(pipe.end(MemoryPipe::kHost), from);
        return std::make_unique<RawEnd>(pipe.end(MemoryPipe::kJoiner));
    }
    // A raw joiner that got in with the right code and was welcomed.
    std::unique_ptr<RawEnd> rawPlayer() {
        auto r = raw();
        r->send(Hello{code, "Bea"});
        net.pump();
        host->welcome("Ann");
        net.pump();
        return r;
    }

    static ViewState viewWith(const std::string& caption) {
        return {{caption, 9435, 6105, true},
                {tessarin::placedLabel("lblScore", " 40", 3675, 4590, 645, 255)},
                {SurfaceView{0, 0, 0, 0, 1020, 1020, 2, false, 0, 4, 4,
                             std::vector<uint8_t>(16, kCellEmpty)}}};
    }
};

TEST_F(SessionTest, JoinerIsWelcomedPlaysAndLeaves) {
    auto j = join("abc-234", "  Bea/B ");
    EXPECT_EQ(host->state(), HostState::NameExchange);
    EXPECT_EQ(joinedName, "Bea?B"); // fitted to what the score file keeps
    EXPECT_EQ(j->session->state(), JoinState::HelloSent);

    // The host's player takes his time over the names: heartbeats keep both in.
    net.advance(30000);
    EXPECT_EQ(j->session->state(), JoinState::HelloSent);
    host->welcome("Ann");
    net.pump();
    EXPECT_EQ(j->session->state(), JoinState::Welcomed);
    EXPECT_EQ(j->session->welcome(), (Welcome{kDuel, "Ann", "Bea?B"}));

    for (KeyAction a : {KeyAction::Left, KeyAction::Rotate, KeyAction::Down, KeyAction::Right})
        j->session->sendAction(a);
    net.pump();
    EXPECT_EQ(actions, (std::vector<KeyAction>{KeyAction::Left, KeyAction::Rotate, KeyAction::Down,
                                               KeyAction::Right}));

    const auto show = [&](const std::string& caption) {
        host->sendView(viewWith(caption));
        net.pump();
        EXPECT_EQ(j->session->view(), viewWith(caption));
    };
    show("Tessarin (Duel)");
    EXPECT_EQ(j->session->state(), JoinState::Playing);
    EXPECT_EQ(j->session->ack(), 4);
    const uint64_t sent = host->bytesSent();
    host->sendView(viewWith("Tessarin (Duel)")); // nothing changed: nothing sent
    EXPECT_EQ(host->bytesSent(), sent);
    show("Tessarin (Cooperation)");
    EXPECT_EQ(j->views, 2);
    // An action that changes nothing (a piece against the wall) is
    // acknowledged by the next view all the same, once.
    j->session->sendAction(KeyAction::Left);
    net.pump();
    show("Tessarin (Cooperation)");
    EXPECT_EQ(j->session->ack(), 5);
    const uint64_t acked = host->bytesSent();
    host->sendView(viewWith("Tessarin (Cooperation)"));
    EXPECT_EQ(host->bytesSent(), acked);

    net.advance(60000); // a quiet minute
    EXPECT_EQ(j->session->state(), JoinState::Playing);
    EXPECT_TRUE(left.empty());

    j->session->leave();
    net.pump();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].first, Left::Leaving);
    EXPECT_EQ(left[0].second, "\"Bea?B\" (player 2) has left the game.");
    EXPECT_FALSE(host->wantsListening());
    EXPECT_FALSE(j->ended); // the one who leaves is not told
    net.advance(20000);
    EXPECT_EQ(left.size(), 1u);
}

TEST_F(SessionTest, WrongCodesAreTurnedAwayAndLaterTriesSlowedDown) {
    int expectedDelay = 1000;
    for (int failure = 1; failure <= 9; ++failure) {
        SCOPED_TRACE(failure);
        auto wrong = join(failure % 2 ? "ABC235" : "ZZZZZZ");
        EXPECT_EQ(wrong->ended, End::WrongCode);
        EXPECT_THAT(wrong->endText, HasSubstr("join code"));
        EXPECT_THAT(notices.back(), HasSubstr("wrong join code"));
        EXPECT_EQ(host->state(), HostState::Waiting);
        EXPECT_EQ(host->retryDelayMs(), expectedDelay);
        // Even the right code waits its turn.
        net.advance(expectedDelay - 1);
        EXPECT_EQ(join(code)->ended, End::TryLater);
        net.advance(1);
        expectedDelay = std::min(2 * expectedDelay, 64000);
    }
    auto right = join(code);
    EXPECT_FALSE(right->ended);
    EXPECT_EQ(host->state(), HostState::NameExchange);
    EXPECT_EQ(host->retryDelayMs(), 0);
}

// One guesser's wrong codes and silent connections never keep the friend
// out: the friend's first try from another address is checked at once.
TEST_F(SessionTest, AStrangerCannotLockTheFriendOut) {
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(join("ZZZZZZ", "Eve", "stranger")->ended, End::WrongCode);
        net.advance(host->retryDelayMs("stranger"));
    }
    EXPECT_EQ(host->retryDelayMs("stranger"), 0);
    EXPECT_EQ(join("ZZZZZZ", "Eve", "stranger")->ended, End::WrongCode);
    EXPECT_EQ(host->retryDelayMs("stranger"), 32000);
    EXPECT_EQ(host->retryDelayMs("friend"), 0);
    // Silent connections hold a few slots, one a caller.
    auto silent = raw("stranger2");
    EXPECT_EQ(join(code, "Bea", "stranger2")->ended, End::TryLater);
    std::vector<std::unique_ptr<RawEnd>> more;
    for (int k = 3; k <= kCheckingSlots; ++k)
        more.push_back(raw("stranger" + std::to_string(k)));
    EXPECT_EQ(host->checking(), kCheckingSlots - 1);
    auto friendly = join(code, "Bea", "friend");
    EXPECT_FALSE(friendly->ended);
    EXPECT_EQ(joinedName, "Bea");
    // The others still trying hear that the seat is taken.
    net.pump();
    EXPECT_EQ(silent->types(), "Refused");
    EXPECT_EQ(std::get<Refused>(silent->messages()[0]).Reason, RefusedReason::Busy);
    EXPECT_EQ(host->checking(), 0);
}

TEST_F(SessionTest, CheckingSlotsAreBounded) {
    std::vector<std::unique_ptr<RawEnd>> callers;
    for (int k = 0; k < kCheckingSlots; ++k)
        callers.push_back(raw("caller" + std::to_string(k)));
    EXPECT_EQ(join(code, "Bea", "friend")->ended, End::TryLater);
    net.advance(kSilenceMs); // the silent ones go; their callers wait a second
    EXPECT_EQ(host->checking(), 0);
    EXPECT_FALSE(join(code, "Bea", "friend")->ended);
}

TEST_F(SessionTest, ConnectionsThatDoNotAskToJoinAreClosed) {
    auto quiet = raw();
    net.advance(9999);
    EXPECT_EQ(host->checking(), 1);
    net.advance(1);
    EXPECT_TRUE(quiet->closed);
    EXPECT_THAT(notices.back(), HasSubstr("said nothing for 10 seconds"));
    EXPECT_EQ(quiet->got, ""); // nothing told to a stranger

    // Strangers that say something else, or go.
    const std::pair<void (*)(RawEnd&), const char*> strangers[] = {
        {[](RawEnd& r) { r.send(Heartbeat{}); }, "something other than a request to join"},
        {[](RawEnd& r) { r.sendBytes("GET / HTTP/1.1\r\n\r\n"); },
         "does not speak the Tessarin network protocol"},
        {[](RawEnd& r) { r.link->close(); }, "closed before it asked to join"},
    };
    for (auto [act, notice] : strangers) {
        SCOPED_TRACE(notice);
        net.advance(host->retryDelayMs());
        auto r = raw();
        act(*r);
        net.pump();
        EXPECT_FALSE(net.pipes.back()->isOpen(MemoryPipe::kHost));
        EXPECT_THAT(notices.back(), HasSubstr(notice));
        EXPECT_EQ(host->state(), HostState::Waiting);
    }
    EXPECT_EQ(host->retryDelayMs(), 8000);
}

TEST_F(SessionTest, OneJoinerOnly) {
    auto pending = raw();                        // still to say Hello
    EXPECT_EQ(join(code)->ended, End::TryLater); // one try at a time from one caller
    pending->send(Hello{code, "Bea"});
    net.pump();
    EXPECT_EQ(joinedName, "Bea");
    auto late = join(code, "Cid");
    EXPECT_EQ(late->ended, End::Busy);
    EXPECT_EQ(late->endText, "The host already has a second player.");
    EXPECT_EQ(joinedName, "Bea");
    EXPECT_FALSE(pending->closed);
}

TEST_F(SessionTest, VersionMismatchIsExplainedOnBothSides) {
    // A newer joiner at this host.
    auto newer = raw();
    newer->sendBytes(Frame(1, Field(code) + Field("Bea"), 4));
    net.pump();
    ASSERT_EQ(newer->messages().size(), 1u);
    EXPECT_EQ(newer->messages()[0], Message(Refused{RefusedReason::VersionMismatch}));
    EXPECT_TRUE(newer->closed);
    EXPECT_THAT(notices.back(), HasSubstr("speaks version 4 of the network protocol, this "
                                          "program version 3"));
    EXPECT_THAT(notices.back(), HasSubstr("same version"));

    // This joiner at a newer host: whatever the host answers is in its version.
    auto j = joinRaw();
    net.pump();
    j->host->sendBytes(Frame(3, "\x03", 4));
    net.pump();
    EXPECT_EQ(j->ended, End::VersionMismatch);
    EXPECT_THAT(j->endText, HasSubstr("speaks version 4 of the network protocol, this program "
                                      "version 3). Both players need the same version."));
}

TEST_F(SessionTest, AnyFaultyMessageFromThePlayingJoinerEndsItsPlay) {
    struct Case {
        const char* what;
        std::string bytes;
        const char* detail;
    };
    const Case cases[] = {
        {"oversize action", Frame(4, std::string(4, '\0')),
         "message too long (4 bytes for type 4)"},
        {"unknown type", Frame(9, ""), "unknown message type 9"},
        {"action out of range", Frame(4, std::string("\x04\x00\x01", 3)),
         "field out of range: action"},
        {"trailing byte", Frame(5, std::string(8, '\0')), "bytes after the last field"},
        {"a view from the joiner", Encode(ViewDelta{}), "out of place (type 5)"},
        {"a second hello", Encode(Hello{"ABC234", "Bea"}), "out of place (type 1)"},
        {"not a frame", "hello?", "does not speak the Tessarin network protocol"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        newHost();
        auto r = rawPlayer();
        r->send(Action{KeyAction::Left, 1});
        r->sendBytes(c.bytes);
        r->send(Action{KeyAction::Right, 2}); // never applied
        actions.clear();
        net.pump();
        EXPECT_EQ(actions, std::vector<KeyAction>{KeyAction::Left});
        ASSERT_EQ(leftFor(), std::vector{Left::BadMessage});
        EXPECT_THAT(left[0].second, HasSubstr(c.detail));
        EXPECT_THAT(r->types(), ::testing::EndsWith("Bye"));
        EXPECT_EQ(std::get<Bye>(r->messages().back()).Reason, ByeReason::BadMessage);
        EXPECT_TRUE(r->closed);
        EXPECT_EQ(host->state(), HostState::Ended);
    }
}

TEST_F(SessionTest, ActionsBeforeTheWelcomeAreOutOfPlace) {
    auto r = raw();
    r->send(Hello{code, "Bea"});
    r->send(Action{KeyAction::Down, 1});
    net.pump();
    EXPECT_TRUE(actions.empty());
    EXPECT_EQ(leftFor(), std::vector{Left::BadMessage});
}

TEST_F(SessionTest, AnyFaultyMessageFromTheHostEndsTheJoin) {
    ViewDelta misfit; // a new label that does not come
    misfit.LabelCount = 1;
    struct Case {
        const char* what;
        bool welcomeFirst;
        std::string bytes;
        const char* detail;
    };
    const Case cases[] = {
        {"mode out of range", false, Frame(2, "\x03" + Field("Ann") + Field("Bea")), "mode"},
        {"name with a control", false, Frame(2, "\x02" + Field("A\tn") + Field("Bea")),
         "host's name"},
        {"view before welcome", false, Encode(ViewDelta{}), "out of place (type 5)"},
        {"view that does not fit", true, Encode(misfit), "a view that does not fit"},
        {"second welcome", true, Encode(Welcome{kDuel, "Ann", "Bea"}), "out of place (type 2)"},
        {"oversize", true, Frame(6, "x"), "too long"},
        {"unknown type", true, Frame(200, ""), "unknown message type 200"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto j = joinRaw();
        RawEnd& h = *j->host;
        if (c.welcomeFirst)
            h.send(Welcome{kDuel, "Ann", "Bea"});
        h.sendBytes(c.bytes);
        net.pump();
        EXPECT_EQ(j->ended, End::BadMessage);
        EXPECT_THAT(j->endText, HasSubstr(c.detail));
        EXPECT_EQ(j->session->state(), JoinState::Ended);
        EXPECT_THAT(h.types(), ::testing::StartsWith("Hello"));
        EXPECT_THAT(h.types(), ::testing::EndsWith("Bye"));
        EXPECT_TRUE(h.closed);
    }
}

TEST_F(SessionTest, ABrokenConnectionAtEachPhase) {
    // Checking: a try that failed.
    auto checking = raw();
    net.pipes.back()->cut();
    EXPECT_THAT(notices.back(), HasSubstr("closed before"));
    EXPECT_TRUE(left.empty());
    net.advance(1000);

    // Name exchange.
    auto j = join(code);
    j->pipe->cut();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].first, Left::Disconnected);
    EXPECT_THAT(left[0].second, HasSubstr("The connection was lost."));
    EXPECT_EQ(j->ended, End::Disconnected);
    EXPECT_EQ(j->endText, "The connection to the host was lost.");

    // Playing.
    newHost();
    j = play();
    host->sendView(viewWith("x"));
    net.pump();
    j->pipe->cut();
    EXPECT_EQ(leftFor(), std::vector{Left::Disconnected});
    EXPECT_EQ(j->ended, End::Disconnected);
}

TEST_F(SessionTest, SilenceEndsPlayOnBothSides) {
    auto j = play();
    net.advance(5500);
    j->pipe->goSilent(); // nothing arrives any more, nothing closes
    net.advance(9000);
    EXPECT_TRUE(left.empty());
    EXPECT_FALSE(j->ended);
    net.advance(1000);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].first, Left::Silent);
    EXPECT_THAT(left[0].second,
                HasSubstr("Nothing was heard from the other program for 10 seconds"));
    EXPECT_EQ(j->ended, End::HostSilent);
}

TEST_F(SessionTest, JoinerThatCannotConnectIsToldWithinTenSeconds) {
    for (bool refused : {false, true}) {
        auto j = joiner(code, "");
        EXPECT_EQ(j->session->name(), "Player2");
        if (refused)
            j->pipe->cut();
        net.advance(9999);
        EXPECT_EQ(j->ended.has_value(), refused);
        net.advance(1);
        EXPECT_EQ(j->ended, End::CouldNotConnect);
    }
}

TEST_F(SessionTest, FloodsOfActionsAreCapped) {
    auto j = play();
    for (int k = 0; k < 250; ++k)
        j->session->sendAction(KeyAction::Rotate);
    net.pump();
    EXPECT_EQ(actions.size(), static_cast<std::size_t>(kMaxActionsPerSecond));
    net.advance(1000);
    j->session->sendAction(KeyAction::Left);
    net.pump();
    EXPECT_EQ(actions.back(), KeyAction::Left);
    EXPECT_EQ(host->state(), HostState::Playing);
}

TEST_F(SessionTest, SessionsMayBeDestroyedInsideTheirCallbacks) {
    const HostSession::Events selfDestroying{
        nullptr, nullptr, [&](Left, const std::string&) { host.reset(); }, nullptr};
    auto r = rawPlayer();
    host = std::make_unique<HostSession>(net.timers, kDuel, code, selfDestroying);
    net.advance(2000);
    r = rawPlayer();
    // The Bye and more in one piece: the host is gone after the Bye.
    r->sendBytes(Encode(Bye{}) + Encode(Action{}) + Encode(Heartbeat{}));
    net.pump();
    EXPECT_EQ(host, nullptr);

    MemoryPipe& pipe = net.newPipe();
    std::unique_ptr<JoinSession> j;
    j = std::make_unique<JoinSession>(
        net.timers, pipe.end(MemoryPipe::kJoiner), code, "Bea",
        JoinSession::Events{nullptr, nullptr, [&](End, const std::string&) { j.reset(); },
                            nullptr});
    RawEnd h(pipe.end(MemoryPipe::kHost));
    pipe.connect();
    h.sendBytes(Encode(Welcome{kDuel, "Ann", "Bea"}) + Encode(Bye{}) + Encode(Heartbeat{}));
    net.pump();
    EXPECT_EQ(j, nullptr);

    // Inside the silence timer's tick.
    host = std::make_unique<HostSession>(net.timers, kDuel, code, selfDestroying);
    r = rawPlayer();
    net.pipes.back()->goSilent();
    net.advance(10000);
    EXPECT_EQ(host, nullptr);
    net.advance(20000);
}

// A link whose events the test gives, as the encrypted socket does.
struct HandLink final : Link {
    explicit HandLink(Link::Events** events) : events(events) {}
    void setEvents(Events* e) override { *events = e; }
    void send(std::string_view) override {}
    void close() override {}
    Link::Events** events;
};

TEST_F(SessionTest, AHostsKeyBeingComparedIsWaitedForAMinuteOnBothSides) {
    // At the host: an encrypted caller has a minute to say Hello.
    Link::Events* caller = nullptr;
    host->accept(std::make_unique<HandLink>(&caller), "typed");
    caller->linkConnected();
    net.advance(kKeyCheckMs - 1);
    EXPECT_EQ(host->checking(), 1);
    net.advance(1);
    EXPECT_EQ(host->checking(), 0);

    // At the joiner: its player compares; then it is let in, and says Hello.
    Link::Events* link = nullptr;
    JoinSession j(net.timers, std::make_unique<HandLink>(&link), code, "Bea", {});
    net.advance(kSilenceMs / 2);
    link->linkAsking();
    net.advance(kKeyCheckMs - 1);
    EXPECT_EQ(j.state(), JoinState::Connecting);
    link->linkConnected();
    EXPECT_EQ(j.state(), JoinState::HelloSent);
}

} // namespace
