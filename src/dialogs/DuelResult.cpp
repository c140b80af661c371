#include "dialogs/DuelResult.h"

#include "dialogs/DialogWindow.h"

#include <algorithm>

namespace tessarin {

namespace {

// Below the grid's rows: the Ok button, its margins and the window frame.
constexpr int kRoomBelowGrid = 1000;
// Between the Ok button and the bottom of the inner area.
constexpr int kButtonBottomMargin = 100;

const std::string kRecord = "Record";
const std::string kDuelResultKind = "Duel Result";

Label gridLabel(const char* name, int left, int top, int width, int height) {
    Label l = placedLabel(name, {}, left, top, width, height);
    l.Border = true;
    return l;
}

// Spaces off both ends; other characters stay.
std::string trimSpaces(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// A new element of a label array: a hidden copy of element 0.
Label& addElement(std::vector<Label>& array) {
    Label copy = array.front();
    copy.Visible = false;
    array.push_back(copy);
    return array.back();
}

void removeElements(std::vector<Label>& array, int upTo) {
    const auto end = std::min(array.size(), static_cast<size_t>(std::max(upTo, 0)) + 1);
    if (end > 1)
        array.erase(array.begin() + 1, array.begin() + static_cast<std::ptrdiff_t>(end));
}

} // namespace

DuelResult::DuelResult(Dialogs& dialogs, Sound& sound, const ScreenSize& screen)
    : dialogs_(dialogs), sound_(sound), screen_(screen) {
    Command1.Name = "Command1";
    Command1.Caption = "&Ok";
    Command1.Width = 1035;
    Command1.Height = 375;

    Label side = gridLabel("lblSide", 0, 255, 1350, 255);
    side.BackColor = rgb(255, 192, 128);
    side.BackSystem = SystemColour::None;
    side.TheFont = Font{"MS Sans Serif", 8.25, true, false};
    lblSide.push_back(side);

    Label header = side;
    header.Name = "lblHeader";
    header.Left = 1350;
    header.Top = 0;
    header.Width = 1200;
    lblHeader.push_back(header);

    Label cell = gridLabel("lblCell", 1350, 255, 1200, 255);
    cell.ForeSystem = SystemColour::InfoText;
    cell.BackSystem = SystemColour::InfoBackground;
    cell.TheFont = Font{"MS Sans Serif", 8.25, false, true};
    lblCell.push_back(cell);

    // Design size: that of the records table.
    TheWindow.Width = 5 * lblHeader[0].Width + lblSide[0].Width + kDialogFrameWidth;
    TheWindow.Height = 5 * lblSide[0].Height + kRoomBelowGrid;
    Form_Resize();
}

void DuelResult::KeepDesignLabelsOnly() {
    lblSide.resize(1);
    lblHeader.resize(1);
    lblCell.resize(1);
}

void DuelResult::BuildGrid(int16_t Rows, int16_t Cols, const std::string& Kind) {
    // A grid always starts from the design-time labels, whatever ended the
    // last show.
    KeepDesignLabelsOnly();
    Rows = std::max<int16_t>(Rows, 1);
    Cols = std::max<int16_t>(Cols, 1);

    if (Kind == kRecord) {
        lblSide[0].Visible = true;
        for (int i = 1; i <= Rows - 1; ++i) {
            const Label above = lblSide[static_cast<size_t>(i - 1)];
            Label& l = addElement(lblSide);
            l.Top = above.Top + above.Height;
            l.Visible = true;
        }
        lblHeader[0].Left = lblSide[0].Width;
        lblCell[0].Left = lblSide[0].Width;
    } else {
        lblSide[0].Visible = false;
        lblHeader[0].Left = 0;
        lblCell[0].Left = 0;
    }

    for (int j = 1; j <= Cols - 1; ++j) {
        const Label before = lblHeader[static_cast<size_t>(j - 1)];
        Label& l = addElement(lblHeader);
        l.Left = before.Left + before.Width;
        l.Visible = true;
    }

    const Label first = lblCell[0];
    for (int k = 1; k <= Rows * Cols - 1; ++k) {
        Label& l = addElement(lblCell);
        l.Top = first.Top + (k / Cols) * first.Height;
        l.Left = first.Left + (k % Cols) * first.Width;
        l.Visible = true;
    }
}

void DuelResult::ClearGrid(int16_t Rows, int16_t Cols, const std::string& Kind) {
    if (Kind == kRecord)
        removeElements(lblSide, Rows - 1);
    removeElements(lblHeader, Cols - 1);
    removeElements(lblCell, Rows * Cols - 1);
}

void DuelResult::ShowRecord(const Records& records) {
    TheWindow.Loaded = true;
    TheWindow.Caption = kRecord;
    BuildGrid(4, 5, kRecord);

    TheWindow.Height = 5 * lblSide[0].Height + kRoomBelowGrid;
    TheWindow.Width = 5 * lblHeader[0].Width + lblSide[0].Width + kDialogFrameWidth;
    Form_Resize();

    TheWindow.Top = screen_.Height / 2 - TheWindow.Height / 2;
    TheWindow.Left = screen_.Width / 2 - TheWindow.Width / 2;

    static const char* const kHeaders[5] = {" Name1", " Name2", " Final Score", " Final Lines",
                                            " Final Speed"};
    static const char* const kSides[4] = {" OnePlayer A", " OnePlayer B", " Cooperation A",
                                          " Cooperation B"};
    for (size_t j = 0; j < 5; ++j)
        lblHeader[j].Caption = kHeaders[j];
    for (size_t i = 0; i < 4; ++i)
        lblSide[i].Caption = kSides[i];
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 5; ++col)
            lblCell[static_cast<size_t>(5 * row + col)].Caption = trimSpaces(records.at(row, col));

    sound_.PlayWave("message.wav");
    TheWindow.Visible = true;
    dialogs_.ShowModal(*this);
}

void DuelResult::ShowDuelResult(const DuelTallyTable& tally) {
    TheWindow.Loaded = true;
    TheWindow.Caption = kDuelResultKind;
    BuildGrid(2, 4, kDuelResultKind);

    TheWindow.Height = 3 * lblSide[0].Height + kRoomBelowGrid;
    TheWindow.Width = 4 * lblHeader[0].Width + kDialogFrameWidth;
    Form_Resize();

    TheWindow.Top = screen_.Height / 2 - TheWindow.Height / 2;
    TheWindow.Left = screen_.Width / 2 - TheWindow.Width / 2;

    static const char* const kHeaders[4] = {" Name", " Wins", " Total Score", " Total Lines"};
    for (size_t j = 0; j < 4; ++j)
        lblHeader[j].Caption = kHeaders[j];
    for (size_t p = 0; p < 2; ++p) {
        const DuelTallyEntry& e = tally[p];
        lblCell[4 * p + 0].Caption = trimSpaces(e.Name);
        lblCell[4 * p + 1].Caption = std::to_string(e.Wins);
        lblCell[4 * p + 2].Caption = std::to_string(e.TotalScore);
        lblCell[4 * p + 3].Caption = std::to_string(e.TotalLines);
    }

    sound_.PlayWave("message.wav");
    TheWindow.Visible = true;
    dialogs_.ShowModal(*this);
}

void DuelResult::Command1_Click() {
    TheWindow.Visible = false;
    if (TheWindow.Caption == kRecord)
        ClearGrid(4, 5, kRecord);
    else if (TheWindow.Caption == kDuelResultKind)
        ClearGrid(2, 4, kDuelResultKind);
}

void DuelResult::Form_Unload() {
    Command1_Click();
}

void DuelResult::Form_Resize() {
    Command1.Left = dialogInnerWidth(TheWindow) / 2 - Command1.Width / 2;
    Command1.Top = dialogInnerHeight(TheWindow) - Command1.Height - kButtonBottomMargin;
}

} // namespace tessarin
