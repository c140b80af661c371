#pragma once

#include <QImage>
#include <QPixmap>

namespace tessarin::qt {

// A picture of a Standard game in progress, drawn by the game's own field
// and piece code: 135 x 137 pixels at scale 1, that many times `scale` at
// a larger one, its cells square-edged at every scale.
QImage aboutPicture(int scale = 1);
// The picture beside a key box: 0 left arrow, 1 right arrow, 2 down, 3 turn
// (clockwise or counterclockwise, as the pieces turn).
QPixmap drawKeyPicture(int which, int sizePx, bool clockwise = false);

} // namespace tessarin::qt
