#pragma once

#include "driver/Tessarin.h"
#include "player/ComputerPlayer.h"

namespace tessarin {

// What a person in player `player`'s place sees of the window: the settled
// squares of its field, its falling piece, its next piece while the
// preview shows, and in Cooperation where the partner's falling piece is.
// Read from the window's public state only; nothing of the random source.
PlayerView ViewOf(const Tessarin& game, int player);

} // namespace tessarin
