// The drawing commands in OpenGL 1.x. Sprites are textured quads modulated
// by white with AlphaValue; pixels, lines and rectangles are drawn untextured
// with the alpha test off, so that the key colour can write alpha 0 into a
// screen target. Consecutive SetPixel calls are gathered and drawn in one
// batch, which is what makes building sprites pixel by pixel cheap; so are
// consecutive sprites with the same texture, filter and facing (a tile map's
// runs of one tile): the same quads in the same order, in one draw call
// instead of one each, which is what a browser's WebGL pays for most.
#include "runtime/gfx2d/drawing.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "runtime/core/config.h"
#include "runtime/core/gl_api.h"
#include "runtime/core/window.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/gfx2d/sprite_store.h"

namespace {

// Integer coordinates plus this offset hit pixel centres.
constexpr float kPixelCentre = 0.375f;

struct PendingPoint {
  float X, Y;
  uint8_t Rgba[4];
};

struct QuadVertex {
  float X, Y, S, T;
};

// Sprites waiting to be drawn, all with the same texture, filter and facing
// (the colour cannot change while they wait: SetAlphaMode draws them first).
struct PendingQuads {
  GLuint Texture = 0;
  GLint Filter = GL_NEAREST;
  bool Mirrored = false;
  std::vector<QuadVertex> Vertices;  // four a quad
};

// Quads in one draw call at most: a bound on the vertex data handed over at once.
constexpr size_t kMaxBatchedQuads = 1024;

struct DrawingState {
  double AlphaValue = 1.0;
  PendingQuads Quads;
  std::vector<PendingPoint> Points;
  int32_t PolygonSprite = -1;
  std::vector<float> PolygonXy;
  std::vector<float> PolygonUv;
  std::vector<uint8_t> PolygonRgba;
};

DrawingState& State() {
  static DrawingState state;
  return state;
}

void ColourBytes(int32_t colour, uint8_t rgba[4]) {
  rgba[0] = static_cast<uint8_t>(colour & 255);
  rgba[1] = static_cast<uint8_t>((colour >> 8) & 255);
  rgba[2] = static_cast<uint8_t>((colour >> 16) & 255);
  rgba[3] = colour == Sprites().TransparentColour
                ? 0
                : static_cast<uint8_t>(255.0 * std::clamp(State().AlphaValue, 0.0, 1.0));
}

void SetModulationColour() {
  glColor4f(1.0f, 1.0f, 1.0f, static_cast<float>(State().AlphaValue));
}

bool EmptySprite(const SpriteEntry& entry) {
  return entry.Texture == 0 || entry.Width <= 0 || entry.Height <= 0;
}

GLint SpriteFilter() {
  return Sprites().Smoothing ? GL_LINEAR : GL_NEAREST;
}

void BindTexture(GLuint texture, GLint filter) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
  SetModulationColour();
}

void DrawPendingQuads() {
  PendingQuads& quads = State().Quads;
  if (quads.Vertices.empty()) return;
  BindTexture(quads.Texture, quads.Filter);
  // A quad mirrored on one axis turns its back to the viewer.
  if (quads.Mirrored) glFrontFace(GL_CW);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(2, GL_FLOAT, sizeof(QuadVertex), &quads.Vertices[0].X);
  glTexCoordPointer(2, GL_FLOAT, sizeof(QuadVertex), &quads.Vertices[0].S);
  glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(quads.Vertices.size()));
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  if (quads.Mirrored) glFrontFace(GL_CCW);
  quads.Vertices.clear();
}

// Readies the batch for a quad of a slot's texture, drawing what waits
// first when it differs or points wait; false (nothing to draw) for an empty slot.
bool BatchSprite(const SpriteEntry& entry, bool mirrored) {
  if (EmptySprite(entry)) return false;
  DrawingState& state = State();
  PendingQuads& quads = state.Quads;
  const GLint filter = SpriteFilter();
  if (!state.Points.empty() || quads.Texture != entry.Texture || quads.Filter != filter ||
      quads.Mirrored != mirrored || quads.Vertices.size() >= 4 * kMaxBatchedQuads) {
    FlushPendingDrawing();
  }
  quads.Texture = entry.Texture;
  quads.Filter = filter;
  quads.Mirrored = mirrored;
  return true;
}

// Texture rectangle of a frame (or the whole image): s left/right, t at the
// image's top and bottom edge (rows are stored bottom-up).
struct TexRect {
  float S0, S1, TTop, TBottom;
  int32_t Width, Height;
};

TexRect FrameRect(const SpriteEntry& entry, int32_t frame) {
  TexRect r{};
  const float tw = static_cast<float>(entry.TextureWidth);
  const float th = static_cast<float>(entry.TextureHeight);
  if (frame < 0 || entry.FrameWidth == 0 || entry.FrameHeight == 0 ||
      entry.FrameWidth > entry.Width) {
    r = {0.0f, entry.Width / tw, entry.Height / th, 0.0f, entry.Width, entry.Height};
    return r;
  }
  const int32_t perRow = entry.Width / entry.FrameWidth;
  const int32_t column = frame % perRow;
  const int32_t row = frame / perRow;
  const float left = static_cast<float>(column * entry.FrameWidth);
  const float top = static_cast<float>(entry.Height - row * entry.FrameHeight);
  r.S0 = left / tw;
  r.S1 = (left + entry.FrameWidth) / tw;
  r.TTop = top / th;
  r.TBottom = (top - entry.FrameHeight) / th;
  r.Width = entry.FrameWidth;
  r.Height = entry.FrameHeight;
  return r;
}

// Adds to the batch one quad from (x0, y0) to (x1, y1) in the vertex order
// that is counter-clockwise on screen when x1 > x0 and y1 > y0.
void EmitQuad(float x0, float y0, float x1, float y1, const TexRect& t) {
  std::vector<QuadVertex>& vertices = State().Quads.Vertices;
  vertices.push_back({x1, y0, t.S1, t.TTop});
  vertices.push_back({x0, y0, t.S0, t.TTop});
  vertices.push_back({x0, y1, t.S0, t.TBottom});
  vertices.push_back({x1, y1, t.S1, t.TBottom});
}

void StretchRect(int32_t id, int32_t frame, int32_t x, int32_t y, int32_t width, int32_t height,
                 bool useImageSize) {
  const SpriteEntry& entry = SpriteSlot(id);
  if (!GraphicsReady()) return;
  const TexRect t = FrameRect(entry, frame);
  if (useImageSize) {
    width = t.Width;
    height = t.Height;
  }
  if (!BatchSprite(entry, (width < 0) != (height < 0))) return;
  EmitQuad(static_cast<float>(x), static_cast<float>(y), static_cast<float>(x) + width,
           static_cast<float>(y) + height, t);
}

void RotoZoomRect(int32_t id, int32_t frame, int32_t x, int32_t y, double angle, double zoom) {
  const SpriteEntry& entry = SpriteSlot(id);
  if (!GraphicsReady()) return;
  FlushPendingDrawing();
  if (!BatchSprite(entry, false)) return;
  TexRect t = FrameRect(entry, frame);
  // Half a texel inset, so that edge pixels sample inside the image.
  const float halfS = 0.5f / entry.TextureWidth;
  const float halfT = 0.5f / entry.TextureHeight;
  t.S0 += halfS;
  t.S1 -= halfS;
  t.TTop -= halfT;
  t.TBottom += halfT;
  const float hw = static_cast<float>(t.Width * zoom * 0.5);
  const float hh = static_cast<float>(t.Height * zoom * 0.5);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glTranslatef(static_cast<float>(x + t.Width / 2), static_cast<float>(y + t.Height / 2), 0.0f);
  // y grows downward, so a positive angle about the axis out of the screen
  // would turn clockwise; turning about the opposite axis gives counter-clockwise.
  glRotatef(static_cast<float>(angle), 0.0f, 0.0f, -1.0f);
  EmitQuad(-hw, -hh, hw, hh, t);
  DrawPendingQuads();  // under this quad's own matrix
  glPopMatrix();
}

// Untextured drawing with the alpha test off, as SetPixel, DrawLine and
// DrawRect need; the colour is restored to white with AlphaValue afterwards.
void BeginFlatDrawing() {
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_TEXTURE_2D);
}

void EndFlatDrawing() {
  glEnable(GL_ALPHA_TEST);
  SetModulationColour();
}

}  // namespace

double AlphaValue() { return State().AlphaValue; }

void FlushPendingDrawing() {
  DrawingState& state = State();
  if (GraphicsReady()) DrawPendingQuads();
  state.Quads.Vertices.clear();
  if (state.Points.empty()) return;
  if (GraphicsReady()) {
    BeginFlatDrawing();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(PendingPoint), &state.Points[0].X);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(PendingPoint), state.Points[0].Rgba);
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(state.Points.size()));
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    EndFlatDrawing();
  }
  state.Points.clear();
}

void ResetDrawingState() {
  FlushPendingDrawing();
  State().AlphaValue = 1.0;
  if (!GraphicsReady()) return;
  glEnable(GL_BLEND);
  glDisable(GL_BLEND);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glBindTexture(GL_TEXTURE_2D, 0);
}

void SetView2D(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!GraphicsReady()) return;
  // Points waiting to be drawn belong to the view they were set in.
  FlushPendingDrawing();
  SetTargetView(x, y, width, height);
  SetSmoothing(1);
}

void ClearScreen() {
  DiscardBackground();
  if (!GraphicsReady()) return;
  FlushPendingDrawing();
  // A screen target is cleared only inside its own picture.
  const bool onScreenTarget = CurrentScreen() >= 0;
  if (onScreenTarget) {
    const OpenGLZidaruva& gfx = *Graphics();
    glEnable(GL_SCISSOR_TEST);
    glScissor(gfx.ViewX, gfx.TargetHeight - gfx.ViewHeight - gfx.ViewY, gfx.ViewWidth,
              gfx.ViewHeight);
  }
  glClear(GL_COLOR_BUFFER_BIT);
  if (onScreenTarget) glDisable(GL_SCISSOR_TEST);
}

void SetAlphaMode(double mode) {
  FlushPendingDrawing();
  DrawingState& state = State();
  if (GraphicsReady()) glEnable(GL_BLEND);
  if (mode == 0) {
    if (GraphicsReady()) glDisable(GL_BLEND);
    state.AlphaValue = 1.0;
  } else if (mode > 0) {
    if (GraphicsReady()) glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    state.AlphaValue = std::min(mode, 1.0);
  } else {
    if (GraphicsReady()) glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    state.AlphaValue = std::min(-mode, 1.0);
  }
  if (GraphicsReady()) SetModulationColour();
}

void DrawSprite(int32_t id, int32_t x, int32_t y) { StretchRect(id, -1, x, y, 0, 0, true); }

void StretchSprite(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height) {
  StretchRect(id, -1, x, y, width, height, false);
}

void ZoomSprite(int32_t id, int32_t x, int32_t y, double zoomX, double zoomY) {
  const SpriteEntry& entry = SpriteSlot(id);
  const double width = zoomX * entry.Width;
  const double height = zoomY * entry.Height;
  StretchSprite(id, static_cast<int32_t>(x - (width - entry.Width) / 2),
                static_cast<int32_t>(y - (height - entry.Height) / 2), static_cast<int32_t>(width),
                static_cast<int32_t>(height));
}

void RotoSprite(int32_t id, int32_t x, int32_t y, double angle) {
  RotoZoomRect(id, -1, x, y, angle, 1.0);
}

void RotoZoomSprite(int32_t id, int32_t x, int32_t y, double angle, double zoom) {
  RotoZoomRect(id, -1, x, y, angle, zoom);
}

void DrawSpriteFrame(int32_t id, int32_t frame, int32_t x, int32_t y) {
  StretchRect(id, std::max(frame, 0), x, y, 0, 0, true);
}

void StretchSpriteFrame(int32_t id, int32_t frame, int32_t x, int32_t y, int32_t width,
                        int32_t height) {
  StretchRect(id, std::max(frame, 0), x, y, width, height, false);
}

void RotoZoomSpriteFrame(int32_t id, int32_t frame, int32_t x, int32_t y, double angle,
                         double zoom) {
  RotoZoomRect(id, std::max(frame, 0), x, y, angle, zoom);
}

void SetPixel(int32_t x, int32_t y, int32_t colour) {
  PendingPoint point{static_cast<float>(x) + kPixelCentre, static_cast<float>(y) + kPixelCentre,
                     {0, 0, 0, 0}};
  ColourBytes(colour, point.Rgba);
  State().Points.push_back(point);
}

void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t colour) {
  if (!GraphicsReady()) return;
  FlushPendingDrawing();
  uint8_t rgba[4];
  ColourBytes(colour, rgba);
  BeginFlatDrawing();
  glColor4ubv(rgba);
  const float ax = static_cast<float>(x1) + kPixelCentre, ay = static_cast<float>(y1) + kPixelCentre;
  const float bx = static_cast<float>(x2) + kPixelCentre, by = static_cast<float>(y2) + kPixelCentre;
  glBegin(GL_LINES);
  glVertex2f(ax, ay);
  glVertex2f(bx, by);
  glEnd();
  // Lines leave out their last pixel; the point puts it in.
  glBegin(GL_POINTS);
  glVertex2f(bx, by);
  glEnd();
  EndFlatDrawing();
}

void DrawRect(int32_t x, int32_t y, int32_t width, int32_t height, int32_t colour) {
  if (!GraphicsReady()) return;
  FlushPendingDrawing();
  int64_t left = x, top = y, w = width, h = height;
  if (w < 0) {
    left = left + w + 1;
    w = -w;
  }
  if (h < 0) {
    top = top + h + 1;
    h = -h;
  }
  uint8_t rgba[4];
  ColourBytes(colour, rgba);
  BeginFlatDrawing();
  glColor4ubv(rgba);
  const float x0 = static_cast<float>(left) + kPixelCentre;
  const float y0 = static_cast<float>(top) + kPixelCentre;
  const float x1 = static_cast<float>(left + w) + kPixelCentre;
  const float y1 = static_cast<float>(top + h) + kPixelCentre;
  glBegin(GL_QUADS);
  glVertex2f(x0, y1);
  glVertex2f(x1, y1);
  glVertex2f(x1, y0);
  glVertex2f(x0, y0);
  glEnd();
  EndFlatDrawing();
}

void GetScreenSize(int32_t& width, int32_t& height) {
  const OpenGLZidaruva* gfx = Graphics();
  width = gfx != nullptr ? gfx->ClientWidth : Config().ScreenWidth;
  height = gfx != nullptr ? gfx->ClientHeight : Config().ScreenHeight;
}

void GetScreenSize(double& width, double& height) {
  int32_t w = 0, h = 0;
  GetScreenSize(w, h);
  width = w;
  height = h;
}

void GetSpriteSize(int32_t id, int32_t& width, int32_t& height) {
  const SpriteEntry& entry = SpriteSlot(id);
  width = std::max<int32_t>(entry.Width, 0);
  height = std::max<int32_t>(entry.Height, 0);
}

void GetSpriteSize(int32_t id, double& width, double& height) {
  int32_t w = 0, h = 0;
  GetSpriteSize(id, w, h);
  width = w;
  height = h;
}

void BeginPolygon(int32_t id) {
  if (id >= 0) SpriteSlot(id);
  DrawingState& state = State();
  state.PolygonSprite = id;
  state.PolygonXy.clear();
  state.PolygonUv.clear();
  state.PolygonRgba.clear();
}

void PolygonVertex(double x, double y, double u, double v, int32_t colour) {
  DrawingState& state = State();
  state.PolygonXy.push_back(static_cast<float>(x));
  state.PolygonXy.push_back(static_cast<float>(y));
  float s = 0, t = 0;
  if (state.PolygonSprite >= 0) {
    const SpriteEntry& entry = SpriteSlot(state.PolygonSprite);
    if (entry.TextureWidth > 0 && entry.TextureHeight > 0) {
      s = static_cast<float>(u / entry.TextureWidth);
      t = static_cast<float>((entry.Height - v) / entry.TextureHeight);
    }
  }
  state.PolygonUv.push_back(s);
  state.PolygonUv.push_back(t);
  uint8_t rgba[4];
  ColourBytes(colour, rgba);
  state.PolygonRgba.insert(state.PolygonRgba.end(), rgba, rgba + 4);
}

void EndPolygon() {
  DrawingState& state = State();
  const GLsizei count = static_cast<GLsizei>(state.PolygonXy.size() / 2 / 3 * 3);
  if (!GraphicsReady() || count == 0) {
    BeginPolygon(-1);
    return;
  }
  FlushPendingDrawing();
  bool textured = false;
  if (state.PolygonSprite >= 0) {
    const SpriteEntry& entry = SpriteSlot(state.PolygonSprite);
    textured = !EmptySprite(entry);
    if (textured) BindTexture(entry.Texture, SpriteFilter());
  }
  if (!textured) glDisable(GL_TEXTURE_2D);
  glDisable(GL_CULL_FACE);  // triangles may come in either winding
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(2, GL_FLOAT, 0, state.PolygonXy.data());
  glTexCoordPointer(2, GL_FLOAT, 0, state.PolygonUv.data());
  glColorPointer(4, GL_UNSIGNED_BYTE, 0, state.PolygonRgba.data());
  glDrawArrays(GL_TRIANGLES, 0, count);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glEnable(GL_CULL_FACE);
  SetModulationColour();
  BeginPolygon(-1);
}
