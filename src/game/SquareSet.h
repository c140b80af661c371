#pragma once

#include "game/Canvas.h"
#include "game/ShapeTable.h"
#include "platform/Random.h"
#include "platform/Sound.h"
#include "platform/Timer.h"

#include <cstdint>
#include <functional>

namespace tessarin {

// One piece of one to five squares on a canvas: placed by its reference
// square (x, y), drawn from its copy of the shape's offsets in one of four
// directions. A shown piece is part of its canvas's map; every test lifts
// it out of the map, looks, and puts it back. Shapes 7, 8 and 9 can be
// blinking special pieces: the sinking single square, the take tool and
// the add tool.
class SquareSet {
public:
    SquareSet(RandomSource& random, Sound& sound);

    bool CanRight();
    int16_t x() const { return x_; }
    void setx(int16_t v) { x_ = v; }
    int16_t y() const { return y_; }
    void sety(int16_t v) { y_ = v; }
    int16_t Shape() const { return shape_; }
    void setShape(int16_t v);
    int16_t Direction() const { return direction_; }
    void setDirection(int16_t v);
    int16_t Color() const { return color_; }
    void setColor(int16_t v) { color_ = v; }
    int16_t Number() const { return number_; }
    void setNumber(int16_t v) { number_ = v; }
    int16_t Tag() const { return tag_; }
    void setTag(int16_t v) { tag_ = v; }
    bool Active() const { return active_; }
    void setActive(bool v) { active_ = v; }
    bool Visible() const { return visible_; }
    void setVisible(bool v);
    bool Blink() const { return blink_; }
    void setBlink(bool v);
    void DoDown();
    void DoLeft();
    void DoRight();
    void Show(bool ShowImage);
    void Hide(bool HideImage);
    void DoRotate(int16_t RotateDirection);
    bool CanRotate(int16_t RotateDirection);
    bool CanDown();
    bool CanLeft();
    void AssignSetInfo(const ShapeBlock& NewArray);
    Canvas* TheCanvas() const { return canvas_; }
    void setTheCanvas(Canvas* c) { canvas_ = c; }
    // The add tool's square drops down the column; with `refused`, it is not
    // placed in a cell that refused(x, y) answers true for.
    void DoAdd(const std::function<bool(int16_t x, int16_t y)>& refused = {});
    void DoTake();
    // Drops the piece as far as it falls and lands it there. With `waits`,
    // the drop stops before any step for which waits() answers true, and the
    // piece, not landed, waits there.
    void DoSpeed(const std::function<bool()>& waits = {});
    Timer* BlinkTimer() const { return blinkTimer_; }
    void setBlinkTimer(Timer* t) { blinkTimer_ = t; }
    bool CanAppear();
    bool Sound() const { return sound_; }
    void setSound(bool v) { sound_ = v; }

    // The blinking special pieces.
    bool IsSinkingSquare() const { return shape_ == kSingleSquareShape && blink_; }
    bool IsTakeTool() const { return shape_ == kDominoShape && blink_; }
    bool IsAddTool() const { return shape_ == kStraightThreeShape && blink_; }
    bool IsTool() const { return IsTakeTool() || IsAddTool(); }

    int16_t SavedCell() const { return savedCell_; }
    // For a piece out of the map (lifted, or in its off phase) while rows
    // dropped: when squares have come into its cells, it goes down to the first place where all
    // its cells are free and inside the field, as if the dropping rows had
    // pushed it (it stays where it is when there is none). A sinking square
    // only lies over its cell and stays.
    void FitDown();
    const ShapeBlock& SetInfo() const { return setInfo_; }
    // Column and row of square q at the current direction.
    int16_t cellX(int q) const;
    int16_t cellY(int q) const;

private:
    void move(int16_t dx, int16_t dy);
    void setBlinkTimerEnabled(bool on);
    void play(const char* name);
    int16_t turned(int16_t RotateDirection) const;
    int squareCount() const;

    RandomSource& random_;
    tessarin::Sound& player_;
    int16_t x_ = 0;
    int16_t y_ = 0;
    int16_t shape_ = 0;
    int16_t direction_ = 0;
    int16_t color_ = 0;
    int16_t number_ = 0;
    int16_t tag_ = 0;
    ShapeBlock setInfo_;
    int16_t savedCell_ = Canvas::kEmpty;
    bool active_ = true;
    bool visible_ = true;
    bool blink_ = false;
    bool sound_ = true;
    Canvas* canvas_ = nullptr;
    Timer* blinkTimer_ = nullptr;
};

// Takes a shown piece out of its canvas's map for the length of a scope,
// without drawing, and puts it back when the scope ends: the way a piece is
// lifted while something looks at, or acts on, the cells beneath it. It is
// put back without drawing, or drawn again with `redraw`; with `fitDown`,
// where it fits (SquareSet::FitDown). A blinking piece in its off phase is
// out of the map already: it is neither lifted nor put back, and stays off;
// with `fitDown` it still goes down with the rows that dropped into its
// cells, as it does when on. Nothing happens for a null piece or when
// `lift` is false.
class LiftedPiece {
public:
    explicit LiftedPiece(SquareSet* piece, bool lift = true, bool redraw = false,
                         bool fitDown = false)
        : piece_(lift ? piece : nullptr), shown_(piece_ && piece_->Visible()), redraw_(redraw),
          fitDown_(fitDown) {
        if (shown_)
            piece_->Hide(false);
    }
    ~LiftedPiece() { putBack(); }
    LiftedPiece(const LiftedPiece&) = delete;
    LiftedPiece& operator=(const LiftedPiece&) = delete;

    // Puts the piece back now rather than at the end of the scope.
    void putBack() {
        if (piece_ && fitDown_)
            piece_->FitDown();
        if (piece_ && shown_)
            piece_->Show(redraw_);
        piece_ = nullptr;
    }
    // Leaves the piece where it is: the scope end puts nothing back.
    void keepOut() { piece_ = nullptr; }

private:
    SquareSet* piece_;
    bool shown_;
    bool redraw_;
    bool fitDown_;
};

} // namespace tessarin
