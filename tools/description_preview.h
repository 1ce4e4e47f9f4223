// Pictures of a game description for its author: what the images look like
// once mapped onto the palette, and where on each level's map the waves fly.
//
//   WriteDescriptionPreview  writes into folder: sprites.png and tiles.png (every
//                            image on a grey checker, in index order) and
//                            level-N.png (both map layers; each wave's path and
//                            spawn positions drawn in a colour of its own).
//                            false with a message when a file cannot be written
#pragma once

#include <string>

#include "tools/game_description.h"

bool WriteDescriptionPreview(const GameDescription& description, const std::string& folder,
                             std::string& error);
