#include "game/Canvas.h"

#include "platform/VirtualTimerHost.h"
#include "support/ScriptedRandom.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

using namespace tessarin;
using tessarin::test::ScriptedRandom;

namespace {

constexpr uint32_t kUntouched = 0xFFABCDEFu;

// Plain one-colour tiles stand in for the cell images, so that what a cell
// shows can be read back as a code.
uint32_t tileColour(int code) {
    return 0xFF100000u | static_cast<uint32_t>(code);
}

class CanvasTest : public ::testing::Test {
protected:
    CanvasTest() {
        for (int c = 0; c < 7; ++c) {
            tiles[c] = Surface(16, 16);
            tiles[c].fill(tileColour(c));
        }
        black.fill(tileColour(8));
        setUpField(field, 11, 18);
    }

    // Wires a canvas like the mode set-up does; the surface has room for the
    // spare column and row so that drawing there would show.
    void setUpField(Canvas& c, int16_t columns, int16_t rows) {
        c.setColumns(columns);
        c.setRows(rows);
        out = Surface((std::max<int>(0, columns) + 1) * 16, (std::max<int>(0, rows) + 1) * 16);
        out.fill(kUntouched);
        c.setPicOutput(&out);
        c.setPicSource(&tiles[0], &tiles[1], &tiles[2], &tiles[3], &tiles[4], &tiles[5], &tiles[6]);
        c.setpicBlack(&black);
    }

    // What cell (x, y) shows: the code of its tile, ' ' when never drawn,
    // '?' when the block is not one tile.
    char shown(int x, int y) const {
        const uint32_t first = out.pixel(16 * x, 16 * y);
        for (int py = 0; py < 16; ++py)
            for (int px = 0; px < 16; ++px)
                if (out.pixel(16 * x + px, 16 * y + py) != first)
                    return '?';
        if (first == kUntouched)
            return ' ';
        for (int c = 0; c <= 8; ++c)
            if (c != 7 && first == tileColour(c))
                return c == 8 ? '.' : static_cast<char>('0' + c);
        return '?';
    }

    std::string screenRow(int y, int columns = 11) const {
        std::string s;
        for (int x = 0; x < columns; ++x)
            s += shown(x, y);
        return s;
    }

    // Map row y as text: digits for colours, '.' empty, '?' anything else.
    static std::string mapRow(const Canvas& c, int y) {
        std::string s;
        for (int x = 0; x < c.Columns(); ++x) {
            const int16_t v = c.GetMapUnit(static_cast<int16_t>(x), static_cast<int16_t>(y));
            s += v == 8 ? '.' : (v >= 0 && v <= 6 ? static_cast<char>('0' + v) : '?');
        }
        return s;
    }
    std::string mapRow(int y) const { return mapRow(field, y); }

    // Writes a row into the map only; '.' is empty.
    static void putRow(Canvas& c, int y, const std::string& cells) {
        for (int x = 0; x < static_cast<int>(cells.size()); ++x)
            c.SetMapUnit(static_cast<int16_t>(x), static_cast<int16_t>(y),
                         cells[x] == '.' ? 8 : static_cast<int16_t>(cells[x] - '0'));
    }
    void putRow(int y, const std::string& cells) { putRow(field, y, cells); }

    std::vector<int16_t> mapSnapshot(const Canvas& c) const {
        std::vector<int16_t> v;
        for (int x = -2; x <= c.Columns() + 2; ++x)
            for (int y = -2; y <= c.Rows() + 2; ++y)
                v.push_back(c.GetMapUnit(static_cast<int16_t>(x), static_cast<int16_t>(y)));
        return v;
    }

    std::vector<uint32_t> pixels() const {
        return {out.data(), out.data() + out.PixelWidth() * out.PixelHeight()};
    }

    Surface tiles[7];
    Surface black{16, 16};
    Surface out;
    ScriptedRandom random;
    Canvas field{random};
};

const std::string kFull = "01234560123";
const std::string kEmptyRow = "...........";

} // namespace

// ---- Grid, occupancy and drawing -------------------------------------------

TEST_F(CanvasTest, NewCanvasHasNoMapUntilItIsSized) {
    Canvas c(random);
    EXPECT_EQ(c.Columns(), 1);
    EXPECT_EQ(c.Rows(), 1);
    EXPECT_EQ(c.Score(), 0);
    EXPECT_EQ(c.Lines(), 0);
    EXPECT_EQ(c.Speed(), 0);
    EXPECT_FALSE(c.Delete());
    EXPECT_EQ(c.PicOutput(), nullptr);
    EXPECT_EQ(c.DeleteTimer(), nullptr);
    EXPECT_EQ(c.MainTimer(), nullptr);

    // No map yet: reads answer the outside code, writes go nowhere, and
    // nothing draws without surfaces.
    EXPECT_EQ(c.GetMapUnit(0, 0), Canvas::kOutside);
    c.SetMapUnit(0, 0, 3);
    EXPECT_EQ(c.GetMapUnit(0, 0), Canvas::kOutside);
    EXPECT_TRUE(c.isOccupied(0, 0));
    c.Repaint();
    c.SetSquare(0, 0, 3);
    c.ClearSquare(0, 0);
    // The row operations see a field without squares.
    c.setPicOutput(&out);
    c.setPicSource(&tiles[0], &tiles[1], &tiles[2], &tiles[3], &tiles[4], &tiles[5], &tiles[6]);
    c.setpicBlack(&black);
    EXPECT_FALSE(c.MarkFullLines());
    c.DeleteFullLines();
    c.CreateLevel(1);
    RowArray rows;
    rows.redim(11, 1);
    rows.set(0, 0, 2);
    c.AddLines(rows, 1);
    c.Repaint();
    EXPECT_EQ(shown(0, 0), ' ');
    EXPECT_EQ(c.Score(), 0);
    EXPECT_EQ(c.Lines(), 0);
    EXPECT_EQ(random.drawn(), 0);

    // Columns first builds a map of 0 ... 11 by 0 ... 1, Rows then the full one.
    c.setColumns(11);
    EXPECT_EQ(c.GetMapUnit(11, 1), 8);
    EXPECT_EQ(c.GetMapUnit(11, 2), Canvas::kOutside);
    c.setRows(18);
    for (int x = 0; x <= 11; ++x)
        for (int y = 0; y <= 18; ++y)
            ASSERT_EQ(c.GetMapUnit(static_cast<int16_t>(x), static_cast<int16_t>(y)), 8)
                << x << ", " << y;
}

TEST_F(CanvasTest, OccupancyInsideAndAroundTheField) {
    for (int x = 0; x < 11; ++x)
        for (int y = 0; y < 18; ++y)
            ASSERT_FALSE(field.isOccupied(static_cast<int16_t>(x), static_cast<int16_t>(y)));
    // Everything outside counts as occupied: the spare column and row and
    // everything above the top.
    EXPECT_TRUE(field.isOccupied(-1, 5));
    EXPECT_TRUE(field.isOccupied(11, 5));
    EXPECT_TRUE(field.isOccupied(5, -1));
    EXPECT_TRUE(field.isOccupied(5, 18));
    EXPECT_TRUE(field.isOccupied(11, 18));
    EXPECT_TRUE(field.isOccupied(-32768, 32767));

    field.SetMapUnit(10, 17, 0);
    field.SetMapUnit(0, 0, 6);
    EXPECT_TRUE(field.isOccupied(10, 17));
    EXPECT_TRUE(field.isOccupied(0, 0));
    EXPECT_FALSE(field.isOccupied(9, 17));

    // A 4 x 4 preview canvas behaves like a field of that size.
    Canvas preview(random);
    preview.setColumns(4);
    preview.setRows(4);
    EXPECT_FALSE(preview.isOccupied(3, 3));
    EXPECT_TRUE(preview.isOccupied(4, 0));
    EXPECT_TRUE(preview.isOccupied(0, 4));
    EXPECT_EQ(preview.GetMapUnit(4, 4), 8);
    EXPECT_EQ(preview.GetMapUnit(5, 4), Canvas::kOutside);
}

TEST_F(CanvasTest, MapAccessOutsideTheMapIsHarmless) {
    field.SetMapUnit(11, 18, 8); // the spare corner is inside the map
    EXPECT_EQ(field.GetMapUnit(11, 18), 8);
    const auto before = mapSnapshot(field);
    const int16_t outside[][2] = {{-1, 0}, {12, 0}, {0, -1}, {0, 19}, {-32768, 32767}, {32767, 0}};
    for (const auto& p : outside) {
        EXPECT_EQ(field.GetMapUnit(p[0], p[1]), Canvas::kOutside);
        field.SetMapUnit(p[0], p[1], 3);
    }
    EXPECT_EQ(mapSnapshot(field), before);

    // Negative sizes give a field of no cells with just the spare column and
    // row; every operation stays safe and draws nothing.
    Canvas odd(random);
    setUpField(odd, -3, -5);
    EXPECT_EQ(odd.Columns(), -3);
    EXPECT_EQ(odd.Rows(), -5);
    EXPECT_EQ(odd.GetMapUnit(0, 0), 8);
    EXPECT_EQ(odd.GetMapUnit(1, 0), Canvas::kOutside);
    EXPECT_TRUE(odd.isOccupied(0, 0));
    RowArray rows;
    rows.redim(11, 4);
    odd.Repaint();
    EXPECT_FALSE(odd.MarkFullLines());
    odd.DeleteFullLines();
    odd.CreateLevel(5);
    odd.AddLines(rows, 2);
    odd.GetSquareToBeDelivered(rows);
    EXPECT_EQ(shown(0, 0), ' ');
    EXPECT_EQ(odd.Score(), 0);
    EXPECT_EQ(random.drawn(), 0);

    // No columns at all: a starting level cannot fill a row and must not
    // wait for one forever.
    Canvas narrow(random);
    narrow.setColumns(0);
    narrow.setRows(18);
    narrow.CreateLevel(3);
    EXPECT_EQ(random.drawn(), 0);
}

TEST_F(CanvasTest, DrawingAndTheMapAreSeparateUntilRepaint) {
    field.SetSquare(2, 3, 4);
    EXPECT_EQ(shown(2, 3), '4');
    EXPECT_EQ(field.GetMapUnit(2, 3), 8);
    for (int16_t code : {7, 9, -1, 32767})
        field.SetSquare(2, 3, code);
    EXPECT_EQ(shown(2, 3), '4');
    field.SetSquare(2, 3, 8);
    EXPECT_EQ(shown(2, 3), '.');
    field.SetSquare(0, 0, 0);
    field.ClearSquare(1, 0);
    EXPECT_EQ(screenRow(0).substr(0, 3), "0. ");

    field.SetMapUnit(5, 5, 1);
    field.SetMapUnit(10, 17, 6);
    EXPECT_EQ(shown(5, 5), ' ');

    field.Repaint();
    for (int y = 0; y < 18; ++y)
        ASSERT_EQ(screenRow(y), mapRow(y)) << "row " << y;
    // The spare column and row are never drawn.
    for (int y = 0; y <= 18; ++y)
        ASSERT_EQ(shown(11, y), ' ');
    EXPECT_EQ(screenRow(18), std::string(11, ' '));

    // Without an output surface or an image nothing is drawn.
    field.setPicSource(nullptr, &tiles[1], &tiles[2], &tiles[3], &tiles[4], &tiles[5], &tiles[6]);
    field.SetSquare(5, 5, 0);
    EXPECT_EQ(shown(5, 5), '1');
    field.setPicOutput(nullptr);
    field.SetSquare(5, 5, 2);
    field.Repaint();
    EXPECT_EQ(shown(5, 5), '1');
}

TEST_F(CanvasTest, RowsReassignmentEmptiesTheMapButKeepsThePicture) {
    putRow(17, "0.1.2.3.4.5");
    field.Repaint();
    field.setRows(18);
    EXPECT_EQ(mapRow(17), kEmptyRow);
    EXPECT_EQ(screenRow(17), "0.1.2.3.4.5");
    field.Repaint();
    EXPECT_EQ(screenRow(17), kEmptyRow);
}

// ---- Marking, blinking and removing full rows ------------------------------

TEST_F(CanvasTest, MarkingScansFromTheBottomAndStopsAtTheFirstEmptyRow) {
    putRow(17, kFull);
    field.Repaint();
    const auto screen = pixels();
    EXPECT_TRUE(field.MarkFullLines());
    EXPECT_EQ(field.FullLines(), 1);
    EXPECT_EQ(field.FullLineRows()[0], 17);
    EXPECT_TRUE(field.Delete());
    EXPECT_EQ(mapRow(17), kFull);
    EXPECT_EQ(pixels(), screen);
    // While a clear is pending nothing new is marked.
    putRow(16, kFull);
    EXPECT_FALSE(field.MarkFullLines());
    EXPECT_EQ(field.FullLines(), 1);

    // A full row above an empty row is not seen; a failed marking leaves no
    // valid entries.
    field.setDelete(false);
    putRow(17, "0000.000000");
    putRow(16, kEmptyRow);
    putRow(15, kFull);
    EXPECT_FALSE(field.MarkFullLines());
    EXPECT_EQ(field.FullLines(), 0);
    EXPECT_FALSE(field.Delete());

    // At most four rows, lowest first; a partly filled row between is skipped.
    for (int y = 12; y <= 17; ++y)
        putRow(y, kFull);
    putRow(16, "0000.000000");
    EXPECT_TRUE(field.MarkFullLines());
    EXPECT_EQ(field.FullLines(), 4);
    EXPECT_EQ(field.FullLineRows()[0], 17);
    EXPECT_EQ(field.FullLineRows()[1], 15);
    EXPECT_EQ(field.FullLineRows()[2], 14);
    EXPECT_EQ(field.FullLineRows()[3], 13);
}

TEST_F(CanvasTest, HideAndShowBlinkTheMarkedRowsOnly) {
    putRow(17, kFull);
    putRow(16, "00.00000000");
    putRow(15, "11111111111");
    field.Repaint();
    ASSERT_TRUE(field.MarkFullLines());
    const auto map = mapSnapshot(field);

    field.DeleteHide();
    EXPECT_EQ(screenRow(17), kEmptyRow);
    EXPECT_EQ(screenRow(16), "00.00000000");
    EXPECT_EQ(screenRow(15), kEmptyRow);
    EXPECT_EQ(screenRow(14), kEmptyRow);
    EXPECT_EQ(mapSnapshot(field), map);

    field.DeleteShow();
    for (int y = 0; y < 18; ++y)
        ASSERT_EQ(screenRow(y), mapRow(y)) << "row " << y;
    EXPECT_EQ(mapSnapshot(field), map);
}

TEST_F(CanvasTest, DeleteTimerIsSwitchedOnAndOffByTheClear) {
    VirtualTimerHost host;
    Timer timer(host, 0, 200);
    field.setDeleteTimer(&timer);
    putRow(17, kFull);
    ASSERT_TRUE(field.MarkFullLines());
    field.StartDeleteTimer();
    EXPECT_TRUE(timer.Enabled());
    field.DeleteFullLines();
    EXPECT_FALSE(timer.Enabled());
    EXPECT_FALSE(field.Delete());
    EXPECT_EQ(mapRow(17), kEmptyRow);
    EXPECT_EQ(field.Score(), 100);
    EXPECT_EQ(field.Lines(), 1);

    // Without a timer both are quiet.
    field.setDeleteTimer(nullptr);
    field.StartDeleteTimer();
    field.DeleteFullLines();
    EXPECT_EQ(field.Score(), 100);
}

TEST_F(CanvasTest, RemovalDropsTheBlockAboveAndScores) {
    // Rows 17 and 15 full with a partly filled row between them.
    putRow(17, kFull);
    putRow(16, "2.2.2.2.2.2");
    putRow(15, "33333333333");
    putRow(13, "44444444444"); // above an empty row: stays where it is
    field.Repaint();
    ASSERT_TRUE(field.MarkFullLines());
    EXPECT_EQ(field.FullLines(), 2);
    field.DeleteFullLines();
    EXPECT_EQ(field.Score(), 400);
    EXPECT_EQ(field.Lines(), 2);
    EXPECT_EQ(mapRow(17), "2.2.2.2.2.2");
    EXPECT_EQ(mapRow(16), kEmptyRow);
    EXPECT_EQ(mapRow(15), kEmptyRow);
    EXPECT_EQ(mapRow(13), "44444444444");
    for (int y = 0; y < 18; ++y)
        ASSERT_EQ(screenRow(y), mapRow(y)) << "row " << y;

    // Full rows are found without marking; a row that drops into a cleared
    // place is looked at again.
    Canvas other(random);
    setUpField(other, 11, 18);
    putRow(other, 17, kFull);
    putRow(other, 16, kFull);
    putRow(other, 15, "5...5......");
    putRow(other, 14, kFull);
    other.DeleteFullLines();
    EXPECT_EQ(other.Score(), 800);
    EXPECT_EQ(other.Lines(), 3);
    EXPECT_EQ(mapRow(other, 17), "5...5......");
    for (int y = 0; y < 17; ++y)
        ASSERT_EQ(mapRow(other, y), kEmptyRow) << "row " << y;
}

TEST_F(CanvasTest, ScoreTableAndLineCountForOneToSixRows) {
    const int32_t points[] = {0, 100, 400, 800, 1500, 0, 0};
    for (int n = 0; n <= 6; ++n) {
        SCOPED_TRACE(n);
        Canvas c(random);
        setUpField(c, 11, 18);
        for (int y = 17; y > 17 - n; --y)
            putRow(c, y, kFull);
        c.DeleteFullLines();
        EXPECT_EQ(c.Score(), points[n]);
        EXPECT_EQ(c.Lines(), n);
        for (int y = 0; y < 18; ++y)
            ASSERT_EQ(mapRow(c, y), kEmptyRow);
        EXPECT_EQ(Canvas::PointsFor(n), points[n]);
    }
}

TEST_F(CanvasTest, SpeedFollowsLinesAndCountersSaturate) {
    const auto clearOneRow = [&] {
        putRow(17, kFull);
        field.DeleteFullLines();
    };
    field.setLines(19);
    clearOneRow();
    EXPECT_EQ(field.Lines(), 20);
    EXPECT_EQ(field.Speed(), 1);
    field.setLines(38);
    field.setSpeed(9); // recomputed from Lines, not counted on
    clearOneRow();
    EXPECT_EQ(field.Lines(), 39);
    EXPECT_EQ(field.Speed(), 1);
    clearOneRow();
    EXPECT_EQ(field.Speed(), 2);

    field.setLines(32766);
    field.setScore(std::numeric_limits<int32_t>::max() - 50);
    putRow(17, kFull);
    putRow(16, kFull);
    field.DeleteFullLines();
    EXPECT_EQ(field.Lines(), 32767);
    EXPECT_EQ(field.Speed(), 32767 / 20);
    EXPECT_EQ(field.Score(), std::numeric_limits<int32_t>::max());
    clearOneRow();
    EXPECT_EQ(field.Lines(), 32767);
    EXPECT_EQ(field.Score(), std::numeric_limits<int32_t>::max());
}

// ---- Starting levels --------------------------------------------------------

TEST_F(CanvasTest, CreateLevelFillsTheBottomRowsAtRandom) {
    field.CreateLevel(0);
    EXPECT_EQ(random.drawn(), 0);
    for (int y = 0; y < 18; ++y)
        ASSERT_EQ(mapRow(y), kEmptyRow);

    DefaultRandom seeded(12345);
    Canvas level11(seeded);
    setUpField(level11, 11, 18);
    level11.CreateLevel(11);
    for (int y = 0; y < 7; ++y)
        EXPECT_EQ(mapRow(level11, y), kEmptyRow) << "row " << y;
    for (int y = 7; y < 18; ++y) {
        const std::string row = mapRow(level11, y);
        EXPECT_NE(row, kEmptyRow) << "row " << y;
        EXPECT_EQ(row.find('?'), std::string::npos) << "row " << y;
        // Filled cells are drawn; cells left alone are not touched.
        for (int x = 0; x < 11; ++x)
            ASSERT_EQ(shown(x, y), row[x] == '.' ? ' ' : row[x]) << x << ", " << y;
    }
    EXPECT_EQ(level11.GetMapUnit(11, 17), 8);
    EXPECT_EQ(level11.GetMapUnit(0, 18), 8);
}

TEST_F(CanvasTest, CreateLevelDrawsTwoValuesPerFilledCellAndRepeatsEmptyRows) {
    Canvas c(random);
    setUpField(c, 4, 4);
    putRow(c, 1, ".3..");
    // Bottom row: r = int(4u) must be 2 to fill; then colour = int(7u).
    random.push({0.5, 0.0, 0.1, 0.74, 0.99, 0.75});
    // Row 2: a first pass that fills nothing, so it is drawn again.
    random.push({0.0, 0.25, 0.49, 0.99});
    random.push({0.0, 0.0, 0.0, 0.6, 3.5 / 7});
    c.CreateLevel(2);
    EXPECT_EQ(random.drawn(), 6 + 4 + 5);
    EXPECT_EQ(random.pending(), 0u);
    EXPECT_EQ(mapRow(c, 3), "0.6.");
    EXPECT_EQ(mapRow(c, 2), "...3");
    EXPECT_EQ(mapRow(c, 1), ".3..");
    EXPECT_EQ(mapRow(c, 0), "....");
    EXPECT_EQ(screenRow(3, 4), "0 6 ");
    EXPECT_EQ(screenRow(2, 4), "   3");

    // Cells not chosen keep what they held, and a row that already holds a
    // square is not drawn again.
    Canvas kept(random);
    setUpField(kept, 4, 4);
    putRow(kept, 3, ".5..");
    const int before = random.drawn();
    kept.CreateLevel(1);
    EXPECT_EQ(random.drawn() - before, 4);
    EXPECT_EQ(mapRow(kept, 3), ".5..");

    // A level above the height fills the whole field and stops there.
    ScriptedRandom half({}, 0.5);
    Canvas deep(half);
    setUpField(deep, 4, 4);
    deep.CreateLevel(10);
    EXPECT_EQ(half.drawn(), 4 * 4 * 2);
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(mapRow(deep, y), "3333");
    EXPECT_EQ(deep.GetMapUnit(0, 4), 8);
}

// ---- Delivered rows ---------------------------------------------------------

TEST_F(CanvasTest, DeliveredRowsCopyTheMarkedRowsLowestFirst) {
    putRow(17, kFull);
    putRow(16, "2.2.2.2.2.2");
    putRow(15, "66666666666");
    ASSERT_TRUE(field.MarkFullLines());
    field.SetMapUnit(3, 17, 8); // a hole where a lifted piece lay
    const auto map = mapSnapshot(field);

    RowArray rows;
    rows.redim(11, 2);
    field.GetSquareToBeDelivered(rows);
    std::string k0, k1, k2;
    for (int x = 0; x <= 11; ++x) {
        k0 += static_cast<char>('0' + rows.get(x, 0));
        k1 += static_cast<char>('0' + rows.get(x, 1));
        k2 += static_cast<char>('0' + rows.get(x, 2));
    }
    EXPECT_EQ(k0, "012845601238");
    EXPECT_EQ(k1, "666666666668");
    EXPECT_EQ(k2, "888888888888");
    EXPECT_EQ(mapSnapshot(field), map);

    // A too small array takes what fits.
    RowArray small;
    small.redim(2, 0);
    field.GetSquareToBeDelivered(small);
    EXPECT_EQ(small.get(2, 0), 2);
    EXPECT_EQ(small.get(3, 0), 8);

    // A mark pushed above the top has nothing to send: the row goes empty.
    RowArray two;
    two.redim(11, 1);
    two.set(0, 0, 1);
    two.set(0, 1, 1);
    field.AddLines(two, 2);
    field.AddLines(two, 16);
    EXPECT_EQ(field.FullLineRows()[0], -1);
    EXPECT_EQ(field.FullLineRows()[1], -3);
    field.GetSquareToBeDelivered(rows);
    for (int x = 0; x < 11; ++x) {
        EXPECT_EQ(rows.get(x, 0), 8);
        EXPECT_EQ(rows.get(x, 1), 8);
    }
}

TEST_F(CanvasTest, AddedRowsPushTheStackUpAndLoseWhatPassesTheTop) {
    // A stack from row 1 to the bottom: one square per row, at column y % 11.
    for (int y = 1; y < 18; ++y) {
        std::string row = kEmptyRow;
        row[y % 11] = static_cast<char>('0' + y % 7);
        putRow(y, row);
    }
    putRow(0, kEmptyRow);
    field.Repaint();
    RowArray rows;
    rows.redim(11, 2);
    for (int x = 0; x < 11; ++x) {
        rows.set(x, 0, x == 4 ? 8 : 5);
        rows.set(x, 1, x == 7 ? 8 : 6);
    }
    field.AddLines(rows, 2);
    EXPECT_EQ(mapRow(17), "5555.555555");
    EXPECT_EQ(mapRow(16), "6666666.666");
    // Old row y is now row y - 2; old row 1 is gone, old row 2 is row 0.
    for (int y = 0; y < 16; ++y) {
        std::string row = kEmptyRow;
        row[(y + 2) % 11] = static_cast<char>('0' + (y + 2) % 7);
        ASSERT_EQ(mapRow(y), row) << "row " << y;
    }
    for (int y = 0; y < 18; ++y)
        ASSERT_EQ(screenRow(y), mapRow(y)) << "row " << y;
    EXPECT_EQ(field.GetMapUnit(0, 18), 8);

    // Only the rows below the lowest empty row move.
    Canvas gap(random);
    setUpField(gap, 11, 18);
    putRow(gap, 17, "1..........");
    putRow(gap, 15, "..2........");
    RowArray small; // too small: missing cells arrive empty
    small.redim(1, 0);
    small.set(0, 0, 4);
    small.set(1, 0, 4);
    gap.AddLines(small, 2);
    EXPECT_EQ(mapRow(gap, 17), "44.........");
    EXPECT_EQ(mapRow(gap, 16), kEmptyRow);
    EXPECT_EQ(mapRow(gap, 15), "1.........."); // moved onto row 15's square
    EXPECT_EQ(gap.GetMapUnit(11, 17), 8);

    // A negative count changes nothing.
    const auto map = mapSnapshot(gap);
    gap.AddLines(small, -1);
    EXPECT_EQ(mapSnapshot(gap), map);
}

TEST_F(CanvasTest, MarksMoveUpWithTheirSquaresAndNegativeMarksEndTheBlink) {
    putRow(17, kFull);
    putRow(16, "2.2.2.2.2.2");
    putRow(15, "66666666666");
    field.Repaint();
    ASSERT_TRUE(field.MarkFullLines());
    RowArray rows;
    rows.redim(11, 2);
    for (int x = 0; x < 11; ++x) {
        rows.set(x, 0, x == 0 ? 8 : 4);
        rows.set(x, 1, x == 1 ? 8 : 4);
    }
    field.AddLines(rows, 2);
    EXPECT_EQ(field.FullLines(), 2);
    EXPECT_TRUE(field.Delete());
    EXPECT_EQ(field.FullLineRows()[0], 15);
    EXPECT_EQ(field.FullLineRows()[1], 13);
    EXPECT_EQ(mapRow(15), kFull);
    EXPECT_EQ(mapRow(13), "66666666666");
    field.DeleteHide();
    EXPECT_EQ(screenRow(15), kEmptyRow);
    EXPECT_EQ(screenRow(13), kEmptyRow);
    EXPECT_EQ(screenRow(14), "2.2.2.2.2.2");
    field.DeleteShow();
    EXPECT_EQ(screenRow(15), kFull);
    EXPECT_EQ(screenRow(13), "66666666666");
    field.DeleteFullLines();
    EXPECT_EQ(field.Score(), 400);
    EXPECT_EQ(mapRow(15), "2.2.2.2.2.2");
    EXPECT_EQ(mapRow(16), "4.444444444");
    EXPECT_EQ(mapRow(17), ".4444444444");

    // On a 4 x 4 canvas the marks are pushed to rows 0 and -1: the blink
    // handles row 0 and stops at the negative mark.
    Canvas small(random);
    setUpField(small, 4, 4);
    putRow(small, 3, "0123");
    putRow(small, 2, "4560");
    putRow(small, 1, "1.1.");
    putRow(small, 0, ".2.2");
    small.Repaint();
    ASSERT_TRUE(small.MarkFullLines());
    RowArray three;
    three.redim(3, 2);
    small.AddLines(three, 3);
    EXPECT_EQ(small.FullLineRows()[0], 0);
    EXPECT_EQ(small.FullLineRows()[1], -1);
    EXPECT_EQ(mapRow(small, 0), "0123");
    EXPECT_EQ(screenRow(0, 4), "0123");
    const auto before = pixels();
    small.DeleteHide();
    EXPECT_EQ(screenRow(0, 4), "....");
    for (int y = 1; y < 4; ++y)
        EXPECT_EQ(screenRow(y, 4), "....");
    small.DeleteShow();
    EXPECT_EQ(pixels(), before);
}
