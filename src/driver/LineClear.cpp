// The row clear, the end of a game, the curtain and the duel tally.
#include "driver/Tessarin.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace tessarin {

namespace {

int32_t addSaturated32(int32_t a, int32_t b) {
    const int64_t sum = static_cast<int64_t>(a) + b;
    if (sum > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (sum < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(sum);
}

int16_t addSaturated16(int16_t a, int b) {
    const int sum = a + b;
    if (sum > std::numeric_limits<int16_t>::max())
        return std::numeric_limits<int16_t>::max();
    if (sum < std::numeric_limits<int16_t>::min())
        return std::numeric_limits<int16_t>::min();
    return static_cast<int16_t>(sum);
}

// The numeric value of a stored text: its leading decimal digits, 0 when
// there are none.
int64_t numericValue(const std::string& text) {
    const char* p = text.c_str();
    while (*p == ' ')
        ++p;
    char* end = nullptr;
    const long long v = std::strtoll(p, &end, 10);
    return end == p ? 0 : v;
}

} // namespace

void Tessarin::tmrDelete_Timer(int16_t Index) {
    const HandlerScope scope(*this);
    if (Ended || Index < 0 || Index > 1 || !Fields[Index])
        return;
    Canvas& f = *Fields[Index];
    switch (DeleteStep) {
    case ClearStep::Hide:
        f.DeleteHide();
        DeleteStep = ClearStep::Show;
        return;
    case ClearStep::Show:
        f.DeleteShow();
        DeleteStep = ClearStep::Finish;
        return;
    case ClearStep::Finish:
        break;
    }

    // The finish, 600 ms after the rows were marked.
    if (Mode != kCooperation)
        ClearingPlayer = Index;
    DeleteStep = ClearStep::Hide;
    const int16_t n = f.FullLines();
    const int16_t other = static_cast<int16_t>((Index + 1) % 2);
    const bool deliver = Mode == kDuel && n >= kRowsToDeliver;
    if (deliver) {
        // The delivered rows are the full rows without the squares of the
        // piece that completed them.
        DeliveredRows.redim(11, n);
        const LiftedPiece lifted(Squares[Index].get());
        f.GetSquareToBeDelivered(DeliveredRows);
    }
    {
        // In Cooperation the partner's falling piece is no part of the rows.
        // It is drawn again, the rows that dropped beside it having been
        // drawn over its cells; and should squares have dropped into its
        // cells (it lay under an overhang), it goes down with them, in its
        // off phase too (it stays off, and its next blink tick shows it).
        SquareSet* partner =
            Mode == kCooperation ? Squares[(ClearingPlayer + 1) % 2].get() : nullptr;
        const LiftedPiece lifted(partner, partner && partner->Active(), true, true);
        f.DeleteFullLines();
        if (Mode == kDuel && Fields[other])
            Fields[other]->setDelete(false);
    }
    if (deliver && Squares[other] && Fields[other]) {
        SquareSet& o = *Squares[other];
        if (o.Active()) {
            // The falling piece is dropped; the next tick hands over the next.
            // (A sinking single square gives back the square it was passing
            // over.)
            o.setActive(false);
            o.Hide(true);
        } else {
            // A landed piece rises with its squares.
            o.sety(static_cast<int16_t>(o.y() - n));
        }
        if (o.BlinkTimer())
            o.BlinkTimer()->setEnabled(false);
        Fields[other]->AddLines(DeliveredRows, n);
        ++Deliveries[Index];
    }
    SquareSet& clearing = *Squares[ClearingPlayer];
    if (!clearing.IsAddTool())
        clearing.setActive(false);
    // After speed 9 the cadence starts again at the slowest interval.
    if (f.Speed() + Speed > kSpeeds - 1)
        f.setSpeed(static_cast<int16_t>(((f.Speed() + Speed) % kSpeeds) - Speed));
    ShowCounters();
    const int effective = std::clamp(f.Speed() + Speed, 0, kSpeeds - 1);
    tmrMain[Index]->setInterval(SpeedTable[static_cast<size_t>(effective)]);
}

void Tessarin::GameOver() {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    // 1. Everything that moves stops, but a clear in progress completes.
    Playing = false;
    for (int i = 0; i < 2; ++i) {
        tmrMain[i]->setEnabled(false);
        tmrBlink[i]->setEnabled(false);
        tmrPreBlink[i]->setEnabled(false);
    }
    syncComputer(); // the computer stops with the game
    // 2. The message.
    if (Mode == kStandard) {
        std::string text = "Sorry,";
        if (Player1Name != "Player1")
            text += Player1Name + ". ";
        TheMessageBox->Show(text + "You lose!");
    } else if (Mode == kCooperation) {
        TheMessageBox->Show("Sorry,You lose!");
    } else if (Mode == kDuel) {
        if (Winner == 0)
            TheMessageBox->Show(Player1Name + " Wins!");
        else if (Winner == 1)
            TheMessageBox->Show(Player2Name + " Wins!");
    }
    if (Ended)
        return;
    // 3. Results.
    if (Mode == kDuel) {
        DuelTally[0].Name = Player1Name;
        DuelTally[0].TotalScore = addSaturated32(DuelTally[0].TotalScore, Fields[0]->Score());
        DuelTally[0].TotalLines = addSaturated16(DuelTally[0].TotalLines, Fields[0]->Lines());
        DuelTally[1].Name = Player2Name;
        DuelTally[1].TotalScore = addSaturated32(DuelTally[1].TotalScore, Fields[1]->Score());
        DuelTally[1].TotalLines = addSaturated16(DuelTally[1].TotalLines, Fields[1]->Lines());
        if (Winner == 0 || Winner == 1)
            DuelTally[Winner].Wins = addSaturated16(DuelTally[Winner].Wins, 1);
    } else if ((Mode == kStandard || Mode == kCooperation) &&
               (GameType == "A" || GameType == "B")) {
        const int row = (Mode == kStandard ? Records::StandardA : Records::CooperationA) +
                        (GameType == "B" ? 1 : 0);
        const Canvas& f = *Fields[0];
        if (f.Score() > numericValue(TheRecords.at(row, Records::FinalScore))) {
            TheRecords.at(row, Records::Player1Name) = Player1Name;
            if (Mode == kCooperation)
                TheRecords.at(row, Records::Player2Name) = Player2Name;
            TheRecords.at(row, Records::FinalScore) = std::to_string(f.Score());
            TheRecords.at(row, Records::FinalLines) = std::to_string(f.Lines());
            TheRecords.at(row, Records::FinalSpeed) = std::to_string(f.Speed() + Speed);
            WriteScoreFile();
            if (Ended)
                return;
            if (!TheDuelResult)
                TheDuelResult =
                    std::make_unique<DuelResult>(dialogs_, services_.sound, services_.screen);
            TheDuelResult->ShowRecord(TheRecords);
            if (Ended)
                return;
        }
    }
    // 4. The curtain.
    tmrGameOver->setEnabled(true);
}

void Tessarin::tmrGameOver_Timer() {
    const HandlerScope scope(*this);
    if (Ended || !Fields[0])
        return;
    const int16_t rows = Fields[0]->Rows();
    const int16_t columns = Fields[0]->Columns();
    const int fields = Mode == kDuel ? 2 : 1;
    if (!CurtainClearing) {
        // Red from the bottom up; the maps keep what they hold.
        for (int i = 0; i < fields; ++i)
            if (Fields[i])
                for (int16_t x = 0; x < columns; ++x)
                    Fields[i]->SetSquare(x, static_cast<int16_t>(rows - 1 + CurtainRow), 0);
        --CurtainRow;
        if (CurtainRow <= -rows) {
            CurtainClearing = true;
            CurtainRow = 0;
        }
        return;
    }
    // Empty from the top down, on screen and in the map. A row clear may
    // still end meanwhile and move squares into rows already passed (rows
    // delivered from below, a piece put back): those go again, so that
    // every cell of the fields is empty once the curtain is through.
    for (int i = 0; i < fields; ++i)
        if (Fields[i])
            for (int16_t x = 0; x < columns; ++x) {
                Fields[i]->ClearSquare(x, CurtainRow);
                Fields[i]->SetMapUnit(x, CurtainRow, Canvas::kEmpty);
                for (int16_t y = 0; y < CurtainRow; ++y)
                    if (Fields[i]->GetMapUnit(x, y) != Canvas::kEmpty) {
                        Fields[i]->ClearSquare(x, y);
                        Fields[i]->SetMapUnit(x, y, Canvas::kEmpty);
                    }
            }
    ++CurtainRow;
    if (CurtainRow < rows)
        return;
    CurtainClearing = false;
    CurtainRow = 0;
    tmrGameOver->setEnabled(false);
    DoForGameOver();
    for (int i = 0; i < playerCount(); ++i) {
        if (!Previews[i])
            continue;
        if (Previews[i]->BlinkTimer())
            Previews[i]->BlinkTimer()->setEnabled(false);
        Previews[i]->Hide(true);
    }
    if (Mode == kDuel && DuelTally[0].Wins + DuelTally[1].Wins == kDuelsInSeries) {
        TheMessageBox->Show("Continue to Duel?");
        if (Ended)
            return;
        if (!TheDuelResult)
            TheDuelResult =
                std::make_unique<DuelResult>(dialogs_, services_.sound, services_.screen);
        TheDuelResult->ShowDuelResult(DuelTally);
        for (auto& entry : DuelTally) {
            entry.Wins = 0;
            entry.TotalScore = 0;
            entry.TotalLines = 0;
        }
    }
}

void Tessarin::DoForGameOver() {
    const HandlerScope scope(*this);
    if (Ended)
        return;
    applyMenuPhase(MenuPhase::BetweenGames, Mode);
}

} // namespace tessarin
