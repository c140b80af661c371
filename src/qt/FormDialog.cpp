#include "qt/FormDialog.h"

#include "qt/Looks.h"

namespace tessarin::qt {

FormDialog::FormDialog(int scale, QWidget* parent) : QDialog(parent), scale_(std::max(1, scale)) {
    // Fixed frame with a close button only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
    // Closing a dialog never ends the program, even while the main window
    // is hidden (the names are asked then); only the game ends it.
    setAttribute(Qt::WA_QuitOnClose, false);
    // The dialogs are laid out in twips for the small sans-serif type of
    // their design; their controls use it too, so the texts fit.
    setFont(toQFont(Font{}, scale_));
}

int FormDialog::px(int twips) const {
    return toPixels(twips, scale_);
}

QRect FormDialog::pxRect(int left, int top, int width, int height) const {
    return toPixels(left, top, width, height, scale_);
}

void FormDialog::runModal(QPoint screenOrigin) {
    Window& w = formWindow();
    // A modal show makes the form's window visible; its logic hides it.
    w.Visible = true;
    refresh();
    const QSize client = clientTwips();
    setFixedSize(px(client.width()), px(client.height()));
    move(screenOrigin + QPoint(px(w.Left), px(w.Top)));
    if (!formWindow().Visible)
        return;
    running_ = true;
    exec();
    running_ = false;
    hide();
}

void FormDialog::showModeless(QWidget* over) {
    formWindow().Visible = true;
    setModal(false);
    refresh();
    const QSize client = clientTwips();
    setFixedSize(px(client.width()), px(client.height()));
    if (over)
        move(over->geometry().center() - QPoint(width() / 2, height() / 2));
    show();
}

void FormDialog::abandon() {
    if (isVisible())
        done(QDialog::Rejected);
}

void FormDialog::afterFormEvent() {
    refresh();
    if (!formWindow().Visible && isVisible())
        done(QDialog::Accepted);
}

void FormDialog::reject() {
    // The close button and Escape go to the form; the window closes only
    // when the form hides it.
    formClosed();
    afterFormEvent();
}

void FormDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    raise();
    activateWindow();
    shown();
}

} // namespace tessarin::qt
