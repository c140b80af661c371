#pragma once

// Keeps account of every square on the playing fields while the bot plays:
// a model of each field's settled squares, moved on only by what landings,
// row clears, delivered rows, a starting level, the curtain and the two
// tools do, and compared with the map after every event and before every
// event nested in a dialog. Also: the falling pieces do not overlap, a
// shown piece is drawn, a blinking piece in its off phase lies over no
// settled square, and in Cooperation a sinking square never passes the
// partner's falling piece nor does a tool vanish on it.
//
// Settled: the map without the cells of the falling pieces in it (active,
// shown, every cell of their colour), a sinking square standing for the
// cell it covers. Rows the curtain has passed hold nothing of any piece;
// from the curtain's end to New Game no piece is in play.
// TESSARIN_SOAK_TRACE=1 prints every event the account looks at.

#include "Soak.h"
#include "bot/Bot.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tessarin::soak {

class SquareAccount {
public:
    explicit SquareAccount(bot::BotGame& bot) : bot_(bot) {}

    // Who is asked, with each failure, where the soak stands.
    std::string context;
    std::vector<std::string> failures;
    int64_t events = 0; // events seen, nested ones included
    // How often the interesting cases came up (the soak checks they did).
    int64_t clearsChecked = 0, deliveriesChecked = 0, toolUses = 0;
    int64_t sinkingBesidePartner = 0;
    int64_t offPhaseDrops = 0;    // rows that dropped into a piece in its off phase
    int64_t toolsOverPartner = 0; // a tool with the partner's falling piece below it

    void before(const bot::Event& e) {
        ++events;
        if (!stack_.empty())
            settle(); // the outer event's part up to the dialog
        else if (!started_)
            take();
        stack_.push_back(e);
    }
    void after(const bot::Event& e) {
        (void)e;
        if (!stack_.empty()) {
            settle();
            stack_.pop_back();
        }
    }

private:
    struct Piece {
        const SquareSet* object = nullptr;
        bool active = false, visible = false, blink = false;
        bool inMap = false;    // shown, all its cells hold its colour
        bool covering = false; // a sinking square over the cell it keeps
        int16_t shape = -1, x = 0, y = 0, color = 0, saved = Canvas::kEmpty;
        int n = 0;
        std::array<std::pair<int, int>, 5> cells{};
        const Canvas* canvas = nullptr;

        bool sinking() const { return shape == kSingleSquareShape && blink; }
        bool tool() const {
            return (shape == kDominoShape || shape == kStraightThreeShape) && blink;
        }
        bool falling() const { return active && (inMap || covering); }
        std::span<const std::pair<int, int>> squares() const { return {cells.data(), size_t(n)}; }
        bool has(int cx, int cy) const {
            return std::ranges::count(squares(), std::pair{cx, cy}) > 0;
        }
        bool same(const Piece& o) const { return object && object == o.object && shape == o.shape; }
    };

    struct Field {
        const Canvas* canvas = nullptr;
        int columns = 0, rows = 0;
        std::vector<int16_t> settled; // the model; column-major like the map
        int16_t lines = 0, fullCount = 0;
        std::array<int16_t, 5> fullRows{};

        // The map's settled squares and counters, as they are now.
        void keep(std::vector<int16_t> observed) {
            settled = std::move(observed);
            lines = canvas->Lines();
            fullCount = canvas->FullLines();
            fullRows = canvas->FullLineRows();
        }
        int16_t& at(int x, int y) { return settled[x * rows + y]; }
        int16_t at(int x, int y) const { return settled[x * rows + y]; }
        bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < columns && y < rows; }
        bool rowEmpty(int y) const { return rowAll(y, false); }
        bool rowAll(int y, bool taken) const {
            for (int x = 0; x < columns; ++x)
                if ((at(x, y) != Canvas::kEmpty) != taken)
                    return false;
            return true;
        }
        void copyRow(int from, int to) {
            if (to < 0)
                return;
            for (int x = 0; x < columns; ++x)
                at(x, to) = at(x, from);
        }
        // The field's own removal of full rows: from the bottom up to the
        // first empty row, the unbroken block above each full row dropping.
        int clearFullRows() {
            int count = 0;
            for (int y = rows - 1; y >= 0 && !rowEmpty(y);) {
                if (!rowAll(y, true)) {
                    --y;
                    continue;
                }
                int j = y;
                for (; j >= 1 && !rowEmpty(j - 1); --j)
                    copyRow(j - 1, j);
                for (int x = 0; x < columns; ++x)
                    at(x, j) = Canvas::kEmpty;
                ++count;
            }
            return count;
        }
        // Rows pushed in from below, k = 0 the lowest.
        void addRows(const std::vector<std::vector<int16_t>>& rowsIn) {
            const int n = static_cast<int>(rowsIn.size());
            int y = rows - 1;
            while (y >= 0 && !rowEmpty(y))
                --y;
            for (int j = y + 1; j <= rows - 1; ++j)
                copyRow(j, j - n);
            for (int k = 0; k < n; ++k)
                for (int x = 0; x < columns; ++x)
                    at(x, rows - 1 - k) = rowsIn[k][x];
        }
    };

    void fail(const std::string& what) {
        if (failures.size() >= 10)
            return;
        std::string pieces;
        for (int p = 0; p < 2; ++p) {
            const Piece& a = pieces_[p];
            const Piece b = look(bot_.game().Squares[p].get());
            pieces += str("\n  player ", p + 1, " before: ", describe(a), "; now: ", describe(b));
        }
        failures.push_back(
            str(context, ", event ", events, " (", eventName(), "): ", what, pieces));
    }
    static std::string describe(const Piece& p) {
        if (!p.object)
            return "none";
        return str(p.shape, " at ", p.x, ",", p.y, p.active ? " active" : "",
                   p.visible ? " visible" : "", p.blink ? " blinking" : "",
                   p.inMap ? " in the map" : "", p.covering ? " covering " : "",
                   p.covering ? std::to_string(p.saved) : "");
    }
    std::string eventName() const {
        if (stack_.empty())
            return "none";
        const bot::Event& e = stack_.back();
        return str(e.name, "(", e.index, ", depth ", e.depth, ")");
    }

    Piece look(const SquareSet* s) const {
        Piece p;
        if (!s)
            return p;
        p.object = s;
        p.active = s->Active();
        p.visible = s->Visible();
        p.blink = s->Blink();
        p.shape = s->Shape();
        p.x = s->x();
        p.y = s->y();
        p.color = s->Color();
        p.saved = s->SavedCell();
        p.canvas = s->TheCanvas();
        p.n = std::clamp<int>(ShapeSquareCount(s->Shape()), 0, 5);
        for (int q = 0; q < p.n; ++q)
            p.cells[q] = {s->cellX(q), s->cellY(q)};
        if (!p.canvas || idle_) // between games no piece is in play
            return p;
        const Canvas& c = *p.canvas;
        const auto inside = [&](int x, int y) {
            return x >= 0 && y >= 0 && x < c.Columns() && y < c.Rows();
        };
        // (Cells in rows the curtain has passed are simply gone.)
        p.inMap = p.visible && p.n > 0;
        for (int q = 0; q < p.n && p.inMap; ++q) {
            const auto [x, y] = p.cells[q];
            p.inMap = inside(x, y) && (passed(y) || unit(c, x, y) == p.color);
        }
        if (p.sinking() && inside(p.x, p.y) && !passed(p.y)) {
            const int16_t v = c.GetMapUnit(p.x, p.y);
            p.covering = p.active && (p.visible ? v == p.color : v == p.saved);
        }
        return p;
    }

    static int16_t unit(const Canvas& c, int x, int y) {
        return c.GetMapUnit(static_cast<int16_t>(x), static_cast<int16_t>(y));
    }

    // Rows the curtain has emptied; nothing in them is a falling piece's
    // (nor anywhere, once the curtain is through).
    bool passed(int y) const {
        const Tessarin& g = bot_.game();
        return idle_ || (g.tmrGameOver->Enabled() && g.CurtainClearing && y < g.CurtainRow);
    }

    // The settled squares the map shows: the map without the falling pieces,
    // a sinking square replaced by what it keeps.
    std::vector<int16_t> observed(const Field& m, const std::array<Piece, 2>& pieces) const {
        const Canvas& c = *m.canvas;
        std::vector<int16_t> o(m.columns * m.rows);
        for (int x = 0; x < m.columns; ++x)
            for (int y = 0; y < m.rows; ++y)
                o[x * m.rows + y] = unit(c, x, y);
        for (const Piece& p : pieces) {
            if (p.canvas != &c || !p.active)
                continue;
            if (p.covering && m.inside(p.x, p.y))
                o[p.x * m.rows + p.y] = p.saved;
            else if (p.inMap)
                for (const auto& [x, y] : p.squares())
                    if (m.inside(x, y) && !passed(y))
                        o[x * m.rows + y] = Canvas::kEmpty;
        }
        return o;
    }

    // The state at this moment becomes the start of the next stretch.
    void take() {
        started_ = true;
        const Tessarin& g = bot_.game();
        for (int i = 0; i < 2; ++i)
            pieces_[i] = look(g.Squares[i].get());
        for (int f = 0; f < 2; ++f) {
            Field& m = fields_[f];
            renew(m, g.Fields[f].get(), g.Mode != mode_);
            if (m.canvas)
                m.keep(observed(m, pieces_));
        }
        remember(g);
    }
    void remember(const Tessarin& g) {
        playing_ = g.Playing;
        curtain_ = g.tmrGameOver->Enabled();
        curtainClearing_ = g.CurtainClearing;
        curtainRow_ = g.CurtainRow;
        mode_ = g.Mode;
    }
    // A mode command makes new, empty fields (a new one may even take the
    // place in memory of the old): whether m is one.
    static bool renew(Field& m, const Canvas* c, bool newMode) {
        if (c == m.canvas && !newMode)
            return false;
        m = Field{};
        m.canvas = c;
        if (c) {
            m.columns = c->Columns();
            m.rows = c->Rows();
            m.settled.assign(m.columns * m.rows, Canvas::kEmpty);
        }
        return true;
    }

    // What one event is checked with: the game after it, the pieces as
    // they are now, and the account's fields as the event changes them.
    struct Step {
        const Tessarin& g;
        const bot::Event& e;
        std::array<Piece, 2> now;
        std::array<Field, 2> model;
        std::array<bool, 2> fresh{};
        bool duel = false;
        bool curtainTick = false;
        int delivering = -1; // Duel: the field whose clear delivers rows to the other
        // The field of the account a canvas is, or -1 (a new one).
        int fieldOf(const Canvas* c) const {
            for (int f = 0; f < 2; ++f)
                if (c && model[f].canvas == c && !fresh[f])
                    return f;
            return -1;
        }
    };

    // Moves the model on by what the event may have done since the last
    // look, compares, and looks again.
    void settle() {
        const Tessarin& g = bot_.game();
        if (g.Ended || !started_ || !failures.empty())
            return;
        const bot::Event& e = stack_.back();
        if (g.Playing)
            idle_ = false;
        else if (curtain_ && !g.tmrGameOver->Enabled())
            idle_ = true;
        Step st{g, e, {}, fields_};
        for (int i = 0; i < 2; ++i)
            st.now[i] = look(g.Squares[i].get());
        for (int f = 0; f < 2; ++f)
            st.fresh[f] = renew(st.model[f], g.Fields[f].get(), g.Mode != mode_);
        st.duel = g.Mode == Tessarin::kDuel;
        st.curtainTick = e.kind == bot::Event::Kind::Timer && e.name == "tmrGameOver";
        const bool clearEnds = e.kind == bot::Event::Kind::Timer && e.name == "tmrDelete";
        if (st.duel && clearEnds && e.index >= 0 && e.index < 2 && !st.fresh[0] && !st.fresh[1] &&
            g.Fields[e.index]->Lines() > fields_[e.index].lines && fields_[e.index].fullCount >= 2)
            st.delivering = e.index;

        // New Game: the fields were empty, and squares come only in the
        // rows of the starting level.
        const bool newGame = e.kind == bot::Event::Kind::Click && e.name == "mnuNewGame" &&
                             !playing_ && !curtain_ && (g.Playing || g.tmrGameOver->Enabled());
        if (newGame) {
            checkNewGame(st);
        } else {
            accountLandings(st);
            // The tools: Rotate on an active tool takes the first square
            // below it, or adds one on top of its column.
            if (e.kind == bot::Event::Kind::Key && playing_)
                for (int p = 0; p < 2; ++p)
                    useTool(p, e.index, st);
            accountClears(st);
            // The curtain empties, from the top, every row it has passed.
            if (st.curtainTick && curtain_ && curtainClearing_)
                for (int f = 0; f < (st.duel ? 2 : 1); ++f) {
                    Field& m = st.model[f];
                    for (int y = 0; m.canvas && y <= curtainRow_ && y < m.rows; ++y)
                        for (int x = 0; x < m.columns; ++x)
                            m.at(x, y) = Canvas::kEmpty;
                }
        }

        if (std::getenv("TESSARIN_SOAK_TRACE")) {
            std::string line = str(context, " event ", events, " ", eventName(), " playing ",
                                   g.Playing, " curtain ", g.CurtainClearing, "/", g.CurtainRow);
            for (int p = 0; p < 2; ++p)
                line += str(" | p", p + 1, ": ", describe(st.now[p]));
            std::fprintf(stderr, "%s\n", line.c_str());
        }
        checkPieces(st.now);
        pieces_ = st.now;
        compareWithMaps(st);
        checkEmptyAfterCurtain(g);
        remember(g);
    }

    void checkNewGame(Step& st) {
        for (int f = 0; f < 2; ++f) {
            Field& m = st.model[f];
            if (!m.canvas)
                continue;
            for (int16_t v : m.settled)
                if (v != Canvas::kEmpty) {
                    fail(str("field ", f + 1, " holds squares left from before at New Game"));
                    break;
                }
            const std::vector<int16_t> o = observed(m, st.now);
            for (int x = 0; x < m.columns; ++x)
                for (int y = 0; y < m.rows; ++y) {
                    const int16_t v = o[x * m.rows + y];
                    if (v != Canvas::kEmpty && y < m.rows - st.g.Level)
                        fail(str("field ", f + 1, ": a square at (", x, ",", y,
                                 ") above the starting level ", st.g.Level));
                    m.at(x, y) = v;
                }
        }
    }

    // Landings: a falling piece that is no longer falling leaves its
    // squares, unless it was a tool (it vanishes) or delivered rows dropped
    // it; one that blinked off leaves nothing.
    void accountLandings(Step& st) {
        for (int p = 0; p < 2; ++p) {
            const Piece& was = pieces_[p];
            const Piece& is = st.now[p];
            const int f = st.fieldOf(was.canvas);
            if (!was.falling() || f < 0)
                continue;
            const bool same = is.same(was);
            if (same && is.falling())
                continue;
            if (same && is.active && !is.visible)
                continue;
            // (Still active and shown, but partly overwritten: the curtain
            // is passing; what is left of it stays as squares.)
            const bool gone = !same || !is.active;
            if (gone && (was.tool() || (st.delivering >= 0 && f == 1 - st.delivering && same)))
                continue;
            const Piece& at = same ? is : was;
            Field& m = st.model[f];
            for (const auto& [x, y] : at.squares())
                if (m.inside(x, y))
                    m.at(x, y) = was.color;
        }
    }

    // Row clears, and in Duel the rows they deliver.
    void accountClears(Step& st) {
        for (int f = 0; f < 2; ++f) {
            Field& m = st.model[f];
            if (!m.canvas || st.fresh[f])
                continue;
            const int rose = st.g.Fields[f]->Lines() - fields_[f].lines;
            if (rose <= 0)
                continue;
            std::vector<std::vector<int16_t>> sent;
            if (f == st.delivering) {
                const Field& start = fields_[f];
                const Piece& clearing = pieces_[f];
                for (int k = 0; k < start.fullCount; ++k) {
                    std::vector<int16_t> r(m.columns, Canvas::kEmpty);
                    const int y = start.fullRows[k];
                    for (int x = 0; x < m.columns && y >= 0 && y < m.rows; ++x)
                        if (!clearing.has(x, y))
                            r[x] = m.at(x, y);
                    sent.push_back(r);
                }
            }
            const int removed = m.clearFullRows();
            ++clearsChecked;
            for (const Piece& was : pieces_)
                if (offPhase(was) && st.fieldOf(was.canvas) == f && coversSquare(was, m))
                    ++offPhaseDrops;
            if (removed != rose)
                fail(str("field ", f + 1, ": the lines rose by ", rose, " but ", removed,
                         " full rows were there to remove"));
            if (!sent.empty()) {
                // The opponent's falling piece is dropped first, also one
                // the curtain has begun to pass over.
                Field& o = st.model[1 - f];
                const Piece& dropped = pieces_[1 - f];
                if (dropped.active && !dropped.falling())
                    for (const auto& [x, y] : dropped.squares())
                        if (o.inside(x, y) && o.at(x, y) == dropped.color)
                            o.at(x, y) = dropped.sinking() ? dropped.saved : Canvas::kEmpty;
                o.addRows(sent);
                ++deliveriesChecked;
            }
        }
    }

    // Every cell of the maps against the account; once told, the account
    // goes on from the map.
    void compareWithMaps(Step& st) {
        const Tessarin& g = st.g;
        for (int f = 0; f < 2; ++f) {
            Field& m = st.model[f];
            if (!m.canvas)
                continue;
            fields_[f] = m;
            const std::vector<int16_t> o = observed(m, st.now);
            // A clear that ends under the curtain may put squares back into
            // rows it has passed (a piece lifted and put back, rows pushed
            // up); its next tick empties them again.
            if (!st.curtainTick && g.tmrGameOver->Enabled() && g.CurtainClearing)
                for (int x = 0; x < m.columns; ++x)
                    for (int y = 0; y < g.CurtainRow && y < m.rows; ++y)
                        m.at(x, y) = o[x * m.rows + y];
            for (size_t k = 0; k < o.size(); ++k)
                if (o[k] != m.settled[k]) {
                    const int x = static_cast<int>(k) / m.rows, y = static_cast<int>(k) % m.rows;
                    fail(str("field ", f + 1, ", cell (", x, ",", y, ") holds ", o[k],
                             " where the account has ", m.settled[k],
                             o[k] == Canvas::kEmpty ? ": a square was lost"
                                                    : ": a square belongs to nobody",
                             "\n  map, account:", picture(o, m)));
                    break;
                }
            fields_[f].keep(o);
        }
    }

    // After the curtain every cell of every field is empty.
    void checkEmptyAfterCurtain(const Tessarin& g) {
        if (!curtain_ || g.tmrGameOver->Enabled() || g.Playing)
            return;
        for (int f = 0; f < 2; ++f)
            if (const Canvas* c = g.Fields[f].get())
                for (int x = 0; x < c->Columns(); ++x)
                    for (int y = 0; y < c->Rows(); ++y)
                        if (unit(*c, x, y) != Canvas::kEmpty) {
                            fail(str("field ", f + 1, " holds a square at (", x, ",", y,
                                     ") after the curtain"));
                            x = c->Columns();
                            break;
                        }
    }

    // The field's squares as the map shows them and as the account has them,
    // side by side, row by row ('.' empty).
    static std::string picture(const std::vector<int16_t>& o, const Field& m) {
        std::string out;
        const auto code = [](int16_t v) {
            return v == Canvas::kEmpty ? '.' : static_cast<char>('0' + (v >= 0 && v <= 9 ? v : 9));
        };
        for (int y = 0; y < m.rows; ++y) {
            out += "\n  ";
            for (int x = 0; x < m.columns; ++x)
                out += code(o[x * m.rows + y]);
            out += "  ";
            for (int x = 0; x < m.columns; ++x)
                out += code(m.at(x, y));
        }
        return out;
    }

    void useTool(int p, int code, Step& st) {
        const Tessarin& g = bot_.game();
        const Piece& was = pieces_[p];
        if (!was.active || !was.tool() || !st.now[p].same(was))
            return;
        const bool standard = g.Mode == Tessarin::kStandard;
        if (code != g.Controls.Keys[p].Rotate && !(standard && code == g.Controls.Keys[1].Rotate))
            return;
        const int f = st.fieldOf(was.canvas);
        if (f < 0 || was.x < 0 || was.x >= st.model[f].columns)
            return;
        Field& m = st.model[f];
        const int top = std::max(was.y + 2, 0);
        int r = top;
        while (r <= m.rows - 1 && m.at(was.x, r) == Canvas::kEmpty)
            ++r;
        ++toolUses;
        if (was.shape == kDominoShape) {
            if (r <= m.rows - 1)
                m.at(was.x, r) = Canvas::kEmpty;
        } else if (r - 1 >= top) {
            // Not into the partner's falling piece (a sinking square only
            // lies over its cell).
            const Piece& partner = pieces_[1 - p];
            if (!(partner.active && !partner.sinking() && partner.canvas == was.canvas &&
                  partner.has(was.x, r - 1)))
                m.at(was.x, r - 1) = was.color;
        }
    }

    // A blinking piece, not a sinking square, that is out of the map for
    // its off phase but still in play.
    static bool offPhase(const Piece& p) {
        return p.object && p.active && p.blink && !p.visible && !p.sinking() && p.canvas;
    }
    // Whether one of the piece's cells holds a square in the model.
    static bool coversSquare(const Piece& p, const Field& m) {
        return std::ranges::any_of(p.squares(), [&m](auto c) {
            return m.inside(c.first, c.second) && m.at(c.first, c.second) != Canvas::kEmpty;
        });
    }
    // Whether the partner has a square right below one of the piece's.
    static bool over(const Piece& p, const Piece& partner) {
        if (!partner.active || partner.canvas != p.canvas)
            return false;
        return std::ranges::any_of(p.squares(),
                                   [&](auto c) { return partner.has(c.first, c.second + 1); });
    }

    void checkPieces(const std::array<Piece, 2>& now) {
        const Tessarin& g = bot_.game();
        // A piece in its off phase covers empty cells only: a square in one
        // of them is wiped out by its next blink or move.
        for (const Piece& p : now) {
            if (!offPhase(p) || idle_)
                continue;
            const Canvas& c = *p.canvas;
            for (const auto& [x, y] : p.squares()) {
                if (x >= 0 && y >= 0 && x < c.Columns() && y < c.Rows() && !passed(y) &&
                    unit(c, x, y) != Canvas::kEmpty)
                    return fail(str("a square lies in cell (", x, ",", y,
                                    ") of a piece in its off phase, which will wipe it out"));
            }
        }
        // In Cooperation a tool over the partner's falling piece waits on it:
        // it neither vanishes there nor acts on it.
        if (g.Mode == Tessarin::kCooperation)
            for (int p = 0; p < 2; ++p) {
                const Piece& was = pieces_[p];
                const Piece& is = now[p];
                const Piece& partnerWas = pieces_[1 - p];
                const Piece& partnerIs = now[1 - p];
                if (!was.tool() || !was.active || !over(was, partnerWas))
                    continue;
                ++toolsOverPartner;
                if ((!is.same(was) || !is.active) && partnerIs.same(partnerWas) &&
                    over(was, partnerIs))
                    return fail("a tool vanished on the partner's falling piece");
            }
        const Piece& a = now[0];
        const Piece& b = now[1];
        if (a.falling() && b.falling() && a.canvas == b.canvas)
            for (const auto& [x, y] : a.squares())
                if (b.has(x, y) && a.inMap && b.inMap)
                    return fail(str("the falling pieces overlap at (", x, ",", y, ")"));
        // In Cooperation the sinking square stops above the partner's
        // falling piece, however it goes down.
        if (g.Mode == Tessarin::kCooperation)
            for (int p = 0; p < 2; ++p) {
                const Piece& was = pieces_[p];
                const Piece& is = now[p];
                const Piece& partner = pieces_[1 - p];
                if (!was.sinking() || !was.active || !is.same(was) || !partner.active)
                    continue;
                for (const auto& [x, y] : partner.squares()) {
                    if (x == was.x && y > was.y && y <= is.y)
                        return fail(str("the sinking square went from row ", was.y, " to ", is.y,
                                        " through the partner's falling piece"));
                    if (std::abs(x - is.x) + std::abs(y - is.y) == 1)
                        ++sinkingBesidePartner;
                }
            }
        // A piece on show is drawn (cells of blinking rows aside).
        if (!g.Playing)
            return;
        for (const Piece& p : now) {
            if (!p.active || !p.visible || !p.inMap || !p.canvas || !p.canvas->PicOutput())
                continue;
            const Canvas& c = *p.canvas;
            for (const auto& [x, y] : p.squares()) {
                bool blinking = false;
                for (int k = 0; c.Delete() && k < c.FullLines(); ++k)
                    blinking = blinking || c.FullLineRows()[k] == y;
                if (blinking)
                    continue;
                const Surface& image = g.Images.colour(p.color);
                const Surface& out = *c.PicOutput();
                for (const auto& [px, py] : {std::pair{8, 8}, std::pair{3, 12}})
                    if (out.pixel(16 * x + px, 16 * y + py) != image.pixel(px, py))
                        return fail(
                            str("a piece is shown at (", x, ",", y, ") but not drawn there"));
            }
        }
    }

    bot::BotGame& bot_;
    std::vector<bot::Event> stack_;
    bool started_ = false;
    std::array<Piece, 2> pieces_;
    std::array<Field, 2> fields_;
    bool playing_ = false, curtain_ = false, curtainClearing_ = false;
    bool idle_ = true; // between the end of a curtain and the next New Game
    int16_t curtainRow_ = 0;
    int16_t mode_ = Tessarin::kNoMode;
};

} // namespace tessarin::soak
