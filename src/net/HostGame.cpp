#include "net/HostGame.h"

#include "dialogs/DuelResult.h"
#include "dialogs/Forms.h"
#include "driver/Tessarin.h"
#include "net/Capture.h"

namespace tessarin::net {

HostGame::Entry::~Entry() {
    if (--g_.depth_ == 0 && g_.endPending_) {
        g_.endPending_ = false;
        if (g_.events_.ended)
            g_.events_.ended(); // the last thing: the owner may let this object go
    }
}

HostGame::HostGame(Tessarin& game, TimerHost& timers, int16_t mode, Events events)
    : game_(game), events_(std::move(events)),
      session_(timers, mode, NewJoinCode(),
               HostSession::Events{
                   [this](const std::string& name) { joined(name); },
                   [this](KeyAction a) { action(a); },
                   [this](HostSession::LeftReason, const std::string& text) { left(text); },
                   [this](const std::string& text) {
                       if (events_.notice)
                           events_.notice(text);
                   }}) {
    game_.setDialogWatcher(this);
}

HostGame::~HostGame() {
    game_.setDialogWatcher(nullptr);
    session_.stop();
    game_.RemotePlayerLeft({});
}

void HostGame::accept(std::unique_ptr<Link> link, const std::string& from) {
    const Entry entry(*this);
    session_.accept(std::move(link), from);
}

void HostGame::joined(const std::string& name) {
    const Entry entry(*this);
    // The mode is set up afresh below, which lets go of every piece and
    // field: not while a handler of the window, which may hold them, runs.
    if (game_.Ended || game_.InHandler()) {
        stop();
        return;
    }
    game_.SeatRemotePlayer(name);
    // A game in play ends as Stop ends it, then the mode is set up afresh
    // as from the menu; only player 1's name is asked. The joiner's program
    // keeps talking to this one meanwhile, however long the name takes.
    // In that mode already (its item then rests), the name is asked anew.
    const bool cooperation = session_.mode() == Tessarin::kCooperation;
    game_.Click("mnuStop");
    if (game_.Mode == session_.mode())
        game_.Click("mnuChangeName");
    else
        game_.Click(cooperation ? "mnuCooperation" : "mnuDuel");
    // The name window may have outlived the joiner.
    if (ended() || game_.Ended)
        return;
    if (game_.Mode != session_.mode()) {
        stop(); // the menu would not set the mode up
        return;
    }
    session_.welcome(game_.Player1Name);
    afterEvent();
    if (events_.joined)
        events_.joined(name);
}

// The joiner plays player 2 as if at this keyboard. Should the host's player
// switch to One Player meanwhile, the joiner only watches: in that mode
// player 2's keys would steer the host's own piece.
void HostGame::action(KeyAction a) {
    const Entry entry(*this);
    if (game_.Mode == Tessarin::kDuel || game_.Mode == Tessarin::kCooperation)
        game_.Form_KeyDown(KeyFor(game_.Controls.Keys[1], a), 0);
    if (events_.changed)
        events_.changed(); // the host's window shows it now; afterEvent follows from there
    else
        afterEvent();
}

void HostGame::afterEvent() {
    if (session_.state() == HostSession::State::Playing && !game_.Ended)
        session_.sendView(capturer_.capture(game_));
}

void HostGame::showing(const MessageForm& form) {
    afterEvent(); // what the window shows under it comes first
    Shown s;
    s.Form = Shown::Kind::Message;
    s.Window = {form.TheWindow.Caption, form.TheWindow.Width, form.TheWindow.Height, true};
    s.Main = form.Label1;
    session_.sendShown(s);
}

void HostGame::showing(const DuelResult& form) {
    afterEvent();
    Shown s;
    s.Form = Shown::Kind::Results;
    s.Window = {form.TheWindow.Caption, form.TheWindow.Width, form.TheWindow.Height, true};
    s.Main = form.Command1;
    s.Side = form.lblSide;
    s.Header = form.lblHeader;
    s.Cells = form.lblCell;
    session_.sendShown(s);
}

void HostGame::left(const std::string& text) {
    const Entry entry(*this);
    endPending_ = true;
    game_.RemotePlayerLeft(text);
}

void HostGame::stop() {
    const Entry entry(*this);
    if (ended())
        return;
    session_.stop();
    endPending_ = true;
    game_.RemotePlayerLeft({});
}

} // namespace tessarin::net
