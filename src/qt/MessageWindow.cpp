#include "qt/MessageWindow.h"

#include "qt/KeyMapping.h"
#include "qt/Looks.h"

#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>

namespace tessarin::qt {

namespace {
constexpr int kFrameLeft = 120, kFrameTop = 0, kFrameWidth = 3750, kFrameHeight = 1800;
}

MessageWindow::MessageWindow(int scale, QWidget* parent) : FormDialog(scale, parent) {
    setObjectName(QStringLiteral("frmMessage"));
    frame1_ = new QFrame(this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    frame1_->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame1_->setGeometry(pxRect(kFrameLeft, kFrameTop, kFrameWidth, kFrameHeight));
    frame1_->installEventFilter(this);
    label1_ = new ElementLabel(frame1_);
    connect(label1_, &ElementLabel::clicked, this, [this] {
        form_->Label1_Click();
        afterFormEvent();
    });
}

QSize MessageWindow::clientTwips() const {
    return {MessageForm::kClientWidth, MessageForm::kClientHeight};
}

void MessageWindow::refresh() {
    setWindowTitle(QString::fromStdString(form_->TheWindow.Caption));
    label1_->showLabel(form_->Label1, scale());
}

void MessageWindow::formClosed() {
    form_->Form_Unload();
}

void MessageWindow::keyPressEvent(QKeyEvent* event) {
    // Every key goes to the form, Escape and Enter included.
    const int16_t code = toVirtualKey(event->key(), event->modifiers(), event->nativeScanCode(),
                                      event->nativeVirtualKey());
    form_->Form_KeyDown(code, shiftState(event->modifiers()));
    afterFormEvent();
}

void MessageWindow::mousePressEvent(QMouseEvent* event) {
    marginPressed_ = event->button() == Qt::LeftButton;
}

void MessageWindow::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = marginPressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint()) &&
                       !frame1_->geometry().contains(event->position().toPoint());
    marginPressed_ = false;
    if (!click)
        return;
    form_->Form_Click();
    afterFormEvent();
}

bool MessageWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != frame1_)
        return false;
    if (event->type() == QEvent::MouseButtonPress) {
        framePressed_ = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* e = static_cast<QMouseEvent*>(event);
        const bool click = framePressed_ && e->button() == Qt::LeftButton &&
                           frame1_->rect().contains(e->position().toPoint());
        framePressed_ = false;
        if (click) {
            form_->Frame1_Click();
            afterFormEvent();
        }
        return true;
    }
    return false;
}

} // namespace tessarin::qt
