// Gamepads: which pad plays whom, the repeat of a held direction, the
// stick's dead zone, Start, and the pause when a pad is pulled out.
#include "driver/Gamepads.h"

#include "driver/Tessarin.h"

#include <algorithm>

namespace tessarin {

namespace {

constexpr int kDirections = 3; // Left, Right, Down

KeyAction actionOf(PadControl control) {
    switch (control) {
    case PadControl::Left:
        return KeyAction::Left;
    case PadControl::Right:
        return KeyAction::Right;
    case PadControl::Down:
        return KeyAction::Down;
    case PadControl::Turn:
        return KeyAction::Rotate;
    case PadControl::Start:
        break;
    }
    return KeyAction::None;
}

} // namespace

// The fall of a running game stops while the player is told text (a game
// already paused stays so); the game goes on when the player continues it.
void Tessarin::PauseAndTell(const std::string& text) {
    const HandlerScope scope(*this);
    if (Ended || !Playing)
        return;
    if (tmrMain[0] && tmrMain[0]->Enabled())
        mnuPause_Click();
    dialogs_.SystemMessage(text, "Tessarin");
}

Gamepads::Gamepads(Tessarin& game) : game_(game) {
    for (int16_t i = 0; i < kSlots; ++i) {
        tmrPadRepeat[i] = std::make_unique<Timer>(game_.services().timers, i, kRepeatDelayMs);
        tmrPadRepeat[i]->setHandler([this](int16_t index) { tmrPadRepeat_Timer(index); });
    }
    playingSeen_ = game_.Playing;
    deliveriesSeen_ = game_.Deliveries;
}

Gamepads::~Gamepads() = default;

Gamepads::Pad* Gamepads::find(PadId id) {
    auto it = std::find_if(pads_.begin(), pads_.end(), [id](const Pad& p) { return p.id == id; });
    return it == pads_.end() ? nullptr : &*it;
}

const Gamepads::Pad* Gamepads::find(PadId id) const {
    return const_cast<Gamepads*>(this)->find(id);
}

Gamepads::Pad* Gamepads::inSlot(int slot) {
    for (Pad& p : pads_)
        if (p.slot == slot)
            return &p;
    return nullptr;
}

// The second pad plays player 2 only while player 2 is played at this
// machine; with the computer or a person at another machine in that seat,
// both pads play player 1.
int16_t Gamepads::playerOfSlot(int slot) const {
    if (slot < 0)
        return kNobody;
    return slot == 1 && game_.Player2Seat.takesKeyboard() ? 1 : 0;
}

// Pads without a player take the free slots, oldest first.
void Gamepads::fillSlots() {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (inSlot(slot))
            continue;
        for (Pad& p : pads_)
            if (p.slot < 0) {
                p.slot = slot;
                break;
            }
    }
}

void Gamepads::Connected(PadId id, const std::string& name) {
    if (find(id))
        return;
    Pad pad;
    pad.id = id;
    pad.name = name;
    pads_.push_back(pad);
    fillSlots();
    changed();
}

void Gamepads::Disconnected(PadId id) {
    Pad* pad = find(id);
    if (!pad)
        return;
    stopRepeat(*pad);
    const int16_t player = playerOfSlot(pad->slot);
    pads_.erase(pads_.begin() + (pad - pads_.data()));
    fillSlots();
    changed();
    // Told after the pad is gone: the message's window lets other events in.
    if (player != kNobody && game_.Playing && !game_.Ended)
        game_.PauseAndTell("Player " + std::to_string(player + 1) + "'s gamepad was disconnected.");
}

// Pads act only on the window itself, as its keys do: not while one of its
// dialogs is open.
bool Gamepads::mayPlay() const {
    return !game_.Ended && game_.OpenDialogs() == 0;
}

void Gamepads::Button(PadId id, PadControl control, bool down) {
    Pad* pad = find(id);
    if (!pad)
        return;
    const int d = static_cast<int>(control);
    if (d < kDirections) {
        setHeld(*pad, d, true, down);
        return;
    }
    if (!down || pad->slot < 0 || !mayPlay())
        return;
    if (control == PadControl::Start) {
        if (!divert_ || !divert_(KeyAction::None))
            start();
    } else {
        act(*pad, control);
    }
}

void Gamepads::Stick(PadId id, int x, int y) {
    Pad* pad = find(id);
    if (!pad)
        return;
    // Each direction holds past the press mark and lets go inside the
    // release mark; in between it stays as it was.
    const auto next = [](bool held, int push) {
        return held ? push > kStickRelease : push >= kStickPress;
    };
    const int pushes[kDirections] = {-x, x, y};
    for (int d = 0; d < kDirections; ++d) {
        const bool now = next(pad->stick[d], pushes[d]);
        if (now != pad->stick[d]) {
            // find() again: a press may have run the game, which cannot
            // change the list, but be safe with the reference anyway.
            setHeld(*pad, d, false, now);
            pad = find(id);
            if (!pad)
                return;
        }
    }
}

// A direction is held while its button or the stick holds it. Going down it
// acts at once and starts repeating; the repeat stops when the direction
// that repeats is let go (another one still held does not start again, as
// with keys).
void Gamepads::setHeld(Pad& pad, int d, bool onButton, bool down) {
    const bool before = pad.held(d);
    (onButton ? pad.button : pad.stick)[d] = down;
    const bool after = pad.held(d);
    if (before == after)
        return;
    if (!after) {
        if (pad.repeating == d)
            stopRepeat(pad);
        return;
    }
    if (pad.slot < 0)
        return;
    pad.repeating = d;
    Timer& t = *tmrPadRepeat[pad.slot];
    t.setInterval(kRepeatDelayMs);
    t.setEnabled(true);
    if (mayPlay())
        act(pad, static_cast<PadControl>(d));
}

void Gamepads::stopRepeat(Pad& pad) {
    pad.repeating = -1;
    if (pad.slot >= 0)
        tmrPadRepeat[pad.slot]->setEnabled(false);
}

void Gamepads::tmrPadRepeat_Timer(int16_t Index) {
    Pad* pad = inSlot(Index);
    if (!pad || pad->repeating < 0 || !pad->held(pad->repeating)) {
        tmrPadRepeat[Index]->setEnabled(false);
        return;
    }
    if (tmrPadRepeat[Index]->Interval() != kRepeatMs)
        tmrPadRepeat[Index]->setInterval(kRepeatMs);
    if (mayPlay())
        act(*pad, static_cast<PadControl>(pad->repeating));
}

void Gamepads::act(const Pad& pad, PadControl control) {
    const int16_t player = playerOfSlot(pad.slot);
    const KeyAction action = actionOf(control);
    if (player == kNobody || action == KeyAction::None)
        return;
    if (divert_ && divert_(action))
        return;
    game_.Form_KeyDown(KeyFor(game_.Controls.Keys[player], action), 0);
}

// Start continues or pauses a game in play, and starts a new one otherwise
// (when New Game can be chosen).
void Gamepads::start() {
    if (game_.Playing)
        game_.Click("mnuPause");
    else
        game_.Click("mnuNewGame");
}

std::vector<Gamepads::Shown> Gamepads::List() const {
    std::vector<Shown> list;
    for (const Pad& p : pads_)
        list.push_back({p.id, p.name, playerOfSlot(p.slot)});
    return list;
}

int16_t Gamepads::PlayerOf(PadId id) const {
    const Pad* pad = find(id);
    return pad ? playerOfSlot(pad->slot) : kNobody;
}

bool Gamepads::CanSwap() const {
    return !game_.Playing && !game_.Ended && pads_.size() >= 2;
}

void Gamepads::Swap() {
    if (!CanSwap())
        return;
    for (Pad& p : pads_) {
        stopRepeat(p);
        if (p.slot >= 0)
            p.slot = (p.slot + 1) % kSlots;
    }
    fillSlots();
    changed();
}

void Gamepads::AfterEvent() {
    if (game_.Ended)
        return;
    for (int16_t i = 0; i < 2; ++i)
        if (game_.Deliveries[i] != deliveriesSeen_[i]) {
            deliveriesSeen_[i] = game_.Deliveries[i];
            rumbleFor(i, PadRumble::RowsDelivered);
        }
    if (playingSeen_ && !game_.Playing) {
        rumbleFor(0, PadRumble::GameOver);
        rumbleFor(1, PadRumble::GameOver);
    }
    playingSeen_ = game_.Playing;
}

void Gamepads::rumbleFor(int16_t player, PadRumble why) {
    if (!rumble_ || !game_.Sound)
        return;
    for (const Pad& p : pads_)
        if (p.slot >= 0 && playerOfSlot(p.slot) == player)
            rumble_(p.id, why);
}

void Gamepads::changed() {
    if (changed_)
        changed_();
}

} // namespace tessarin
