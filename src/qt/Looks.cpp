#include "qt/Looks.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QtMath>

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

ElementLabel::ElementLabel(QWidget* parent) : QWidget(parent) {}

void ElementLabel::showLabel(const Label& label, int scale) {
    if (scale == scale_ && sameLook(label, label_))
        return;
    label_ = label;
    scale_ = scale;
    setObjectName(QString::fromStdString(label.Name));
    QRect r = toPixels(label.Left, label.Top, label.Width, label.Height, scale);
    if (label.AutoSize) {
        const QFontMetrics fm(toQFont(label.TheFont, scale));
        const int frame = label.Border ? 2 * scale : 0;
        r.setSize({fm.horizontalAdvance(QString::fromStdString(label.Caption)) + frame,
                   fm.height() + frame});
    }
    if (geometry() != r)
        setGeometry(r);
    setVisible(label.Visible);
    update();
}

void ElementLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect all = rect();
    if (!label_.Transparent)
        p.fillRect(all, toQColor(label_.BackColor, label_.BackSystem, palette()));
    QRect inner = all;
    if (label_.Border) {
        drawLabelFrame(p, all, scale_);
        inner = all.adjusted(scale_, scale_, -scale_, -scale_);
    }
    p.setClipRect(inner);
    p.setFont(toQFont(label_.TheFont, scale_));
    p.setPen(toQColor(label_.ForeColor, label_.ForeSystem, palette()));
    Qt::Alignment align = Qt::AlignTop;
    switch (label_.Align) {
    case Alignment::Left:
        align |= Qt::AlignLeft;
        break;
    case Alignment::Right:
        align |= Qt::AlignRight;
        break;
    case Alignment::Center:
        align |= Qt::AlignHCenter;
        break;
    }
    p.drawText(inner, static_cast<int>(align) | Qt::TextSingleLine,
               QString::fromStdString(label_.Caption));
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
