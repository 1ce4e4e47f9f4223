// Sprite, pixel, line and rectangle drawing on the current target (the back
// buffer or an off-screen screen). Everything draws at once, in call order;
// empty slots draw nothing. Slot numbers outside 0..65535 end the program with
// runtime error 7.
//
// SetView2D            viewport + pixel projection on the current target (y from the top);
//                      a size below 1 selects the whole target; sprite smoothing back on
// ClearScreen          discards the background image and clears the current target to black
// SetAlphaMode         0 opaque; > 0 additive with alpha min(mode, 1); < 0 translucent with
//                      alpha min(-mode, 1); lasts until the next PresentFrame
// DrawSprite           the whole image, top-left at (x, y), unscaled
// StretchSprite        the image into (x, y)-(x + w, y + h); a negative size mirrors it
// ZoomSprite           scaled by zoomX, zoomY about the image's centre
// RotoSprite           turned by angle degrees (counter-clockwise on screen) about its centre
// RotoZoomSprite       turned and scaled about its centre
// DrawSpriteFrame      one frame of an animation strip, like DrawSprite (and the
// StretchSpriteFrame   stretched and turned forms); frame f is column f mod (Width /
// RotoZoomSpriteFrame  FrameWidth), row f div (Width / FrameWidth); no frame size: whole image
// SetPixel             one pixel; the key colour writes alpha 0
// DrawLine             a line, both end points included
// DrawRect             a filled rectangle; negative sizes extend left / up from x, y
// GetScreenSize        the virtual screen's size (integer and real forms)
// GetSpriteSize        the slot's image size; 0, 0 for an empty slot
// BeginPolygon         starts a triangle list textured with a slot (-1: untextured)
// PolygonVertex        adds a vertex: position, texture position in image pixels, colour
// EndPolygon           draws the triangles given since BeginPolygon (whole triangles only)
#pragma once

#include <cstdint>

void SetView2D(int32_t x, int32_t y, int32_t width, int32_t height);
void ClearScreen();
void SetAlphaMode(double mode);
void DrawSprite(int32_t id, int32_t x, int32_t y);
void StretchSprite(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height);
void ZoomSprite(int32_t id, int32_t x, int32_t y, double zoomX, double zoomY);
void RotoSprite(int32_t id, int32_t x, int32_t y, double angle);
void RotoZoomSprite(int32_t id, int32_t x, int32_t y, double angle, double zoom);
void DrawSpriteFrame(int32_t id, int32_t frame, int32_t x, int32_t y);
void StretchSpriteFrame(int32_t id, int32_t frame, int32_t x, int32_t y, int32_t width,
                        int32_t height);
void RotoZoomSpriteFrame(int32_t id, int32_t frame, int32_t x, int32_t y, double angle,
                         double zoom);
void SetPixel(int32_t x, int32_t y, int32_t colour);
void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t colour);
void DrawRect(int32_t x, int32_t y, int32_t width, int32_t height, int32_t colour);
void GetScreenSize(int32_t& width, int32_t& height);
void GetScreenSize(double& width, double& height);
void GetSpriteSize(int32_t id, int32_t& width, int32_t& height);
void GetSpriteSize(int32_t id, double& width, double& height);
void BeginPolygon(int32_t id);
void PolygonVertex(double x, double y, double u, double v, int32_t colour);
void EndPolygon();

// --- Shared with the rest of the graphics code ---
// The opacity applied to everything drawn (1 at start and after each frame).
double AlphaValue();
// SetPixel batches its points and the sprite calls their quads; every other
// user of OpenGL draws them first, so the picture is as if each had been
// drawn at once.
void FlushPendingDrawing();
// The end-of-frame reset: blending off, AlphaValue 1, opaque white, no texture.
void ResetDrawingState();
