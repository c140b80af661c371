#pragma once

#include "dialogs/Forms.h"
#include "qt/FormDialog.h"

class QFrame;

namespace tessarin::qt {

class ElementLabel;

// The message window: one short text in large type.
class MessageWindow : public FormDialog {
    Q_OBJECT
public:
    explicit MessageWindow(int scale, QWidget* parent = nullptr);
    void bindForm(MessageForm& form) { form_ = &form; }

    ElementLabel* label1() const { return label1_; }
    QFrame* frame1() const { return frame1_; }

protected:
    Window& formWindow() override { return form_->TheWindow; }
    QSize clientTwips() const override;
    void refresh() override;
    void formClosed() override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MessageForm* form_ = nullptr;
    QFrame* frame1_;
    ElementLabel* label1_;
    bool marginPressed_ = false;
    bool framePressed_ = false;
};

} // namespace tessarin::qt
