// The sprite store: 65,536 numbered slots, each holding power-of-two OpenGL
// textures and the real image size inside them. Slots 65504..65535 hold the
// 32 fonts; slot 65503 saves the back buffer while an emulated screen is drawn.
//
// LoadSprite            empties the slot and loads a BMP/PNG (through the media archive)
//                       with TransparentColour as key; 1, or 0 when missing or undecodable
// LoadAnimation         LoadSprite, then stores the frame size; 1 or 0 as LoadSprite
// LoadNormalMap         LoadSprite with the key 0x8000FF, turned into a normal map; 1 or 0
// DeleteSprite          deletes the textures, empties the slot and drops its collision mask
// SetTransparentColour  sets the sprite and font colour keys for later loads and drawing
// SetSmoothing          linear (non-zero) or nearest filtering for sprite drawing
// A slot number outside 0..65535 ends the program with runtime error 7.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/values/rt_string.h"

struct ImageBuffer;

struct SpriteEntry {
  uint32_t Texture = 0;
  uint32_t MipTexture = 0;
  int16_t TextureWidth = 0;  // texels, a power of two; -1 in an emptied slot
  int16_t TextureHeight = 0;
  int16_t Width = 0;  // image size in pixels; 0 when empty
  int16_t Height = 0;
  uint16_t FrameWidth = 0;  // animation frame size; 0 when not a strip
  uint16_t FrameHeight = 0;
};

constexpr int32_t kSpriteSlotCount = 65536;
constexpr int32_t kEmulatedScreenSlot = 65503;
constexpr int32_t kFirstFontSlot = 65504;
constexpr int32_t kSpriteColourKey = 0x8000FF;

struct SpriteStore {
  std::vector<SpriteEntry> Slots;
  int32_t TransparentColour = kSpriteColourKey;
  int32_t FontTransparentColour = 0;
  uint8_t Smoothing = 1;
};

// The process-wide store (slots allocated on first use).
SpriteStore& Sprites();
// The slot's record; ends the program with runtime error 7 outside 0..65535.
SpriteEntry& SpriteSlot(int32_t id);

int32_t LoadSprite(const RtString& path, int32_t id);
int32_t LoadAnimation(const RtString& path, int32_t id, int32_t frameWidth, int32_t frameHeight);
int32_t LoadNormalMap(const RtString& path, int32_t id);
void DeleteSprite(int32_t id);
void SetTransparentColour(int32_t colour);
void SetSmoothing(int32_t flag);

// --- Start-up and end ---
// Zeroed slots, keys and smoothing as at start-up; installs the release step
// of the end path. Textures are deleted only while an OpenGL context exists.
void StartSpriteStore();
// Deletes every texture (while the context still exists) and empties the slots' names.
void ReleaseSpriteTextures();

// --- Shared with fonts and screen targets ---
// Deletes the slot's textures, marks it empty (sides -1, size 0, no frames), drops its mask.
void EmptySlot(int32_t id);
// Loads a resolved file into a slot with the given key; 1 or 0.
int32_t LoadImageToSlot(int32_t id, const std::string& hostPath, int32_t key, bool normalMap);
// Uploads an image into a slot as LoadImageToSlot does after decoding
// (fonts: nearest, no edge fill, no mip texture). The image may be changed.
void PutImageInSlot(int32_t id, ImageBuffer& image, bool normalMap);
// Smallest power of two, starting from `from`, not less than n.
int32_t PowerOfTwoAtLeast(int32_t n, int32_t from);
// The driver's largest texture side.
int32_t MaxTextureSize();
// A texture with repeat wrap and the given filter, storage RGBA8 of the given
// sides filled from pixels (or zeros when null), bottom-up rows.
uint32_t MakeTexture(uint32_t existing, int32_t width, int32_t height, const uint8_t* pixels,
                     bool nearest);
