#include "driver/Tessarin.h"

#include "platform/VirtualKeys.h"

#include <cassert>
#include <functional>
#include <map>

namespace tessarin {

namespace {

// Start-up client area and the banner, twips.
constexpr int kStartClientWidth = 3915;
constexpr int kStartClientHeight = 1710;

Label titleLabel(const std::string& name, const std::string& caption, int top) {
    Label l = placedLabel(name, caption, 0, top, 555, 195);
    l.ForeColor = rgb(0, 255, 0);
    l.ForeSystem = SystemColour::None;
    l.Transparent = true;
    l.Align = Alignment::Right;
    l.TheFont = {"MS Sans Serif", 8.25, true, false};
    return l;
}

Label valueLabel(const std::string& name, int top) {
    Label l = placedLabel(name, "0", 0, top, 645, 255);
    l.BackColor = rgb(192, 255, 192);
    l.BackSystem = SystemColour::None;
    l.Align = Alignment::Left;
    l.Border = true;
    return l;
}

Label bannerLabel(const std::string& name, const std::string& caption, int left, int top,
                  uint32_t colour) {
    Label l = placedLabel(name, caption, left, top);
    l.ForeColor = colour;
    l.ForeSystem = SystemColour::None;
    l.Transparent = true;
    l.AutoSize = true;
    return l;
}

} // namespace

Tessarin::Tessarin(const Services& services)
    : services_(services), dialogs_(services.dialogs, [this] { syncComputer(); }) {
    for (int16_t i = 0; i < 2; ++i) {
        tmrMain[i] = std::make_unique<Timer>(services_.timers, i, kFirstFallMs);
        tmrDelete[i] = std::make_unique<Timer>(services_.timers, i, kDeleteStepMs);
        tmrBlink[i] = std::make_unique<Timer>(services_.timers, i, kBlinkMs);
        tmrPreBlink[i] = std::make_unique<Timer>(services_.timers, i, kBlinkMs);
        tmrMain[i]->setHandler([this](int16_t index) { tmrMain_Timer(index); });
        tmrDelete[i]->setHandler([this](int16_t index) { tmrDelete_Timer(index); });
        tmrBlink[i]->setHandler([this](int16_t index) { tmrBlink_Timer(index); });
        tmrPreBlink[i]->setHandler([this](int16_t index) { tmrPreBlink_Timer(index); });
    }
    tmrGameOver = std::make_unique<Timer>(services_.timers, 0, kCurtainStepMs);
    tmrGameOver->setHandler([this](int16_t) { tmrGameOver_Timer(); });
    tmrComputer = std::make_unique<Timer>(services_.timers, 1, kComputerLookMs);
    tmrComputer->setHandler([this](int16_t) { tmrComputer_Timer(); });

    // Design-time window: the start-up size, the banner and the labels.
    TheWindow.Caption = "Tessarin";
    TheWindow.Width = kStartClientWidth + kFrameWidth;
    TheWindow.Height = kStartClientHeight + kFrameHeight;

    picCanvas[0] = std::make_unique<Surface>();
    picCanvas[0]->setBorder(2);
    picCanvas[0]->setVisible(false);
    picPreviewer[0] = std::make_unique<Surface>();
    picPreviewer[0]->setBorder(2);
    picPreviewer[0]->setVisible(false);

    lblGame0 = titleLabel("lblGame0", "Game", 3090);
    lblSpeed0 = titleLabel("lblSpeed0", "Speed", 3690);
    lblLines0 = titleLabel("lblLines0", "Lines", 4170);
    lblScore0 = titleLabel("lblScore0", "Score", 4650);
    lblGame.Name = "lblGame";
    lblGame.Caption = "A";
    lblGame.Top = 3030;
    lblGame.Width = 465;
    lblGame.Height = 255;
    lblGame.ForeColor = rgb(0, 0, 255);
    lblGame.ForeSystem = SystemColour::None;
    lblGame.BackColor = rgb(255, 224, 192);
    lblGame.BackSystem = SystemColour::None;
    lblGame.Align = Alignment::Center;
    lblGame.Border = true;
    lblGame.TheFont = {"MS Sans Serif", 8.25, true, false};
    lblSpeed[0] = std::make_unique<Label>(valueLabel("lblSpeed", 3630));
    lblLines[0] = std::make_unique<Label>(valueLabel("lblLines", 4110));
    lblScore[0] = std::make_unique<Label>(valueLabel("lblScore", 4590));
    // Until a mode is chosen only the banner shows.
    for (Label* l : {&lblGame0, &lblSpeed0, &lblLines0, &lblScore0, &lblGame, lblSpeed[0].get(),
                     lblLines[0].get(), lblScore[0].get()})
        l->Visible = false;

    Label1 = bannerLabel("Label1", "Welcome to ", 1440, 360, rgb(0, 255, 255));
    Label2 = bannerLabel("Label2", "Tessarin", 915, 697, rgb(255, 255, 0));
    Label2.TheFont = {"Times New Roman", 15, true, true};
    Label3 = bannerLabel("Label3", std::string("Ver ") + kVersion, 1620, 1200, rgb(0, 255, 0));
}

Tessarin::~Tessarin() = default;

void Tessarin::Form_Load() {
    const HandlerScope scope(*this);
    // 1. Centre the window on the screen.
    centreWindow();
    // 2. Fall intervals.
    SpeedTable = {700, 550, 400, 320, 240, 200, 150, 110, 100, 50};
    // 3. Everything that needs a mode waits for one.
    Mode = kNoMode;
    applyMenuPhase(MenuPhase::NoMode, Mode);
    // 4. Settings.
    Level = 0;
    mnu("mnuLevel", 0).Checked = true;
    Speed = 0;
    mnu("mnuSpeed", 0).Checked = true;
    Sound = true;
    mnu("mnuSound").Checked = true;
    Preview = true;
    mnu("mnuPreview").Checked = true;
    GameType = "A";
    lblGame.Caption = "A";
    ShapeCount = 7;
    mnu("mnuGameA").Checked = true;
    // Player 2 at the keyboard.
    syncSeatMenu();
    Playing = false;
    Controls.SpeedMode = 0;
    // 5. Names and keys.
    Player1Name = "Player1";
    Player2Name = Player2Seat.computer() ? Seat::kComputerName : "Player2";
    keyboardPlayer2Name_ = "Player2";
    Controls.Keys[0] = {vk::A, vk::D, vk::S, vk::W};
    Controls.Keys[1] = {vk::Numpad1, vk::Numpad3, vk::Numpad2, vk::Numpad5};
    // 6. Piece geometry.
    InitShapeInfo();
    // 7. The message and name-input objects.
    TheMessageBox = std::make_unique<MessageBox>(dialogs_, services_.sound, services_.screen);
    TheMessageBox->setFontSize(18);
    TheInputBox = std::make_unique<InputBox>(dialogs_, services_.sound, services_.screen);
    // 8. The best results.
    ReadScoreFile();
    TheWindow.Loaded = true;
    TheWindow.Visible = true;
}

void Tessarin::InitShapeInfo() {
    tessarin::InitShapeInfo(ShapeInfo);
}

void Tessarin::centreWindow() {
    TheWindow.Left = services_.screen.Width / 2 - TheWindow.Width / 2;
    TheWindow.Top = services_.screen.Height / 2 - TheWindow.Height / 2;
}

MenuItem& Tessarin::mnu(const std::string& name, int index) {
    MenuItem* m = Menus.find(name, index);
    // Every name the window uses is an item of its menu tree (a test checks
    // the names written in the sources); a release build shrugs off others.
    assert(m != nullptr && "no menu item of that name");
    if (!m) {
        static MenuItem nowhere;
        nowhere = MenuItem{};
        return nowhere;
    }
    return *m;
}

void Tessarin::setEnabled(const std::string& name, bool on) {
    mnu(name).Enabled = on;
}

int Tessarin::playerCount() const {
    return Mode == kStandard ? 1 : (Mode == kNoMode ? 0 : 2);
}

std::string Tessarin::counterText(int value) const {
    // Numbers shown the way the labels always show them: a space before a
    // positive value, the minus sign in its place for a negative one.
    return (value < 0 ? "" : " ") + std::to_string(value);
}

std::vector<const Label*> Tessarin::labels() const {
    std::vector<const Label*> all{&Label1,    &Label2,    &Label3,    &lblGame0,
                                  &lblSpeed0, &lblLines0, &lblScore0, &lblGame};
    for (int i = 0; i < 2; ++i)
        for (const auto* arr : {&lblSpeed, &lblLines, &lblScore})
            if ((*arr)[i])
                all.push_back((*arr)[i].get());
    return all;
}

std::vector<Surface*> Tessarin::surfaces() {
    std::vector<Surface*> all;
    for (int i = 0; i < 2; ++i) {
        if (picCanvas[i])
            all.push_back(picCanvas[i].get());
        if (picPreviewer[i])
            all.push_back(picPreviewer[i].get());
    }
    return all;
}

void Tessarin::Click(const std::string& name, int index) {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    const MenuItem* m = Menus.find(name, index);
    assert(m != nullptr && "no menu item of that name");
    if (!m || m->isSeparator() || !Menus.reachable(name, index))
        return;
    static const std::map<std::string, void (Tessarin::*)()> commands{
        {"mnuOnePlayer", &Tessarin::mnuOnePlayer_Click},
        {"mnuDuel", &Tessarin::mnuDuel_Click},
        {"mnuCooperation", &Tessarin::mnuCooperation_Click},
        {"mnuNewGame", &Tessarin::mnuNewGame_Click},
        {"mnuPause", &Tessarin::mnuPause_Click},
        {"mnuStop", &Tessarin::mnuStop_Click},
        {"mnuChangeName", &Tessarin::mnuChangeName_Click},
        {"mnuBestScore", &Tessarin::mnuBestScore_Click},
        {"mnuDuelResult", &Tessarin::mnuDuelResult_Click},
        {"mnuExit", &Tessarin::mnuExit_Click},
        {"mnuSound", &Tessarin::mnuSound_Click},
        {"mnuPreview", &Tessarin::mnuPreview_Click},
        {"mnuGameA", &Tessarin::mnuGameA_Click},
        {"mnuGameB", &Tessarin::mnuGameB_Click},
        {"mnuCustom", &Tessarin::mnuCustom_Click},
        {"mnuHow", &Tessarin::mnuHow_Click},
        {"mnuAbout", &Tessarin::mnuAbout_Click},
    };
    if (name == "mnuLevel")
        mnuLevel_Click(static_cast<int16_t>(index));
    else if (name == "mnuSeat")
        mnuSeat_Click(static_cast<int16_t>(index));
    else if (name == "mnuSpeed")
        mnuSpeed_Click(static_cast<int16_t>(index));
    else if (auto it = commands.find(name); it != commands.end())
        (this->*(it->second))();
}

} // namespace tessarin
