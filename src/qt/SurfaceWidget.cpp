#include "qt/SurfaceWidget.h"

#include "qt/Looks.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

namespace tessarin::qt {

SurfaceWidget::SurfaceWidget(Surface* surface, std::function<bool(const Surface*)> alive,
                             QWidget* parent)
    : QWidget(parent), surface_(surface), alive_(std::move(alive)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QRect SurfaceWidget::bufferToWidget(const PixelRect& r) const {
    const int off = border_ * scale_;
    return {off + r.x * scale_, off + r.y * scale_, r.w * scale_, r.h * scale_};
}

void SurfaceWidget::syncFromSurface(int scale) {
    Surface& s = *surface_;
    const QRect place = toPixels(s.Left(), s.Top(), s.Width(), s.Height(), scale);
    const QSize buffer(s.PixelWidth(), s.PixelHeight());
    const bool reshaped =
        place != geometry() || scale != scale_ || s.Border() != border_ || buffer != buffer_;
    scale_ = scale;
    border_ = s.Border();
    buffer_ = buffer;
    stacking_ = s.Stacking();
    if (place != geometry())
        setGeometry(place);
    if (isVisibleTo(parentWidget()) != s.Visible())
        setVisible(s.Visible());
    if (reshaped)
        update();
    else if (!s.DirtyRect().empty())
        update(bufferToWidget(s.DirtyRect()));
    s.clearDirty();
}

void SurfaceWidget::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    if (!alive_(surface_)) {
        p.fillRect(event->rect(), Qt::black);
        return;
    }
    const Surface& s = *surface_;
    if (border_ > 0) {
        const QRect frame = rect();
        if (border_ >= 2)
            drawSunkenFrame(p, frame, scale_);
        else
            drawLabelFrame(p, frame, scale_);
    }
    const int off = border_ * scale_;
    const QRect bufferRect(off, off, s.PixelWidth() * scale_, s.PixelHeight() * scale_);
    // Anything the buffer does not cover (rounding of the twips size) is black.
    const QRect inside = rect().adjusted(off, off, -off, -off);
    const QRegion uncovered = QRegion(inside).subtracted(bufferRect);
    for (const QRect& r : uncovered)
        p.fillRect(r, Qt::black);
    const QRect want = event->rect().intersected(bufferRect);
    if (want.isEmpty() || s.PixelWidth() == 0 || s.PixelHeight() == 0)
        return;
    // Whole buffer pixels that cover the area asked for.
    const int x0 = (want.left() - off) / scale_;
    const int y0 = (want.top() - off) / scale_;
    const int x1 = (want.right() - off) / scale_ + 1;
    const int y1 = (want.bottom() - off) / scale_ + 1;
    const QImage image(reinterpret_cast<const uchar*>(s.data()), s.PixelWidth(), s.PixelHeight(),
                       s.PixelWidth() * 4, QImage::Format_RGB32);
    const QRect source(x0, y0, x1 - x0, y1 - y0);
    const QRect target(off + x0 * scale_, off + y0 * scale_, source.width() * scale_,
                       source.height() * scale_);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(target, image, source);
}

} // namespace tessarin::qt
