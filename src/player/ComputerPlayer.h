#pragma once

// The computer as a player: it looks at what a person at the window sees of
// its own game and answers which key to press next, and when. Pure logic:
// no game objects, no timers, no random source of the game's.

#include "game/PlayerKeys.h"
#include "game/ShapeTable.h"
#include "player/Planner.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace tessarin {

enum class Strength : int16_t { Easy = 0, Normal = 1, Hard = 2 };

// What a person sees of the game from one player's place.
struct PlayerView {
    // The settled squares of the player's field (falling pieces left out).
    Board field{11, 18};
    // Whether the player's piece is falling, so that the keys steer it.
    bool falling = false;
    // The falling piece.
    PieceState piece;
    // The next piece as the preview shows it; shape -1 when none shows.
    PieceState next;
    // The partner's falling piece (Cooperation): its cells, and the piece
    // (shape -1 when none falls).
    std::vector<std::pair<int16_t, int16_t>> partner;
    PieceState partnerPiece;
    // Cooperation: the field is shared with a partner, whose pieces come
    // in at column partnerEntry.
    bool team = false;
    int16_t partnerEntry = -1;
    // How fast the piece falls: ms a row (0: not known).
    int fallMs = 0;
    // The part of the field the player keeps to.
    int16_t minColumn = 0;
    int16_t maxColumn = Board::kMaxColumns - 1;
    // The settings the player chose: whether the down key drops the piece
    // at once or moves it one row, and the turn key's sense.
    bool dropAtOnce = true;
    int16_t rotateMode = 0;
};

struct Decision {
    KeyAction action = KeyAction::None;
    int64_t nextAt = 0; // when to ask again, ms on the caller's clock
};

// How a player plays: its pace, its slips, how far it looks.
struct PlayStyle {
    int reactionMs = 300;     // from a new piece to its first key
    int reactionJitterMs = 0; // the reaction varies this much either way
    int keyGapMs = 150;       // between two keys
    int keyGapJitterMs = 0;   // the gap varies this much either way
    double mistakeChance = 0; // per piece: a placement other than the best
    int mistakeSpread = 0;    // a mistake is one of the next n best (0: any)
    bool lookahead = false;   // rates where the next piece can go, too
    int pollMs = 50;          // how often it looks while nothing is to do
    // On a shared field: plans for the whole field with the partner in
    // mind and keeps the team's pace (otherwise it keeps to its part of the
    // field and lets every piece down at once).
    bool teamwork = false;
    // ... and there rates where the next piece can go, too.
    bool lookaheadWithPartner = false;

    static PlayStyle Of(Strength strength);
    bool operator==(const PlayStyle&) const = default;
};

class ComputerPlayer {
public:
    ComputerPlayer(const PlayStyle& style, uint64_t seed);
    explicit ComputerPlayer(Strength strength, uint64_t seed = 1);

    // The next key for what the player sees at time `now` (ms, any clock
    // that only moves forward), and when to ask again.
    Decision decide(const PlayerView& view, int64_t now);

    // Forgets the piece it was steering (a new game).
    void reset();

    const PlayStyle& style() const { return style_; }
    // What it means to do with the current piece.
    const Placement& plan() const { return plan_; }
    bool planned() const { return phase_ == Phase::Steering || phase_ == Phase::Dropped; }

private:
    enum class Phase { Waiting, Thinking, Steering, Dropped };

    void makePlan(const PlayerView& view);
    void watchPartner(const PlayerView& view);
    void partnerWay(const PlayerView& view, Board& way, Board& likely) const;
    bool partnerIdle() const { return partnerIdlePieces_ >= 2; }
    // Whether letting the piece down at once now helps the team.
    bool dropHelps(const PlayerView& view) const;
    Decision steer(const PlayerView& view, int64_t now);
    Decision press(KeyAction action, const PlayerView& view, int64_t now);
    bool sameCells(int16_t d1, int16_t d2) const;
    bool canFall(const PlayerView& view) const;
    KeyAction unhook(const PlayerView& view) const;
    int64_t jittered(int ms, int jitter);

    PlayStyle style_;
    PlayerRandom random_;
    ShapeInfoTable shapes_;
    Phase phase_ = Phase::Waiting;
    int64_t thinkUntil_ = 0;
    bool slip_ = false; // this piece goes where the player did not mean
    Placement plan_;
    Board plannedOn_{11, 18};
    int usesLeft_ = 0;

    // The piece seen last, to tell a new piece from the one being steered.
    PieceState seen_;
    bool seenFalling_ = false;

    // The partner's piece as seen last, whether it was steered, and how
    // many of its pieces in a row just fell where they came in.
    std::vector<std::pair<int16_t, int16_t>> partnerSeen_;
    bool partnerSteered_ = false;
    int partnerIdlePieces_ = 0;

    // What the last key did, to notice a refused turn or move.
    KeyAction last_ = KeyAction::None;
    PieceState before_;
    int turnFailures_ = 0;
    int failedRow_ = -1;
    int stuck_ = 0;
    int blockedRow_ = -1;
};

} // namespace tessarin
