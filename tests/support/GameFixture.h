#pragma once

// The whole program under test: virtual time, recorded sound, scripted random
// values (then a seeded generator), a fixed clock, scripted dialogs and a
// temporary working folder, loaded as at start-up.

#include "driver/Tessarin.h"
#include "platform/Random.h"
#include "platform/Sound.h"
#include "platform/VirtualTimerHost.h"
#include "support/Pieces.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedRandom.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace tessarin {

class TessarinTestAccess {
public:
    static int16_t PreviewRow(int16_t shape, int16_t direction) {
        return Tessarin::PreviewRow(shape, direction);
    }
};

class GameFixture : public ::testing::Test {
protected:
    static constexpr double kTime = 43200.0; // the clock's time of day, seconds

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

    GameFixture() {
        random.fallBackTo(&generator);
        restart();
    }

    void restart() { // a fresh program run in the same folder
        game.reset();
        game = std::make_unique<Tessarin>(
            Services{timers, sound, random, clock, dialogs, screen, folder.path()});
        game->Form_Load();
    }

    void typeName(const std::string& text) { dialogs.input.then(ScriptedDialogs::typeAndOk(text)); }
    void cancelName(const std::string& typedFirst = {}) {
        dialogs.input.then(ScriptedDialogs::cancelInput(typedFirst));
    }
    void choose(int16_t mode, std::initializer_list<std::string> names = {}) {
        for (const std::string& n : names)
            typeName(n);
        if (mode == Tessarin::kStandard)
            game->mnuOnePlayer_Click();
        else if (mode == Tessarin::kDuel)
            game->mnuDuel_Click();
        else if (mode == Tessarin::kCooperation)
            game->mnuCooperation_Click();
    }
    void start(int16_t mode, std::initializer_list<std::string> names = {}) {
        choose(mode, names);
        newGame();
    }
    void newGame() { game->Click("mnuNewGame"); }
    // A new game of the mode in Game B (the blinking pieces), paused if asked:
    // the test runs the ticks.
    void startB(int16_t mode, bool paused = false) {
        choose(mode);
        game->Click("mnuGameB");
        newGame();
        if (paused)
            game->Click("mnuPause");
    }

    void advance(int64_t ms) { timers.advance(ms); }
    // Runs time tick by tick until `done` holds; false if not within limitMs.
    bool runUntil(const std::function<bool()>& done, int64_t limitMs = 600000) {
        const int64_t end = timers.now() + limitMs;
        while (!done())
            if (!timers.step(end - timers.now()))
                return false;
        return true;
    }
    bool finishCurtain() {
        return runUntil([&] { return !game->tmrGameOver->Enabled() && !game->Playing; });
    }

    void press(int16_t key, int times = 1) {
        for (int k = 0; k < times; ++k)
            game->Form_KeyDown(key, 0);
    }
    const PlayerKeys& keys(int player) const { return game->Controls.Keys[player]; }

    // Random values for the next MakeShape draw and direction draw.
    void queuePiece(int shape, int direction = -1) {
        random.push((shape + 0.25) / kTime);
        if (direction >= 0)
            random.push((direction + 0.5) / 4);
    }

    void place(SquareSet& p, int16_t shape, int16_t direction, int16_t x, int16_t y, bool blink) {
        test::PutPiece(p, game->ShapeInfo, shape, direction, x, y, blink);
    }
    void setPiece(int i, int16_t shape, int16_t direction, int16_t x, int16_t y,
                  bool blink = false) {
        place(*game->Squares[i], shape, direction, x, y, blink);
    }
    // "shape/direction x,y" of a piece, and " off" when it is not active.
    static std::string where(const SquareSet& s) {
        return std::to_string(s.Shape()) + "/" + std::to_string(s.Direction()) + " " +
               std::to_string(s.x()) + "," + std::to_string(s.y()) + (s.Active() ? "" : " off");
    }
    std::string piece(int i) { return where(*game->Squares[i]); }

    // Player i's game (Standard or Duel) ends at its next fall tick: its piece
    // is set on the floor, and the next finds no room.
    void endOnNextTick(int i) {
        setPiece(i, 4, 0, 1, 17);
        fillRows(game->Mode == Tessarin::kDuel ? i : 0, 0, {6, 6, 6, 6}, {0});
    }

    Canvas& field(int i) { return *game->Fields[i]; }
    int16_t at(int f, int x, int y) {
        return field(f).GetMapUnit(static_cast<int16_t>(x), static_cast<int16_t>(y));
    }
    void put(int f, int x, int y, int16_t code) {
        field(f).SetMapUnit(static_cast<int16_t>(x), static_cast<int16_t>(y), code);
        field(f).SetSquare(static_cast<int16_t>(x), static_cast<int16_t>(y), code);
    }
    // Rows y, y + 1, ... of field f full of the codes in turn but for the holes.
    void fillRows(int f, int y, std::initializer_list<int16_t> codes,
                  std::initializer_list<int> holes = {}) {
        for (int16_t code : codes)
            for (int x = 0, r = y++; x < field(f).Columns(); ++x)
                put(f, x, r, std::count(holes.begin(), holes.end(), x) ? Canvas::kEmpty : code);
    }
    // Rows y ... y + n - 1 of field f, '|' between: '.' empty, else the code's
    // digit; from the map, or from the pixels ('?' for no cell image).
    std::string row(int f, int y, int n = 1) { return text(f, y, n, false); }
    std::string drawnRow(int f, int y, int n = 1) { return text(f, y, n, true); }
    std::string text(int f, int y, int n, bool pixels) {
        std::string s;
        for (int r = y; r < y + n; ++r) {
            s += r > y ? "|" : "";
            for (int x = 0; x < field(f).Columns(); ++x) {
                const int c = pixels ? drawnOn(f, x, r) : at(f, x, r);
                s += c == Canvas::kEmpty ? '.' : (c < 0 ? '?' : static_cast<char>('0' + c));
            }
        }
        return s;
    }
    bool fieldEmpty(int f, int y = 0, int n = 18) {
        return row(f, y, n).find_first_not_of(".|") == std::string::npos;
    }

    // The code (0 ... 6, or 8 for empty) whose image cell (x, y) of a surface
    // shows pixel for pixel; -1 for none.
    int drawn(const Surface& s, int x, int y) {
        for (int code : {0, 1, 2, 3, 4, 5, 6, 8}) {
            const Surface& image =
                code == Canvas::kEmpty ? game->Images.picBlack : game->Images.colour(code);
            bool same = true;
            for (int p = 0; p < 256 && same; ++p)
                same = s.pixel(16 * x + p % 16, 16 * y + p / 16) == image.pixel(p % 16, p / 16);
            if (same)
                return code;
        }
        return -1;
    }
    int drawnOn(int f, int x, int y) { return drawn(*game->picCanvas[f], x, y); }
    static bool samePixels(const Surface& a, const Surface& b) {
        return a.PixelWidth() == b.PixelWidth() && a.PixelHeight() == b.PixelHeight() &&
               std::equal(a.data(), a.data() + a.PixelWidth() * a.PixelHeight(), b.data());
    }

    // The dialogs shown so far, " | " between: a message's text, a records or
    // duel results window's caption, "system: " and a system message's text.
    std::string shown() {
        using Kind = ScriptedDialogs::Kind;
        std::string out;
        for (const ScriptedDialogs::Call& c : dialogs.calls)
            if (c.kind == Kind::Message || c.kind == Kind::DuelResult ||
                c.kind == Kind::SystemMessage)
                out += (out.empty() ? "" : " | ") +
                       (c.kind == Kind::DuelResult
                            ? c.caption
                            : (c.kind == Kind::SystemMessage ? "system: " : "") + c.text);
        return out;
    }

    std::string labels(int i) {
        return game->lblSpeed[i]->Caption + "|" + game->lblLines[i]->Caption + "|" +
               game->lblScore[i]->Caption;
    }
    std::string recordRow(int r) {
        std::string out;
        for (int f = 0; f < Records::kFields; ++f)
            out += (f ? "/" : "") + game->TheRecords.at(r, f);
        return out;
    }
    std::string tally() {
        std::string s;
        for (const DuelTallyEntry& e : game->DuelTally)
            s += e.Name + " " + std::to_string(e.Wins) + " " + std::to_string(e.TotalScore) + " " +
                 std::to_string(e.TotalLines) + ";";
        return s;
    }

    const MenuItem& menu(const std::string& name, int index = -1) {
        const MenuItem* m = game->Menus.find(name, index);
        EXPECT_NE(m, nullptr) << name;
        static const MenuItem none;
        return m ? *m : none;
    }
    // '1' for each named menu item enabled, else '0'.
    std::string enabled(std::initializer_list<const char*> names) {
        std::string s;
        for (const char* n : names)
            s += menu(n).Enabled ? '1' : '0';
        return s;
    }

    static std::string pos(int left, int top, int width, int height, bool visible) {
        return std::to_string(left) + "," + std::to_string(top) + " " + std::to_string(width) +
               "x" + std::to_string(height) + (visible ? " shown" : " hidden");
    }
    static std::string pos(const Surface& s) {
        return pos(s.Left(), s.Top(), s.Width(), s.Height(), s.Visible());
    }
    static std::string pos(const Label& l) {
        return pos(l.Left, l.Top, l.Width, l.Height, l.Visible);
    }

    // All a player sees of the window but the stacking.
    std::string snapshot() {
        std::ostringstream o;
        const Window& w = game->TheWindow;
        o << "mode " << game->Mode << " '" << w.Caption << "' "
          << pos(w.Left, w.Top, w.Width, w.Height, w.Visible) << "\n";
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
