#include "qt/InputWindow.h"

#include "qt/Looks.h"

#include <QPushButton>

namespace tessarin::qt {

void FocusLineEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    emit focusedIn();
}

InputWindow::InputWindow(int scale, QWidget* parent) : FormDialog(scale, parent) {
    setObjectName(QStringLiteral("frmInput"));
    prompt_ = new ElementLabel(this);
    text1_ = new FocusLineEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setGeometry(pxRect(300, 600, 3135, 285));
    text1_->setFont(toQFont({"MS Sans Serif", 8.25, true, false}, scale));
    QPalette pal = text1_->palette();
    pal.setColor(QPalette::Base, QColor(224, 224, 224));
    pal.setColor(QPalette::Text, QColor(64, 64, 64));
    text1_->setPalette(pal);
    ok_ = new QPushButton(tr("&Ok"), this);
    ok_->setObjectName(QStringLiteral("cmdOk"));
    ok_->setGeometry(pxRect(600, 1320, 975, 375));
    ok_->setDefault(true);
    cancel_ = new QPushButton(tr("&Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cmdCancel"));
    cancel_->setGeometry(pxRect(2280, 1320, 975, 375));
    cancel_->setAutoDefault(false);
    setTabOrder(text1_, ok_);
    setTabOrder(ok_, cancel_);

    connect(text1_, &QLineEdit::textEdited, this,
            [this](const QString& text) { form_->Text1 = text.toStdString(); });
    connect(text1_, &FocusLineEdit::focusedIn, this, [this] {
        form_->Text1 = text1_->text().toStdString();
        form_->Text1_GotFocus();
        const int start = std::clamp(form_->SelStart, 0, int(text1_->text().size()));
        const int length = std::clamp(form_->SelLength, 0, int(text1_->text().size()) - start);
        if (length > 0)
            text1_->setSelection(start, length);
        else
            text1_->setCursorPosition(start);
    });
    connect(ok_, &QPushButton::clicked, this, [this] {
        form_->Text1 = text1_->text().toStdString();
        form_->cmdOk_Click();
        afterFormEvent();
    });
    connect(cancel_, &QPushButton::clicked, this, [this] {
        form_->cmdCancel_Click();
        afterFormEvent();
    });
}

QSize InputWindow::clientTwips() const {
    return {InputForm::kClientWidth, InputForm::kClientHeight};
}

void InputWindow::refresh() {
    setWindowTitle(QString::fromStdString(form_->TheWindow.Caption));
    prompt_->showLabel(form_->Label1, scale());
    const QString text = QString::fromStdString(form_->Text1);
    if (text1_->text() != text)
        text1_->setText(text);
    if (form_->PasswordChar != 0) {
        text1_->setEchoMode(QLineEdit::Password);
        text1_->setStyleSheet(
            QStringLiteral("QLineEdit { lineedit-password-character: %1; }")
                .arg(static_cast<int>(static_cast<unsigned char>(form_->PasswordChar))));
    } else {
        text1_->setEchoMode(QLineEdit::Normal);
        text1_->setStyleSheet({});
    }
}

void InputWindow::formClosed() {
    form_->Form_Unload();
}

void InputWindow::shown() {
    // Every time the window comes up the name box has the focus, and its
    // text is selected so the first key typed replaces it.
    text1_->clearFocus();
    text1_->setFocus(Qt::OtherFocusReason);
}

} // namespace tessarin::qt
