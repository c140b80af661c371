#include "net/HostGame.h"

#include "driver/Tessarin.h"
#include "net/Capture.h"

namespace tessarin::net {

HostGame::HostGame(Tessarin& game, TimerHost& timers, int16_t mode, Events events)
    : game_(game), events_(std::move(events)),
      session_(timers, mode, NewJoinCode(),
               HostSession::Events{
                   [this](const std::string& name) { joined(name); },
                   [this](ActionKind a) { action(a); },
                   [this](HostSession::LeftReason, const std::string& text) { left(text); },
                   [this](const std::string& text) {
                       if (events_.notice)
                           events_.notice(text);
                   }}) {}

HostGame::~HostGame() {
    session_.stop();
    game_.RemotePlayerLeft({});
}

void HostGame::joined(const std::string& name) {
    if (game_.Ended) {
        stop();
        return;
    }
    game_.SeatRemotePlayer(name);
    // A game in play ends as Stop ends it, then the mode is set up afresh;
    // only player 1's name is asked.
    game_.mnuStop_Click();
    if (session_.mode() == Tessarin::kCooperation)
        game_.mnuCooperation_Click();
    else
        game_.mnuDuel_Click();
    // The name dialog may have outlived the joiner.
    if (ended())
        return;
    session_.welcome(game_.Player1Name);
    afterEvent();
    if (events_.joined)
        events_.joined(name);
}

// The joiner plays player 2 as if at this keyboard. Should the host's player
// switch to One Player meanwhile, the joiner only watches: in that mode
// player 2's keys would steer the host's own piece.
void HostGame::action(ActionKind a) {
    if (game_.Mode == Tessarin::kDuel || game_.Mode == Tessarin::kCooperation)
        game_.Form_KeyDown(KeyFor(game_.Controls.Keys[1], a), 0);
    afterEvent();
}

void HostGame::afterEvent() {
    if (session_.state() == HostSession::State::Playing && !game_.Ended)
        session_.sendView(capturer_.capture(game_));
}

void HostGame::left(const std::string& text) {
    game_.RemotePlayerLeft(text);
    if (events_.ended)
        events_.ended();
}

void HostGame::stop() {
    if (ended())
        return;
    session_.stop();
    game_.RemotePlayerLeft({});
    if (events_.ended)
        events_.ended();
}

} // namespace tessarin::net
