#pragma once
#include "game/Piece.h"
