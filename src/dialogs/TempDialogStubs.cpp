// Placeholder bodies so the program links while the dialogs are written.
#include "dialogs/About.h"
#include "dialogs/Custom.h"
#include "dialogs/DuelResult.h"
#include "dialogs/InputBox.h"
#include "dialogs/MessageBox.h"

namespace tessarin {

InputForm::InputForm() = default;
void InputForm::Form_Load(const ScreenSize&) {}
void InputForm::Text1_GotFocus() {}
void InputForm::cmdOk_Click() {
    Confirmed = true;
    TheWindow.Visible = false;
}
void InputForm::cmdCancel_Click() {
    Confirmed = false;
    TheWindow.Visible = false;
}
MessageForm::MessageForm() = default;
void MessageForm::Form_KeyDown(int16_t, int16_t) {
    TheWindow.Visible = false;
}
void MessageForm::Form_Click() {
    TheWindow.Visible = false;
}
void MessageForm::Label1_Click() {
    TheWindow.Visible = false;
}

InputBox::InputBox(Dialogs& d, Sound& s, const ScreenSize& screen)
    : dialogs_(d), sound_(s), screen_(screen) {}
std::string InputBox::InputDlg(std::string, std::string, std::string Default, int16_t) {
    return Default;
}
MessageBox::MessageBox(Dialogs& d, Sound& s, const ScreenSize& screen)
    : dialogs_(d), sound_(s), screen_(screen) {}
void MessageBox::setFontSize(double) {}
void MessageBox::Show(const std::string&) {}

Custom::Custom(ControlSettings& settings, Dialogs& d, Sound& s, const ScreenSize& screen)
    : settings_(settings), dialogs_(d), sound_(s), screen_(screen) {}
void Custom::DoCustom() {}
void Custom::Text1_KeyDown(int16_t, int16_t, int16_t) {}
void Custom::Text2_KeyDown(int16_t, int16_t, int16_t) {}
void Custom::Option1_Click(int16_t) {}
void Custom::Option2_Click(int16_t) {}
void Custom::Command1_Click(int16_t) {}
void Custom::Form_Unload() {}
int16_t Custom::KeyCodeToIndex(int16_t) {
    return -1;
}

DuelResult::DuelResult(Dialogs& d, Sound& s, const ScreenSize& screen)
    : dialogs_(d), sound_(s), screen_(screen) {}
void DuelResult::ShowRecord(const Records&) {}
void DuelResult::ShowDuelResult(const DuelTallyTable&) {}
void DuelResult::Command1_Click() {}
void DuelResult::Form_Unload() {}
void DuelResult::Form_Resize() {}

About::About(const ScreenSize& screen) : screen_(screen) {}
void About::Show(Dialogs&) {}
void About::cmdOk_Click() {}

} // namespace tessarin
