#include "driver/PlayerViews.h"

namespace tessarin {

namespace {

PieceState stateOf(const SquareSet& s) {
    return {s.Shape(), s.Direction(), s.x(), s.y(), s.Blink()};
}

} // namespace

PlayerView ViewOf(const Tessarin& game, int player) {
    PlayerView v;
    if (player < 0 || player > 1 || game.Mode == Tessarin::kNoMode ||
        (game.Mode == Tessarin::kStandard && player != 0))
        return v;
    const SquareSet* s = game.Squares[static_cast<size_t>(player)].get();
    const Canvas* field = s ? s->TheCanvas() : nullptr;
    if (!field)
        return v;
    const SquareSet* partner = game.Mode == Tessarin::kCooperation
                                   ? game.Squares[static_cast<size_t>(1 - player)].get()
                                   : nullptr;

    v.field = Board(field->Columns(), field->Rows());
    for (int16_t y = 0; y < field->Rows(); ++y)
        for (int16_t x = 0; x < field->Columns(); ++x)
            v.field.set(x, y, field->GetMapUnit(x, y) != Canvas::kEmpty);
    // The falling pieces are not settled squares; a sinking square shows
    // the square it passes over whenever it blinks off.
    for (const SquareSet* f : {s, partner}) {
        if (!f || !f->Active() || f->TheCanvas() != field)
            continue;
        if (f->Visible())
            for (int q = 0; q < ShapeSquareCount(f->Shape()); ++q)
                v.field.set(f->cellX(q), f->cellY(q), false);
        if (f->IsSinkingSquare())
            v.field.set(f->x(), f->y(), f->SavedCell() != Canvas::kEmpty);
    }
    if (partner && partner->Active() && partner->TheCanvas() == field) {
        for (int q = 0; q < ShapeSquareCount(partner->Shape()); ++q)
            v.partner.emplace_back(partner->cellX(q), partner->cellY(q));
        v.partnerPiece = stateOf(*partner);
    }

    v.falling = s->Active();
    v.piece = stateOf(*s);
    const SquareSet* next = game.Previews[static_cast<size_t>(player)].get();
    const Surface* preview = game.picPreviewer[static_cast<size_t>(player)].get();
    if (next && next->Active() && preview && preview->Visible())
        v.next = stateOf(*next);

    // In Cooperation each keeps to its side of the shared field, the
    // middle columns shared.
    v.minColumn = 0;
    v.maxColumn = static_cast<int16_t>(field->Columns() - 1);
    if (game.Mode == Tessarin::kCooperation) {
        const int half = field->Columns() / 2;
        if (player == 0)
            v.maxColumn = static_cast<int16_t>(half + 1);
        else
            v.minColumn = static_cast<int16_t>(half - 1);
        // The partner's pieces come in on the other side.
        v.team = true;
        v.partnerEntry = player == 0 ? 11 : 3;
    }
    // How fast the piece falls, as a person sees it fall.
    if (const Timer* fall = game.tmrMain[static_cast<size_t>(player)].get())
        v.fallMs = fall->Interval();
    v.dropAtOnce = game.Controls.SpeedMode == 0;
    v.rotateMode = game.Controls.RotateMode;
    return v;
}

} // namespace tessarin
