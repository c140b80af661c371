#pragma once

// What the host's window shows, as plain values: the window's caption and
// size, every label, and every field and next-piece surface with the cell
// image drawn in each of its 16 x 16 cells. The host sends a full view and
// then only what changed (a delta); the joiner applies them in turn and
// shows the result.

#include "platform/WindowElements.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessarin::net {

class Reader;
class Writer;

// Cell codes: 0 ... 6 the colour images, 8 the black (empty) cell, 7 a cell
// whose pixels are none of the eight images. In a delta, kCellUnchanged
// keeps the cell as it is.
constexpr uint8_t kCellNone = 7;
constexpr uint8_t kCellEmpty = 8;
constexpr uint8_t kCellUnchanged = 15;

// Bounds of a view; a host's window lies well within them.
constexpr int kMaxLabels = 32;
constexpr int kMaxSurfaces = 4;
constexpr int kMaxColumns = 32;
constexpr int kMaxRows = 32;
constexpr int kMaxBorder = 8;
constexpr std::size_t kMaxCaption = 64;    // window and label captions, bytes
constexpr std::size_t kMaxIdentifier = 32; // label and font names, ASCII

struct WindowView {
    std::string Caption;
    int Width = 0; // twips, outer size as the host's window has it
    int Height = 0;
    bool Visible = false;
    bool operator==(const WindowView&) const = default;
};

struct SurfaceView {
    int Kind = 0;  // 0 a playing field (picCanvas), 1 a next-piece surface (picPreviewer)
    int Index = 0; // the element of its array: 0 player 1, 1 player 2
    int Left = 0;  // twips
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int Border = 0; // pixels
    bool Visible = false;
    int Z = 0; // stacking rank among the view's surfaces, 0 at the bottom
    int Columns = 0;
    int Rows = 0;
    std::vector<uint8_t> Cells; // row by row, Columns x Rows codes

    bool sameGeometry(const SurfaceView& o) const;
    bool operator==(const SurfaceView&) const = default;
};

struct ViewState {
    WindowView Window;
    std::vector<Label> Labels;
    std::vector<SurfaceView> Surfaces;
    bool operator==(const ViewState&) const = default;
};

// A surface's change: its geometry (a SurfaceView without cells) and/or its
// cells (all of them, kCellUnchanged where nothing changed).
struct SurfaceChange {
    int Index = 0;
    std::optional<SurfaceView> Geometry;
    std::optional<std::vector<uint8_t>> Cells;
    bool operator==(const SurfaceChange&) const = default;
};

// The message that brings a joiner's view up to date. A full view starts
// from nothing; a delta from the view before it. Labels and surfaces are
// numbered as in the view; the counts give the new lengths of both lists,
// and an element beyond the old length must come whole.
struct ViewDelta {
    bool Full = false;
    uint16_t Ack = 0; // the last action of the joiner applied before this view
    std::optional<WindowView> Window;
    int LabelCount = 0;
    std::vector<std::pair<int, Label>> Labels; // by increasing number
    int SurfaceCount = 0;
    std::vector<SurfaceChange> Surfaces; // by increasing number
    bool operator==(const ViewDelta&) const = default;
};

ViewDelta FullView(const ViewState& view);
// What turns `from` into `to`; nothing when they are equal.
std::optional<ViewDelta> Diff(const ViewState& from, const ViewState& to);
// A delta that changes nothing, for an acknowledgement alone.
ViewDelta Unchanged(const ViewState& view);
// Applies a delta; false, leaving the view as it was, when the delta does
// not fit the view (an element that is new but not whole, cells that do
// not match the surface's size).
bool Apply(ViewState& view, const ViewDelta& delta);

// True when the view keeps within the bounds above, as every view made by
// capture or by Apply does.
bool IsWithinBounds(const ViewState& view);

// A window the host's game shows over its main window, for the joiner to
// see as well: a message, or the records or duel results table.
constexpr int kMaxShownRows = 8;
constexpr int kMaxShownCells = 64;
struct Shown {
    enum class Kind : uint8_t { Message = 1, Results = 2 };
    Kind Form = Kind::Message;
    WindowView Window;
    Label Main;                             // the message's text, or the results' Ok button
    std::vector<Label> Side, Header, Cells; // the results' grid
    bool operator==(const Shown&) const = default;
};
void EncodeShown(Writer& out, const Shown& shown);
Shown DecodeShown(Reader& in);

// The payload of a View message. Decoding checks every field's range and
// stops at the first that is out of it (reader.failure() names it).
void EncodeDelta(Writer& out, const ViewDelta& delta);
ViewDelta DecodeDelta(Reader& in);

} // namespace tessarin::net
