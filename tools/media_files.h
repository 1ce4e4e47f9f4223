// The bytes of a game's media file from the source its description names:
// a file read as it is, a sound recipe rendered to a WAV file, or font glyph
// art drawn into a font image (PNG data or a BMP, as the description asks).
// The same recipes and art give the same bytes as the demo's own build.
//
//   MakeMediaFile  the member's bytes; false with a one-line reason
#pragma once

#include <string>

#include "tools/game_description.h"

bool MakeMediaFile(const MediaSource& source, std::string& bytes, std::string& error);
