#include "net/Capture.h"

#include "driver/Tessarin.h"
#include "net/Text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tessarin::net {

namespace {

static_assert(CellImages::kSize == Surface::kCellPixels);
constexpr int kCell = CellImages::kSize;

// The code of the cell image a 16 x 16 block shows pixel for pixel.
class CellReader {
public:
    explicit CellReader(const CellImages& images) {
        for (int code = 0; code < 7; ++code)
            images_[code] = &images.colour(code);
        images_[7] = &images.picBlack;
    }
    uint8_t read(const Surface& s, int column, int row) const {
        const uint32_t* block = s.data() + static_cast<std::size_t>(row) * kCell * s.PixelWidth() +
                                static_cast<std::size_t>(column) * kCell;
        for (int k = 0; k < 8; ++k) {
            const Surface& image = *images_[k];
            if (image.PixelWidth() < kCell || image.PixelHeight() < kCell ||
                image.pixel(kCell / 2, kCell / 2) != block[kCell / 2 * s.PixelWidth() + kCell / 2])
                continue;
            bool same = true;
            for (int y = 0; y < kCell && same; ++y)
                same = std::memcmp(block + static_cast<std::size_t>(y) * s.PixelWidth(),
                                   image.data() + static_cast<std::size_t>(y) * image.PixelWidth(),
                                   kCell * sizeof(uint32_t)) == 0;
            if (same)
                return k < 7 ? static_cast<uint8_t>(k) : kCellEmpty;
        }
        return kCellNone;
    }
    std::vector<uint64_t> revisions() const {
        std::vector<uint64_t> r;
        for (const Surface* image : images_)
            r.push_back(image->Revision());
        return r;
    }

private:
    const Surface* images_[8];
};

Label fitted(const Label& l) {
    Label f = l;
    f.Name = WireText(l.Name, kMaxIdentifier, true);
    f.Caption = WireText(l.Caption, kMaxCaption);
    for (int* v : {&f.Left, &f.Top, &f.Width, &f.Height})
        *v = std::clamp(*v, -32768, 32767);
    f.ForeColor &= 0xFFFFFF;
    f.BackColor &= 0xFFFFFF;
    f.TheFont.Name = WireText(l.TheFont.Name, kMaxIdentifier, true);
    f.TheFont.Size = std::clamp(std::round(l.TheFont.Size * 100), 1.0, 7200.0) / 100.0;
    return f;
}

int twips(int v) {
    return std::clamp(v, 0, 32767);
}

} // namespace

ViewState CaptureView(const Tessarin& game) {
    return Capturer().capture(game);
}

ViewState Capturer::capture(const Tessarin& game) {
    ViewState v;
    v.Window.Caption = WireText(game.TheWindow.Caption, kMaxCaption);
    v.Window.Width = twips(game.TheWindow.Width);
    v.Window.Height = twips(game.TheWindow.Height);
    v.Window.Visible = game.TheWindow.Visible;
    for (const Label* l : game.labels())
        if (v.Labels.size() < kMaxLabels)
            v.Labels.push_back(fitted(*l));

    const CellReader cells(game.Images);
    // Cells are known by the images: new images, every surface is read anew.
    if (std::vector<uint64_t> images = cells.revisions(); images != images_) {
        reads_.clear();
        images_ = std::move(images);
    }
    std::map<const Surface*, Read> reads;
    std::vector<const Surface*> order;
    for (int i = 0; i < 2; ++i)
        for (int kind = 0; kind < 2; ++kind) {
            const Surface* s = (kind == 0 ? game.picCanvas : game.picPreviewer)[i].get();
            if (!s || v.Surfaces.size() >= kMaxSurfaces)
                continue;
            SurfaceView sv;
            sv.Kind = kind;
            sv.Index = i;
            sv.Left = std::clamp(s->Left(), -32768, 32767);
            sv.Top = std::clamp(s->Top(), -32768, 32767);
            sv.Width = twips(s->Width());
            sv.Height = twips(s->Height());
            sv.Border = std::clamp(s->Border(), 0, kMaxBorder);
            sv.Visible = s->Visible();
            sv.Columns = std::min(s->PixelWidth() / kCell, kMaxColumns);
            sv.Rows = std::min(s->PixelHeight() / kCell, kMaxRows);
            // A surface that took the place of one read before is another
            // one (or has gone back to older pixels), and is read anew.
            Read& read = reads[s];
            if (const auto before = reads_.find(s);
                before != reads_.end() && before->second.id == s->Id() &&
                before->second.revision <= s->Revision() && before->second.columns == sv.Columns &&
                before->second.rows == sv.Rows) {
                read = std::move(before->second);
                if (read.revision != s->Revision())
                    for (int y = 0; y < sv.Rows; ++y)
                        for (int x = 0; x < sv.Columns; ++x)
                            if (s->CellRevision(x, y) > read.revision)
                                read.cells[static_cast<std::size_t>(y) * sv.Columns + x] =
                                    cells.read(*s, x, y);
            } else {
                read.id = s->Id();
                read.columns = sv.Columns;
                read.rows = sv.Rows;
                for (int y = 0; y < sv.Rows; ++y)
                    for (int x = 0; x < sv.Columns; ++x)
                        read.cells.push_back(cells.read(*s, x, y));
            }
            read.revision = s->Revision();
            sv.Cells = read.cells;
            v.Surfaces.push_back(std::move(sv));
            order.push_back(s);
        }
    reads_ = std::move(reads);
    // Stacking ranks: the lowest surface 0, ties in the order above.
    for (std::size_t i = 0; i < order.size(); ++i)
        for (std::size_t j = 0; j < order.size(); ++j)
            if (order[j]->Stacking() < order[i]->Stacking() ||
                (order[j]->Stacking() == order[i]->Stacking() && j < i))
                ++v.Surfaces[i].Z;
    return v;
}

void ViewPainter::paint(const ViewState& view) {
    surfaces_.resize(view.Surfaces.size());
    painted_.resize(view.Surfaces.size());
    for (std::size_t i = 0; i < view.Surfaces.size(); ++i) {
        const SurfaceView& want = view.Surfaces[i];
        SurfaceView& had = painted_[i];
        const bool fresh = !surfaces_[i];
        if (fresh)
            surfaces_[i] = std::make_unique<Surface>();
        Surface& s = *surfaces_[i];
        if (fresh || !had.sameGeometry(want)) {
            s.setBorder(want.Border);
            s.move(want.Left, want.Top, want.Width, want.Height);
            s.setVisible(want.Visible);
        }
        const bool all = fresh || had.Columns != want.Columns || had.Rows != want.Rows;
        for (int y = 0; y < want.Rows; ++y)
            for (int x = 0; x < want.Columns; ++x) {
                const std::size_t k = static_cast<std::size_t>(y) * want.Columns + x;
                if (!all && had.Cells[k] == want.Cells[k])
                    continue;
                const uint8_t code = want.Cells[k];
                s.blitCell(code < 7 ? images_.colour(code) : images_.picBlack, x * kCell,
                           y * kCell);
            }
        had = want;
    }
}

} // namespace tessarin::net
