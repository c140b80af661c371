#pragma once

#include "platform/WindowElements.h"

#include <QDialog>
#include <QPoint>

namespace tessarin::qt {

// The Qt window of one of the game's dialogs. The dialog's logic lives in
// its form object; this window shows the form's state and hands every
// event to the form's handlers, and its modal loop ends as soon as the
// form has hidden its window.
class FormDialog : public QDialog {
    Q_OBJECT
public:
    FormDialog(int scale, QWidget* parent = nullptr);

    // Shows the form's window modally until the form hides it. The window
    // is placed where the form's window says (twips from the screen's
    // origin) and sized to the client area given.
    void runModal(QPoint screenOrigin);
    // Shows the form's window without waiting for it, over the given window
    // (a copy of another program's dialog); it hides itself as the modal
    // one does, once the form hides it.
    void showModeless(QWidget* over);
    // Leaves the modal loop now (the program is ending).
    void abandon();
    // Brings the widgets up to date after an event; leaves the loop once
    // the form's window is hidden.
    void afterFormEvent();

    int scale() const { return scale_; }

protected:
    // The form's window state.
    virtual Window& formWindow() = 0;
    // The client area, twips.
    virtual QSize clientTwips() const = 0;
    // Shows the form's state in the widgets.
    virtual void refresh() = 0;
    // The close button and Escape: the form's unload.
    virtual void formClosed() = 0;
    // Runs once the window is on screen, before the loop starts.
    virtual void shown() {}

    void reject() override;
    void showEvent(QShowEvent* event) override;

    int px(int twips) const;
    QRect pxRect(int left, int top, int width, int height) const;

private:
    int scale_;
    bool running_ = false;
};

} // namespace tessarin::qt
