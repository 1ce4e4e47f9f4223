// Loading "game.ZORAX": the blocks of the file into the GameRecord, every
// stored image into its sprite slot, and the names of the animation entries.
//
// LoadGame          ReadGameFile, then BuildGameImages; 1, or 0 when the file cannot be
//                   opened or its version is above 7 (the record is then unchanged)
// ReadGameFile      reads the file through channel 1 into the record; 1, or 0 as LoadGame.
//                   A short file ends the program with runtime error 3, a pixel byte outside
//                   the palette or a third layer with error 9, a file asking for more memory
//                   than its size allows (64 MiB + 8 bytes per byte) with error 7
// BuildGameImages   gives Sprites[i] slot i and Tiles[i] slot 1024 + i, builds each image
//                   there, then names the animations
// BuildImageSprite  builds slot image.SpriteId from image.Pixels, W by W for a width W; an
//                   empty image becomes a transparent defaultSize square (Pixels included)
//                   showing its slot number. Error 9 for an image shorter than wide
// DrawImageSprite   the same result drawn pixel by pixel through off-screen screen 0: the
//                   reference BuildImageSprite is held to, and how placeholders are made
// NameAnimations    sizes the array to (count rounded down to a multiple of 4) + 4 entries,
//                   keeping existing ones, and names each "Player 1, Move", ..., "Enemy 1, Move"
// ImageRows         rows of Pixels an image can be drawn from (1 for a one-row image)
#pragma once

#include <cstdint>

#include "game/records.h"
#include "runtime/values/rt_string.h"

inline constexpr int32_t kGameFileChannel = 1;
inline constexpr int32_t kFirstTileSlot = 1024;
inline constexpr int32_t kSpriteImageSize = 32;  // side of an empty sprite image's placeholder
inline constexpr int32_t kTileImageSize = 48;    // side of an empty tile image's placeholder

int32_t LoadGame(GameRecord& game, const RtString& path);
int32_t ReadGameFile(GameRecord& game, const RtString& path);
void BuildGameImages(GameRecord& game);
void BuildImageSprite(ImageRecord& image, int32_t defaultSize);
void DrawImageSprite(ImageRecord& image, int32_t defaultSize);
void NameAnimations(RtArray<AnimationRecord>& animations, int32_t count);
int32_t ImageRows(const ImageRecord& image);
