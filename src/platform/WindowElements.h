#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tessarin {

// Plain state of the window elements the game drives. The game decides
// every value; the front end shows them. Geometry is in twips.

// Colours are 0xRRGGBB. kSystemColour marks "the system's colour" for the
// front end to fill in.
constexpr uint32_t rgb(int r, int g, int b) {
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
           static_cast<uint32_t>(b);
}
enum class SystemColour {
    None,           // an explicit colour is given
    WindowText,     // default text colour
    ButtonFace,     // default control background
    AppWorkspace,   // application-workspace grey
    InfoText,       // tooltip text
    InfoBackground, // tooltip background
};

struct Font {
    std::string Name = "MS Sans Serif";
    double Size = 8.25;
    bool Bold = false;
    bool Italic = false;
    bool operator==(const Font&) const = default;
};

enum class Alignment { Left = 0, Right = 1, Center = 2 };

struct Label {
    std::string Name;
    std::string Caption;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Visible = true;
    uint32_t ForeColor = 0;
    SystemColour ForeSystem = SystemColour::WindowText;
    uint32_t BackColor = 0;
    SystemColour BackSystem = SystemColour::ButtonFace;
    bool Transparent = false; // background not painted
    Alignment Align = Alignment::Left;
    bool Border = false;   // single-line border
    bool AutoSize = false; // sized to its text by the front end
    Font TheFont;
    bool operator==(const Label&) const = default;
};

// A label of that name and caption at (left, top), width x height, in the
// default look; callers set the rest.
inline Label placedLabel(std::string name, std::string caption, int left, int top, int width = 0,
                         int height = 0) {
    Label l;
    l.Name = std::move(name);
    l.Caption = std::move(caption);
    l.Left = left;
    l.Top = top;
    l.Width = width;
    l.Height = height;
    return l;
}

// One item of the menu tree. Captions carry "&" before the access letter; a
// separator has the caption "-". Arrays (mnuLevel, mnuSpeed, and mnuSeat
// for who plays player 2) give each element its Index; other items have
// Index -1.
struct MenuItem {
    std::string Name;
    std::string Caption;
    std::string Shortcut; // "Ctrl+O", "F2" or empty
    int Index = -1;
    bool Enabled = true;
    bool Checked = false;
    bool Visible = true;
    std::vector<MenuItem> Items;

    bool isSeparator() const { return Caption == "-"; }
};

struct Window {
    std::string Caption;
    int Left = 0;
    int Top = 0;
    int Width = 0; // outer size, frame, title and menu bar included
    int Height = 0;
    bool Visible = false;
    bool Loaded = false;
};

// Window geometry is kept in twips, this many to a pixel.
inline constexpr int kTwipsPerPixel = 15;

// The screen, in twips, for centring windows.
struct ScreenSize {
    int Width = 1024 * kTwipsPerPixel;
    int Height = 768 * kTwipsPerPixel;
};

} // namespace tessarin
