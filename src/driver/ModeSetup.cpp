// The mode commands One Player, Duel and Cooperation: each asks for the
// names, rebuilds the window for its mode and creates fresh fields and
// pieces. Geometry is in twips.
#include "driver/Tessarin.h"

namespace tessarin {

namespace {

// Outer window sizes of the modes.
constexpr int kStandardWidth = 6670;
constexpr int kStandardHeight = 6105;
constexpr int kDuelWidth = 9435;
constexpr int kDuelHeight = 6105;
constexpr int kCooperationWidth = 8235;
constexpr int kCooperationHeight = 6255;

// Surface sizes: 240 twips a cell plus 60 of border.
constexpr int kFieldWidth = 2700;       // 11 columns
constexpr int kSharedFieldWidth = 3660; // 15 columns
constexpr int kFieldHeight = 4380;      // 18 rows
constexpr int kPreviewSize = 1020;      // 4 x 4

constexpr int16_t kColumns = 11;
constexpr int16_t kSharedColumns = 15;
constexpr int16_t kRows = 18;
constexpr int16_t kPreviewCells = 4;

constexpr const char* kNamePrompt = "Please input your COOL name:";

// A new element of a surface array: hidden, with the frame, place and size
// of element 0 and a fresh (black) picture.
std::unique_ptr<Surface> copyOfElement0(const Surface& first) {
    auto s = std::make_unique<Surface>();
    s->setBorder(first.Border());
    s->move(first.Left(), first.Top(), first.Width(), first.Height());
    s->setVisible(false);
    return s;
}

// A new element of a label array: a hidden copy of element 0.
std::unique_ptr<Label> copyOfElement0(const Label& first) {
    auto l = std::make_unique<Label>(first);
    l->Visible = false;
    return l;
}

} // namespace

void Tessarin::mnuOnePlayer_Click() {
    modeCommand(kStandard);
}

void Tessarin::mnuDuel_Click() {
    modeCommand(kDuel);
}

void Tessarin::mnuCooperation_Click() {
    modeCommand(kCooperation);
}

void Tessarin::modeCommand(int16_t newMode) {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    // 1. The welcome banner goes for good.
    Label1.Visible = false;
    Label2.Visible = false;
    Label3.Visible = false;

    // 2. Menus: the command of the new mode is the one that cannot be chosen.
    applyMenuPhase(MenuPhase::BetweenGames, newMode);

    // 3. Stop the fall and the blinking of both players before any object
    // is replaced.
    tmrMain[0]->setEnabled(false);
    tmrMain[1]->setEnabled(false);
    tmrBlink[0]->setEnabled(false);
    tmrBlink[1]->setEnabled(false);
    tmrPreBlink[0]->setEnabled(false);
    tmrPreBlink[1]->setEnabled(false);

    // 4. The name dialogs of the set-up appear over a hidden window.
    TheWindow.Visible = false;

    // 5. Build the mode; Mode still holds the previous one.
    switch (newMode) {
    case kStandard:
        SetupStandard();
        break;
    case kDuel:
        SetupDuel();
        break;
    case kCooperation:
        SetupCooperation();
        break;
    default:
        break;
    }

    // 6, 7. (Unless the window was closed from a name dialog.)
    if (Ended)
        return;
    TheWindow.Visible = true;
    Mode = newMode;
    syncComputer();
}

void Tessarin::SetupStandard() {
    askNames(false);
    if (Ended)
        return;
    TheWindow.Caption = "Tessarin (Standard)";
    takeDownMode();
    sizeWindow(kStandardWidth, kStandardHeight);
    // One player: element 0 of every array is all there is.
    picCanvas[0]->move(1060, 510, kFieldWidth, kFieldHeight);
    picPreviewer[0]->move(4360, 510, kPreviewSize, kPreviewSize);
    showSurfaces();
    createObjects(kStandard);
    placeLabels(5050, 5050);
}

void Tessarin::SetupDuel() {
    askNames(true);
    if (Ended)
        return;
    TheWindow.Caption = "Tessarin (Duel)";
    takeDownMode();
    sizeWindow(kDuelWidth, kDuelHeight);
    loadElement1(true);
    picCanvas[0]->move(510, 510, kFieldWidth, kFieldHeight);
    picPreviewer[0]->move(3510, 510, kPreviewSize, kPreviewSize);
    picPreviewer[1]->move(4710, 510, kPreviewSize, kPreviewSize);
    picPreviewer[1]->ZOrder();
    picCanvas[1]->move(6060, 510, kFieldWidth, kFieldHeight);
    picCanvas[1]->ZOrder();
    showSurfaces();
    createObjects(kDuel);
    // Player 1's values left of the row titles, player 2's right of them.
    placeLabels(3675, 4875);
}

void Tessarin::SetupCooperation() {
    askNames(true);
    if (Ended)
        return;
    TheWindow.Caption = "Tessarin (Cooperation)";
    takeDownMode();
    sizeWindow(kCooperationWidth, kCooperationHeight);
    loadElement1(false);
    // The surfaces sit 50 twips lower than in the other modes.
    picPreviewer[0]->move(1000, 560, kPreviewSize, kPreviewSize);
    picCanvas[0]->move(2410, 560, kSharedFieldWidth, kFieldHeight);
    picPreviewer[1]->move(6460, 560, kPreviewSize, kPreviewSize);
    picPreviewer[1]->ZOrder();
    showSurfaces();
    createObjects(kCooperation);
    placeLabels(1225, 1225);
}

// Each name asked is replaced by what the dialog returns: Cancel returns
// the current name, Ok the text as typed, empty included.
void Tessarin::askNames(bool twoPlayers) {
    if (!twoPlayers) {
        Player1Name = TheInputBox->InputDlg("Input Name", kNamePrompt, Player1Name, 0);
        return;
    }
    Player1Name = TheInputBox->InputDlg("Input Name--Player1", kNamePrompt, Player1Name, 0);
    if (Ended)
        return;
    // With the computer in player 2's seat only player 1 is asked.
    if (Player2Seat.takesKeyboard())
        Player2Name = TheInputBox->InputDlg("Input Name--Player2", kNamePrompt, Player2Name, 0);
}

// Drops what the previous mode (still in Mode) built: all of its fields and
// pieces, and the element 1 surfaces and labels it added. The objects go
// first, so that no piece or field is ever left pointing at a removed
// surface.
void Tessarin::takeDownMode() {
    if (Mode == kNoMode)
        return;
    releaseModeObjects();
    if (Mode == kCooperation || Mode == kDuel)
        picPreviewer[1].reset();
    if (Mode == kDuel) {
        picCanvas[1].reset();
        lblSpeed[1].reset();
        lblLines[1].reset();
        lblScore[1].reset();
    }
}

// Width, then height, then centred on the screen by the size as the window
// now has it.
void Tessarin::sizeWindow(int width, int height) {
    TheWindow.Width = width;
    TheWindow.Height = height;
    centreWindow();
}

// Adds element 1 of picPreviewer and, for a Duel, of picCanvas and the
// value labels, in that order.
void Tessarin::loadElement1(bool canvasAndLabels) {
    picPreviewer[1] = copyOfElement0(*picPreviewer[0]);
    if (!canvasAndLabels)
        return;
    picCanvas[1] = copyOfElement0(*picCanvas[0]);
    lblSpeed[1] = copyOfElement0(*lblSpeed[0]);
    lblLines[1] = copyOfElement0(*lblLines[0]);
    lblScore[1] = copyOfElement0(*lblScore[0]);
}

// Every playing surface of the mode shows; each preview surface follows the
// Preview setting and is brought to the front.
void Tessarin::showSurfaces() {
    for (auto& canvas : picCanvas)
        if (canvas)
            canvas->setVisible(true);
    for (auto& previewer : picPreviewer)
        if (previewer) {
            previewer->setVisible(Preview);
            previewer->ZOrder();
        }
}

// Creates the mode's fields, preview canvases and pieces, all new, then
// wires each to its surface, cell images and timers.
void Tessarin::createObjects(int16_t newMode) {
    const int fieldCount = newMode == kDuel ? 2 : 1;
    const int players = newMode == kStandard ? 1 : 2;
    const int16_t columns = newMode == kCooperation ? kSharedColumns : kColumns;

    for (int i = 0; i < fieldCount; ++i)
        Fields[i] = std::make_unique<Canvas>(services_.random);
    for (int i = 0; i < players; ++i)
        PreviewFields[i] = std::make_unique<Canvas>(services_.random);
    for (int i = 0; i < players; ++i) {
        Squares[i] = std::make_unique<SquareSet>(services_.random, services_.sound);
        Previews[i] = std::make_unique<SquareSet>(services_.random, services_.sound);
    }

    const auto giveImages = [this](Canvas& c) {
        c.setPicSource(&Images.picRed, &Images.picOrange, &Images.picYellow, &Images.picGreen,
                       &Images.picCyan, &Images.picBlue, &Images.picPurple);
        c.setpicBlack(&Images.picBlack);
    };
    for (int i = 0; i < fieldCount; ++i) {
        Canvas& field = *Fields[i];
        field.setColumns(columns);
        field.setRows(kRows);
        field.setPicOutput(picCanvas[i].get());
        giveImages(field);
        field.setDeleteTimer(tmrDelete[i].get());
        // Only the one-player field keeps a reference to its fall timer.
        if (newMode == kStandard)
            field.setMainTimer(tmrMain[0].get());
    }
    for (int i = 0; i < players; ++i) {
        Canvas& preview = *PreviewFields[i];
        preview.setColumns(kPreviewCells);
        preview.setRows(kPreviewCells);
        preview.setPicOutput(picPreviewer[i].get());
        giveImages(preview);
    }
    for (int i = 0; i < players; ++i) {
        // In Cooperation both pieces fall on the one shared field.
        Squares[i]->setBlinkTimer(tmrBlink[i].get());
        Squares[i]->setTheCanvas(Fields[fieldCount == 2 ? i : 0].get());
        Previews[i]->setBlinkTimer(tmrPreBlink[i].get());
        Previews[i]->setTheCanvas(PreviewFields[i].get());
    }
}

// Left edges of the labels; tops and sizes never change. lblGame and the row
// titles' right edges stand at edge, player 1's values at valueLeft and, in
// a Duel, player 2's at edge. The titles, lblGame and player 1's values are
// hidden while the welcome banner shows; they appear here, once in their
// place for the mode and while the window is still hidden, so that the
// window shows exactly the elements of the mode. Texts are left as they are.
void Tessarin::placeLabels(int valueLeft, int edge) {
    for (Label* value : {lblSpeed[0].get(), lblLines[0].get(), lblScore[0].get()}) {
        value->Left = valueLeft;
        value->Visible = true;
    }
    for (Label* title : {&lblGame0, &lblSpeed0, &lblLines0, &lblScore0}) {
        title->Left = edge - title->Width;
        title->Visible = true;
    }
    lblGame.Left = edge;
    lblGame.Visible = true;
    for (auto* second : {&lblSpeed, &lblLines, &lblScore})
        if ((*second)[1]) {
            (*second)[1]->Left = edge;
            (*second)[1]->Visible = true;
        }
}

// Drops the fields and pieces of the mode. The pieces go first: they refer
// to the fields.
void Tessarin::releaseModeObjects() {
    for (int i = 0; i < kPlayers; ++i) {
        Squares[i].reset();
        Previews[i].reset();
    }
    for (int i = 0; i < kPlayers; ++i) {
        Fields[i].reset();
        PreviewFields[i].reset();
    }
}

} // namespace tessarin
