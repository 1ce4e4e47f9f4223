// The logical screen behind a scaled window: a framebuffer object of the
// logical size that the game draws into, and the two ways of putting the
// finished picture into the window's own back buffer, scaled and between
// black bars. The window decides, frame by frame, where drawing goes.
//
// CreateLogicalScreen     a colour texture (RGBA8) with depth and stencil when the driver
//                         can; false (nothing made) without framebuffer objects
// DestroyLogicalScreen    deletes the framebuffer and the copy texture (context still current)
// LogicalScreenFramebuffer  the framebuffer's name; 0 when there is none
// PresentFromFramebuffer  draws the logical framebuffer's texture into the layout's picture
//                         and clears the bars; leaves the window's framebuffer bound
// PresentFromWindowCorner for drivers without framebuffer objects, and for a frame drawn
//                         straight into the window before it was resized: copies the
//                         logical-sized lower-left corner of the window's back buffer into a
//                         texture and draws it into the picture; every other GL state is kept
#pragma once

#include <cstdint>

#include "runtime/core/display_config.h"
#include "runtime/core/present_layout.h"

bool CreateLogicalScreen(int32_t width, int32_t height);
void DestroyLogicalScreen();
uint32_t LogicalScreenFramebuffer();
void PresentFromFramebuffer(const PresentLayout& layout, ScaleFilter filter);
void PresentFromWindowCorner(const PresentLayout& layout, ScaleFilter filter);
