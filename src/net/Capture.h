#pragma once

// The host's window as a view, and the joiner's pictures of a view.

#include "game/CellImages.h"
#include "net/View.h"
#include "platform/Surface.h"

#include <map>
#include <memory>
#include <vector>

namespace tessarin {
class Tessarin;
}

namespace tessarin::net {

// What the window shows now (read only). Each cell of a surface is known by
// its pixels: the cell image it shows pixel for pixel, else kCellNone.
// Texts are fitted to what the wire carries, so that a joiner's view equals
// the capture exactly.
ViewState CaptureView(const Tessarin& game);

// The same, capture after capture: of a surface read before, only the cells
// whose pixels changed since are read again.
class Capturer {
public:
    ViewState capture(const Tessarin& game);

private:
    struct Read {
        uint64_t id = 0;
        uint64_t revision = 0;
        int columns = 0;
        int rows = 0;
        std::vector<uint8_t> cells;
    };
    std::map<const Surface*, Read> reads_;
    std::vector<uint64_t> images_; // the revisions of the cell images read with
};

// The joiner's surfaces: one per surface of the view, drawn with the cell
// images as the host's are; paint() redraws only the cells that changed
// since the last call, so that each surface's dirty rectangle says what the
// front end must repaint.
class ViewPainter {
public:
    void paint(const ViewState& view);
    const std::vector<std::unique_ptr<Surface>>& surfaces() const { return surfaces_; }

private:
    CellImages images_;
    std::vector<std::unique_ptr<Surface>> surfaces_;
    std::vector<SurfaceView> painted_;
};

} // namespace tessarin::net
