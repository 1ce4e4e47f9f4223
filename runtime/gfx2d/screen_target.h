// Off-screen screens, screen grabs, the background image and saving images.
// A screen redirects all drawing into a sprite slot: through a framebuffer
// object when the driver has them, otherwise emulated in the back buffer's
// top-left corner (whose content is kept in slot 65503 meanwhile). Both ways
// leave the same image in the slot.
//
// CreateScreen           screen 0..31 (others ignored) draws into the slot from now on: the
//                        slot gets a transparent texture of width x height (sizes below 1 or
//                        above the largest texture: ignored)
// UseScreen              0..31: draw into that screen's slot; negative: back to the back
//                        buffer; 32 and above, or a screen never created: ignored
// GrabSprite             copies a rectangle of the current target into a slot; pixels of
//                        the key colour, and pixels written with alpha 0, become
//                        transparent; 1 (0 for sizes below 1 or above the largest texture)
// BuildSpriteFromPixels  fast form of filling a slot pixel by pixel (see below); 1, or 0
//                        for sizes below 1 or above the largest texture
// LoadBackground         image drawn first in every frame until ClearScreen; 1, or 0
//                        when missing or undecodable
// UseScreenAsBackground  the current target's picture becomes the background image
// SaveScreen             writes the current target's picture (PNG for names ending in
//                        ".png" in any case, else BMP); 1, or 0 when it cannot be written
// SaveSprite             writes a slot's image the same way (transparency kept in PNG,
//                        written as the key colour in BMP); 1, or 0
// ReadLogicalScreen      the back buffer's picture (the logical screen, whatever the window
//                        size and whichever screen is drawn into), RGBA rows from the top;
//                        false without a window
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/values/rt_string.h"

constexpr int32_t kScreenCount = 32;

struct ScreenTarget {
  uint32_t Framebuffer = 0;
  uint32_t DepthRenderbuffer = 0;
  int32_t FramebufferWidth = 0;  // 0: no framebuffer, the screen is emulated
  int32_t FramebufferHeight = 0;
  int32_t SpriteId = -1;  // -1: never created
};

void CreateScreen(int32_t screen, int32_t id, int32_t width, int32_t height);
void UseScreen(int32_t screen);
int32_t GrabSprite(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height);

// Fills slot `id` as this drawing sequence would, in one texture upload:
//   CreateScreen(0, id, width, height); UseScreen(0);
//   DrawRect(0, 0, width, height, TransparentColour);
//   SetPixel(x, y, colours[y * width + x]) for every pixel; UseScreen(-1)
// The slot ends with the same texture sides (with framebuffer objects as
// CreateScreen makes them; emulated as GrabSprite makes them, at least 32),
// size, texel colours and alpha (0 for the key colour, else 255 x AlphaValue),
// and collision mask. `colours` holds width x height packed colours, row by
// row from the top, x varying fastest. Blending is taken as off. Unlike the
// sequence, it leaves screen 0 and the current target as they are.
int32_t BuildSpriteFromPixels(int32_t id, int32_t width, int32_t height, const int32_t* colours);

int32_t LoadBackground(const RtString& path);
void UseScreenAsBackground();
int32_t SaveScreen(const RtString& path);
int32_t SaveSprite(const RtString& path, int32_t id);
bool ReadLogicalScreen(std::vector<uint8_t>& rgba, int32_t& width, int32_t& height);

// --- Start-up and end ---
// No screen drawn into, the back buffer current; installs what a present
// needs of the drawing layer and the release step of the end path.
void StartScreenTargets();
// Deletes every framebuffer, renderbuffer and the background texture (end path).
void ReleaseScreenTargets();

// --- Shared with the frame loop and the drawing commands ---
// -1 for the back buffer, else the current screen.
int32_t CurrentScreen();
const ScreenTarget& Screen(int32_t screen);
// Ends the current screen as UseScreen(-1) does; nothing on the back buffer.
void EndCurrentScreen();
// Draws the background image over the whole view, if one is set.
void DrawBackgroundImage();
// Forgets the background image (ClearScreen).
void DiscardBackground();
// false: screens created from now on are emulated, as on a driver without
// framebuffer objects (tests compare both ways with it).
void SetFramebufferObjectsAllowed(bool allowed);
