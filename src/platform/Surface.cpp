#include "platform/Surface.h"

#include <algorithm>
#include <atomic>

namespace tessarin {

namespace {
long nextStacking = 0;
std::atomic<uint64_t> lastRevision{0};
} // namespace

uint64_t Surface::newRevision() {
    return lastRevision.fetch_add(1, std::memory_order_relaxed) + 1;
}

PixelRect PixelRect::united(const PixelRect& o) const {
    if (empty())
        return o;
    if (o.empty())
        return *this;
    const int x0 = std::min(x, o.x);
    const int y0 = std::min(y, o.y);
    const int x1 = std::max(x + w, o.x + o.w);
    const int y1 = std::max(y + h, o.y + o.h);
    return {x0, y0, x1 - x0, y1 - y0};
}

Surface::Surface(int pixelWidth, int pixelHeight) {
    resizeBuffer(pixelWidth, pixelHeight);
    width_ = pixelWidth_ * kTwipsPerPixel;
    height_ = pixelHeight_ * kTwipsPerPixel;
}

uint32_t Surface::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= pixelWidth_ || y >= pixelHeight_)
        return 0;
    return pixels_[static_cast<size_t>(y) * pixelWidth_ + x];
}

void Surface::setPixel(int x, int y, uint32_t rgb) {
    if (x < 0 || y < 0 || x >= pixelWidth_ || y >= pixelHeight_)
        return;
    pixels_[static_cast<size_t>(y) * pixelWidth_ + x] = rgb;
    markDirty({x, y, 1, 1});
}

void Surface::fill(uint32_t rgb) {
    std::fill(pixels_.begin(), pixels_.end(), rgb);
    markDirty({0, 0, pixelWidth_, pixelHeight_});
}

void Surface::blitCell(const Surface& src, int dstX, int dstY) {
    const int w = std::min(kCellPixels, src.pixelWidth_);
    const int h = std::min(kCellPixels, src.pixelHeight_);
    const int x0 = std::max(0, dstX);
    const int y0 = std::max(0, dstY);
    const int x1 = std::min(pixelWidth_, dstX + w);
    const int y1 = std::min(pixelHeight_, dstY + h);
    if (x0 >= x1 || y0 >= y1)
        return;
    for (int y = y0; y < y1; ++y) {
        const uint32_t* from =
            &src.pixels_[static_cast<size_t>(y - dstY) * src.pixelWidth_ + (x0 - dstX)];
        uint32_t* to = &pixels_[static_cast<size_t>(y) * pixelWidth_ + x0];
        std::copy(from, from + (x1 - x0), to);
    }
    markDirty({x0, y0, x1 - x0, y1 - y0});
}

void Surface::setWidth(int twips) {
    width_ = twips;
    refitBuffer();
}

void Surface::setHeight(int twips) {
    height_ = twips;
    refitBuffer();
}

void Surface::move(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    refitBuffer();
}

void Surface::setBorder(int pixels) {
    border_ = std::max(0, pixels);
    refitBuffer();
}

void Surface::ZOrder() {
    stacking_ = ++nextStacking;
}

void Surface::markDirty(const PixelRect& r) {
    dirty_ = dirty_.united(r);
    revision_ = newRevision();
    if (r.empty())
        return;
    const int x0 = std::max(0, r.x) / kCellPixels;
    const int y0 = std::max(0, r.y) / kCellPixels;
    const int x1 = std::min(pixelWidth_, r.x + r.w);
    const int y1 = std::min(pixelHeight_, r.y + r.h);
    for (int row = y0; row * kCellPixels < y1; ++row)
        for (int column = x0; column * kCellPixels < x1; ++column)
            cellRevisions_[static_cast<size_t>(row) * cellColumns_ + column] = revision_;
}

uint64_t Surface::CellRevision(int column, int row) const {
    if (column < 0 || row < 0 || column >= cellColumns_)
        return revision_;
    const size_t k = static_cast<size_t>(row) * cellColumns_ + column;
    return k < cellRevisions_.size() ? cellRevisions_[k] : revision_;
}

void Surface::refitBuffer() {
    resizeBuffer(width_ / kTwipsPerPixel - 2 * border_, height_ / kTwipsPerPixel - 2 * border_);
}

void Surface::resizeBuffer(int w, int h) {
    w = std::max(0, w);
    h = std::max(0, h);
    if (w == pixelWidth_ && h == pixelHeight_)
        return;
    std::vector<uint32_t> next(static_cast<size_t>(w) * h, kBlack);
    for (int y = 0; y < std::min(h, pixelHeight_); ++y)
        for (int x = 0; x < std::min(w, pixelWidth_); ++x)
            next[static_cast<size_t>(y) * w + x] =
                pixels_[static_cast<size_t>(y) * pixelWidth_ + x];
    pixels_ = std::move(next);
    pixelWidth_ = w;
    pixelHeight_ = h;
    dirty_ = {0, 0, w, h};
    revision_ = newRevision();
    cellColumns_ = (w + kCellPixels - 1) / kCellPixels;
    cellRevisions_.assign(static_cast<size_t>(cellColumns_) * ((h + kCellPixels - 1) / kCellPixels),
                          revision_);
}

} // namespace tessarin
