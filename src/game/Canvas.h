#pragma once

#include "platform/Random.h"
#include "platform/Surface.h"
#include "platform/Timer.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tessarin {

// Rows handed from one duel field to the other: codes indexed (column, k),
// k = 0 the lowest row. Reading outside the array gives 8 (empty); writing
// outside it does nothing.
class RowArray {
public:
    // Re-dimensions to columns 0 ... maxColumn and rows 0 ... maxRow, all 8.
    void redim(int maxColumn, int maxRow);
    int16_t get(int x, int k) const;
    void set(int x, int k, int16_t code);
    int columns() const { return columns_; }
    int rows() const { return rows_; }

private:
    int columns_ = 0;
    int rows_ = 0;
    std::vector<int16_t> cells_;
};

// One rectangular grid of 16-pixel cells with the surface it is drawn on:
// the map of cell codes (0 ... 6 colours, 8 empty) with one spare column
// and row of 8 beyond the field, the row operations, and the counters of a
// player's game.
class Canvas {
public:
    static constexpr int16_t kEmpty = 8;
    // What GetMapUnit answers outside the map: a code no test takes for empty.
    static constexpr int16_t kOutside = 7;
    static constexpr int kCell = 16;

    explicit Canvas(RandomSource& random);

    void ClearSquare(int16_t dstX, int16_t dstY);
    void SetSquare(int16_t dstX, int16_t dstY, int16_t Color);

    bool Delete() const { return delete_; }
    void setDelete(bool v) { delete_ = v; }
    int16_t Columns() const { return columns_; }
    void setColumns(int16_t v);
    int16_t Rows() const { return rows_; }
    void setRows(int16_t v);

    int16_t GetMapUnit(int16_t x, int16_t y) const;
    void SetMapUnit(int16_t x, int16_t y, int16_t iNewValue);
    bool isOccupied(int16_t x, int16_t y) const;

    void CreateLevel(int16_t level);
    void DeleteFullLines();
    bool MarkFullLines();
    void GetSquareToBeDelivered(RowArray& rows) const;
    void AddLines(const RowArray& rows, int16_t count);
    void StartDeleteTimer();
    void DeleteShow();
    void DeleteHide();
    void Repaint();

    Surface* PicOutput() const { return picOutput_; }
    void setPicOutput(Surface* s) { picOutput_ = s; }
    void setPicSource(const Surface* objPic0, const Surface* objPic1, const Surface* objPic2,
                      const Surface* objPic3, const Surface* objPic4, const Surface* objPic5,
                      const Surface* objPic6);
    const Surface* picBlack() const { return picBlack_; }
    void setpicBlack(const Surface* s) { picBlack_ = s; }
    Timer* DeleteTimer() const { return deleteTimer_; }
    void setDeleteTimer(Timer* t) { deleteTimer_ = t; }
    Timer* MainTimer() const { return mainTimer_; }
    void setMainTimer(Timer* t) { mainTimer_ = t; }

    int32_t Score() const { return score_; }
    void setScore(int32_t v) { score_ = v; }
    int16_t Lines() const { return lines_; }
    void setLines(int16_t v) { lines_ = v; }
    int16_t Speed() const { return speed_; }
    void setSpeed(int16_t v) { speed_ = v; }

    int16_t FullLines() const { return fullLinesCount_; }
    // The marked rows, for tests and tools: entries 0 ... FullLines() - 1.
    const std::array<int16_t, 5>& FullLineRows() const { return fullLineRows_; }

    // Points for one removal of n rows: 100, 400, 800, 1500, else 0.
    static int32_t PointsFor(int n);

private:
    bool IsRowFull(int16_t y) const;
    bool IsRowEmpty(int16_t y) const;
    void CopyRow(int16_t src, int16_t dst);
    void rebuildMap();
    bool inMap(int x, int y) const;

    RandomSource& random_;
    int16_t columns_ = 1;
    int16_t rows_ = 1;
    std::vector<int16_t> map_; // (columns_ + 1) x (rows_ + 1), column-major
    bool hasMap_ = false;
    std::array<int16_t, 5> fullLineRows_{};
    int16_t fullLinesCount_ = 0;
    Surface* picOutput_ = nullptr;
    std::array<const Surface*, 8> sourcePics_{};
    const Surface* picBlack_ = nullptr;
    Timer* deleteTimer_ = nullptr;
    Timer* mainTimer_ = nullptr;
    bool delete_ = false;
    int16_t lines_ = 0;
    int16_t speed_ = 0;
    int32_t score_ = 0;
};

} // namespace tessarin
