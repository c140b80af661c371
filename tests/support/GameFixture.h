#pragma once

// The whole program under test: a main window on virtual time with recorded
// sound, a scripted random source (queued values first, then a seeded
// generator), a fixed clock, the scripted dialogs and a temporary working
// folder, loaded as at start-up. Helpers choose modes, start games, run
// time, press keys, place squares and read back maps, pixels, labels and
// menus.

#include "driver/Tessarin.h"
#include "platform/Random.h"
#include "platform/Sound.h"
#include "platform/VirtualTimerHost.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedRandom.h"
#include "support/TempFolder.h"

#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tessarin {

// The one way tests reach the window's private helpers.
class TessarinTestAccess {
public:
    static int16_t PreviewRow(int16_t shape, int16_t direction) {
        return Tessarin::PreviewRow(shape, direction);
    }
};

class GameFixture : public ::testing::Test {
protected:
    // The time of day the clock shows, seconds.
    static constexpr double kTime = 43200.0;

    VirtualTimerHost timers;
    RecordingSound sound;
    DefaultRandom generator;
    test::ScriptedRandom random;
    FixedClock clock{kTime};
    ScriptedDialogs dialogs;
    // An odd screen, so that centring must halve odd sizes the same way.
    ScreenSize screen{19215, 14385};
    testing::TempFolder folder;
    std::unique_ptr<Tessarin> game;

    GameFixture() { random.fallBackTo(&generator); }
    void SetUp() override { restart(); }
    void TearDown() override { game.reset(); }

    // A fresh program run in the same folder.
    void restart() {
        game.reset();
        game = std::make_unique<Tessarin>(
            Services{timers, sound, random, clock, dialogs, screen, folder.path()});
        game->Form_Load();
    }

    // ---- Names, modes, games

    void typeName(const std::string& text) { dialogs.input.then(ScriptedDialogs::typeAndOk(text)); }
    void cancelName(const std::string& typedFirst = {}) {
        dialogs.input.then(ScriptedDialogs::cancelInput(typedFirst));
    }

    // The mode command; the name dialogs answer what is queued, or Ok.
    void choose(int16_t mode) {
        switch (mode) {
        case Tessarin::kStandard:
            game->mnuOnePlayer_Click();
            break;
        case Tessarin::kDuel:
            game->mnuDuel_Click();
            break;
        case Tessarin::kCooperation:
            game->mnuCooperation_Click();
            break;
        default:
            break;
        }
    }
    void choose(int16_t mode, std::initializer_list<std::string> names) {
        for (const std::string& n : names)
            typeName(n);
        choose(mode);
    }

    void newGame() { game->Click("mnuNewGame"); }
    void advance(int64_t ms) { timers.advance(ms); }
    // Runs time on tick by tick until `done` holds; false when it does not
    // within limitMs.
    bool runUntil(const std::function<bool()>& done, int64_t limitMs = 600000) {
        const int64_t end = timers.now() + limitMs;
        while (!done())
            if (!timers.step(end - timers.now()))
                return false;
        return true;
    }
    // Runs time to the end of the game-over curtain.
    bool finishCurtain() {
        return runUntil([&] { return !game->tmrGameOver->Enabled() && !game->Playing; });
    }

    void press(int16_t key) { game->Form_KeyDown(key, 0); }
    const PlayerKeys& keys(int player) const { return game->Controls.Keys[player]; }

    // ---- Pieces

    // Queues random values for the next MakeShape draw and direction draw.
    void queueShape(int shape) { random.push((shape + 0.25) / kTime); }
    void queueDirection(int direction) { random.push((direction + 0.5) / 4); }
    void queuePiece(int shape, int direction) {
        queueShape(shape);
        queueDirection(direction);
    }

    // Puts `p` on its canvas as the owner does: shape, direction (which may
    // make a special piece blink), then the blink wanted, place, colour.
    void place(SquareSet& p, int16_t shape, int16_t direction, int16_t x, int16_t y, bool blink) {
        if (p.Active())
            p.Hide(true);
        p.setShape(shape);
        p.setDirection(direction);
        p.setBlink(blink);
        p.setx(x);
        p.sety(y);
        p.setColor(static_cast<int16_t>(shape % 7));
        p.setActive(true);
        p.AssignSetInfo(game->ShapeInfo.block(shape));
        p.Show(true);
    }
    // Replaces player i's falling piece.
    void setPiece(int i, int16_t shape, int16_t direction, int16_t x, int16_t y,
                  bool blink = false) {
        place(*game->Squares[i], shape, direction, x, y, blink);
    }
    // Replaces player i's next piece, as a draw of the next piece would.
    void setNext(int i, int16_t shape, int16_t direction, bool blink = false) {
        SquareSet& p = *game->Previews[i];
        place(p, shape, direction, 2, TessarinTestAccess::PreviewRow(shape, direction), blink);
    }

    // Makes player i's game end at its next fall tick: its falling piece is
    // set down on the floor at the far side of its entry column, and the
    // rows where the next piece enters are filled.
    void endOnNextTick(int i) {
        const bool coop = game->Mode == Tessarin::kCooperation;
        const int f = game->Mode == Tessarin::kDuel ? i : 0;
        const int entry = coop ? (i == 0 ? 3 : 11) : 5;
        const int16_t side = static_cast<int16_t>(entry < 7 ? field(f).Columns() - 1 : 1);
        setPiece(i, 4, 0, side, 17);
        for (int y = 0; y < 4; ++y)
            for (int x = entry - 2; x <= entry + 2; ++x)
                put(f, x, y, 6);
    }

    // ---- Fields

    Canvas& field(int i) { return *game->Fields[i]; }
    int16_t at(int f, int x, int y) {
        return field(f).GetMapUnit(static_cast<int16_t>(x), static_cast<int16_t>(y));
    }
    // A settled square: in the map and drawn.
    void put(int f, int x, int y, int16_t code) {
        field(f).SetMapUnit(static_cast<int16_t>(x), static_cast<int16_t>(y), code);
        field(f).SetSquare(static_cast<int16_t>(x), static_cast<int16_t>(y), code);
    }
    // Row y of field f full of `code` but for the hole columns.
    void fillRow(int f, int y, int16_t code, std::initializer_list<int> holes = {}) {
        for (int x = 0; x < field(f).Columns(); ++x) {
            bool hole = false;
            for (int h : holes)
                hole = hole || h == x;
            put(f, x, y, hole ? Canvas::kEmpty : code);
        }
    }
    // Row y of a field's map as text: '.' empty, else the code's digit.
    std::string row(int f, int y) {
        std::string s;
        for (int x = 0; x < field(f).Columns(); ++x) {
            const int16_t c = at(f, x, y);
            s += c == Canvas::kEmpty ? '.' : static_cast<char>('0' + c);
        }
        return s;
    }
    bool fieldEmpty(int f) {
        for (int y = 0; y < field(f).Rows(); ++y)
            if (row(f, y) != std::string(static_cast<size_t>(field(f).Columns()), '.'))
                return false;
        return true;
    }

    // The code (0 ... 6, or 8 for the empty image) whose cell image the
    // cell (x, y) of a surface shows pixel for pixel; -1 for none of them.
    int drawn(const Surface& s, int x, int y) {
        for (int code : {0, 1, 2, 3, 4, 5, 6, 8}) {
            const Surface& image =
                code == Canvas::kEmpty ? game->Images.picBlack : game->Images.colour(code);
            bool same = true;
            for (int py = 0; py < 16 && same; ++py)
                for (int px = 0; px < 16 && same; ++px)
                    same = s.pixel(16 * x + px, 16 * y + py) == image.pixel(px, py);
            if (same)
                return code;
        }
        return -1;
    }
    int drawnOn(int f, int x, int y) { return drawn(*game->picCanvas[f], x, y); }
    // Row y of a field's surface as text, like row().
    std::string drawnRow(int f, int y) {
        std::string s;
        for (int x = 0; x < field(f).Columns(); ++x) {
            const int c = drawnOn(f, x, y);
            s += c == Canvas::kEmpty ? '.' : (c < 0 ? '?' : static_cast<char>('0' + c));
        }
        return s;
    }

    // The dialogs shown so far, in order: a message as its text, a records
    // or duel results window as its caption, a system message as
    // "system: " and its text; separated by " | ".
    std::string shown() {
        std::string out;
        for (const ScriptedDialogs::Call& c : dialogs.calls) {
            std::string item;
            if (c.kind == ScriptedDialogs::Kind::Message)
                item = c.text;
            else if (c.kind == ScriptedDialogs::Kind::DuelResult)
                item = c.caption;
            else if (c.kind == ScriptedDialogs::Kind::SystemMessage)
                item = "system: " + c.text;
            else
                continue;
            out += (out.empty() ? "" : " | ") + item;
        }
        return out;
    }

    // ---- Labels and menus

    std::string speedLabel(int i) { return game->lblSpeed[i]->Caption; }
    std::string linesLabel(int i) { return game->lblLines[i]->Caption; }
    std::string scoreLabel(int i) { return game->lblScore[i]->Caption; }

    const MenuItem& menu(const std::string& name, int index = -1) {
        const MenuItem* m = game->Menus.find(name, index);
        EXPECT_NE(m, nullptr) << name;
        static const MenuItem none;
        return m ? *m : none;
    }

    static std::string pos(const Surface& s) {
        std::ostringstream o;
        o << s.Left() << "," << s.Top() << " " << s.Width() << "x" << s.Height()
          << (s.Visible() ? " shown" : " hidden");
        return o.str();
    }

    static std::string pos(const Label& l) {
        std::ostringstream o;
        o << l.Left << "," << l.Top << " " << l.Width << "x" << l.Height
          << (l.Visible ? " shown" : " hidden");
        return o.str();
    }

    // Everything a player sees of the window, stacking aside.
    std::string snapshot() {
        std::ostringstream o;
        const Window& w = game->TheWindow;
        o << "mode " << game->Mode << " '" << w.Caption << "' " << w.Left << "," << w.Top << " "
          << w.Width << "x" << w.Height << (w.Visible ? " shown" : " hidden") << "\n";
        for (Surface* s : game->surfaces())
            o << pos(*s) << " border " << s->Border() << " " << s->PixelWidth() << "x"
              << s->PixelHeight() << "\n";
        for (const Label* l : game->labels())
            o << l->Name << " '" << l->Caption << "' " << pos(*l) << "\n";
        walk(game->Menus.Bar, o);
        o << game->Player1Name << "/" << game->Player2Name << "\n";
        return o.str();
    }

private:
    static void walk(const std::vector<MenuItem>& items, std::ostringstream& o) {
        for (const MenuItem& m : items) {
            o << m.Name << "(" << m.Index << ")" << (m.Enabled ? "E" : "D")
              << (m.Checked ? "C" : "") << " ";
            walk(m.Items, o);
        }
    }
};

} // namespace tessarin
