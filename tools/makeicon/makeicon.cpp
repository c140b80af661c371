// Draws the program's icon from the game's own cell images: a few settled
// rows with a gap and a piece falling towards it, on the empty-cell black.
// makeicon OUTDIR writes OUTDIR/<size>x<size>/tessarin.png for the usual
// icon sizes.
#include "game/Canvas.h"
#include "game/CellImages.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <cstdio>

using tessarin::CellImages;
using tessarin::Surface;

namespace {

QImage toImage(const Surface& s) {
    QImage img(s.PixelWidth(), s.PixelHeight(), QImage::Format_RGB32);
    for (int y = 0; y < s.PixelHeight(); ++y)
        for (int x = 0; x < s.PixelWidth(); ++x)
            img.setPixel(x, y, s.pixel(x, y));
    return img;
}

// Cell codes of the 4 x 4 picture, 8 for empty, row by row from the top.
constexpr int kPicture[4][4] = {
    {8, 5, 8, 8},
    {8, 5, 5, 8},
    {8, 5, 8, 8},
    {0, 8, 3, 2},
};

QImage base() {
    CellImages images;
    Surface board(64, 64);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const int code = kPicture[y][x];
            board.blitCell(code == tessarin::Canvas::kEmpty ? images.picBlack : images.colour(code), 16 * x,
                           16 * y);
        }
    return toImage(board);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeicon OUTDIR\n");
        return 2;
    }
    const QImage picture = base();
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        // Whole multiples keep the cells crisp; the small sizes are smoothed.
        const QImage scaled =
            picture.scaled(size, size, Qt::IgnoreAspectRatio,
                           size % 64 == 0 ? Qt::FastTransformation : Qt::SmoothTransformation);
        const QString dir = QStringLiteral("%1/%2x%2").arg(out).arg(size);
        if (!QDir().mkpath(dir) || !scaled.save(dir + "/tessarin.png")) {
            std::fprintf(stderr, "makeicon: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
