#pragma once
// Gamepads as one more source of the players' keys. The front end reads the
// devices and reports what each pad does; this decides which player a pad
// plays, repeats a held direction as a held key repeats, keeps a resting
// stick still, and gives Start its meaning. Every action ends in
// Form_KeyDown with the player's configured keys, or in a menu command
// through Click, so every rule of the game holds for pads too.
#include "game/PlayerKeys.h"
#include "platform/Timer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessarin {

class Tessarin;

// What a pad's controls mean to the game: the D-pad and the left stick give
// the three directions, the south button turns (or uses a tool), Start
// pauses, continues or starts a new game.
enum class PadControl : uint8_t { Left = 0, Right = 1, Down = 2, Turn = 3, Start = 4 };

// Why a pad shakes: its player's rows went to the opponent, or the game ended.
enum class PadRumble : uint8_t { RowsDelivered, GameOver };

class Gamepads {
public:
    // The front end's name for a pad while it is connected.
    using PadId = int32_t;
    static constexpr int16_t kNobody = -1;
    // A held direction repeats as a held key does on this system's keyboard
    // by default: the first repeat after the delay, then at the rate.
    static constexpr int kRepeatDelayMs = 660;
    static constexpr int kRepeatMs = 40;
    // The stick, -32768 ... 32767 on each axis, holds a direction once it is
    // pushed half way, and lets it go only when it is back within a quarter:
    // a stick at rest, worn or trembling on the edge does not move a piece.
    static constexpr int kStickPress = 16384;
    static constexpr int kStickRelease = 8192;
    // Two pads play, one player each; more are listed but play nobody until
    // one of the two is unplugged.
    static constexpr int kSlots = 2;

    explicit Gamepads(Tessarin& game);
    ~Gamepads();
    Gamepads(const Gamepads&) = delete;
    Gamepads& operator=(const Gamepads&) = delete;

    // ---- What the front end reports.
    // A pad was plugged in (or was there when the program looked first).
    void Connected(PadId id, const std::string& name);
    // A pad was pulled out. During a game its player's game pauses and the
    // player is told whose pad it was.
    void Disconnected(PadId id);
    void Button(PadId id, PadControl control, bool down);
    // The left stick's position.
    void Stick(PadId id, int x, int y);
    // After every event the game handled: the rumbles it calls for.
    void AfterEvent();

    // ---- Which pad plays whom.
    struct Shown {
        PadId id;
        std::string name;
        int16_t player; // 0, 1, or kNobody
    };
    // The connected pads in the order they were plugged in, with the player
    // each one plays now.
    std::vector<Shown> List() const;
    int16_t PlayerOf(PadId id) const;
    // Whether the pads may change players now: between games, with two pads.
    bool CanSwap() const;
    // The first pad plays the second's player and the other way round.
    void Swap();

    // Shakes a pad (the front end's rumble); none while the sound is off.
    void setRumble(std::function<void(PadId, PadRumble)> rumble) { rumble_ = std::move(rumble); }
    // While this answers true, the pads play elsewhere (a network game
    // joined from this machine: the joiner's side), and not this window's
    // game: it is given each action (None for Start) and says whether it
    // took it.
    void setDivert(std::function<bool(KeyAction)> divert) { divert_ = std::move(divert); }
    // Told whenever the list or the players change.
    void setChanged(std::function<void()> changed) { changed_ = std::move(changed); }

    // The repeat of each slot's held direction (Index: the slot).
    std::array<std::unique_ptr<Timer>, kSlots> tmrPadRepeat;
    void tmrPadRepeat_Timer(int16_t Index);

private:
    struct Pad {
        PadId id = 0;
        std::string name;
        int slot = -1;
        // Directions held on the D-pad and by the stick, by PadControl.
        std::array<bool, 3> button{};
        std::array<bool, 3> stick{};
        // The direction that repeats: the last one pressed, while held.
        int repeating = -1;
        bool held(int d) const { return button[d] || stick[d]; }
    };

    Pad* find(PadId id);
    const Pad* find(PadId id) const;
    Pad* inSlot(int slot);
    int16_t playerOfSlot(int slot) const;
    void fillSlots();
    void setHeld(Pad& pad, int direction, bool onButton, bool down);
    void act(const Pad& pad, PadControl control);
    void start();
    void stopRepeat(Pad& pad);
    bool mayPlay() const;
    void rumbleFor(int16_t player, PadRumble why);
    void changed();

    Tessarin& game_;
    std::vector<Pad> pads_;
    std::function<void(PadId, PadRumble)> rumble_;
    std::function<void()> changed_;
    std::function<bool(KeyAction)> divert_;
    // What the game looked like after the last event: for the rumbles.
    std::array<int, 2> deliveriesSeen_{};
    bool playingSeen_ = false;
};

} // namespace tessarin
