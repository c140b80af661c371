#include "dialogs/Forms.h"

#include "dialogs/DialogWindow.h"

namespace tessarin {

InputForm::InputForm() {
    setDialogClientSize(TheWindow, kClientWidth, kClientHeight);
    Label1.Name = "Label1";
    Label1.Left = 300;
    Label1.Top = 360;
    Label1.AutoSize = true;
}

void InputForm::Form_Load(const ScreenSize& screen) {
    TheWindow.Loaded = true;
    TheWindow.Top = (screen.Height - TheWindow.Height) / 2;
    TheWindow.Left = (screen.Width - TheWindow.Width) / 2;
}

void InputForm::Text1_GotFocus() {
    SelStart = 0;
    SelLength = static_cast<int>(Text1.size());
}

void InputForm::cmdOk_Click() {
    Confirmed = true;
    TheWindow.Visible = false;
}

void InputForm::cmdCancel_Click() {
    Confirmed = false;
    TheWindow.Visible = false;
}

MessageForm::MessageForm() {
    setDialogClientSize(TheWindow, kClientWidth, kClientHeight);
    Label1.Name = "Label1";
    Label1.Left = 120;
    Label1.Top = 720;
    Label1.Width = 3495;
    Label1.Height = 375;
    Label1.Align = Alignment::Center;
    Label1.TheFont = Font{"Times New Roman", 12, true, true};
}

void MessageForm::Form_KeyDown(int16_t KeyCode, int16_t /*Shift*/) {
    if (KeyCode == 13 || KeyCode == 32)
        TheWindow.Visible = false;
}

void MessageForm::Form_Click() {
    TheWindow.Visible = false;
}

void MessageForm::Label1_Click() {
    TheWindow.Visible = false;
}

} // namespace tessarin
