// Captured message streams of a real networked duel, damaged thousands of
// ways, through the decoder and both sessions: nothing crashes, nothing
// hangs, and whatever is accepted is well-formed.
#include "net/Capture.h"
#include "net/MemoryPipe.h"
#include "net/NetSupport.h"
#include "net/Session.h"
#include "net/Text.h"
#include "support/GameFixture.h"

#include <random>

using namespace tessarin;
using namespace tessarin::net;
using tessarin::net::test::RawEnd;

namespace {

class ProtocolMutation : public GameFixture {
protected:
    static constexpr const char* kCode = "ABC234";
    std::string toJoiner, toHost;                          // the captured streams
    std::vector<std::size_t> framesToJoiner, framesToHost; // where each frame starts

    // A few seconds of a duel with both players pressing keys; the host
    // stops at the end.
    void capture() {
        MemoryPipe pipe;
        HostSession host(timers, Tessarin::kDuel, kCode,
                         {nullptr, [&](KeyAction a) { game->Form_KeyDown(KeyFor(keys(1), a), 0); },
                          nullptr, nullptr});
        JoinSession joiner(timers, pipe.end(MemoryPipe::kJoiner), kCode, "Bea", {});
        host.accept(pipe.end(MemoryPipe::kHost));
        pipe.connect();
        pipe.pump();
        start(Tessarin::kDuel, {"Ann", "Bea"});
        host.welcome("Ann");
        std::mt19937 rng(1);
        for (int t = 0; t < 4000; t += 50) {
            if (rng() % 3 == 0)
                joiner.sendAction(static_cast<KeyAction>(rng() % 4));
            const int16_t player1[] = {keys(0).Left, keys(0).Right, keys(0).Rotate};
            if (rng() % 3 == 0)
                press(player1[rng() % 3]);
            advance(50);
            pipe.pump();
            host.sendView(CaptureView(*game));
            pipe.pump();
        }
        // The copies of a results table and of a message.
        for (const Shown& shown : net::test::SampleShown())
            host.sendShown(shown);
        pipe.pump();
        host.stop();
        pipe.pump();
        toJoiner = pipe.sentBy(MemoryPipe::kHost);
        toHost = pipe.sentBy(MemoryPipe::kJoiner);
        framesToJoiner = starts(toJoiner);
        framesToHost = starts(toHost);
    }
    static std::vector<std::size_t> starts(const std::string& stream) {
        std::vector<std::size_t> at;
        for (std::size_t p = 0; p + kHeaderSize <= stream.size();
             p += kHeaderSize + (static_cast<unsigned char>(stream[p + 4]) << 8 |
                                 static_cast<unsigned char>(stream[p + 5])))
            at.push_back(p);
        return at;
    }
};

// One to four damages: bits flipped, bytes set, cut, inserted or repeated,
// frames dropped, repeated or taken from elsewhere, a header's version, type
// or length changed.
std::string Damage(std::string s, const std::vector<std::size_t>& frames, std::mt19937& rng) {
    const auto pick = [&](std::size_t hi) {
        return std::uniform_int_distribution<std::size_t>(0, hi)(rng);
    };
    for (std::size_t k = pick(3); k < 4 && !s.empty(); ++k) {
        const std::size_t at = pick(s.size() - 1);
        const std::size_t frame = frames[pick(frames.size() - 1)];
        const std::size_t header = frame < s.size() ? frame : at;
        const std::size_t span = 1 + pick(pick(1) ? 8 : 200);
        switch (pick(10)) {
        case 0:
            s[at] = static_cast<char>(s[at] ^ (1 << pick(7)));
            break;
        case 1:
            s[at] = static_cast<char>(pick(1) ? pick(255) : (pick(1) ? 0 : 0xFF));
            break;
        case 2:
            s.erase(at, span);
            break;
        case 3:
            s.insert(at, std::string(span, static_cast<char>(pick(255))));
            break;
        case 4:
            s.insert(at, s.substr(pick(s.size() - 1), span));
            break;
        case 5:
            s.resize(at);
            break;
        case 6: // a whole frame again, somewhere else
            s.insert(frames[pick(frames.size() - 1)] % (s.size() + 1),
                     s.substr(header, kHeaderSize + span));
            break;
        case 7:
            if (header + 2 < s.size())
                s[header + 2] = static_cast<char>(pick(3));
            break;
        case 8:
            if (header + 3 < s.size())
                s[header + 3] = static_cast<char>(pick(9));
            break;
        case 9:
        case 10:
            if (header + 5 < s.size())
                s[header + 4 + pick(1)] =
                    static_cast<char>(s[header + 4 + pick(1)] + static_cast<int>(pick(4)) - 2);
            break;
        }
    }
    return s;
}

TEST_F(ProtocolMutation, DamagedStreamsNeverCrashOrHang) {
    capture();
    ASSERT_GT(framesToJoiner.size(), 50u);
    ASSERT_GT(framesToHost.size(), 20u);
    std::mt19937 rng(20250101u);
    int decodedViews = 0, faults = 0, welcomes = 0, joins = 0;
    for (int n = 0; n < 3000; ++n) {
        SCOPED_TRACE("case " + std::to_string(n));
        const bool hostBound = n % 3 == 0;
        const std::string stream =
            Damage(hostBound ? toHost : toJoiner, hostBound ? framesToHost : framesToJoiner, rng);

        // The decoder, in pieces: what comes out is well-formed and survives
        // the wire again; views apply within bounds or are refused whole.
        Decoder decoder;
        ViewState view;
        for (std::size_t at = 0; at < stream.size();) {
            const std::size_t piece = 1 + rng() % 300;
            decoder.feed(std::string_view(stream).substr(at, piece));
            at += piece;
            while (std::optional<Message> m = decoder.next()) {
                Decoder again;
                again.feed(Encode(*m));
                ASSERT_EQ(again.next(), m);
                if (const ViewDelta* d = std::get_if<ViewDelta>(&*m)) {
                    const ViewState before = view;
                    if (Apply(view, *d))
                        ++decodedViews;
                    else
                        ASSERT_EQ(view, before);
                    ASSERT_TRUE(IsWithinBounds(view));
                }
            }
            ASSERT_LE(decoder.buffered(), kHeaderSize + kMaxPayload + piece);
        }
        faults += decoder.failed();

        // The session that receives it, then ten seconds of silence: it has ended.
        MemoryPipe pipe;
        pipe.splitPieces(1 + rng() % 100, static_cast<uint32_t>(n));
        if (hostBound) {
            std::unique_ptr<HostSession> host;
            host = std::make_unique<HostSession>(
                timers, Tessarin::kDuel, kCode,
                HostSession::Events{[&](const std::string& name) {
                                        ASSERT_TRUE(IsStorableName(name));
                                        ++joins;
                                        host->welcome("Ann");
                                    },
                                    [&](KeyAction a) { ASSERT_LE(static_cast<int>(a), 3); },
                                    nullptr, nullptr});
            host->accept(pipe.end(MemoryPipe::kHost));
            RawEnd joiner(pipe.end(MemoryPipe::kJoiner));
            joiner.sendBytes(stream);
            pipe.pump();
            for (int s = 0; s < 11; ++s) {
                advance(1000);
                pipe.pump();
            }
            ASSERT_NE(host->state(), HostSession::State::Playing);
            ASSERT_EQ(host->checking(), 0);
        } else {
            JoinSession joiner(timers, pipe.end(MemoryPipe::kJoiner), kCode, "Bea",
                               {[&](const Welcome&) { ++welcomes; }, nullptr, nullptr, nullptr});
            RawEnd host(pipe.end(MemoryPipe::kHost));
            pipe.connect();
            host.sendBytes(stream);
            pipe.pump();
            ASSERT_TRUE(IsWithinBounds(joiner.view()));
            for (int s = 0; s < 11; ++s) {
                advance(1000);
                pipe.pump();
            }
            ASSERT_EQ(joiner.state(), JoinSession::State::Ended);
        }
    }
    // The damages reach every part: whole streams and faulty ones, views
    // applied, joins and welcomes through damaged streams.
    EXPECT_GT(faults, 1000);
    EXPECT_LT(faults, 2900);
    EXPECT_GT(decodedViews, 10000);
    EXPECT_GT(joins, 100);
    EXPECT_GT(welcomes, 500);
}

} // namespace
