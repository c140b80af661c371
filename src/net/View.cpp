#include "net/View.h"

#include "net/Text.h"
#include "net/Wire.h"
#include "platform/CodePage1252.h"

#include <algorithm>
#include <cmath>

namespace tessarin::net {

namespace {

constexpr int kMaxTwips = 32767;
constexpr int kMaxCells = kMaxColumns * kMaxRows;
constexpr int kMaxFontSize = 7200; // hundredths of a point

// ---- Labels

enum LabelFlag {
    kVisible = 1,
    kTransparent = 2,
    kBorder = 4,
    kAutoSize = 8,
    kBold = 16,
    kItalic = 32
};

void writeLabel(Writer& out, const Label& l) {
    out.text(WireBytes(l.Name, kMaxIdentifier, true));
    out.text(WireBytes(l.Caption, kMaxCaption, false));
    for (int v : {l.Left, l.Top, l.Width, l.Height})
        out.i16(std::clamp(v, -32768, 32767));
    out.u8((l.Visible ? kVisible : 0) | (l.Transparent ? kTransparent : 0) |
           (l.Border ? kBorder : 0) | (l.AutoSize ? kAutoSize : 0) | (l.TheFont.Bold ? kBold : 0) |
           (l.TheFont.Italic ? kItalic : 0));
    out.u8(static_cast<unsigned>(l.Align));
    out.u24(l.ForeColor & 0xFFFFFF);
    out.u8(static_cast<unsigned>(l.ForeSystem));
    out.u24(l.BackColor & 0xFFFFFF);
    out.u8(static_cast<unsigned>(l.BackSystem));
    out.text(WireBytes(l.TheFont.Name, kMaxIdentifier, true));
    out.u16(static_cast<unsigned>(
        std::clamp(static_cast<long>(std::lround(l.TheFont.Size * 100)), 1L, long{kMaxFontSize})));
}

Label readLabel(Reader& in) {
    Label l;
    l.Name = in.text(kMaxIdentifier, IsAsciiShownByte, "label name");
    l.Caption = FromCodePage1252(in.text(kMaxCaption, IsShownByte, "label caption"));
    l.Left = in.i16("label place");
    l.Top = in.i16("label place");
    l.Width = in.i16("label size");
    l.Height = in.i16("label size");
    const int flags = in.u8(0, 63, "label flags");
    l.Visible = flags & kVisible;
    l.Transparent = flags & kTransparent;
    l.Border = flags & kBorder;
    l.AutoSize = flags & kAutoSize;
    l.TheFont.Bold = flags & kBold;
    l.TheFont.Italic = flags & kItalic;
    l.Align = static_cast<Alignment>(in.u8(0, 2, "label alignment"));
    const int lastSystem = static_cast<int>(SystemColour::InfoBackground);
    l.ForeColor = in.u24("label colour");
    l.ForeSystem = static_cast<SystemColour>(in.u8(0, lastSystem, "label colour"));
    l.BackColor = in.u24("label colour");
    l.BackSystem = static_cast<SystemColour>(in.u8(0, lastSystem, "label colour"));
    l.TheFont.Name = in.text(kMaxIdentifier, IsAsciiShownByte, "font name");
    l.TheFont.Size = in.u16(1, kMaxFontSize, "font size") / 100.0;
    return l;
}

// ---- Surfaces

void writeGeometry(Writer& out, const SurfaceView& s) {
    out.u8(s.Kind);
    out.u8(s.Index);
    out.i16(s.Left);
    out.i16(s.Top);
    out.u16(s.Width);
    out.u16(s.Height);
    out.u8(s.Border);
    out.u8(s.Visible);
    out.u8(s.Z);
    out.u8(s.Columns);
    out.u8(s.Rows);
}

SurfaceView readGeometry(Reader& in, int surfaceCount) {
    SurfaceView s;
    s.Kind = in.u8(0, 1, "surface kind");
    s.Index = in.u8(0, 1, "surface index");
    s.Left = in.i16("surface place");
    s.Top = in.i16("surface place");
    s.Width = in.u16(0, kMaxTwips, "surface size");
    s.Height = in.u16(0, kMaxTwips, "surface size");
    s.Border = in.u8(0, kMaxBorder, "surface border");
    s.Visible = in.flag("surface visibility");
    s.Z = in.u8(0, surfaceCount - 1, "surface stacking");
    s.Columns = in.u8(0, kMaxColumns, "surface columns");
    s.Rows = in.u8(0, kMaxRows, "surface rows");
    return s;
}

// Cells run by run: a byte of code (high four bits) and length (low four:
// 0 ... 14 for runs of 1 ... 15; 15 for a longer run whose length less 16
// follows in the next byte).
void writeCells(Writer& out, const std::vector<uint8_t>& cells) {
    out.u16(static_cast<unsigned>(cells.size()));
    for (std::size_t i = 0; i < cells.size();) {
        std::size_t run = 1;
        while (i + run < cells.size() && cells[i + run] == cells[i] && run < 271)
            ++run;
        if (run <= 15) {
            out.u8(cells[i] << 4 | (run - 1));
        } else {
            out.u8(cells[i] << 4 | 15);
            out.u8(run - 16);
        }
        i += run;
    }
}

std::vector<uint8_t> readCells(Reader& in) {
    const int count = in.u16(0, kMaxCells, "cell count");
    std::vector<uint8_t> cells;
    cells.reserve(count);
    while (in.ok() && static_cast<int>(cells.size()) < count) {
        const int b = in.u8(0, 255, "cell run");
        const int code = b >> 4;
        const int run = (b & 15) < 15 ? (b & 15) + 1 : 16 + in.u8(0, 255, "cell run");
        if (code > kCellEmpty && code != kCellUnchanged)
            in.fail("cell code");
        else if (static_cast<int>(cells.size()) + run > count)
            in.fail("cell run");
        else
            cells.insert(cells.end(), run, static_cast<uint8_t>(code));
    }
    return cells;
}

bool validCodes(const std::vector<uint8_t>& cells) {
    return std::all_of(cells.begin(), cells.end(), [](uint8_t c) { return c <= kCellEmpty; });
}

} // namespace

bool SurfaceView::sameGeometry(const SurfaceView& o) const {
    return Kind == o.Kind && Index == o.Index && Left == o.Left && Top == o.Top &&
           Width == o.Width && Height == o.Height && Border == o.Border && Visible == o.Visible &&
           Z == o.Z && Columns == o.Columns && Rows == o.Rows;
}

ViewDelta FullView(const ViewState& view) {
    ViewDelta d;
    d.Full = true;
    d.Window = view.Window;
    d.LabelCount = static_cast<int>(view.Labels.size());
    for (int i = 0; i < d.LabelCount; ++i)
        d.Labels.emplace_back(i, view.Labels[i]);
    d.SurfaceCount = static_cast<int>(view.Surfaces.size());
    for (int i = 0; i < d.SurfaceCount; ++i) {
        SurfaceView geometry = view.Surfaces[i];
        geometry.Cells.clear();
        d.Surfaces.push_back({i, geometry, view.Surfaces[i].Cells});
    }
    return d;
}

ViewDelta Unchanged(const ViewState& view) {
    ViewDelta d;
    d.LabelCount = static_cast<int>(view.Labels.size());
    d.SurfaceCount = static_cast<int>(view.Surfaces.size());
    return d;
}

std::optional<ViewDelta> Diff(const ViewState& from, const ViewState& to) {
    ViewDelta d;
    bool changed = false;
    if (!(from.Window == to.Window)) {
        d.Window = to.Window;
        changed = true;
    }
    d.LabelCount = static_cast<int>(to.Labels.size());
    changed |= to.Labels.size() != from.Labels.size();
    for (int i = 0; i < d.LabelCount; ++i)
        if (i >= static_cast<int>(from.Labels.size()) || !(from.Labels[i] == to.Labels[i]))
            d.Labels.emplace_back(i, to.Labels[i]);
    d.SurfaceCount = static_cast<int>(to.Surfaces.size());
    changed |= to.Surfaces.size() != from.Surfaces.size();
    for (int i = 0; i < d.SurfaceCount; ++i) {
        const SurfaceView& now = to.Surfaces[i];
        const SurfaceView* before =
            i < static_cast<int>(from.Surfaces.size()) ? &from.Surfaces[i] : nullptr;
        SurfaceChange c{i, std::nullopt, std::nullopt};
        if (!before || !before->sameGeometry(now)) {
            c.Geometry = now;
            c.Geometry->Cells.clear();
        }
        if (!before || before->Columns != now.Columns || before->Rows != now.Rows) {
            c.Cells = now.Cells;
        } else if (before->Cells != now.Cells) {
            c.Cells = now.Cells;
            for (std::size_t k = 0; k < now.Cells.size(); ++k)
                if (before->Cells[k] == now.Cells[k])
                    (*c.Cells)[k] = kCellUnchanged;
        }
        if (c.Geometry || c.Cells)
            d.Surfaces.push_back(std::move(c));
    }
    if (!changed && !d.Window && d.Labels.empty() && d.Surfaces.empty())
        return std::nullopt;
    return d;
}

bool Apply(ViewState& view, const ViewDelta& d) {
    ViewState next = d.Full ? ViewState{} : view;
    const std::size_t oldLabels = next.Labels.size();
    const std::size_t oldSurfaces = next.Surfaces.size();
    if (d.LabelCount < 0 || d.LabelCount > kMaxLabels || d.SurfaceCount < 0 ||
        d.SurfaceCount > kMaxSurfaces)
        return false;
    if (d.Window)
        next.Window = *d.Window;
    else if (d.Full)
        return false;

    // Labels: every new one must come.
    next.Labels.resize(d.LabelCount);
    int given = 0;
    int last = -1;
    for (const auto& [i, label] : d.Labels) {
        if (i <= last || i >= d.LabelCount)
            return false;
        next.Labels[i] = label;
        given += i >= static_cast<int>(oldLabels);
        last = i;
    }
    if (given != std::max(0, d.LabelCount - static_cast<int>(oldLabels)))
        return false;

    // Surfaces: a new one comes whole; new dimensions bring every cell.
    next.Surfaces.resize(d.SurfaceCount);
    given = 0;
    last = -1;
    for (const SurfaceChange& c : d.Surfaces) {
        if (c.Index <= last || c.Index >= d.SurfaceCount)
            return false;
        last = c.Index;
        SurfaceView& s = next.Surfaces[c.Index];
        const bool isNew = c.Index >= static_cast<int>(oldSurfaces);
        given += isNew;
        if (isNew && (!c.Geometry || !c.Cells))
            return false;
        bool resized = isNew;
        if (c.Geometry) {
            resized |= c.Geometry->Columns != s.Columns || c.Geometry->Rows != s.Rows;
            std::vector<uint8_t> cells = std::move(s.Cells);
            s = *c.Geometry;
            s.Cells = std::move(cells);
        }
        if (c.Cells) {
            const std::vector<uint8_t>& codes = *c.Cells;
            if (codes.size() != static_cast<std::size_t>(s.Columns) * s.Rows)
                return false;
            if (resized) {
                if (!validCodes(codes))
                    return false;
                s.Cells = codes;
            } else {
                if (s.Cells.size() != codes.size())
                    return false;
                for (std::size_t k = 0; k < codes.size(); ++k)
                    if (codes[k] != kCellUnchanged)
                        s.Cells[k] = codes[k];
            }
        } else if (resized) {
            return false;
        }
    }
    if (given != std::max(0, d.SurfaceCount - static_cast<int>(oldSurfaces)))
        return false;
    if (!IsWithinBounds(next))
        return false;
    view = std::move(next);
    return true;
}

bool IsWithinBounds(const ViewState& v) {
    if (v.Labels.size() > kMaxLabels || v.Surfaces.size() > kMaxSurfaces || v.Window.Width < 0 ||
        v.Window.Width > kMaxTwips || v.Window.Height < 0 || v.Window.Height > kMaxTwips)
        return false;
    for (const SurfaceView& s : v.Surfaces)
        if (s.Kind < 0 || s.Kind > 1 || s.Index < 0 || s.Index > 1 || s.Width < 0 ||
            s.Width > kMaxTwips || s.Height < 0 || s.Height > kMaxTwips || s.Border < 0 ||
            s.Border > kMaxBorder || s.Z < 0 || s.Z >= static_cast<int>(v.Surfaces.size()) ||
            s.Columns < 0 || s.Columns > kMaxColumns || s.Rows < 0 || s.Rows > kMaxRows ||
            s.Cells.size() != static_cast<std::size_t>(s.Columns) * s.Rows || !validCodes(s.Cells))
            return false;
    return true;
}

// ---- The View payload
//   u8 flags (1 full, 2 window follows), u16 ack,
//   [window: text caption, u16 width, u16 height, u8 visible],
//   u8 label count, u8 labels given, each: u8 number, label,
//   u8 surface count, u8 surfaces given, each: u8 number, u8 parts (1
//   geometry, 2 cells), [geometry], [u16 cell count, cell runs].

void EncodeDelta(Writer& out, const ViewDelta& d) {
    out.u8((d.Full ? 1 : 0) | (d.Window ? 2 : 0));
    out.u16(d.Ack);
    if (d.Window) {
        out.text(WireBytes(d.Window->Caption, kMaxCaption));
        out.u16(d.Window->Width);
        out.u16(d.Window->Height);
        out.u8(d.Window->Visible);
    }
    out.u8(d.LabelCount);
    out.u8(static_cast<unsigned>(d.Labels.size()));
    for (const auto& [i, label] : d.Labels) {
        out.u8(i);
        writeLabel(out, label);
    }
    out.u8(d.SurfaceCount);
    out.u8(static_cast<unsigned>(d.Surfaces.size()));
    for (const SurfaceChange& c : d.Surfaces) {
        out.u8(c.Index);
        out.u8((c.Geometry ? 1 : 0) | (c.Cells ? 2 : 0));
        if (c.Geometry)
            writeGeometry(out, *c.Geometry);
        if (c.Cells)
            writeCells(out, *c.Cells);
    }
}

ViewDelta DecodeDelta(Reader& in) {
    ViewDelta d;
    const int flags = in.u8(0, 3, "view flags");
    d.Full = flags & 1;
    d.Ack = static_cast<uint16_t>(in.u16(0, 0xFFFF, "view ack"));
    if (flags & 2) {
        WindowView w;
        w.Caption = FromCodePage1252(in.text(kMaxCaption, IsShownByte, "window caption"));
        w.Width = in.u16(0, kMaxTwips, "window size");
        w.Height = in.u16(0, kMaxTwips, "window size");
        w.Visible = in.flag("window visibility");
        d.Window = w;
    }
    d.LabelCount = in.u8(0, kMaxLabels, "label count");
    const int labels = in.u8(0, d.LabelCount, "labels given");
    for (int k = 0, last = -1; k < labels && in.ok(); ++k) {
        last = in.u8(last + 1, d.LabelCount - 1, "label number");
        d.Labels.emplace_back(last, readLabel(in));
    }
    d.SurfaceCount = in.u8(0, kMaxSurfaces, "surface count");
    const int surfaces = in.u8(0, d.SurfaceCount, "surfaces given");
    for (int k = 0, last = -1; k < surfaces && in.ok(); ++k) {
        SurfaceChange c;
        c.Index = last = in.u8(last + 1, d.SurfaceCount - 1, "surface number");
        const int parts = in.u8(1, 3, "surface parts");
        if (parts & 1)
            c.Geometry = readGeometry(in, d.SurfaceCount);
        if (parts & 2)
            c.Cells = readCells(in);
        d.Surfaces.push_back(std::move(c));
    }
    return d;
}

// ---- The Shown payload
//   u8 form, window (text caption, u16 width, u16 height), the main label,
//   u8 side count, u8 header count, u8 cell count, then those labels.

void EncodeShown(Writer& out, const Shown& s) {
    out.u8(static_cast<unsigned>(s.Form));
    out.text(WireBytes(s.Window.Caption, kMaxCaption));
    out.u16(static_cast<unsigned>(std::clamp(s.Window.Width, 0, kMaxTwips)));
    out.u16(static_cast<unsigned>(std::clamp(s.Window.Height, 0, kMaxTwips)));
    writeLabel(out, s.Main);
    const auto counted = [](const std::vector<Label>& v, int most) {
        return std::min(static_cast<int>(v.size()), most);
    };
    const int side = counted(s.Side, kMaxShownRows), header = counted(s.Header, kMaxShownRows),
              cells = counted(s.Cells, kMaxShownCells);
    out.u8(side);
    out.u8(header);
    out.u8(cells);
    for (const auto& [labels, n] :
         {std::pair{&s.Side, side}, {&s.Header, header}, {&s.Cells, cells}})
        for (int i = 0; i < n; ++i)
            writeLabel(out, (*labels)[i]);
}

Shown DecodeShown(Reader& in) {
    Shown s;
    s.Form = static_cast<Shown::Kind>(in.u8(1, 2, "window kind"));
    s.Window.Caption = FromCodePage1252(in.text(kMaxCaption, IsShownByte, "window caption"));
    s.Window.Width = in.u16(0, kMaxTwips, "window size");
    s.Window.Height = in.u16(0, kMaxTwips, "window size");
    s.Window.Visible = true;
    s.Main = readLabel(in);
    const int side = in.u8(0, kMaxShownRows, "rows");
    const int header = in.u8(0, kMaxShownRows, "columns");
    const int cells = in.u8(0, kMaxShownCells, "cells");
    for (const auto& [labels, n] :
         {std::pair{&s.Side, side}, {&s.Header, header}, {&s.Cells, cells}})
        for (int i = 0; i < n && in.ok(); ++i)
            labels->push_back(readLabel(in));
    // Every label lies within the window, as the host's do.
    const auto inside = [&](const Label& l) {
        return l.Left >= 0 && l.Top >= 0 && l.Width >= 0 && l.Height >= 0 &&
               l.Left + l.Width <= s.Window.Width && l.Top + l.Height <= s.Window.Height;
    };
    bool fits = inside(s.Main);
    for (const auto* labels : {&s.Side, &s.Header, &s.Cells})
        fits = fits && std::all_of(labels->begin(), labels->end(), inside);
    if (in.ok() && !fits)
        in.fail("label place");
    return s;
}

} // namespace tessarin::net
