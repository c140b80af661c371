#pragma once

// The host's and the joiner's side of a network game, as state machines
// driven by link events and timers. The host runs the one game; the joiner
// sends player 2's actions and shows the views the host sends.
//
// Either side: a heartbeat every second; ten seconds without a whole
// message from the other side and it counts as gone. Every message is
// checked; one that is out of place or at fault ends the connection.
//
// Callbacks run on the event loop inside link and timer events, each as the
// last thing its event does; a callback may show a modal dialog, and may
// destroy its session.

#include "net/Link.h"
#include "net/Protocol.h"
#include "platform/Timer.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessarin::net {

constexpr int kHeartbeatMs = 1000;
constexpr int kSilenceMs = 10000; // also the time a new connection has to say Hello
// The time a joiner's player has to compare the host's key, once the
// connection is encrypted (the host waits as long for its Hello).
constexpr int kKeyCheckMs = 60000;
constexpr int kFirstRetryDelayMs = 1000; // after a failed try, doubling up to the last
constexpr int kLastRetryDelayMs = 64000;
constexpr int kMaxActionsPerSecond = 100; // more are dropped
constexpr int kCheckingSlots = 4;         // connections checked at once, one a caller
constexpr std::size_t kMaxCallers = 1024; // callers whose failed tries are remembered

class Channel;

// What a session hears from its connection (sessions only).
class ChannelOwner {
public:
    virtual void channelConnected() {}
    virtual void channelMessage(const Message& m) = 0;
    virtual void channelFault(const DecodeError& e) = 0;
    virtual void channelClosed() = 0;
    virtual void channelAsking() {}
    virtual void channelFailed(LinkFailure) { channelClosed(); }

protected:
    ~ChannelOwner() = default;
};

class HostSession final : private ChannelOwner {
public:
    enum class State {
        Waiting,      // listening, nobody in (connections may be being checked)
        NameExchange, // the joiner is in; the host sets the game up, then calls welcome()
        Playing,      // actions come in, views go out
        Ended,        // the joiner left, or the host stopped
    };
    enum class LeftReason { Leaving, Disconnected, Silent, BadMessage };
    struct Events {
        std::function<void(const std::string& joinerName)> joined;
        std::function<void(KeyAction)> action;
        // The joiner has gone (once, after joined): text tells the host's player.
        std::function<void(LeftReason, const std::string& text)> left;
        // A try to join was turned away: for the waiting window.
        std::function<void(const std::string& text)> notice;
    };

    // mode: Tessarin::kDuel or kCooperation; joinCode: from NewJoinCode().
    HostSession(TimerHost& timers, int16_t mode, std::string joinCode, Events events);
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // A new connection to the listening port, from a caller: the address it
    // comes from, as the front end groups addresses (one guesser, one key).
    void accept(std::unique_ptr<Link> link, const std::string& from = {});
    // The game is set up with player 1's name: the joiner is welcomed.
    void welcome(const std::string& hostName);
    // The window after an event: what changed goes to the joiner (Playing).
    void sendView(const ViewState& view);
    // A window the host's game shows: the joiner sees it too (Playing).
    void sendShown(const Shown& shown);
    // The host stops hosting or leaves: the joiner is told. No `left` follows.
    void stop();

    State state() const { return state_; }
    bool wantsListening() const { return state_ != State::Ended; }
    const std::string& joinCode() const { return code_; }
    const std::string& joinerName() const { return joinerName_; }
    int16_t mode() const { return mode_; }
    // Milliseconds new connections from this caller are turned away for,
    // after its failed tries so far.
    int retryDelayMs(const std::string& from = {}) const;
    // When the joiner was last heard from, on the timer host's clock.
    int64_t lastHeard() const { return lastHeard_; }
    // Connections being checked now.
    int checking() const { return static_cast<int>(candidates_.size()); }
    uint64_t bytesSent() const { return bytesSent_; }

private:
    class Candidate;
    friend class Candidate;
    // A caller's failed tries: each one doubles the time its next must wait.
    struct Caller {
        int failures = 0;
        int64_t lockedUntil = 0; // on the timer host's clock
    };

    void channelMessage(const Message& m) override;
    void channelFault(const DecodeError& e) override;
    void channelClosed() override;
    void candidateMessage(Candidate& c, const Message& m);
    void candidateFault(Candidate& c, const DecodeError& e);
    void turnAway(Candidate& c, std::optional<RefusedReason> reply, const std::string& text);
    void refuse(std::unique_ptr<Link> link, RefusedReason reason);
    void silent();
    void violation(const std::string& what);
    void joinerLeft(LeftReason reason, std::optional<ByeReason> bye, const std::string& detail);
    void end(std::optional<ByeReason> bye);
    void send(const Message& m);
    void heartbeat();
    bool joined() const { return state_ == State::NameExchange || state_ == State::Playing; }

    TimerHost& timers_;
    int16_t mode_;
    std::string code_;
    Events events_;
    State state_ = State::Waiting;
    std::unique_ptr<Channel> peer_;
    std::vector<std::unique_ptr<Candidate>> candidates_;
    std::map<std::string, Caller> callers_;
    std::unique_ptr<Timer> heartbeat_, deadline_;
    int actionsThisSecond_ = 0;
    uint16_t lastSeq_ = 0; // the joiner's last action
    uint16_t ackSent_ = 0; // the last one a view acknowledged
    std::string joinerName_;
    std::optional<ViewState> sent_;
    uint64_t bytesSent_ = 0;
    int64_t lastHeard_ = -1;
};

class JoinSession final : private ChannelOwner {
public:
    enum class State {
        Connecting, // the link is being made
        HelloSent,  // waiting for Welcome or Refused
        Welcomed,   // in; waiting for the first view
        Playing,    // views come in, actions go out
        Ended,
    };
    enum class EndReason {
        Left,            // leave() was called
        CouldNotConnect, // no connection within 10 s, or refused
        WrongCode,
        Busy,
        TryLater,
        VersionMismatch,
        HostLeft,
        HostSilent,
        Disconnected,
        BadMessage,
        OlderHost,   // the host speaks the older, unencrypted protocol (or is not a game of ours)
        WrongKey,    // the host's key is not the one of the join link
        KeyNotValid, // the host's certificate has expired or is not valid yet
        Declined,    // the player did not recognise the host's key
    };
    struct Events {
        std::function<void(const Welcome&)> welcomed;
        std::function<void()> viewChanged;
        std::function<void(EndReason, const std::string& text)> ended; // once; not after leave()
        // A window the host's game shows (a message, a results table).
        std::function<void(const Shown&)> shown;
    };

    // The link is connecting; code as typed (see NormalizeJoinCode), name
    // fitted with FitName ("Player2" when nothing is left of it).
    JoinSession(TimerHost& timers, std::unique_ptr<Link> link, std::string code, std::string name,
                Events events);
    ~JoinSession();
    JoinSession(const JoinSession&) = delete;
    JoinSession& operator=(const JoinSession&) = delete;

    // Player 2's action (Welcomed or Playing); returns its number, which
    // views acknowledge once the host has applied it.
    uint16_t sendAction(KeyAction action);
    void leave();

    State state() const { return state_; }
    const ViewState& view() const { return view_; }
    const Welcome& welcome() const { return welcome_; }
    const std::string& name() const { return name_; }
    uint16_t ack() const { return ack_; }

private:
    void channelConnected() override;
    void channelMessage(const Message& m) override;
    void channelFault(const DecodeError& e) override;
    void channelClosed() override;
    void channelAsking() override;
    void channelFailed(LinkFailure failure) override;
    void silent();
    void send(const Message& m);
    void end(EndReason reason, const std::string& text, std::optional<ByeReason> bye);

    std::string code_;
    std::string name_;
    Events events_;
    State state_ = State::Connecting;
    std::unique_ptr<Channel> peer_;
    std::unique_ptr<Timer> heartbeat_, deadline_;
    Welcome welcome_;
    ViewState view_;
    uint16_t seq_ = 0;
    uint16_t ack_ = 0;
};

// Why the joiner's session ends when the host turns it away.
JoinSession::EndReason EndReasonOf(RefusedReason refused);
// What a player is told when a session ends.
std::string EndText(JoinSession::EndReason reason, const std::string& detail = {});

} // namespace tessarin::net
