#pragma once

// An 11 x 18 field wired as the window wires it, with timers, sound and a piece.

#include "game/Canvas.h"
#include "game/CellImages.h"
#include "game/ShapeTable.h"
#include "game/SquareSet.h"
#include "platform/Sound.h"
#include "platform/VirtualTimerHost.h"
#include "support/ScriptedRandom.h"

#include <set>
#include <string>
#include <vector>

namespace tessarin::gametest {

using Cells = std::set<std::pair<int, int>>;
using Offsets = std::vector<std::vector<std::vector<std::pair<int, int>>>>; // [shape][direction]
inline const std::string kNone = "...........", kFull = "01234560123";

inline std::string repeat(const std::string& row, int n) {
    std::string s;
    while (n-- > 0)
        s += row + '/';
    return s;
}

// Shapes 0 ... 15 split by '|': the squares (dx dy, signed digits) in order for
// directions 0 / 1 / 2 / 3; one group serves all four, two serve 0 = 2 and 1 = 3.
inline const std::string kShapes =
    "0-1 00 01 02/-20 -10 00 10|0-1 00 01 11/-10 00 10 1-1/00 -1-1 01 0-1/-10 -11 00 10|"
    "0-1 00 01 1-1/-1-1 -10 00 10/-11 01 00 0-1/-10 00 10 11|"
    "0-1 00 01 10/-10 0-1 00 10/-10 01 00 0-1/-10 01 00 10|-10 00 -1-1 0-1|"
    "0-1 00 11 10/0-1 -10 00 1-1|00 01 10 1-1/-1-1 00 10 0-1|00|00 -10/01 00|"
    "-10 00 10/0-1 00 01|00 -10 01/00 01 10/10 00 0-1/0-1 00 -10|"
    "-10 -11 00 11 10/0-1 00 01 11 1-1/-1-1 -10 00 10 1-1/-1-1 -11 01 00 0-1|-10 01 00 10 0-1|"
    "-1-1 -10 00 10 11/-11 01 00 0-1 1-1|"
    "-1-1 -10 -11 00 10/-11 0-1 00 01 11/-10 00 1-1 10 11/-1-1 0-1 00 01 1-1|"
    "-1-1 0-1 00 01 11/-11 -10 00 10 1-1";

inline Offsets parse(const std::string& list) {
    Offsets t(1, {{}});
    int sign = 1, digits = 0, dx = 0;
    for (char c : list) {
        if (c == '|' || c == '/')
            c == '|' ? t.push_back({{}}) : t.back().push_back({});
        else if (c == '-')
            sign = -1;
        else if (c != ' ' && digits++ % 2 == 0)
            dx = sign * (c - '0'), sign = 1;
        else if (c != ' ')
            t.back().back().push_back({dx, sign * (c - '0')}), sign = 1;
    }
    for (auto& groups : t)
        for (std::size_t n = groups.size(); groups.size() < 4;)
            groups.push_back(std::vector(groups[groups.size() % n]));
    return t;
}
inline Cells cellsAt(const Offsets& t, int shape, int dir, int x, int y) {
    Cells c;
    for (auto [dx, dy] : t[shape][dir])
        c.insert({x + dx, y + dy});
    return c;
}

struct Field {
    Field() {
        out.fill(0xFF777777u);
        canvas.setColumns(11);
        canvas.setRows(18);
        canvas.setPicOutput(&out);
        canvas.setPicSource(&im.picRed, &im.picOrange, &im.picYellow, &im.picGreen, &im.picCyan,
                            &im.picBlue, &im.picPurple);
        canvas.setpicBlack(&im.picBlack);
        canvas.setDeleteTimer(&deleteTimer);
        InitShapeInfo(table);
        piece.setTheCanvas(&canvas);
        piece.setBlinkTimer(&blinkTimer);
    }

    // A new piece as the window sets it up, then shown.
    void place(int shape, int dir, int x, int y) {
        piece.setShape(int16_t(shape));
        piece.setDirection(int16_t(dir));
        piece.setx(int16_t(x));
        piece.sety(int16_t(y));
        piece.setColor(int16_t(shape % 7));
        piece.setActive(true); // as the owner does for every new piece
        piece.AssignSetInfo(table.block(shape));
        piece.Show(true);
    }
    // Squares ('0' ... '6', '.') set and drawn from (x, y) on; '/' starts a row.
    void put(int x, int y, const std::string& cells, bool down = false) {
        for (int cx = x; char c : cells)
            if (c == '/')
                cx = x, ++y;
            else {
                canvas.SetMapUnit(int16_t(cx), int16_t(y), int16_t(c == '.' ? 8 : c - '0'));
                canvas.SetSquare(int16_t(cx), int16_t(y), int16_t(c == '.' ? 8 : c - '0'));
                ++(down ? y : cx);
            }
    }

    static char letter(int v) { return v == 8 ? '.' : v >= 0 && v <= 6 ? char('0' + v) : '?'; }
    char at(int x, int y) const { return letter(canvas.GetMapUnit(int16_t(x), int16_t(y))); }
    // The code whose image's top-left pixel is at (16x, 16y); ' ' undrawn.
    char shown(int x, int y) const {
        for (int c : {0, 1, 2, 3, 4, 5, 6, 8})
            if (out.pixel(16 * x, 16 * y) == (c == 8 ? im.picBlack : im.colour(c)).pixel(0, 0))
                return letter(c);
        return out.pixel(16 * x, 16 * y) == 0xFF777777u ? ' ' : '?';
    }
    std::string look(const Cells& cells) const {
        std::string s;
        for (auto [x, y] : cells)
            s += {at(x, y), shown(x, y)};
        return s;
    }
    // Map or screen rows from y0 down, ended by '/', with the spare cells if `spare`.
    std::string text(bool screen = false, int y0 = 0, bool spare = true) const {
        std::string s;
        for (int y = y0; y < 18 + spare; ++y, s += '/')
            for (int x = 0; x < 11 + spare; ++x)
                s += screen ? shown(x, y) : at(x, y);
        return s;
    }
    std::string rows(int y0 = 0, bool screen = false) const { return text(screen, y0, false); }
    std::string col(int x, bool screen = false) const {
        std::string s;
        for (int y = 0; y < 18; ++y)
            s += screen ? shown(x, y) : at(x, y);
        return s;
    }
    // Score, Lines, Speed, Delete (D) and the delete timer (T), marked rows.
    std::string state() const {
        std::string s = std::to_string(canvas.Score()) + " " + std::to_string(canvas.Lines()) +
                        " " + std::to_string(canvas.Speed()) + " " + "-D"[canvas.Delete()] +
                        "-T"[deleteTimer.Enabled()];
        for (int k = 0; k < canvas.FullLines(); ++k)
            s += " " + std::to_string(canvas.FullLineRows()[k]);
        return s;
    }
    // The piece's Blink (B), its blink timer (T) and Visible (V).
    std::string flags() const {
        return {"-B"[piece.Blink()], "-T"[blinkTimer.Enabled()], "-V"[piece.Visible()]};
    }

    test::ScriptedRandom random = test::ScriptedRandom(0.75); // int(2 * 0.75) = 1: no blinking
    RecordingSound sound;
    VirtualTimerHost host;
    Timer blinkTimer{host, 0, 250}, deleteTimer{host, 1, 200};
    CellImages im;
    Surface out{12 * 16, 19 * 16};
    Canvas canvas{random};
    ShapeInfoTable table;
    SquareSet piece{random, sound};
};

} // namespace tessarin::gametest
