#include "player/ComputerPlayer.h"

#include <algorithm>

namespace tessarin {

PlayStyle PlayStyle::Of(Strength strength) {
    switch (strength) {
    case Strength::Easy:
        // A couple of keys a second, and now and then a piece not where it
        // should go.
        return {.reactionMs = 700,
                .reactionJitterMs = 200,
                .keyGapMs = 450,
                .keyGapJitterMs = 150,
                .mistakeChance = 0.15,
                .mistakeSpread = 5,
                .pollMs = 100,
                .teamwork = true};
    case Strength::Normal:
        return {.reactionMs = 350,
                .reactionJitterMs = 100,
                .keyGapMs = 220,
                .keyGapJitterMs = 60,
                .mistakeChance = 0.05,
                .mistakeSpread = 3,
                .pollMs = 60,
                .teamwork = true,
                .lookaheadWithPartner = true};
    case Strength::Hard:
        // Quick, and looks at the next piece too.
        return {.reactionMs = 150,
                .reactionJitterMs = 40,
                .keyGapMs = 100,
                .keyGapJitterMs = 25,
                .lookahead = true,
                .pollMs = 40,
                .teamwork = true};
    }
    return {};
}

ComputerPlayer::ComputerPlayer(const PlayStyle& style, uint64_t seed)
    : style_(style), random_(seed) {
    InitShapeInfo(shapes_);
}

ComputerPlayer::ComputerPlayer(Strength strength, uint64_t seed)
    : ComputerPlayer(PlayStyle::Of(strength), seed) {}

void ComputerPlayer::reset() {
    phase_ = Phase::Waiting;
    seenFalling_ = false;
    last_ = KeyAction::None;
    partnerSeen_.clear();
    partnerSteered_ = false;
    partnerIdlePieces_ = 0;
}

namespace {

// Room is left where the partner's pieces come in: a square there costs
// this much a row of its height (less beside a partner whose pieces only
// fall, as the rows are to be completed round their pile).
constexpr double kRoomWeight = 0.15;
constexpr double kRoomWeightIdle = 0.05;
// The columns on the far side of the field, beyond the shared middle, are
// rather a steering partner's: a square put there costs this much.
constexpr double kSideWeight = 5.0;
// How far its own squares may stand above the partner's side before the
// computer stops letting its pieces down at once.
constexpr double kPaceSlackRows = 1.5;
// With the down key moving the piece a row, the key held down once the
// piece is over its place repeats at a third of the player's pace, at
// most this often.
constexpr int64_t kHeldDownMs = 50;

int topRow(const std::vector<std::pair<int16_t, int16_t>>& cells) {
    int top = 1 << 20;
    for (const auto& c : cells)
        top = std::min<int>(top, c.second);
    return top;
}

} // namespace

// A person sees whether the partner steers: a piece that only falls a row
// at a time where it came in is not steered.
void ComputerPlayer::watchPartner(const PlayerView& view) {
    const auto& now = view.partner;
    if (now.empty() || partnerSeen_.empty()) {
        partnerSeen_ = now;
        return;
    }
    if (topRow(now) < topRow(partnerSeen_) - 2) { // a new piece came in
        partnerIdlePieces_ = partnerSteered_ ? 0 : partnerIdlePieces_ + 1;
        partnerSteered_ = false;
    } else if (now != partnerSeen_) {
        // The same piece: a fall of one row is the game's; anything else
        // (moved over, turned, let down) the partner's.
        bool fell = now.size() == partnerSeen_.size();
        for (size_t i = 0; fell && i < now.size(); ++i)
            fell = now[i].first == partnerSeen_[i].first &&
                   now[i].second == partnerSeen_[i].second + 1;
        partnerSteered_ = partnerSteered_ || !fell;
    }
    partnerSeen_ = now;
}

namespace {

// Marks the cells a piece with these cells takes on its way straight down
// the field, and where it lands.
void straightDown(const Board& field, std::vector<std::pair<int, int>> cells, Board& way,
                  Board* landing) {
    for (;;) {
        for (const auto& [x, y] : cells)
            way.set(x, y, true);
        bool down = true;
        for (const auto& [x, y] : cells)
            down = down && !field.taken(x, y + 1);
        if (!down)
            break;
        for (auto& c : cells)
            ++c.second;
    }
    if (landing)
        for (const auto& [x, y] : cells)
            landing->set(x, y, true);
}

} // namespace

// Where the partner's piece is likely to go, and its way there: straight
// down from where it is, once steered (or when the partner does not
// steer); before that, where a player of that side would put it.
void ComputerPlayer::partnerWay(const PlayerView& view, Board& way, Board& likely) const {
    const PieceState& p = view.partnerPiece;
    std::vector<std::pair<int, int>> cells(view.partner.begin(), view.partner.end());
    if (p.blink && (p.sinking() || p.tool())) {
        // A special piece works its column below it.
        for (const auto& [x, y] : cells)
            for (int row = y; row < view.field.rows(); ++row)
                way.set(x, row, true);
        return;
    }
    const bool guess = !partnerIdle() && !partnerSteered_ && p.shape >= 0 && p.shape <= 15;
    straightDown(view.field, cells, way, guess ? nullptr : &likely);
    if (!guess)
        return;
    PlanOptions side;
    const int half = view.field.columns() / 2;
    if (view.partnerEntry < half) {
        side.minColumn = 0;
        side.maxColumn = half + 1;
    } else {
        side.minColumn = half - 1;
        side.maxColumn = view.field.columns() - 1;
    }
    side.rotateMode = view.rotateMode;
    const std::vector<Placement> ranked = RankPlacements(view.field, shapes_, p, side);
    if (ranked.empty())
        return;
    const Placement& to = ranked.front();
    const ShapeBlock b = shapes_.block(p.shape);
    std::vector<std::pair<int, int>> there;
    int lift = 0;
    for (int q = 0; q < ShapeSquareCount(p.shape); ++q) {
        there.emplace_back(to.x + b.dx(to.direction, q), p.y + b.dy(to.direction, q));
        lift = std::max(lift, -there.back().second);
    }
    for (auto& [x, y] : there) {
        y += lift;
        if (view.field.taken(x, y)) // it cannot get there from where it is
            return straightDown(view.field, cells, way, &likely);
    }
    straightDown(view.field, there, way, &likely);
}

bool ComputerPlayer::dropHelps(const PlayerView& view) const {
    if (!style_.teamwork || !view.team || view.partnerEntry < 0)
        return true;
    if (plan_.cleared > 0 || plan_.bottom < 0)
        return true;
    const int columns = view.field.columns();
    const int half = columns / 2;
    const int from = view.partnerEntry < half ? 0 : half + 1;
    const int to = view.partnerEntry < half ? half - 1 : columns - 1;
    double sum = 0;
    for (int x = from; x <= to; ++x)
        sum += view.field.top(x);
    return plan_.bottom >= sum / (to - from + 1) - kPaceSlackRows;
}

int64_t ComputerPlayer::jittered(int ms, int jitter) {
    const int j = std::max(jitter, 0);
    return std::max(1, ms + (j > 0 ? random_.below(2 * j + 1) - j : 0));
}

bool ComputerPlayer::sameCells(int16_t d1, int16_t d2) const {
    const int16_t shape = seen_.shape;
    const ShapeBlock b = shapes_.block(shape);
    for (int q = 0; q < ShapeSquareCount(shape); ++q)
        if (b.dx(d1, q) != b.dx(d2, q) || b.dy(d1, q) != b.dy(d2, q))
            return false;
    return true;
}

// Whether the piece could go a row lower: the settled squares and the
// partner's piece are in the way.
bool ComputerPlayer::canFall(const PlayerView& view) const {
    const PieceState& p = view.piece;
    const auto partnerAt = [&view](int x, int y) {
        for (const auto& [px, py] : view.partner)
            if (px == x && py == y)
                return true;
        return false;
    };
    if (p.sinking()) {
        // The sinking square goes on while its column has room below it.
        if (partnerAt(p.x, p.y + 1))
            return false;
        for (int y = p.y + 1; y < view.field.rows(); ++y)
            if (!view.field.taken(p.x, y))
                return true;
        return false;
    }
    const ShapeBlock b = shapes_.block(p.shape);
    for (int q = 0; q < ShapeSquareCount(p.shape); ++q) {
        const int x = p.x + b.dx(p.direction, q);
        const int y = p.y + b.dy(p.direction, q) + 1;
        if (view.field.taken(x, y) || partnerAt(x, y))
            return false;
    }
    return true;
}

void ComputerPlayer::makePlan(const PlayerView& view) {
    PlanOptions options;
    options.minColumn = view.minColumn;
    options.maxColumn = view.maxColumn;
    options.rotateMode = view.rotateMode;
    if (view.fallMs > 0)
        options.rowsPerKey = static_cast<double>(style_.keyGapMs) / view.fallMs;
    Board partner(view.field.columns(), view.field.rows());
    if (!view.partner.empty()) {
        for (const auto& [x, y] : view.partner)
            partner.set(x, y, true);
        options.obstacles = &partner;
    }
    Board way(view.field.columns(), view.field.rows());
    Board likely(view.field.columns(), view.field.rows());
    if (style_.teamwork && view.team) {
        // The whole field is the team's: rated whole, the partner's piece
        // where it is likely to land, its way kept clear, and room left
        // where its pieces come in.
        options.minColumn = 0;
        options.maxColumn = view.field.columns() - 1;
        options.rateFrom = 0;
        options.rateTo = view.field.columns() - 1;
        if (!view.partner.empty()) {
            partnerWay(view, way, likely);
            options.reserved = &way;
            options.likely = &likely;
        }
        if (view.partnerEntry >= 0) {
            options.roomFrom = view.partnerEntry - 2;
            options.roomTo = view.partnerEntry + 2;
            const int half = view.field.columns() / 2;
            options.sideFrom = view.partnerEntry < half ? 0 : half + 2;
            options.sideTo = view.partnerEntry < half ? half - 2 : view.field.columns() - 1;
            options.sideWeight = partnerIdle() ? 0 : kSideWeight;
            options.roomWeight = partnerIdle() ? kRoomWeightIdle : kRoomWeight;
        }
    }
    const bool lookahead =
        style_.lookahead || (style_.lookaheadWithPartner && style_.teamwork && view.team);
    if (lookahead && view.next.shape >= 0) {
        options.nextShape = view.next.shape;
        options.nextDirection = view.next.direction;
        options.nextBlink = view.next.blink;
    }
    const std::vector<Placement> ranked = RankPlacements(view.field, shapes_, view.piece, options);
    plannedOn_ = view.field;
    if (ranked.empty()) {
        plan_ = Placement{};
        plan_.x = view.piece.x;
        plan_.direction = view.piece.direction;
    } else if (slip_ && ranked.size() > 1) {
        const int others = static_cast<int>(ranked.size()) - 1;
        const int spread =
            style_.mistakeSpread > 0 ? std::min(style_.mistakeSpread, others) : others;
        plan_ = ranked[static_cast<size_t>(1 + random_.below(spread))];
    } else {
        plan_ = ranked.front();
    }
    usesLeft_ = plan_.uses;
    turnFailures_ = 0;
    failedRow_ = -1;
    stuck_ = 0;
    blockedRow_ = -1;
}

Decision ComputerPlayer::decide(const PlayerView& view, int64_t now) {
    if (style_.teamwork && view.team)
        watchPartner(view);
    const PieceState& p = view.piece;
    if (!view.falling || p.shape < 0 || p.shape > 15) {
        phase_ = Phase::Waiting;
        seenFalling_ = false;
        last_ = KeyAction::None;
        return {KeyAction::None, now + style_.pollMs};
    }
    // Consecutive pieces never have one shape; a piece never rises while
    // it falls.
    const bool fresh =
        !seenFalling_ || p.shape != seen_.shape || p.blink != seen_.blink || p.y < seen_.y;
    seen_ = p;
    seenFalling_ = true;
    if (fresh) {
        phase_ = Phase::Thinking;
        last_ = KeyAction::None;
        slip_ = random_.chance(style_.mistakeChance);
        thinkUntil_ = now + jittered(style_.reactionMs, style_.reactionJitterMs);
        return {KeyAction::None, thinkUntil_};
    }
    if (phase_ == Phase::Thinking) {
        if (now < thinkUntil_)
            return {KeyAction::None, thinkUntil_};
        makePlan(view);
        phase_ = Phase::Steering;
    } else if (phase_ == Phase::Steering && !(view.field == plannedOn_)) {
        // The field changed under the piece (the partner's piece landed,
        // rows came in or went): think again from where the piece is.
        makePlan(view);
    }

    // What the last key did.
    if (last_ == KeyAction::Rotate && p.direction == before_.direction &&
        phase_ == Phase::Steering && plan_.kind == Placement::Kind::Drop) {
        failedRow_ = before_.y;
        ++turnFailures_;
    } else if ((last_ == KeyAction::Left || last_ == KeyAction::Right) && p.x == before_.x) {
        blockedRow_ = before_.y;
        ++stuck_;
    }
    last_ = KeyAction::None;

    // Two falling pieces hooked into each other, each resting on the
    // other, would wait for ever: it steps aside and lets its piece down.
    if (const KeyAction aside = unhook(view); aside != KeyAction::None) {
        phase_ = Phase::Dropped;
        return press(aside, view, now);
    }

    if (phase_ == Phase::Dropped) {
        // It rests on the partner's piece, or moves a row a press: down
        // again once it can go lower.
        if (canFall(view))
            return press(KeyAction::Down, view, now);
        return {KeyAction::None, now + style_.pollMs};
    }
    return steer(view, now);
}

KeyAction ComputerPlayer::unhook(const PlayerView& view) const {
    if (view.partner.empty())
        return KeyAction::None;
    const PieceState& p = view.piece;
    const ShapeBlock b = shapes_.block(p.shape);
    std::vector<std::pair<int16_t, int16_t>> own;
    for (int q = 0; q < ShapeSquareCount(p.shape); ++q)
        own.emplace_back(static_cast<int16_t>(p.x + b.dx(p.direction, q)),
                         static_cast<int16_t>(p.y + b.dy(p.direction, q)));
    const auto has = [](const std::vector<std::pair<int16_t, int16_t>>& cells, int x, int y) {
        return std::find(cells.begin(), cells.end(),
                         std::pair<int16_t, int16_t>(static_cast<int16_t>(x),
                                                     static_cast<int16_t>(y))) != cells.end();
    };
    bool onPartner = false, underPartner = false;
    for (const auto& [x, y] : own) {
        onPartner = onPartner || has(view.partner, x, y + 1);
        underPartner = underPartner || has(view.partner, x, y - 1);
    }
    if (!onPartner || !underPartner)
        return KeyAction::None;
    for (const int dx : {1, -1}) {
        bool free = true;
        for (const auto& [x, y] : own)
            free = free && !view.field.taken(x + dx, y) && !has(view.partner, x + dx, y);
        if (free)
            return dx > 0 ? KeyAction::Right : KeyAction::Left;
    }
    return KeyAction::None;
}

// One key at a time: turn the piece, bring it over its column, work a
// tool, let it down.
Decision ComputerPlayer::steer(const PlayerView& view, int64_t now) {
    const PieceState& p = view.piece;
    const bool turn =
        plan_.kind == Placement::Kind::Drop && !sameCells(p.direction, plan_.direction);
    const KeyAction toward = p.x < plan_.x ? KeyAction::Right : KeyAction::Left;
    const bool moveFirst = !plan_.turnFirst && p.x != plan_.x && stuck_ < 4 && p.y != blockedRow_;
    if (turn && turnFailures_ < 4 && !moveFirst) {
        // A turn refused in this row (the top of the field, a wall): move
        // over meanwhile, or wait for the piece to fall a row.
        if (p.y != failedRow_)
            return press(KeyAction::Rotate, view, now);
        if (p.x != plan_.x && !(p.y == blockedRow_ && stuck_ > 0))
            return press(toward, view, now);
        return {KeyAction::None, now + style_.pollMs};
    }
    if (p.x != plan_.x && stuck_ < 4) {
        // Blocked sideways (the partner's piece, a ledge): again a row lower.
        if (p.y != blockedRow_)
            return press(toward, view, now);
        return {KeyAction::None, now + style_.pollMs};
    }
    if (usesLeft_ > 0) {
        --usesLeft_;
        return press(KeyAction::Rotate, view, now);
    }
    // With a partner, a piece that would stand well above the partner's
    // side falls at the game's pace, so that the field does not fill
    // faster than the partner plays.
    if (!dropHelps(view))
        return {KeyAction::None, now + style_.pollMs};
    if (view.dropAtOnce)
        phase_ = Phase::Dropped;
    else if (!canFall(view))
        return {KeyAction::None, now + style_.pollMs};
    Decision d = press(KeyAction::Down, view, now);
    if (!view.dropAtOnce) // over its place: the down key is held
        d.nextAt = now + std::max<int64_t>(kHeldDownMs, style_.keyGapMs / 3);
    return d;
}

Decision ComputerPlayer::press(KeyAction action, const PlayerView& view, int64_t now) {
    last_ = action;
    before_ = view.piece;
    return {action, now + jittered(style_.keyGapMs, style_.keyGapJitterMs)};
}

} // namespace tessarin
