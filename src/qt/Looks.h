#pragma once

#include "platform/WindowElements.h"

#include <QColor>
#include <QFont>
#include <QGroupBox>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <cstdint>

class QLineEdit;
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
// A font n times as large (the application's font at the window's scale).
QFont scaledFont(QFont font, int scale);
// An element colour: the explicit one, or the system colour named.
QColor toQColor(uint32_t rgb, SystemColour system, const QPalette& palette);
// The grey behind the main window's elements.
QColor appWorkspace();

// The two-pixel sunken frame of a picture surface, drawn inside r.
void drawSunkenFrame(QPainter& p, const QRect& r, int scale);
// The one-pixel frame of a label with a single-line border.
void drawLabelFrame(QPainter& p, const QRect& r, int scale);

// The layout was drawn for the faces of another system; ours may be a
// little wider or taller. A caption is drawn in its design font whenever
// that holds it; a caption the design font cannot hold gets the largest
// font, down to this share of the design size, that holds it, and only a
// caption no such font holds is cut.
inline constexpr double kSmallestFontShare = 0.85;

// The ink of text drawn with its baseline origin at (0, 0).
QRectF inkRect(const QFont& font, const QString& text);
// The largest font from design down to kSmallestFontShare of its size in
// which the ink of every text, reckoned from the origin, fits size; design
// itself when none does.
QFont fittingFont(const QFont& design, const QStringList& texts, QSizeF size);

// Where a caption is drawn in a box: in which font, and the origin of its
// baseline. The text is aligned as asked (at the top when not told
// otherwise), then moved inwards as far as the box allows where only the
// overhang of its ink (an italic foot, a descender) would stick out.
struct TextPlacement {
    QFont font;
    QPointF origin;
};
TextPlacement placeText(const QString& text, const QFont& design, const QRect& box,
                        Qt::Alignment align);

// Where a line edit draws its text: its contents less the text margins and
// the edit's own margin of 2 by 1 pixels.
QRect lineEditTextRect(const QLineEdit* edit);

// A frame with a caption, as the dialogs' frames are: the caption may use
// the whole width of the frame, so a face a little wider than the style
// reckons loses nothing.
class CaptionedFrame : public QGroupBox {
    Q_OBJECT
public:
    using QGroupBox::QGroupBox;
    // Where the caption is drawn: from the style's place for it to the
    // frame's right edge less the same margin.
    QRect titleRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A label as the game describes it: caption, colours, alignment, border
// and font, placed in twips. Reports a click (press and release on it).
class ElementLabel : public QWidget {
    Q_OBJECT
public:
    explicit ElementLabel(QWidget* parent = nullptr);
    // Takes the label's state; repaints and moves only when it changed.
    void showLabel(const Label& label, int scale);
    const Label& label() const { return label_; }
    // The font the caption is drawn in, the box it is drawn into (inside
    // the border) and the origin of its baseline.
    QFont textFont() const { return placement_.font; }
    QRect textRect() const;
    QPointF textOrigin() const { return placement_.origin; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Label label_;
    TextPlacement placement_;
    int scale_ = 0;
    bool pressed_ = false;
};

} // namespace tessarin::qt
