#include "bot/Bot.h"

#include "platform/VirtualKeys.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace tessarin::bot {

namespace {
constexpr int64_t kNever = std::numeric_limits<int64_t>::max();
} // namespace

// ---- BotRandom

uint64_t BotRandom::next() {
    // splitmix64
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

int BotRandom::below(int n) {
    return n <= 1 ? 0 : static_cast<int>(next() % static_cast<uint64_t>(n));
}

double BotRandom::unit() {
    return static_cast<double>(next() >> 11) * 0x1.0p-53;
}

// ---- BotDialogs

template <class Form, class F>
void BotDialogs::open(const std::string& window, Form& form, F&& close) {
    if (ended_) {
        form.TheWindow.Visible = false;
        return;
    }
    ++depth_;
    open_.push_back(window);
    if (whileOpen)
        whileOpen();
    if (ended_)
        form.TheWindow.Visible = false; // taken away by the program's end
    else
        close();
    open_.pop_back();
    --depth_;
}

void BotDialogs::ShowModal(InputForm& form) {
    ++counts.names;
    open("name", form, [&] {
        if (names.empty() || random_.chance(cancelNameChance)) {
            form.cmdCancel_Click();
            return;
        }
        form.Text1 = names[nextName_++ % names.size()];
        form.cmdOk_Click();
    });
}

void BotDialogs::ShowModal(MessageForm& form) {
    ++counts.messages;
    lastMessage = form.Label1.Caption;
    open("message", form, [&] { form.Form_KeyDown(vk::Return, 0); });
}

void BotDialogs::ShowModal(Custom& form) {
    ++counts.customs;
    open("control keys", form, [&] {
        if (customOk) {
            if (customSpeedMode >= 0)
                form.Option1_Click(static_cast<int16_t>(customSpeedMode));
            if (customRotateMode >= 0)
                form.Option2_Click(static_cast<int16_t>(customRotateMode));
            form.Command1_Click(0);
        }
        if (form.TheWindow.Visible)
            form.Command1_Click(1);
    });
}

void BotDialogs::ShowModal(DuelResult& form) {
    ++counts.records;
    open(form.TheWindow.Caption == "Duel Result" ? "duel results" : "records", form,
         [&] { form.Command1_Click(); });
}

void BotDialogs::ShowModal(About& form) {
    ++counts.abouts;
    open("about", form, [&] { form.cmdOk_Click(); });
}

void BotDialogs::SystemMessage(const std::string& text, const std::string&) {
    ++counts.systemMessages;
    lastSystemMessage = text;
    struct NoForm {
        Window TheWindow;
    } box;
    open("system message", box, [] {});
}

bool BotDialogs::StartProgram(const std::string&) {
    ++counts.programsStarted;
    return false; // no help viewer here: the game's own help opens
}

void BotDialogs::ShowHelp() {
    ++counts.helps;
}

void BotDialogs::EndProgram() {
    ++counts.endPrograms;
    ended_ = true;
}

// ---- Board

Board Board::FromCanvas(const Canvas& canvas, const std::vector<const SquareSet*>& lift) {
    Board b(canvas.Columns(), canvas.Rows());
    for (int x = 0; x < b.columns_; ++x)
        for (int y = 0; y < b.rows_; ++y)
            b.set(x, y,
                  canvas.GetMapUnit(static_cast<int16_t>(x), static_cast<int16_t>(y)) !=
                      Canvas::kEmpty);
    for (const SquareSet* s : lift) {
        if (!s || !s->Visible() || s->TheCanvas() != &canvas)
            continue;
        const bool sinking = s->Shape() == 7 && s->Blink();
        for (int q = 0; q < ShapeSquareCount(s->Shape()); ++q)
            b.set(s->cellX(q), s->cellY(q), sinking && s->SavedCell() != Canvas::kEmpty);
    }
    return b;
}

bool Board::taken(int x, int y) const {
    if (x < 0 || x >= columns_ || y < 0 || y >= rows_)
        return true;
    return cells_[static_cast<size_t>(y * columns_ + x)] != 0;
}

void Board::set(int x, int y, bool on) {
    if (x < 0 || x >= columns_ || y < 0 || y >= rows_)
        return;
    cells_[static_cast<size_t>(y * columns_ + x)] = on ? 1 : 0;
}

int Board::top(int x, int from) const {
    for (int y = std::max(from, 0); y < rows_; ++y)
        if (taken(x, y))
            return y;
    return rows_;
}

bool Board::rowFull(int y) const {
    for (int x = 0; x < columns_; ++x)
        if (!taken(x, y))
            return false;
    return true;
}

bool Board::rowEmpty(int y) const {
    for (int x = 0; x < columns_; ++x)
        if (taken(x, y))
            return false;
    return true;
}

int Board::clearFullRows() {
    int count = 0;
    int y = rows_ - 1;
    while (y >= 0) {
        if (rowEmpty(y))
            break;
        if (!rowFull(y)) {
            --y;
            continue;
        }
        int j = y;
        for (; j >= 1 && !rowEmpty(j - 1); --j)
            for (int x = 0; x < columns_; ++x)
                set(x, j, taken(x, j - 1));
        for (int x = 0; x < columns_; ++x)
            set(x, j, false);
        ++count;
    }
    return count;
}

// Row and column transitions, holes and wells, weighted as in the classic
// one-piece evaluation, over columns from ... to (the walls, the floor and
// the columns beyond count as taken).
double Board::score(int from, int to) const {
    from = std::max(from, 0);
    to = std::min(to, columns_ - 1);
    const auto at = [&](int x, int y) { return x < from || x > to || taken(x, y); };
    int rowTransitions = 0;
    for (int y = 0; y < rows_; ++y) {
        bool last = true;
        for (int x = from; x <= to + 1; ++x) {
            const bool t = at(x, y);
            rowTransitions += t != last ? 1 : 0;
            last = t;
        }
    }
    int columnTransitions = 0;
    int wells = 0;
    int holes = 0;
    for (int x = from; x <= to; ++x) {
        bool last = false;
        bool covered = false;
        int depth = 0;
        for (int y = 0; y < rows_; ++y) {
            const bool t = taken(x, y);
            columnTransitions += t != last ? 1 : 0;
            last = t;
            holes += covered && !t ? 1 : 0;
            covered = covered || t;
            if (!t && at(x - 1, y) && at(x + 1, y)) {
                ++depth;
                wells += depth;
            } else if (t) {
                depth = 0;
            }
        }
        columnTransitions += last ? 0 : 1;
    }
    return -1.0 * rowTransitions - 1.0 * columnTransitions - 4.0 * holes - 1.0 * wells;
}

// ---- Planning

namespace {

// A cleared row weighs more than a new hole: clearing comes first, then a
// low and even stack.
constexpr double kClearWeight = 10.0;

struct Cells {
    int n = 0;
    std::array<int, 5> dx{}, dy{};
};

Cells cellsOf(const ShapeBlock& block, int16_t shape, int direction) {
    Cells c;
    c.n = ShapeSquareCount(shape);
    for (int q = 0; q < c.n; ++q) {
        c.dx[static_cast<size_t>(q)] = block.dx(direction, q);
        c.dy[static_cast<size_t>(q)] = block.dy(direction, q);
    }
    return c;
}

bool fits(const Board& b, const Cells& c, int x, int y) {
    for (int q = 0; q < c.n; ++q)
        if (b.taken(x + c.dx[static_cast<size_t>(q)], y + c.dy[static_cast<size_t>(q)]))
            return false;
    return true;
}

// The rating of a board after a placement that ended with the lowest
// placed square at row `landing` and cleared `cleared` rows.
double rate(const Board& b, int cleared, int eroded, int landing, int from, int to) {
    return kClearWeight * cleared + eroded - (b.rows() - landing) + b.score(from, to);
}

} // namespace

Placement ChoosePlacement(const Board& board, const ShapeInfoTable& shapes, int16_t shape,
                          bool blink, int16_t x, int16_t y, int16_t direction, bool canTurn,
                          int minColumn, int maxColumn, BotRandom* random) {
    std::vector<Placement> options;
    const int rows = board.rows();
    minColumn = std::max(minColumn, 0);
    maxColumn = std::min(maxColumn, board.columns() - 1);
    const ShapeBlock block = shapes.block(shape);

    if (shape == 7 && blink) {
        // The sinking square ends in the lowest empty cell of its column.
        for (int cx = minColumn; cx <= maxColumn; ++cx) {
            int r = y;
            for (int row = rows - 1; row > y; --row)
                if (!board.taken(cx, row)) {
                    r = row;
                    break;
                }
            Board b = board;
            b.set(cx, r, true);
            const int cleared = b.clearFullRows();
            options.push_back({Placement::Kind::Sink, static_cast<int16_t>(cx), direction, 0,
                               cleared, rate(b, cleared, cleared, r, minColumn, maxColumn)});
        }
    } else if ((shape == 8 || shape == 9) && blink) {
        // A tool: take the first squares below it, or add squares on top of
        // its column, up to three presses; or leave the column as it is.
        const bool take = shape == 8;
        for (int cx = minColumn; cx <= maxColumn; ++cx) {
            Board b = board;
            int cleared = 0;
            for (int uses = 0; uses <= 3; ++uses) {
                if (uses > 0) {
                    const int t = b.top(cx, y + 2);
                    if (take) {
                        if (t >= rows)
                            break;
                        b.set(cx, t, false);
                    } else {
                        if (t - 1 < y + 2)
                            break;
                        b.set(cx, t - 1, true);
                        cleared += b.clearFullRows();
                    }
                }
                options.push_back(
                    {take ? Placement::Kind::Take : Placement::Kind::Add, static_cast<int16_t>(cx),
                     direction, uses, cleared,
                     rate(b, cleared, cleared, rows, minColumn, maxColumn) - 0.5 * uses});
            }
        }
    } else {
        std::vector<Cells> seen;
        for (int d = 0; d < 4; ++d) {
            if (!canTurn && d != direction)
                continue;
            const Cells c = cellsOf(block, shape, d);
            // Directions that look alike are one placement.
            bool same = false;
            for (const Cells& s : seen)
                same = same || (s.dx == c.dx && s.dy == c.dy);
            if (same)
                continue;
            seen.push_back(c);
            for (int cx = minColumn - 2; cx <= maxColumn + 2; ++cx) {
                bool inside = true;
                int lift = 0;
                for (int q = 0; q < c.n; ++q) {
                    const int px = cx + c.dx[static_cast<size_t>(q)];
                    inside = inside && px >= minColumn && px <= maxColumn;
                    lift = std::max(lift, -(y + c.dy[static_cast<size_t>(q)]));
                }
                int py = y + lift;
                if (!inside || !fits(board, c, cx, py))
                    continue;
                while (fits(board, c, cx, py + 1))
                    ++py;
                Board b = board;
                int lowest = 0;
                for (int q = 0; q < c.n; ++q) {
                    b.set(cx + c.dx[static_cast<size_t>(q)], py + c.dy[static_cast<size_t>(q)],
                          true);
                    lowest = std::max(lowest, py + c.dy[static_cast<size_t>(q)]);
                }
                // Cells of the piece in the rows it completes.
                int eroded = 0;
                for (int q = 0; q < c.n; ++q) {
                    const int row = py + c.dy[static_cast<size_t>(q)];
                    bool full = true;
                    for (int col = 0; col < b.columns() && full; ++col)
                        full = b.taken(col, row);
                    eroded += full ? 1 : 0;
                }
                const int cleared = b.clearFullRows();
                options.push_back(
                    {Placement::Kind::Drop, static_cast<int16_t>(cx), static_cast<int16_t>(d), 0,
                     cleared, rate(b, cleared, cleared * eroded, lowest, minColumn, maxColumn)});
            }
        }
    }
    if (options.empty())
        return {Placement::Kind::Drop, x, direction, 0, 0, -1e9};
    if (random)
        return options[static_cast<size_t>(random->below(static_cast<int>(options.size())))];
    return *std::max_element(
        options.begin(), options.end(),
        [](const Placement& a, const Placement& b) { return a.value < b.value; });
}

// ---- BotGame

double BotGame::VirtualClock::secondsSinceMidnight() {
    return std::fmod(start_ + static_cast<double>(timers_.now()) / 1000.0, 86400.0);
}

BotGame::BotGame(BotOptions options)
    : options_(std::move(options)), gameRandom_(DefaultRandom::kStartState ^ options_.seed),
      clock_(timers_, options_.clockStart), dialogs_(options_.seed * 3 + 1),
      random_(options_.seed * 7 + 5) {
    folder_ = options_.workingFolder;
    if (folder_.empty()) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tessarin-bot-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("no temporary folder for the bot");
        folder_ = pattern;
        ownFolder_ = true;
    }
    game_ = std::make_unique<Tessarin>(
        Services{timers_, sound_, gameRandom_, clock_, dialogs_, ScreenSize{}, folder_});
    wrapTimers();
    dialogs_.whileOpen = [this] { dialogOpen(); };
    game_->Form_Load();
    after(Event::Kind::Load, "Form_Load", -1);
}

BotGame::~BotGame() {
    game_.reset();
    if (ownFolder_) {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
}

// Every tick goes through the bot, so that it sees each one.
void BotGame::wrapTimers() {
    Tessarin& g = *game_;
    for (int i = 0; i < 2; ++i) {
        g.tmrMain[i]->setHandler([this](int16_t index) {
            before(Event::Kind::Timer, "tmrMain", index);
            game_->tmrMain_Timer(index);
            after(Event::Kind::Timer, "tmrMain", index);
        });
        g.tmrDelete[i]->setHandler([this](int16_t index) {
            before(Event::Kind::Timer, "tmrDelete", index);
            game_->tmrDelete_Timer(index);
            after(Event::Kind::Timer, "tmrDelete", index);
        });
        g.tmrBlink[i]->setHandler([this](int16_t index) {
            before(Event::Kind::Timer, "tmrBlink", index);
            game_->tmrBlink_Timer(index);
            after(Event::Kind::Timer, "tmrBlink", index);
        });
        g.tmrPreBlink[i]->setHandler([this](int16_t index) {
            before(Event::Kind::Timer, "tmrPreBlink", index);
            game_->tmrPreBlink_Timer(index);
            after(Event::Kind::Timer, "tmrPreBlink", index);
        });
    }
    g.tmrGameOver->setHandler([this](int16_t) {
        before(Event::Kind::Timer, "tmrGameOver", 0);
        game_->tmrGameOver_Timer();
        after(Event::Kind::Timer, "tmrGameOver", 0);
    });
}

void BotGame::dialogOpen() {
    if (closeFromWindow_ && closeFromWindow_(dialogs_.openWindow())) {
        close();
        return;
    }
    // Timers keep running under a modal window; its nested events go
    // through the same hook. Dialogs opened inside those events let time
    // pass too, but not without end.
    if (options_.dialogOpenMs > 0 && dialogs_.openDepth() <= 2)
        timers_.advance(options_.dialogOpenMs);
}

int BotGame::players() const {
    const int16_t mode = game_->Mode;
    return mode == Tessarin::kStandard ? 1 : (mode == Tessarin::kNoMode ? 0 : 2);
}

bool BotGame::running() const {
    return !game_->Ended && (game_->Playing || game_->tmrGameOver->Enabled());
}

void BotGame::click(const std::string& name, int index) {
    stopping_ = name == "mnuStop";
    before(Event::Kind::Click, name.c_str(), index);
    game_->Click(name, index);
    after(Event::Kind::Click, name.c_str(), index);
    stopping_ = false;
}

void BotGame::key(int16_t code) {
    before(Event::Kind::Key, "key", code);
    game_->Form_KeyDown(code, 0);
    after(Event::Kind::Key, "key", code);
}

void BotGame::close() {
    before(Event::Kind::Close, "Form_Unload", -1);
    game_->Form_Unload();
    after(Event::Kind::Close, "Form_Unload", -1);
}

void BotGame::before(Event::Kind kind, const char* name, int index) {
    if (beforeHook_)
        beforeHook_(Event{kind, name, index, dialogs_.openDepth()});
}

void BotGame::after(Event::Kind kind, const char* name, int index) {
    ++totals_.events;
    const std::string n(name);
    observe(kind, n);
    if (hook_)
        hook_(Event{kind, n, index, dialogs_.openDepth()});
}

void BotGame::observe(Event::Kind kind, const std::string& name) {
    Tessarin& g = *game_;
    const bool playing = g.Playing && !g.Ended;
    if (wasPlaying_ && !playing)
        ++(stopping_ ? totals_.stops : totals_.gameOvers);
    wasPlaying_ = playing;

    for (int f = 0; f < 2; ++f) {
        const Canvas* c = g.Fields[f].get();
        if (c != fieldSeen_[f] || !c) {
            fieldSeen_[f] = c;
            linesSeen_[f] = c ? c->Lines() : 0;
            continue;
        }
        const int d = c->Lines() - linesSeen_[f];
        if (d > 0) {
            ++totals_.clears;
            totals_.lines += d;
            if (g.Mode == Tessarin::kDuel && kind == Event::Kind::Timer && name == "tmrDelete" &&
                d >= 2)
                totals_.deliveredRows += d;
        }
        linesSeen_[f] = c->Lines();
    }

    for (int p = 0; p < 2; ++p) {
        PlayerState& st = players_[static_cast<size_t>(p)];
        const SquareSet* s = p < players() ? g.Squares[p].get() : nullptr;
        if (s != st.piece || !s) {
            st.piece = s;
            st.shape = s ? s->Shape() : -1;
            st.planned = false;
            continue;
        }
        if (s->Shape() != st.shape) {
            st.shape = s->Shape();
            if (playing)
                newPiece(p);
        }
        const Strategy strategy = options_.strategy[static_cast<size_t>(p)];
        if (strategy == Strategy::Random && playing && st.nextAction == kNever)
            st.nextAction = now() + 1 + random_.below(std::max(1, 2 * options_.randomGapMs));
        if (!playing)
            st.nextAction = kNever;
    }
}

void BotGame::newPiece(int p) {
    Tessarin& g = *game_;
    const SquareSet& s = *g.Squares[p];
    ++totals_.pieces;
    ++gamePieces_;
    if (s.Blink()) {
        if (s.Shape() == 7)
            ++totals_.sinkingSquares;
        else if (s.Shape() == 8)
            ++totals_.takeTools;
        else if (s.Shape() == 9)
            ++totals_.addTools;
    }
    PlayerState& st = players_[static_cast<size_t>(p)];
    if (options_.strategy[static_cast<size_t>(p)] != Strategy::Greedy || !s.TheCanvas())
        return;

    std::vector<const SquareSet*> lift{&s};
    int minColumn = 0;
    int maxColumn = s.TheCanvas()->Columns() - 1;
    if (g.Mode == Tessarin::kCooperation) {
        // Each player keeps to its side of the shared field, and the
        // partner's falling piece is not part of the stack.
        const SquareSet* partner = g.Squares[(p + 1) % 2].get();
        if (partner && partner->Active())
            lift.push_back(partner);
        const int half = s.TheCanvas()->Columns() / 2;
        minColumn = p == 0 ? 0 : half - 1;
        maxColumn = p == 0 ? half + 1 : s.TheCanvas()->Columns() - 1;
    }
    const Board board = Board::FromCanvas(*s.TheCanvas(), lift);
    const int16_t shape = s.Shape();
    const bool tool = (shape == 8 || shape == 9) && s.Blink();
    const bool canTurn = !tool && shape != 4 && shape != 7 && shape != 12;
    const bool mistake = random_.chance(options_.mistakeChance);
    st.plan = ChoosePlacement(board, g.ShapeInfo, shape, s.Blink(), s.x(), s.y(), s.Direction(),
                              canTurn, minColumn, maxColumn, mistake ? &random_ : nullptr);
    st.planned = true;
    st.pressesLeft = st.plan.uses;
    st.stuck = 0;
    st.turnFailures = 0;
    st.failedRow = -1;
    st.blockedRow = -1;
    st.nextAction = now() + options_.reactionMs;
}

void BotGame::step(int64_t ms) {
    const int64_t end = now() + ms;
    while (!game_->Ended) {
        const int64_t untilTick = timers_.untilNext();
        const int64_t tickAt = untilTick < 0 ? kNever : now() + untilTick;
        int64_t actAt = kNever;
        int who = -1;
        if (game_->Playing) {
            for (int p = 0; p < players(); ++p) {
                const PlayerState& st = players_[static_cast<size_t>(p)];
                if (options_.strategy[static_cast<size_t>(p)] != Strategy::None &&
                    st.nextAction < actAt) {
                    actAt = std::max(st.nextAction, now());
                    who = p;
                }
            }
        }
        if (std::min(tickAt, actAt) > end)
            break;
        if (tickAt <= actAt) {
            timers_.step(end - now());
        } else {
            timers_.advance(actAt - now());
            act(who);
        }
    }
    if (end > now())
        timers_.advance(end - now());
}

void BotGame::act(int p) {
    PlayerState& st = players_[static_cast<size_t>(p)];
    st.nextAction = kNever;
    switch (options_.strategy[static_cast<size_t>(p)]) {
    case Strategy::Greedy:
        actGreedy(p);
        break;
    case Strategy::Random:
        actRandom(p);
        break;
    case Strategy::None:
        break;
    }
}

// One key per turn: turn the piece, bring it over its column, trigger a
// tool, drop it.
void BotGame::actGreedy(int p) {
    Tessarin& g = *game_;
    PlayerState& st = players_[static_cast<size_t>(p)];
    const SquareSet* s = g.Squares[p].get();
    if (!g.Playing || !s || !s->Active() || !st.planned || s != st.piece)
        return;
    const PlayerKeys& keys = g.Controls.Keys[static_cast<size_t>(p)];
    const int16_t x0 = s->x();
    const int16_t y0 = s->y();
    const int16_t d0 = s->Direction();
    const Placement& plan = st.plan;
    const bool turn = plan.kind == Placement::Kind::Drop && d0 != plan.direction;
    bool again = true;

    if (turn && st.turnFailures < 4) {
        if (y0 == st.failedRow) {
            // The turn was refused in this row (the top of the field, a
            // wall): move over meanwhile, or wait for the piece to fall.
            if (x0 != plan.x)
                key(x0 < plan.x ? keys.Right : keys.Left);
        } else {
            key(keys.Rotate);
            if (st.piece == s && s->Direction() == d0) {
                st.failedRow = y0;
                ++st.turnFailures;
            }
        }
    } else if (x0 != plan.x && st.stuck < 4) {
        // Blocked sideways (the partner's piece, a ledge): try again a row
        // lower.
        if (y0 != st.blockedRow) {
            key(x0 < plan.x ? keys.Right : keys.Left);
            if (st.piece == s && s->x() == x0) {
                st.blockedRow = y0;
                ++st.stuck;
            }
        }
    } else if (st.pressesLeft > 0) {
        --st.pressesLeft;
        ++totals_.toolPresses;
        key(keys.Rotate);
    } else {
        key(keys.Down);
        // Step-by-step down keeps pressing until the piece is replaced.
        again = g.Controls.SpeedMode != 0;
        if (!again)
            st.planned = false;
    }
    if (again && st.planned && g.Playing)
        st.nextAction = now() + options_.reactionMs;
}

void BotGame::actRandom(int p) {
    Tessarin& g = *game_;
    PlayerState& st = players_[static_cast<size_t>(p)];
    const PlayerKeys& own = g.Controls.Keys[static_cast<size_t>(p)];
    const PlayerKeys& other = g.Controls.Keys[static_cast<size_t>((p + 1) % 2)];
    const int r = random_.below(100);
    int16_t code;
    if (r < 28)
        code = own.Left;
    else if (r < 56)
        code = own.Right;
    else if (r < 78)
        code = own.Rotate;
    else if (r < 90)
        code = own.Down;
    else if (r < 95) {
        const int16_t k[4] = {other.Left, other.Right, other.Rotate, other.Down};
        code = k[random_.below(4)];
    } else {
        // A key that is nobody's control key.
        const int16_t k[5] = {vk::F2, vk::Return, vk::Escape, vk::letter('Q'), vk::Space};
        code = k[random_.below(5)];
    }
    key(code);
    if (g.Playing)
        st.nextAction = now() + 1 + random_.below(std::max(1, 2 * options_.randomGapMs));
}

void BotGame::chooseMode(int16_t mode) {
    switch (mode) {
    case Tessarin::kStandard:
        click("mnuOnePlayer");
        break;
    case Tessarin::kDuel:
        click("mnuDuel");
        break;
    case Tessarin::kCooperation:
        click("mnuCooperation");
        break;
    default:
        break;
    }
}

GameResult BotGame::playGame(const GameSetup& setup) {
    GameResult r;
    Tessarin& g = *game_;
    if (g.Ended || running())
        return r;
    if (g.Mode != setup.mode)
        chooseMode(setup.mode);
    if (setup.gameB != (g.GameType == "B"))
        click(setup.gameB ? "mnuGameB" : "mnuGameA");
    if (g.Level != setup.level)
        click("mnuLevel", setup.level);
    if (g.Speed != setup.speed)
        click("mnuSpeed", setup.speed);

    const int64_t start = now();
    const int64_t piecesBefore = gamePieces_;
    const int64_t stopsBefore = totals_.stops;
    click("mnuNewGame");
    bool stopSent = false;
    while (running()) {
        step(100);
        const bool tooLong = setup.maxMs > 0 && now() - start >= setup.maxMs;
        const bool enough = setup.maxPieces > 0 && gamePieces_ - piecesBefore >= setup.maxPieces;
        if (!stopSent && g.Playing && (tooLong || enough)) {
            click("mnuStop");
            stopSent = true;
        }
    }
    r.stopped = totals_.stops > stopsBefore;
    r.ms = now() - start;
    r.pieces = gamePieces_ - piecesBefore;
    for (int f = 0; f < 2; ++f)
        if (g.Fields[f]) {
            r.score[static_cast<size_t>(f)] = g.Fields[f]->Score();
            r.lines[static_cast<size_t>(f)] = g.Fields[f]->Lines();
        }
    r.winner = g.Winner;
    return r;
}

} // namespace tessarin::bot
