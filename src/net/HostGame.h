#pragma once

// The host's program in a network game: a HostSession that drives the
// window's game. The joiner takes player 2's seat under their own name,
// their actions play as player 2's keys, and after every event the front
// end hands on, the window's changes go out to them.

#include "net/Capture.h"
#include "net/Session.h"

#include <functional>
#include <memory>
#include <string>

namespace tessarin {
class Tessarin;
}

namespace tessarin::net {

class HostGame {
public:
    struct Events {
        // The joiner is in and the mode is set up.
        std::function<void(const std::string& joinerName)> joined;
        // A try to join was turned away (for the waiting window).
        std::function<void(const std::string& text)> notice;
        // Hosting is over: the joiner left (after the player was told) or
        // stop() was called. The owner may destroy this object later, not
        // inside the call.
        std::function<void()> ended;
    };

    // mode: Tessarin::kDuel or kCooperation.
    HostGame(Tessarin& game, TimerHost& timers, int16_t mode, Events events);
    ~HostGame();
    HostGame(const HostGame&) = delete;
    HostGame& operator=(const HostGame&) = delete;

    void accept(std::unique_ptr<Link> link) { session_.accept(std::move(link)); }
    // After each event the front end hands the game (keys, menus, timers):
    // what changed in the window goes to the joiner.
    void afterEvent();
    // The host stops hosting: the joiner is told, the seat comes back.
    void stop();

    const HostSession& session() const { return session_; }
    bool ended() const { return session_.state() == HostSession::State::Ended; }

private:
    void joined(const std::string& name);
    void action(ActionKind a);
    void left(const std::string& text);

    Tessarin& game_;
    Capturer capturer_;
    Events events_;
    HostSession session_;
};

} // namespace tessarin::net
