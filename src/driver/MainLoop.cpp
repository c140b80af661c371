// New Game, the choice of the next piece, the hand-over and the fall tick.
#include "driver/Partner.h"
#include "driver/Tessarin.h"

#include <algorithm>
#include <cmath>

namespace tessarin {

namespace {

// A blinking piece that is off for the moment still takes up its cells:
// for the length of the other player's tick its squares are in the map
// (not drawn), so that the other piece neither falls nor appears into them.
class BlinkingObstacle {
public:
    explicit BlinkingObstacle(SquareSet& piece)
        : piece_(piece), lent_(piece.Active() && !piece.Visible()) {
        if (lent_)
            piece_.Show(false);
    }
    ~BlinkingObstacle() {
        if (lent_ && piece_.Visible())
            piece_.Hide(false);
    }
    BlinkingObstacle(const BlinkingObstacle&) = delete;
    BlinkingObstacle& operator=(const BlinkingObstacle&) = delete;

private:
    SquareSet& piece_;
    bool lent_;
};

} // namespace

void Tessarin::mnuNewGame_Click() {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    // 1. The game runs; the menus that change a game's set-up wait.
    Playing = true;
    applyMenuPhase(MenuPhase::Playing, Mode);
    if (Mode == kNoMode)
        return;
    if (Mode == kDuel)
        startDuelSeriesIfPlayer2Changed();

    // 2. Fields: the starting level and fresh counters.
    const int fields = Mode == kDuel ? 2 : 1;
    for (int i = 0; i < fields; ++i) {
        Canvas& f = *Fields[i];
        f.CreateLevel(Level);
        f.setScore(0);
        f.setLines(0);
        f.setSpeed(0);
    }
    // 3. The first falling piece and the real next piece of each player.
    const int players = playerCount();
    for (int16_t i = 0; i < players; ++i) {
        MakePreview(i);
        PreToCur(i);
        if (Ended)
            return;
        Previews[i]->Hide(true);
        MakePreview(i);
    }
    // 4. The fall starts at the chosen speed, unless a first piece found no
    // room and the game has already ended.
    for (int i = 0; i < players && Playing; ++i)
        tmrMain[i]->setEnabled(true);
    for (int i = 0; i < players; ++i)
        tmrMain[i]->setInterval(SpeedTable[Speed]);
    // 5. Counters on show.
    const int shown = Mode == kDuel ? 2 : 1;
    for (int i = 0; i < shown; ++i) {
        lblSpeed[i]->Caption = " " + std::to_string(Speed);
        lblLines[i]->Caption = "0";
        lblScore[i]->Caption = "0";
    }
    // 6. Nobody has won a new duel yet (unless it has already ended).
    if (Mode == kDuel && Playing)
        Winner = kNoWinner;
    // The computer, when it has player 2's seat, starts on the new game.
    if (Computer)
        Computer->reset();
    syncComputer();
}

int16_t Tessarin::MakeShape(int16_t ShapeNum, int16_t CannotBe) {
    // With fewer than two shapes there may be nothing else to choose.
    if (ShapeNum < 2)
        return 0;
    // Just after midnight t * r rounds to 0 whatever r is: with CannotBe 0
    // the draw would repeat until the clock moves on (for ever on a clock
    // that stands still). After that many draws in vain the other shapes
    // are chosen from r alone.
    constexpr int kDraws = 64;
    double r = 0.0;
    for (int draw = 0; draw < kDraws; ++draw) {
        r = services_.random.next();
        const double t = services_.clock.secondsSinceMidnight();
        // Nearest 32-bit integer, halfway cases to the even neighbour.
        const double n = std::nearbyint(t * r);
        const auto whole = static_cast<int32_t>(n);
        const auto shape = static_cast<int16_t>(whole % ShapeNum);
        if (shape != CannotBe)
            return shape;
    }
    int other = std::min(static_cast<int>(std::clamp(r, 0.0, 1.0) * (ShapeNum - 1)), ShapeNum - 2);
    if (other >= CannotBe)
        ++other;
    return static_cast<int16_t>(other);
}

void Tessarin::MakePreview(int16_t Index) {
    SquareSet& p = *Previews[Index];
    if (p.BlinkTimer())
        p.BlinkTimer()->setEnabled(false);
    p.setShape(MakeShape(ShapeCount, Squares[Index]->Shape()));
    p.setDirection(static_cast<int16_t>(services_.random.next() * 4));
    p.setx(2);
    p.sety(PreviewRow(p.Shape(), p.Direction()));
    p.setColor(static_cast<int16_t>(p.Shape() % 7));
    p.setActive(true);
    p.setTheCanvas(PreviewFields[Index].get());
    p.AssignSetInfo(ShapeInfo.block(p.Shape()));
    p.Show(true);
    if (Sound)
        services_.sound.PlayWave("appear.wav");
}

int16_t Tessarin::PreviewRow(int16_t shape, int16_t direction) {
    // 1 when a square lies one row above the reference square, so that the
    // top square of the piece starts in row 0.
    static const ShapeInfoTable table = [] {
        ShapeInfoTable t;
        tessarin::InitShapeInfo(t);
        return t;
    }();
    const ShapeBlock b = table.block(shape);
    for (int q = 0; q < ShapeSquareCount(shape); ++q)
        if (b.dy(direction, q) == -1)
            return 1;
    return 0;
}

void Tessarin::PreToCur(int16_t Index) {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    SquareSet& cur = *Squares[Index];
    const SquareSet& nxt = *Previews[Index];
    cur.setShape(nxt.Shape());
    cur.setDirection(nxt.Direction());
    if (Mode == kCooperation)
        cur.setx(Index == 0 ? 3 : 11);
    else
        cur.setx(5);
    cur.sety(nxt.y());
    cur.setColor(nxt.Color());
    cur.setBlink(nxt.Blink());
    cur.setActive(true);
    cur.setSound(Sound);
    cur.AssignSetInfo(ShapeInfo.block(cur.Shape()));
    if (cur.CanAppear()) {
        cur.Show(true);
        return;
    }
    // A piece that never appeared takes no part in play: nothing may lift it
    // out of the map, where the squares that blocked it lie.
    cur.setActive(false);
    // The game ends once: a second first piece of a New Game that finds no
    // room after the first one did ends nothing more.
    if (!Playing)
        return;
    if (Mode == kDuel)
        Winner = static_cast<int16_t>((Index + 1) % 2);
    GameOver();
}

void Tessarin::tmrMain_Timer(int16_t Index) {
    const HandlerScope scope(*this);
    if (Ended || Index < 0 || Index > 1)
        return;
    switch (Mode) {
    case kStandard:
        StandardFallTick(); // both key sets steer the one piece: the index does not matter
        break;
    case kDuel:
        DuelFallTick(Index);
        break;
    case kCooperation:
        CooperationFallTick(Index);
        break;
    default:
        break;
    }
}

// One field, one piece: it falls, or it has landed and either a row clear
// starts or the next piece comes in.
void Tessarin::StandardFallTick() {
    Canvas& f = *Fields[0];
    if (f.Delete())
        return;
    if (Squares[0]->CanDown()) {
        Squares[0]->DoDown();
        return;
    }
    if (f.MarkFullLines()) {
        f.StartDeleteTimer();
        return;
    }
    HandOver(0);
}

// Each player on a field of their own. Only one row clear runs at a time: a
// player whose rows are full while the other clears waits with a
// deactivated piece, and marks the rows again at every tick until the other
// clear has ended.
void Tessarin::DuelFallTick(int16_t Index) {
    Canvas& f = *Fields[Index];
    if (f.Delete())
        return;
    if (Squares[Index]->CanDown()) {
        Squares[Index]->DoDown();
        return;
    }
    if (f.MarkFullLines()) {
        if (!Fields[(Index + 1) % 2]->Delete())
            f.StartDeleteTimer();
        else
            f.setDelete(false);
        Squares[Index]->setActive(false);
        return;
    }
    HandOver(Index);
}

// Two pieces on the one shared field. The partner's falling piece keeps
// falling while a clear this player started runs, and a piece that would
// land on the partner's falling piece waits on it instead.
void Tessarin::CooperationFallTick(int16_t Index) {
    Canvas& f = *Fields[0];
    SquareSet& s = *Squares[Index];
    SquareSet& partner = *Squares[(Index + 1) % 2];
    if (f.Delete() && ClearingPlayer == Index)
        return;
    const BlinkingObstacle obstacle(partner);
    if (WaitsOnPartner(s, &partner))
        return;
    if (s.CanDown()) {
        s.DoDown();
        return;
    }
    {
        // Only a falling partner is lifted: a partner that has landed is
        // part of the settled squares, and after a clear its old cells may
        // hold other squares that must not be overwritten.
        const LiftedPiece lifted(&partner, partner.Active());
        if (partner.Active() && s.CanDown())
            return; // resting on the partner's falling piece: wait
        s.setActive(false);
        if (f.MarkFullLines()) {
            f.StartDeleteTimer();
            ClearingPlayer = Index;
            return;
        }
    }
    HandOver(Index);
}

// The next piece becomes the falling piece and a new next piece is drawn
// (also when the hand-over has just ended the game, unless the window was
// closed from the game-over message).
void Tessarin::HandOver(int16_t Index) {
    PreToCur(Index);
    if (Ended)
        return;
    Previews[Index]->Hide(true);
    MakePreview(Index);
}

void Tessarin::tmrBlink_Timer(int16_t Index) {
    const HandlerScope scope(*this);
    if (Ended || Index < 0 || Index > 1 || !Squares[Index])
        return;
    Squares[Index]->setVisible(!Squares[Index]->Visible());
}

void Tessarin::tmrPreBlink_Timer(int16_t Index) {
    const HandlerScope scope(*this);
    if (Ended || Index < 0 || Index > 1 || !Previews[Index])
        return;
    Previews[Index]->setVisible(!Previews[Index]->Visible());
}

void Tessarin::ShowCounters() {
    const int shown = Mode == kDuel ? 2 : 1;
    for (int i = 0; i < shown; ++i) {
        if (!Fields[i] || !lblScore[i])
            continue;
        lblScore[i]->Caption = counterText(Fields[i]->Score());
        lblLines[i]->Caption = counterText(Fields[i]->Lines());
        lblSpeed[i]->Caption = counterText(Fields[i]->Speed() + Speed);
    }
}

} // namespace tessarin
