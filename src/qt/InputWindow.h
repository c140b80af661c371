#pragma once

#include "dialogs/Forms.h"
#include "qt/FormDialog.h"

#include <QLineEdit>

class QPushButton;

namespace tessarin::qt {

class ElementLabel;

// A line edit that says when it receives the focus.
class FocusLineEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
signals:
    void focusedIn();

protected:
    void focusInEvent(QFocusEvent* event) override;
};

// The name-input window.
class InputWindow : public FormDialog {
    Q_OBJECT
public:
    explicit InputWindow(int scale, QWidget* parent = nullptr);
    void bindForm(InputForm& form) { form_ = &form; }

    FocusLineEdit* text1() const { return text1_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    ElementLabel* prompt() const { return prompt_; }

protected:
    Window& formWindow() override { return form_->TheWindow; }
    QSize clientTwips() const override;
    void refresh() override;
    void formClosed() override;
    void shown() override;

private:
    InputForm* form_ = nullptr;
    ElementLabel* prompt_;
    FocusLineEdit* text1_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

} // namespace tessarin::qt
