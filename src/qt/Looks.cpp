#include "qt/Looks.h"

#include <QFontMetricsF>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleOption>
#include <QStylePainter>
#include <QtMath>
#include <cmath>

namespace tessarin::qt {

namespace {

bool sameLook(const Label& a, const Label& b) {
    return a.Caption == b.Caption && a.Left == b.Left && a.Top == b.Top && a.Width == b.Width &&
           a.Height == b.Height && a.Visible == b.Visible && a.ForeColor == b.ForeColor &&
           a.ForeSystem == b.ForeSystem && a.BackColor == b.BackColor &&
           a.BackSystem == b.BackSystem && a.Transparent == b.Transparent && a.Align == b.Align &&
           a.Border == b.Border && a.AutoSize == b.AutoSize && a.TheFont == b.TheFont;
}

} // namespace

int toPixels(int twips, int scale) {
    return qRound(twips * scale / 15.0);
}

QRect toPixels(int left, int top, int width, int height, int scale) {
    const int x0 = toPixels(left, scale);
    const int y0 = toPixels(top, scale);
    return {x0, y0, toPixels(left + width, scale) - x0, toPixels(top + height, scale) - y0};
}

QFont toQFont(const Font& font, int scale) {
    // The layout was made for narrow faces: prefer faces with the metrics of
    // Arial and Times, then the system's sans-serif and serif faces.
    QFont f;
    const std::string& name = font.Name;
    if (name.empty() || name.find("Sans") != std::string::npos) {
        f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                       QStringLiteral("Nimbus Sans"), QStringLiteral("Arial"),
                       QStringLiteral("Helvetica"), QStringLiteral("Sans Serif")});
        f.setStyleHint(QFont::SansSerif);
    } else if (name.find("Times") != std::string::npos || name.find("Serif") != std::string::npos) {
        f.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                       QStringLiteral("Tinos"), QStringLiteral("Nimbus Roman"),
                       QStringLiteral("Times"), QStringLiteral("Serif")});
        f.setStyleHint(QFont::Serif);
    } else {
        f.setFamily(QString::fromStdString(name));
    }
    // Points at 96 pixels an inch, so the text keeps its size against the
    // twips layout whatever the screen reports.
    f.setPixelSize(std::max(1, qRound(font.Size * 96.0 / 72.0 * scale)));
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    return f;
}

QFont scaledFont(QFont font, int scale) {
    if (scale <= 1)
        return font;
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * scale);
    else
        font.setPixelSize(font.pixelSize() * scale);
    return font;
}

QColor appWorkspace() {
    return {128, 128, 128};
}

QColor toQColor(uint32_t rgb, SystemColour system, const QPalette& palette) {
    switch (system) {
    case SystemColour::None:
        return QColor::fromRgb(static_cast<QRgb>(rgb | 0xFF000000u));
    case SystemColour::WindowText:
        return palette.color(QPalette::WindowText);
    case SystemColour::ButtonFace:
        return palette.color(QPalette::Button);
    case SystemColour::AppWorkspace:
        return appWorkspace();
    case SystemColour::InfoText:
        return palette.color(QPalette::ToolTipText);
    case SystemColour::InfoBackground:
        return palette.color(QPalette::ToolTipBase);
    }
    return {};
}

void drawSunkenFrame(QPainter& p, const QRect& r, int scale) {
    const int s = std::max(1, scale);
    // Outer edge: grey above and left, white below and right; inner edge:
    // black above and left, light grey below and right.
    const QColor outerDark(128, 128, 128), outerLight(255, 255, 255);
    const QColor innerDark(0, 0, 0), innerLight(192, 192, 192);
    auto edge = [&](const QRect& box, const QColor& dark, const QColor& light) {
        p.fillRect(QRect(box.left(), box.top(), box.width(), s), dark);
        p.fillRect(QRect(box.left(), box.top(), s, box.height()), dark);
        p.fillRect(QRect(box.left(), box.bottom() - s + 1, box.width(), s), light);
        p.fillRect(QRect(box.right() - s + 1, box.top(), s, box.height()), light);
    };
    edge(r, outerDark, outerLight);
    edge(r.adjusted(s, s, -s, -s), innerDark, innerLight);
}

void drawLabelFrame(QPainter& p, const QRect& r, int scale) {
    const int s = std::max(1, scale);
    p.fillRect(QRect(r.left(), r.top(), r.width(), s), QColor(128, 128, 128));
    p.fillRect(QRect(r.left(), r.top(), s, r.height()), QColor(128, 128, 128));
    p.fillRect(QRect(r.left(), r.bottom() - s + 1, r.width(), s), Qt::white);
    p.fillRect(QRect(r.right() - s + 1, r.top(), s, r.height()), Qt::white);
}

QRectF inkRect(const QFont& font, const QString& text) {
    return QFontMetricsF(font).tightBoundingRect(text);
}

QFont fittingFont(const QFont& design, const QStringList& texts, QSizeF size) {
    const int designPx = QFontInfo(design).pixelSize();
    const int smallest = static_cast<int>(std::ceil(designPx * kSmallestFontShare));
    for (int px = designPx; px >= smallest && px > 0; --px) {
        QFont f = design;
        if (px != designPx)
            f.setPixelSize(px);
        bool all = true;
        for (const QString& text : texts) {
            // From the origin, where a left-aligned text starts, to its far edge.
            const QRectF ink = inkRect(f, text);
            const qreal width = std::max<qreal>(ink.right(), 0) - std::min<qreal>(ink.left(), 0);
            all = all && width <= size.width() && ink.height() <= size.height();
        }
        if (all)
            return f;
    }
    return design;
}

namespace {

// How far to move an extent [low, high] so that it lies in [from, to], as
// far as it can.
qreal inwards(qreal low, qreal high, qreal from, qreal to) {
    if (low < from)
        return std::min(from - low, std::max<qreal>(0, to - high));
    if (high > to)
        return -std::min(high - to, std::max<qreal>(0, low - from));
    return 0;
}

} // namespace

TextPlacement placeText(const QString& text, const QFont& design, const QRect& box,
                        Qt::Alignment align) {
    TextPlacement t{fittingFont(design, {text}, box.size()), {}};
    const QFontMetricsF fm(t.font);
    const qreal advance = fm.horizontalAdvance(text);
    const QRectF area(box);
    qreal x = area.left();
    if (align & Qt::AlignRight)
        x = area.right() - advance;
    else if (align & Qt::AlignHCenter)
        x = area.left() + (area.width() - advance) / 2;
    qreal baseline = area.top() + fm.ascent();
    if (align & Qt::AlignBottom)
        baseline = area.bottom() - fm.descent();
    else if (align & Qt::AlignVCenter)
        baseline = area.top() + (area.height() - fm.height()) / 2 + fm.ascent();
    const QRectF ink = fm.tightBoundingRect(text).translated(x, baseline);
    t.origin = {x + inwards(ink.left(), ink.right(), area.left(), area.right()),
                baseline + inwards(ink.top(), ink.bottom(), area.top(), area.bottom())};
    return t;
}

QRect lineEditTextRect(const QLineEdit* edit) {
    QStyleOptionFrame panel;
    panel.initFrom(edit);
    panel.rect = edit->rect();
    panel.lineWidth =
        edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
    panel.state |= QStyle::State_Sunken;
    const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &panel, edit);
    return contents.marginsRemoved(edit->textMargins()).adjusted(2, 1, -2, -1);
}

namespace {

QStyleOptionGroupBox frameOption(const QGroupBox* frame) {
    QStyleOptionGroupBox opt;
    opt.initFrom(frame);
    opt.text = frame->title();
    opt.lineWidth = 1;
    opt.textAlignment = frame->alignment();
    opt.subControls = QStyle::SC_GroupBoxFrame;
    if (!frame->title().isEmpty())
        opt.subControls |= QStyle::SC_GroupBoxLabel;
    return opt;
}

} // namespace

QRect CaptionedFrame::titleRect() const {
    const QStyleOptionGroupBox opt = frameOption(this);
    QRect r = style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, this);
    r.setRight(std::max(r.right(), rect().right() - r.left()));
    return r;
}

void CaptionedFrame::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionGroupBox opt = frameOption(this);
    opt.subControls &= ~QStyle::SC_GroupBoxLabel; // the frame only, placed for the caption
    p.drawComplexControl(QStyle::CC_GroupBox, opt);
    p.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    p.drawText(titleRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, title());
}

ElementLabel::ElementLabel(QWidget* parent) : QWidget(parent) {}

void ElementLabel::showLabel(const Label& label, int scale) {
    if (scale == scale_ && sameLook(label, label_))
        return;
    label_ = label;
    scale_ = scale;
    setObjectName(QString::fromStdString(label.Name));
    const QString caption = QString::fromStdString(label.Caption);
    QRect r = toPixels(label.Left, label.Top, label.Width, label.Height, scale);
    if (label.AutoSize) {
        // Sized to the text: its advance, and its ink where that reaches further.
        const QFont font = toQFont(label.TheFont, scale);
        const QFontMetricsF fm(font);
        const QRectF ink = fm.tightBoundingRect(caption);
        const int frame = label.Border ? 2 * scale : 0;
        r.setSize({int(std::ceil(std::max(fm.horizontalAdvance(caption), ink.right()) -
                                 std::min<qreal>(0, ink.left()))) +
                       frame,
                   int(std::ceil(std::max(fm.height(), ink.bottom() + fm.ascent()))) + frame});
    }
    if (geometry() != r)
        setGeometry(r);
    Qt::Alignment align = Qt::AlignTop | Qt::AlignLeft;
    if (label.Align == Alignment::Right)
        align = Qt::AlignTop | Qt::AlignRight;
    else if (label.Align == Alignment::Center)
        align = Qt::AlignTop | Qt::AlignHCenter;
    placement_ = placeText(caption, toQFont(label.TheFont, scale), textRect(), align);
    setVisible(label.Visible);
    update();
}

QRect ElementLabel::textRect() const {
    return label_.Border ? rect().adjusted(scale_, scale_, -scale_, -scale_) : rect();
}

void ElementLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!label_.Transparent)
        p.fillRect(rect(), toQColor(label_.BackColor, label_.BackSystem, palette()));
    if (label_.Border)
        drawLabelFrame(p, rect(), scale_);
    p.setClipRect(textRect());
    p.setFont(placement_.font);
    p.setPen(toQColor(label_.ForeColor, label_.ForeSystem, palette()));
    p.drawText(placement_.origin, QString::fromStdString(label_.Caption));
}

void ElementLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void ElementLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click)
        emit clicked();
}

} // namespace tessarin::qt
