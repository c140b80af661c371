#pragma once

#include "platform/WindowElements.h"

namespace tessarin {

// The application's title, as the system message box shows it.
inline constexpr const char* kApplicationTitle = "Tessarin";

// Geometry of a dialog window, in twips. A dialog's Window holds its outer
// size; the client (inner) area is the outer size less the frame: a 45-twip
// border on the left and on the right, and the title bar with the top and
// bottom borders, 405 twips in all. Every dialog sizes itself with these and
// finds its inner area with them, and the front end sizes the client area of
// its window as outer size less the same frame.
inline constexpr int kDialogFrameWidth = 90;
inline constexpr int kDialogFrameHeight = 405;

constexpr int dialogOuterWidth(int clientWidth) {
    return clientWidth + kDialogFrameWidth;
}
constexpr int dialogOuterHeight(int clientHeight) {
    return clientHeight + kDialogFrameHeight;
}
constexpr int dialogInnerWidth(const Window& window) {
    return window.Width - kDialogFrameWidth;
}
constexpr int dialogInnerHeight(const Window& window) {
    return window.Height - kDialogFrameHeight;
}
// Gives a dialog window the outer size that holds the given client area.
constexpr void setDialogClientSize(Window& window, int clientWidth, int clientHeight) {
    window.Width = dialogOuterWidth(clientWidth);
    window.Height = dialogOuterHeight(clientHeight);
}

} // namespace tessarin
