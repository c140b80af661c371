#pragma once

#include "platform/WindowElements.h"

#include <cstdint>
#include <vector>

namespace tessarin {

// Pixel rectangle; empty when w or h is not positive.
struct PixelRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    bool empty() const { return w <= 0 || h <= 0; }
    PixelRect united(const PixelRect& o) const;
    bool operator==(const PixelRect&) const = default;
};

// A picture surface: an RGB32 pixel buffer (0xFFRRGGBB) that is also a
// window element with a place and size in twips, visibility and a stacking
// order. The buffer is the inner area; a bordered surface (the fields and
// previews) keeps Border pixels of frame on every side of it, so its buffer
// is (Width / 15 - 2 * Border) by (Height / 15 - 2 * Border) pixels.
// Every change of pixels widens the dirty rectangle, which the front end
// repaints and then clears.
class Surface {
public:
    static constexpr int kTwipsPerPixel = tessarin::kTwipsPerPixel;
    static constexpr uint32_t kBlack = 0xFF000000u;

    Surface() = default;
    Surface(int pixelWidth, int pixelHeight);

    // Buffer
    int PixelWidth() const { return pixelWidth_; }
    int PixelHeight() const { return pixelHeight_; }
    uint32_t pixel(int x, int y) const; // 0 outside the buffer
    void setPixel(int x, int y, uint32_t rgb);
    void fill(uint32_t rgb);
    const uint32_t* data() const { return pixels_.data(); }

    // The one drawing operation of the game: copies the 16 x 16 block at the
    // top-left of src to pixel (dstX, dstY) of this surface, clipped to this
    // surface (source-copy raster operation).
    void blitCell(const Surface& src, int dstX, int dstY);

    // Window element: geometry in twips. Setting the size resizes the
    // buffer, keeping the pixels that still fit; new pixels are black.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void setLeft(int twips) { left_ = twips; }
    void setTop(int twips) { top_ = twips; }
    void setWidth(int twips);
    void setHeight(int twips);
    void move(int left, int top, int width, int height);
    int Border() const { return border_; }
    void setBorder(int pixels);

    bool Visible() const { return visible_; }
    void setVisible(bool v) { visible_ = v; }
    // Stacking order: a larger value lies above a smaller one.
    long Stacking() const { return stacking_; }
    void ZOrder(); // brings the surface to the front

    PixelRect DirtyRect() const { return dirty_; }
    void clearDirty() { dirty_ = {}; }
    void markDirty(const PixelRect& r);

    // A number that changes with every change of pixels and that no other
    // content of any surface has had: a reader that keeps it knows whether
    // the pixels it read are still these. A copy shares its original's.
    uint64_t Revision() const { return revision_; }
    // The revision at which the pixels of one 16 x 16 cell (column, row:
    // the block at pixel 16 * column, 16 * row) last changed, so that a
    // reader of cells reads again only those changed since its reading.
    // Outside the buffer, Revision().
    static constexpr int kCellPixels = 16;
    uint64_t CellRevision(int column, int row) const;
    // Which surface this is: a number no other surface made has had (a
    // copy takes its original's), for those who keep something per surface.
    uint64_t Id() const { return id_; }

private:
    static uint64_t newRevision();
    void resizeBuffer(int w, int h);
    void refitBuffer();

    int pixelWidth_ = 0;
    int pixelHeight_ = 0;
    std::vector<uint32_t> pixels_;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    int border_ = 0;
    bool visible_ = true;
    long stacking_ = 0;
    PixelRect dirty_;
    uint64_t revision_ = newRevision();
    int cellColumns_ = 0;                 // cells across, the last one maybe cut off
    std::vector<uint64_t> cellRevisions_; // row by row
    uint64_t id_ = newRevision();
};

} // namespace tessarin
