// Pictures the dialogs draw for themselves: the game in progress of the
// About box, drawn by the game's own field and piece code, and the action
// pictures beside the key boxes.
#include "qt/Pictures.h"

#include "game/Canvas.h"
#include "game/CellImages.h"
#include "game/ShapeTable.h"
#include "game/SquareSet.h"
#include "platform/Random.h"
#include "platform/Sound.h"
#include "qt/Looks.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <algorithm>
#include <array>

namespace tessarin::qt {

namespace {

// Draws a bordered surface at pixel (x, y) of the picture.
void drawSurface(QPainter& p, const Surface& s, int x, int y) {
    const QRect frame(x, y, s.Width() / Surface::kTwipsPerPixel,
                      s.Height() / Surface::kTwipsPerPixel);
    drawSunkenFrame(p, frame, 1);
    const QImage buffer(reinterpret_cast<const uchar*>(s.data()), s.PixelWidth(), s.PixelHeight(),
                        s.PixelWidth() * 4, QImage::Format_RGB32);
    p.fillRect(frame.adjusted(2, 2, -2, -2), Qt::black);
    p.drawImage(QPoint(x + s.Border(), y + s.Border()), buffer);
}

void wireCanvas(Canvas& c, const CellImages& images, Surface& out, int columns, int rows) {
    c.setColumns(static_cast<int16_t>(columns));
    c.setRows(static_cast<int16_t>(rows));
    c.setPicOutput(&out);
    c.setPicSource(&images.picRed, &images.picOrange, &images.picYellow, &images.picGreen,
                   &images.picCyan, &images.picBlue, &images.picPurple);
    c.setpicBlack(&images.picBlack);
}

void placePiece(SquareSet& piece, Canvas& canvas, const ShapeInfoTable& table, int shape,
                int direction, int colour, int x, int y) {
    piece.setTheCanvas(&canvas);
    piece.AssignSetInfo(table.block(shape));
    piece.setShape(static_cast<int16_t>(shape));
    piece.setDirection(static_cast<int16_t>(direction));
    piece.setColor(static_cast<int16_t>(colour));
    piece.setx(static_cast<int16_t>(x));
    piece.sety(static_cast<int16_t>(y));
    piece.Show(true);
}

void drawValue(QPainter& p, const QString& title, const QString& value, int x, int y) {
    QFont bold = toQFont({"MS Sans Serif", 8.25, true, false}, 1);
    p.setFont(bold);
    p.setPen(QColor(0, 255, 0));
    p.drawText(QRect(x, y, 64, 13), Qt::AlignLeft | Qt::AlignTop, title);
    const QRect box(x, y + 14, 64, 17);
    p.fillRect(box, QColor(192, 255, 192));
    drawLabelFrame(p, box, 1);
    p.setFont(toQFont({}, 1));
    p.setPen(Qt::black);
    p.drawText(box.adjusted(2, 1, -1, -1), Qt::AlignLeft | Qt::AlignTop, value);
}

} // namespace

QImage aboutPicture(int scale) {
    // The scene is drawn at full size, then halved: its cells are 8 pixels
    // wide at scale 1, 8 * scale at a larger one. It is enlarged by the
    // whole factor, pixel by pixel as the fields are, before it is halved,
    // so that every cell edge falls on a whole pixel and stays sharp (at
    // scale 2 the halving gives back the full-size scene itself).
    constexpr int kWidth = 270, kHeight = 274;
    DefaultRandom random;
    SilentSound quiet;
    CellImages images;
    ShapeInfoTable table;
    InitShapeInfo(table);

    Surface field;
    field.setBorder(2);
    field.move(0, 0, (11 * 16 + 4) * 15, (16 * 16 + 4) * 15);
    Canvas fieldCanvas(random);
    wireCanvas(fieldCanvas, images, field, 11, 16);
    // Settled squares at the bottom, colour codes 0 ... 6, '.' empty.
    static constexpr std::array<const char*, 6> settled = {
        "...........", "4..........", "44.....1...", "440...111.6", "3300.22.556", "30002255.66",
    };
    for (int row = 0; row < 6; ++row)
        for (int x = 0; x < 11; ++x) {
            const char c = settled[row][x];
            fieldCanvas.SetMapUnit(static_cast<int16_t>(x), static_cast<int16_t>(10 + row),
                                   c == '.' ? Canvas::kEmpty : static_cast<int16_t>(c - '0'));
        }
    fieldCanvas.Repaint();
    SquareSet falling(random, quiet);
    placePiece(falling, fieldCanvas, table, 2, 1, 2, 5, 5);

    Surface preview;
    preview.setBorder(2);
    preview.move(0, 0, 1020, 1020);
    Canvas previewCanvas(random);
    wireCanvas(previewCanvas, images, preview, 4, 4);
    previewCanvas.Repaint();
    SquareSet next(random, quiet);
    placePiece(next, previewCanvas, table, 5, 0, 5, 1, 1);

    QImage scene(kWidth, kHeight, QImage::Format_RGB32);
    scene.fill(appWorkspace());
    {
        QPainter p(&scene);
        drawSurface(p, field, 6, 7);
        drawSurface(p, preview, 196, 7);
        drawValue(p, QStringLiteral("Speed"), QStringLiteral(" 2"), 196, 96);
        drawValue(p, QStringLiteral("Lines"), QStringLiteral(" 47"), 196, 140);
        drawValue(p, QStringLiteral("Score"), QStringLiteral(" 5300"), 196, 184);
    }
    const int k = std::max(scale, 1);
    if (k % 2 == 0)
        return scene.scaled(scene.size() * (k / 2), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return scene.scaled(scene.size() * k, Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .scaled(135 * k, 137 * k, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QPixmap drawKeyPicture(int which, int sizePx, bool clockwise) {
    const qreal dpr = 4.0; // drawn finely, shown at the box's size
    QImage image(QSize(sizePx, sizePx) * dpr, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(image.width() / 20.0, image.height() / 20.0);
    const QColor ink(0, 0, 128);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    QPainterPath path;
    const auto polygon = [&](std::initializer_list<QPointF> points) {
        path.addPolygon(QPolygonF(points));
        path.closeSubpath();
    };
    const auto mirror = [&] {
        p.translate(20, 0);
        p.scale(-1, 1);
    };
    switch (which) {
    case 0: // left arrow
    case 1: // right arrow: the left one mirrored
        if (which == 1)
            mirror();
        polygon({{2, 10}, {9, 3}, {9, 7}, {18, 7}, {18, 13}, {9, 13}, {9, 17}});
        break;
    case 2: // down: an arrow onto a floor
        polygon({{10, 15}, {3, 8}, {7, 8}, {7, 2}, {13, 2}, {13, 8}, {17, 8}});
        path.addRect(3, 16.5, 14, 2);
        break;
    default: {          // turn: three quarters of a circle with an arrow head at the top
        if (!clockwise) // the clockwise turn, mirrored
            mirror();
        QPainterPath arc;
        arc.arcMoveTo(3, 3, 14, 14, 90);
        arc.arcTo(3, 3, 14, 14, 90, 270);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ink, 2.6, Qt::SolidLine, Qt::FlatCap));
        p.drawPath(arc);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        polygon({{10, 0.5}, {15, 3}, {10, 5.5}});
        break;
    }
    }
    p.drawPath(path);
    p.end();
    QPixmap pixmap = QPixmap::fromImage(
        image.scaled(sizePx, sizePx, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return pixmap;
}

} // namespace tessarin::qt
