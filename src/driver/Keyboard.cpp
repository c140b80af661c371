// The players' control keys.
#include "driver/Partner.h"
#include "driver/Tessarin.h"

namespace tessarin {

void Tessarin::Form_KeyDown(int16_t KeyCode, int16_t /*Shift*/) {
    const HandlerScope scope(*this);
    if (Ended || !Playing || Mode == kNoMode)
        return;
    const bool coop = Mode == kCooperation;
    for (int player = 0; player < 2; ++player) {
        // In Standard both key sets steer the one piece.
        const int target = Mode == kStandard ? 0 : player;
        SquareSet* s = Squares[target].get();
        SquareSet* partner = Mode == kStandard ? nullptr : Squares[(target + 1) % 2].get();
        if (!s)
            continue;
        const KeyAction action = ActionFor(Controls.Keys[player], KeyCode);
        if (action == KeyAction::None)
            continue;

        // The moving piece sees the partner's falling piece as an obstacle:
        // it is shown (in the map too) while this key acts; the tools below
        // lift it again where they must look past it.
        const bool liftPartner = coop && partner && partner->Active();
        if (liftPartner)
            partner->Show(true);

        switch (action) {
        case KeyAction::Left:
            if (s->CanLeft())
                s->DoLeft();
            break;
        case KeyAction::Right:
            if (s->CanRight())
                s->DoRight();
            break;
        case KeyAction::Down:
            if (Controls.SpeedMode != 0) {
                if (!WaitsOnPartner(*s, partner) && s->CanDown())
                    s->DoDown();
            } else {
                // The drop of a sinking square or a tool, too, waits above
                // the partner's falling piece.
                s->DoSpeed([&] { return WaitsOnPartner(*s, partner); });
            }
            break;
        case KeyAction::Rotate:
            useTool(*s, partner, liftPartner);
            if (s->CanRotate(Controls.RotateMode))
                s->DoRotate(Controls.RotateMode);
            break;
        case KeyAction::None:
            break;
        }
    }
}

// The turn key on a tool: the take tool takes the first square below it,
// the add tool drops a square down its column. Tools look down their
// column without the partner's falling piece in the way (a landed partner
// is left alone).
void Tessarin::useTool(SquareSet& tool, SquareSet* partner, bool liftPartner) {
    SquareSet* s = &tool;
    if (s->IsTakeTool() && s->Active()) {
        const LiftedPiece lifted(partner, liftPartner, true);
        s->DoTake();
    }
    if (s->IsAddTool() && s->Active()) {
        const LiftedPiece liftedPartner(partner, liftPartner, true, true);
        // Its square does not drop into the partner's falling piece:
        // put back over it, the piece would wipe it out. (Both pieces
        // go back where they fit, after the rows that drop below.)
        s->DoAdd([&](int16_t x, int16_t y) { return liftPartner && PartnerCovers(partner, x, y); });
        {
            // The rows the new square completes go at once, without
            // the tool's own squares (none in its off phase). It is
            // drawn again: dropping rows may have been drawn over it,
            // or even come into its cells, when it goes down with
            // them (in its off phase too).
            const LiftedPiece lifted(s, true, true, true);
            if (Canvas* field = s->TheCanvas()) {
                const bool clearRunning = field->Delete();
                field->DeleteFullLines();
                // Rows that were blinking are gone with the others,
                // and the blink has stopped: the next clear starts
                // afresh.
                if (clearRunning)
                    DeleteStep = ClearStep::Hide;
            }
        }
        ShowCounters();
    }
}

} // namespace tessarin
