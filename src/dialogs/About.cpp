#include "dialogs/About.h"

#include "dialogs/DialogWindow.h"

namespace tessarin {

namespace {

Label textLabel(const char* name, const char* caption, int left, int top, int width, int height,
                uint32_t colour) {
    Label l = placedLabel(name, caption, left, top, width, height);
    l.ForeColor = colour;
    l.ForeSystem = SystemColour::None;
    l.BackColor = About::kBackColor;
    l.BackSystem = SystemColour::None;
    l.Transparent = true;
    l.Align = Alignment::Center;
    return l;
}

} // namespace

About::About(const ScreenSize& screen) : screen_(screen) {
    TheWindow.Caption = std::string("About Tessarin ") + kVersion;
    setDialogClientSize(TheWindow, kClientWidth, kClientHeight);

    lblAbout = textLabel("lblAbout", "Tessarin", 2535, 150, 2205, 330, rgb(255, 255, 0));
    lblAbout.TheFont = Font{"Times New Roman", 14.25, true, true};

    Label3 = textLabel("Label3", (std::string("Ver ") + kVersion).c_str(), 3375, 510, 525, 195,
                       rgb(0, 192, 0));

    // The credit line: right half, between the version and the Ok button.
    lblCredits = textLabel("lblCredits", "Written by the Tessarin team", 2640, 900, 1995, 600,
                           rgb(224, 224, 255));

    cmdOk.Name = "cmdOk";
    cmdOk.Caption = "&Ok";
    cmdOk.Left = 3120;
    cmdOk.Top = 1770;
    cmdOk.Width = 1080;
    cmdOk.Height = 360;
}

void About::Form_Load() {
    TheWindow.Loaded = true;
    TheWindow.Left = (screen_.Width - TheWindow.Width) / 2;
    TheWindow.Top = (screen_.Height - TheWindow.Height) / 2;
}

void About::Show(Dialogs& dialogs) {
    if (!TheWindow.Loaded)
        Form_Load();
    TheWindow.Visible = true;
    dialogs.ShowModal(*this);
}

void About::cmdOk_Click() {
    TheWindow.Visible = false;
}

} // namespace tessarin
