#pragma once

#include "dialogs/Dialogs.h"
#include "platform/Version.h"
#include "platform/WindowElements.h"

namespace tessarin {

// The About box: name, version and credits.
class About {
public:
    static constexpr int kClientWidth = 5085;
    static constexpr int kClientHeight = 2370;
    // The window's background, deep purple.
    static constexpr uint32_t kBackColor = rgb(64, 0, 64);

    explicit About(const ScreenSize& screen);
    // Shows the box modally (created and centred on first use).
    void Show(Dialogs& dialogs);
    void cmdOk_Click();
    void Form_Unload() { cmdOk_Click(); }

    Window TheWindow;
    Label lblAbout;
    Label Label3;
    Label lblCredits;
    Label cmdOk;

private:
    void Form_Load();

    ScreenSize screen_;
};

} // namespace tessarin
