#pragma once

#include "platform/Surface.h"

#include <QWidget>
#include <functional>

namespace tessarin::qt {

// Shows one picture surface of the game: its pixel buffer inside its
// sunken frame, scaled by a whole factor without smoothing. Only the
// surface's dirty rectangle is repainted.
class SurfaceWidget : public QWidget {
    Q_OBJECT
public:
    // alive tells whether the surface still exists when a paint arrives.
    SurfaceWidget(Surface* surface, std::function<bool(const Surface*)> alive,
                  QWidget* parent = nullptr);

    // Takes place, size and visibility from the surface and schedules the
    // repaint of its dirty rectangle, which it then clears.
    void syncFromSurface(int scale);
    Surface* surface() const { return surface_; }
    long stacking() const { return stacking_; }
    // The widget rectangle covering a rectangle of the surface's buffer.
    QRect bufferToWidget(const PixelRect& r) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Surface* surface_;
    std::function<bool(const Surface*)> alive_;
    int scale_ = 1;
    long stacking_ = -1;
    int border_ = 0;
    QSize buffer_;
};

} // namespace tessarin::qt
