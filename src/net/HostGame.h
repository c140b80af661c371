#pragma once

// The host's program in a network game: a HostSession that drives the
// window's game. The joiner takes player 2's seat under their own name,
// their actions play as player 2's keys, and after every event the front
// end hands on, the window's changes go out to them, as do the message and
// results windows the game shows.

#include "driver/Seat.h"
#include "net/Capture.h"
#include "net/Session.h"

#include <functional>
#include <memory>
#include <string>

namespace tessarin {
class Tessarin;
}

namespace tessarin::net {

class HostGame final : private DialogWatcher {
public:
    struct Events {
        // The joiner is in and the mode is set up.
        std::function<void(const std::string& joinerName)> joined;
        // A try to join was turned away (for the waiting window).
        std::function<void(const std::string& text)> notice;
        // Hosting is over: the joiner left (after the player was told) or
        // stop() was called. Raised once no call of this object is running
        // any more (a name window it opened may outlive the joiner); the
        // owner may destroy it later, not inside the call.
        std::function<void()> ended;
        // The joiner's action changed the game: the window catches up now
        // (and hands the event on, as after any other).
        std::function<void()> changed;
    };

    // mode: Tessarin::kDuel or kCooperation.
    HostGame(Tessarin& game, TimerHost& timers, int16_t mode, Events events);
    ~HostGame();
    HostGame(const HostGame&) = delete;
    HostGame& operator=(const HostGame&) = delete;

    // A new connection from a caller (see HostSession::accept).
    void accept(std::unique_ptr<Link> link, const std::string& from = {});
    // After each event the front end hands the game (keys, menus, timers):
    // what changed in the window goes to the joiner.
    void afterEvent();
    // The host stops hosting: the joiner is told, the seat comes back.
    void stop();

    const HostSession& session() const { return session_; }
    bool ended() const { return session_.state() == HostSession::State::Ended; }
    // Whether a call of this object is running (a modal window inside it).
    bool busy() const { return depth_ > 0; }

private:
    // Around every call into this object from its session or its owner.
    class Entry {
    public:
        explicit Entry(HostGame& g) : g_(g) { ++g_.depth_; }
        ~Entry();
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;

    private:
        HostGame& g_;
    };

    void joined(const std::string& name);
    void action(KeyAction a);
    void left(const std::string& text);
    void showing(const MessageForm& form) override;
    void showing(const DuelResult& form) override;

    Tessarin& game_;
    Capturer capturer_;
    Events events_;
    HostSession session_;
    int depth_ = 0;
    bool endPending_ = false;
};

} // namespace tessarin::net
