// The camera over a level's map and the drawing of its tile layers.
//
// CameraStep  frame step 4: from the players in play, ScrollX; by the level's ScrollMode,
//             ScrollY (0 still, 1 constant speed, which also moves every player's Y with
//             the screen, 2 pushed up by the highest ship; other modes leave it)
// DrawLayer   draws the cells of a [x][y] layer of tile numbers that the screen shows at
//             the scroll position; negative cells are empty. Error 9 for an empty tile
//             array or a cell naming a tile that does not exist
#pragma once

#include <cstdint>

#include "game/game_state.h"

void CameraStep(GameSession& session);
void DrawLayer(const RtArray<ImageRecord>& tiles, const RtArray<int32_t>& layer, int32_t scrollX,
               int32_t scrollY);
