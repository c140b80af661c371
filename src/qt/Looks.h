#pragma once

#include "platform/WindowElements.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QWidget>
#include <cstdint>

class QPainter;
class QPalette;

namespace tessarin::qt {

// Twips to pixels of the window: 15 twips to a pixel, times the whole
// scale factor of the window, rounded.
int toPixels(int twips, int scale);
// A rectangle in twips to pixels; edges are rounded, so neighbouring
// elements stay flush.
QRect toPixels(int left, int top, int width, int height, int scale);

// The font of a window element: "MS Sans Serif" is the system's
// sans-serif, "Times New Roman" its serif; sized in pixels for the scale.
QFont toQFont(const Font& font, int scale);
// An element colour: the explicit one, or the system colour named.
QColor toQColor(uint32_t rgb, SystemColour system, const QPalette& palette);
// The grey behind the main window's elements.
QColor appWorkspace();

// The two-pixel sunken frame of a picture surface, drawn inside r.
void drawSunkenFrame(QPainter& p, const QRect& r, int scale);
// The one-pixel frame of a label with a single-line border.
void drawLabelFrame(QPainter& p, const QRect& r, int scale);

// A label as the game describes it: caption, colours, alignment, border
// and font, placed in twips. Reports a click (press and release on it).
class ElementLabel : public QWidget {
    Q_OBJECT
public:
    explicit ElementLabel(QWidget* parent = nullptr);
    // Takes the label's state; repaints and moves only when it changed.
    void showLabel(const Label& label, int scale);
    const Label& label() const { return label_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Label label_;
    int scale_ = 0;
    bool pressed_ = false;
};

} // namespace tessarin::qt
