#include "net/View.h"

#include "net/Capture.h"
#include "net/Protocol.h"
#include "support/GameFixture.h"

#include <gtest/gtest.h>
#include <random>

using namespace tessarin;
using namespace tessarin::net;

namespace {

// ---- Deltas on made-up views -------------------------------------------------

class ViewMaker {
public:
    explicit ViewMaker(unsigned seed) : rng_(seed) {}
    int pick(int hi) { return std::uniform_int_distribution<int>(0, hi)(rng_); }

    Label label() {
        static const char* captions[] = {"0", " 1200", "Speed", "Zoë", "A", ""};
        Label l = placedLabel("lbl" + std::to_string(pick(9)), captions[pick(5)], pick(9000) - 100,
                              pick(6000), pick(700), pick(300));
        // Every field of a label varies, so that one the wire leaves out
        // shows as a view that is not brought up to date.
        const auto colour = [&] { return static_cast<uint32_t>(pick(0xFFFFFF)); };
        const auto system = [&] {
            return static_cast<SystemColour>(pick(int(SystemColour::InfoBackground)));
        };
        l.Visible = pick(1);
        l.ForeColor = colour();
        l.ForeSystem = system();
        l.BackColor = colour();
        l.BackSystem = system();
        l.Transparent = pick(1);
        l.Align = static_cast<Alignment>(pick(2));
        l.Border = pick(1);
        l.AutoSize = pick(1);
        l.TheFont = {pick(1) ? "MS Sans Serif" : "Arial", pick(1) ? 8.25 : 15, bool(pick(1)),
                     bool(pick(1))};
        return l;
    }
    void resize(SurfaceView& s) {
        s.Columns = pick(kMaxColumns);
        s.Rows = pick(kMaxRows);
        s.Cells.assign(static_cast<std::size_t>(s.Columns) * s.Rows, kCellEmpty);
        for (uint8_t& c : s.Cells)
            c = static_cast<uint8_t>(pick(8));
    }
    // One to three changes of any kind to a view.
    void change(ViewState& v) {
        for (int k = pick(2); k < 3; ++k) {
            switch (pick(6)) {
            case 0:
                v.Window.Caption = pick(1) ? "Tessarin (Duel)" : "Tessarin";
                v.Window.Width = pick(20000);
                break;
            case 1:
                if (v.Labels.size() < kMaxLabels)
                    v.Labels.push_back(label());
                break;
            case 2:
                if (!v.Labels.empty())
                    pick(1) ? v.Labels.pop_back()
                            : void(v.Labels[pick(v.Labels.size() - 1)] = label());
                break;
            case 3:
                if (v.Surfaces.size() < kMaxSurfaces) {
                    v.Surfaces.emplace_back();
                    resize(v.Surfaces.back());
                } else {
                    v.Surfaces.pop_back();
                }
                for (std::size_t i = 0; i < v.Surfaces.size(); ++i)
                    v.Surfaces[i].Z = static_cast<int>(v.Surfaces.size() - 1 - i);
                break;
            case 4:
            case 5:
                for (SurfaceView& s : v.Surfaces)
                    for (int n = pick(6); n > 0 && !s.Cells.empty(); --n)
                        s.Cells[pick(s.Cells.size() - 1)] = static_cast<uint8_t>(pick(8));
                break;
            case 6:
                if (!v.Surfaces.empty()) {
                    SurfaceView& s = v.Surfaces[pick(v.Surfaces.size() - 1)];
                    s.Visible = !s.Visible;
                    s.Left = pick(9000);
                    if (pick(3) == 0)
                        resize(s);
                }
                break;
            }
        }
    }

private:
    std::mt19937 rng_;
};

ViewDelta throughTheWire(const ViewDelta& d) {
    Decoder decoder;
    decoder.feed(Encode(d));
    auto m = decoder.next();
    EXPECT_TRUE(m && std::holds_alternative<ViewDelta>(*m)) << decoder.error().text();
    return m ? std::get<ViewDelta>(*m) : ViewDelta{};
}

TEST(View, DeltasBringAnyViewUpToDate) {
    ViewMaker make(7);
    ViewState before, joiner;
    for (int n = 0; n < 1500; ++n) {
        SCOPED_TRACE(n);
        ViewState after = before;
        make.change(after);
        ASSERT_TRUE(IsWithinBounds(after));
        const std::optional<ViewDelta> d = Diff(before, after);
        ASSERT_EQ(d.has_value(), !(before == after));
        if (d) {
            ASSERT_TRUE(Apply(joiner, throughTheWire(*d)));
            ASSERT_EQ(joiner, after);
        }
        if (n % 50 == 0) { // a full view starts over from anything
            ViewState other;
            make.change(other);
            ASSERT_TRUE(Apply(other, throughTheWire(FullView(after))));
            ASSERT_EQ(other, after);
        }
        before = after;
    }
}

TEST(View, DeltasThatDoNotFitLeaveTheViewAlone) {
    ViewMaker make(3);
    ViewState base;
    while (base.Surfaces.size() < 2 || base.Labels.size() < 2)
        make.change(base);
    base.Surfaces[0].Columns = base.Surfaces[0].Rows = 4;
    base.Surfaces[0].Cells.assign(16, kCellEmpty);

    std::vector<std::pair<const char*, ViewDelta>> cases;
    ViewDelta d;
    d.LabelCount = static_cast<int>(base.Labels.size()) + 1; // a new label, not given
    d.SurfaceCount = static_cast<int>(base.Surfaces.size());
    cases.emplace_back("new label missing", d);
    d.LabelCount = static_cast<int>(base.Labels.size());
    d.SurfaceCount += 1;
    d.Surfaces = {{d.SurfaceCount - 1, base.Surfaces[0], std::nullopt}};
    d.Surfaces[0].Geometry->Cells.clear();
    cases.emplace_back("new surface without cells", d);
    d.SurfaceCount -= 1;
    SurfaceView bigger = base.Surfaces[0];
    bigger.Columns = 5;
    bigger.Cells.clear();
    d.Surfaces = {{0, bigger, std::vector<uint8_t>(20, kCellUnchanged)}};
    cases.emplace_back("resized, cells kept", d);
    d.Surfaces = {{0, bigger, std::nullopt}};
    cases.emplace_back("resized without cells", d);
    d.Surfaces = {{0, std::nullopt, std::vector<uint8_t>(15, 1)}};
    cases.emplace_back("too few cells", d);
    d.Surfaces = {{1, std::nullopt, std::nullopt}, {1, std::nullopt, std::nullopt}};
    cases.emplace_back("twice the same surface", d);
    d.Surfaces.clear();
    d.Full = true;
    cases.emplace_back("full view without window", d);

    for (const auto& [what, delta] : cases) {
        SCOPED_TRACE(what);
        ViewState v = base;
        EXPECT_FALSE(Apply(v, delta));
        EXPECT_EQ(v, base);
    }
}

// ---- The host's window ------------------------------------------------------

using Capture = GameFixture;

std::string cellsOf(const SurfaceView& s, int row) {
    std::string out;
    for (int x = 0; x < s.Columns; ++x) {
        const int c = s.Cells[static_cast<std::size_t>(row) * s.Columns + x];
        out += c == kCellEmpty ? '.' : static_cast<char>('0' + c);
    }
    return out;
}

TEST_F(Capture, ViewShowsTheWindowAsItIs) {
    ViewState v = CaptureView(*game); // at start-up: the banner, surfaces hidden and empty
    EXPECT_EQ(v.Window.Caption, "Tessarin");
    ASSERT_EQ(v.Surfaces.size(), 2u);
    EXPECT_FALSE(v.Surfaces[0].Visible);
    EXPECT_EQ(v.Surfaces[0].Columns * v.Surfaces[0].Rows, 0);
    ASSERT_EQ(v.Labels.size(), game->labels().size());
    EXPECT_EQ(v.Labels[1].Name + "/" + v.Labels[1].Caption, "Label2/Tessarin");
    EXPECT_EQ(v.Labels[1].TheFont, (Font{"Times New Roman", 15, true, true}));

    start(Tessarin::kDuel, {"Ann", "Bea"});
    put(1, 2, 17, 5);
    put(1, 3, 17, 0);
    advance(1000);
    v = CaptureView(*game);
    EXPECT_EQ(v.Window.Caption, "Tessarin (Duel)");
    EXPECT_EQ(v.Window.Width, game->TheWindow.Width);
    ASSERT_EQ(v.Surfaces.size(), 4u);
    const SurfaceView& field2 = v.Surfaces[2];
    EXPECT_EQ(field2.Kind * 10 + field2.Index, 1);
    EXPECT_EQ(pos(field2.Left, field2.Top, field2.Width, field2.Height, field2.Visible),
              pos(*game->picCanvas[1]));
    EXPECT_EQ(field2.Columns * 100 + field2.Rows, 1118);
    for (int f = 0; f < 2; ++f)
        for (int y = 0; y < 18; ++y)
            EXPECT_EQ(cellsOf(v.Surfaces[2 * f], y), row(f, y)) << f << " " << y;
    EXPECT_EQ(v.Surfaces[1].Columns * 10 + v.Surfaces[1].Rows, 44);
    // Stacking ranks in the order of the surfaces' stacking.
    const std::vector<Surface*> all = {game->picCanvas[0].get(), game->picPreviewer[0].get(),
                                       game->picCanvas[1].get(), game->picPreviewer[1].get()};
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            EXPECT_EQ(v.Surfaces[i].Z < v.Surfaces[j].Z, all[i]->Stacking() <= all[j]->Stacking())
                << i << " " << j;
    for (std::size_t i = 0; i < v.Labels.size(); ++i)
        EXPECT_EQ(v.Labels[i], *game->labels()[i]) << i;

    // A cell that is none of the images says so, also to a capturer that
    // read the surface before.
    Capturer capturer;
    EXPECT_EQ(capturer.capture(*game), v);
    game->picCanvas[0]->setPixel(16 * 3 + 5, 16 * 7 + 9, 0xFF123456);
    EXPECT_EQ(capturer.capture(*game).Surfaces[0].Cells[7 * 11 + 3], kCellNone);
}

// Each change of pixels dates the 16 x 16 cells it touched, and only those.
TEST(SurfaceCells, ChangesDateTheCellsTheyTouch) {
    Surface s(40, 40); // 3 x 3 cells, the last column and row cut off
    Surface block(16, 16);
    const auto dates = [&s] {
        std::string d;
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
                d += s.CellRevision(column, row) == s.Revision() ? 'N' : '.';
        return d;
    };
    s.blitCell(block, 8, 20);
    EXPECT_EQ(dates(), "...NN.NN.");
    s.setPixel(39, 0, 0xFF123456);
    EXPECT_EQ(dates(), "..N......");
    const uint64_t before = s.Revision();
    s.blitCell(block, 40, 0); // wholly outside: nothing changes
    EXPECT_EQ(s.Revision(), before);
    EXPECT_EQ(s.CellRevision(3, 0), s.Revision());
    EXPECT_EQ(s.CellRevision(-1, 0), s.Revision());
    s.fill(Surface::kBlack);
    EXPECT_EQ(dates(), "NNNNNNNNN");
    s.setBorder(1); // a new size: every cell anew
    EXPECT_EQ(dates(), "NNNNNNNNN");
}

TEST_F(Capture, PaintedViewHasTheHostsPixels) {
    start(Tessarin::kCooperation, {"Ann", "Bea"});
    std::mt19937 rng(5);
    ViewPainter painter;
    Capturer capturer; // reads only the cells that changed: sees what a fresh capture sees
    ViewState joiner;
    std::size_t fullBytes = 0, tickBytes = 0, ticks = 0;
    for (int n = 0; n < 400; ++n) {
        const PlayerKeys& k = keys(rng() % 2);
        const int16_t key[] = {k.Left, k.Right, k.Rotate, k.Left, k.Right, k.Rotate, k.Down};
        press(key[rng() % 7]);
        advance(50);
        const ViewState host = CaptureView(*game);
        ASSERT_EQ(capturer.capture(*game), host) << n;
        const std::optional<ViewDelta> d =
            joiner.Surfaces.empty() ? FullView(host) : Diff(joiner, host);
        if (!d)
            continue;
        (joiner.Surfaces.empty() ? fullBytes : tickBytes) += Encode(*d).size();
        ticks += !joiner.Surfaces.empty();
        ASSERT_TRUE(Apply(joiner, *d));
        for (auto& s : painter.surfaces())
            s->clearDirty();
        painter.paint(joiner);
        ASSERT_EQ(painter.surfaces().size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            const Surface& mine = *painter.surfaces()[i];
            const Surface& theirs = *game->surfaces()[i];
            ASSERT_EQ(pos(mine), pos(theirs));
            ASSERT_TRUE(samePixels(mine, theirs)) << n << " " << i;
            // Only what changed is repainted: never the whole field after the first picture.
            if (n > 0 && i == 1) {
                EXPECT_LT(mine.DirtyRect().w * mine.DirtyRect().h,
                          mine.PixelWidth() * mine.PixelHeight())
                    << n;
            }
        }
        if (!game->Playing)
            break;
    }
    // The compression: a whole Cooperation window in under 1 KB, a change in a few dozen bytes.
    EXPECT_LT(fullBytes, 1000u);
    ASSERT_GT(ticks, 150u);
    EXPECT_LT(tickBytes / ticks, 48u) << fullBytes << " " << tickBytes / ticks;
}

} // namespace
