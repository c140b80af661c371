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
                .pollMs = 100};
    case Strength::Normal:
        return {.reactionMs = 350,
                .reactionJitterMs = 100,
                .keyGapMs = 220,
                .keyGapJitterMs = 60,
                .mistakeChance = 0.05,
                .mistakeSpread = 3,
                .pollMs = 60};
    case Strength::Hard:
        // Quick, and looks at the next piece too.
        return {.reactionMs = 150,
                .reactionJitterMs = 40,
                .keyGapMs = 100,
                .keyGapJitterMs = 25,
                .lookahead = true,
                .pollMs = 40};
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
    last_ = Action::None;
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
    if (style_.lookahead && view.next.shape >= 0) {
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
    const PieceState& p = view.piece;
    if (!view.falling || p.shape < 0 || p.shape > 15) {
        phase_ = Phase::Waiting;
        seenFalling_ = false;
        last_ = Action::None;
        return {Action::None, now + style_.pollMs};
    }
    // Consecutive pieces never have one shape; a piece never rises while
    // it falls.
    const bool fresh =
        !seenFalling_ || p.shape != seen_.shape || p.blink != seen_.blink || p.y < seen_.y;
    seen_ = p;
    seenFalling_ = true;
    if (fresh) {
        phase_ = Phase::Thinking;
        last_ = Action::None;
        slip_ = random_.chance(style_.mistakeChance);
        thinkUntil_ = now + jittered(style_.reactionMs, style_.reactionJitterMs);
        return {Action::None, thinkUntil_};
    }
    if (phase_ == Phase::Thinking) {
        if (now < thinkUntil_)
            return {Action::None, thinkUntil_};
        makePlan(view);
        phase_ = Phase::Steering;
    } else if (phase_ == Phase::Steering && !(view.field == plannedOn_)) {
        // The field changed under the piece (the partner's piece landed,
        // rows came in or went): think again from where the piece is.
        makePlan(view);
    }

    // What the last key did.
    if (last_ == Action::Rotate && p.direction == before_.direction && phase_ == Phase::Steering &&
        plan_.kind == Placement::Kind::Drop) {
        failedRow_ = before_.y;
        ++turnFailures_;
    } else if ((last_ == Action::Left || last_ == Action::Right) && p.x == before_.x) {
        blockedRow_ = before_.y;
        ++stuck_;
    }
    last_ = Action::None;

    if (phase_ == Phase::Dropped) {
        // It rests on the partner's piece, or moves a row a press: down
        // again once it can go lower.
        if (canFall(view))
            return press(Action::Down, view, now);
        return {Action::None, now + style_.pollMs};
    }
    return steer(view, now);
}

// One key at a time: turn the piece, bring it over its column, work a
// tool, let it down.
Decision ComputerPlayer::steer(const PlayerView& view, int64_t now) {
    const PieceState& p = view.piece;
    const bool turn =
        plan_.kind == Placement::Kind::Drop && !sameCells(p.direction, plan_.direction);
    const Action toward = p.x < plan_.x ? Action::Right : Action::Left;
    const bool moveFirst = !plan_.turnFirst && p.x != plan_.x && stuck_ < 4 && p.y != blockedRow_;
    if (turn && turnFailures_ < 4 && !moveFirst) {
        // A turn refused in this row (the top of the field, a wall): move
        // over meanwhile, or wait for the piece to fall a row.
        if (p.y != failedRow_)
            return press(Action::Rotate, view, now);
        if (p.x != plan_.x && !(p.y == blockedRow_ && stuck_ > 0))
            return press(toward, view, now);
        return {Action::None, now + style_.pollMs};
    }
    if (p.x != plan_.x && stuck_ < 4) {
        // Blocked sideways (the partner's piece, a ledge): again a row lower.
        if (p.y != blockedRow_)
            return press(toward, view, now);
        return {Action::None, now + style_.pollMs};
    }
    if (usesLeft_ > 0) {
        --usesLeft_;
        return press(Action::Rotate, view, now);
    }
    if (view.dropAtOnce)
        phase_ = Phase::Dropped;
    else if (!canFall(view))
        return {Action::None, now + style_.pollMs};
    return press(Action::Down, view, now);
}

Decision ComputerPlayer::press(Action action, const PlayerView& view, int64_t now) {
    last_ = action;
    before_ = view.piece;
    return {action, now + jittered(style_.keyGapMs, style_.keyGapJitterMs)};
}

} // namespace tessarin
