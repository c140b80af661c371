#pragma once

// Fixtures for tests of the falling piece: solid 16 x 16 cell images of
// distinct colours, and a field with its surface, a scripted random source,
// blink timer, sound recorder and one piece wired to them.

#include "game/Canvas.h"
#include "game/ShapeTable.h"
#include "game/SquareSet.h"
#include "platform/Random.h"
#include "platform/Sound.h"
#include "platform/Surface.h"
#include "platform/Timer.h"
#include "platform/VirtualTimerHost.h"
#include "support/ScriptedRandom.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tessarin::piecetest {

// Solid colour of the cell image for a code 0 ... 6, the empty image (8),
// and the colour of a surface pixel never drawn.
inline uint32_t codeColour(int code) {
    static constexpr uint32_t kColours[7] = {0xFFFF0000u, 0xFFFF8000u, 0xFFFFFF00u, 0xFF00FF00u,
                                             0xFF00FFFFu, 0xFF0000FFu, 0xFFFF00FFu};
    if (code >= 0 && code <= 6)
        return kColours[code];
    return 0xFF000000u;
}
inline constexpr uint32_t kUndrawn = 0xFF777777u;

struct PieceField {
    explicit PieceField(int16_t columns = 11, int16_t rows = 18)
        : out(columns * Canvas::kCell, rows * Canvas::kCell) {
        for (int c = 0; c < 7; ++c) {
            colours[static_cast<std::size_t>(c)] = Surface(16, 16);
            colours[static_cast<std::size_t>(c)].fill(codeColour(c));
        }
        black.fill(codeColour(Canvas::kEmpty));
        out.fill(kUndrawn);
        canvas.setColumns(columns);
        canvas.setRows(rows);
        canvas.setPicOutput(&out);
        canvas.setPicSource(&colours[0], &colours[1], &colours[2], &colours[3], &colours[4],
                            &colours[5], &colours[6]);
        canvas.setpicBlack(&black);
        InitShapeInfo(table);
        piece.setTheCanvas(&canvas);
        piece.setBlinkTimer(&blinkTimer);
    }

    // Sets up `p` as the owner does for a new piece: Shape, then Direction,
    // position, Color = shape mod 7, the shape's offsets; then shows it with
    // drawing unless `show` is false.
    void place(SquareSet& p, int16_t shape, int16_t direction, int16_t x, int16_t y,
               bool show = true) {
        p.setShape(shape);
        p.setDirection(direction);
        p.setx(x);
        p.sety(y);
        p.setColor(static_cast<int16_t>(shape % 7));
        p.setActive(true);
        p.AssignSetInfo(table.block(shape));
        if (show)
            p.Show(true);
    }
    void place(int16_t shape, int16_t direction, int16_t x, int16_t y, bool show = true) {
        place(piece, shape, direction, x, y, show);
    }

    // A settled square: in the map and on screen.
    void fill(int16_t x, int16_t y, int16_t code) {
        canvas.SetMapUnit(x, y, code);
        canvas.SetSquare(x, y, code);
    }
    void fillRow(int16_t y, int16_t code) {
        for (int16_t x = 0; x < canvas.Columns(); ++x)
            fill(x, y, code);
    }

    int16_t at(int16_t x, int16_t y) const { return canvas.GetMapUnit(x, y); }
    // Colour of the cell's top-left pixel on the field surface.
    uint32_t pixelAt(int x, int y) const { return out.pixel(16 * x, 16 * y); }

    // Every map unit, spare column and row included.
    std::vector<int16_t> snapshot() const {
        std::vector<int16_t> s;
        for (int16_t x = 0; x <= canvas.Columns(); ++x)
            for (int16_t y = 0; y <= canvas.Rows(); ++y)
                s.push_back(canvas.GetMapUnit(x, y));
        return s;
    }

    // int(2 * 0.75) = 1 once the queue is used up: no blinking special piece.
    test::ScriptedRandom random = test::ScriptedRandom(0.75);
    RecordingSound sound;
    VirtualTimerHost host;
    Timer blinkTimer{host, 0, 250};
    std::array<Surface, 7> colours;
    Surface black{16, 16};
    Surface out;
    Canvas canvas{random};
    ShapeInfoTable table;
    SquareSet piece{random, sound};
};

} // namespace tessarin::piecetest
