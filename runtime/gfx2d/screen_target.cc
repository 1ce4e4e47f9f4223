// Screen targets, grabs and the background image. With framebuffer objects a
// screen's slot texture is attached and drawn into directly; without them the
// screen borrows the back buffer's top-left corner: the corner is saved into
// slot 65503, the slot's picture is drawn there, and when the screen ends the
// corner is grabbed back into the slot and the saved content restored.
#include "runtime/gfx2d/screen_target.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "runtime/core/frame.h"
#include "runtime/core/gl_api.h"
#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/core/window.h"
#include "runtime/files/archive.h"
#include "runtime/gfx2d/collision.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/image_decode.h"
#include "runtime/gfx2d/image_write.h"
#include "runtime/gfx2d/sprite_store.h"

namespace {

struct Background {
  uint32_t Texture = 0;
  int32_t Width = 0, Height = 0;
  int32_t TextureWidth = 0, TextureHeight = 0;
  bool Set = false;
};

struct ScreenState {
  std::array<ScreenTarget, kScreenCount> Screens{};
  int32_t Current = -1;
  bool CurrentUsesFramebuffer = false;
  int32_t FramebufferColourBits = -1;  // fewest bits of a colour channel of the window's framebuffer
  bool FramebuffersAllowed = true;
  int FramebuffersWork = -1;  // -1 not yet tried, 0 no, 1 yes
  std::vector<uint8_t> GrabBuffer;
  Background Back;
};

ScreenState& State() {
  static ScreenState state;
  return state;
}

// Makes sure the picture of a grab or a save is complete before it is read.
void PrepareRead() { FlushPendingDrawing(); }

void DeleteFramebuffer(ScreenTarget& screen) {
  const GlEntryPoints& gl = GlExt();
  if (GraphicsReady()) {
    if (screen.Framebuffer != 0 && gl.DeleteFramebuffers != nullptr) {
      const GLuint name = screen.Framebuffer;
      gl.DeleteFramebuffers(1, &name);
    }
    if (screen.DepthRenderbuffer != 0 && gl.DeleteRenderbuffers != nullptr) {
      const GLuint name = screen.DepthRenderbuffer;
      gl.DeleteRenderbuffers(1, &name);
    }
  }
  screen = ScreenTarget{};
}

void BindFramebufferOf(int32_t screen) {
  const GlEntryPoints& gl = GlExt();
  if (gl.BindFramebuffer == nullptr) return;
  ScreenState& state = State();
  if (screen >= 0 && state.CurrentUsesFramebuffer) {
    gl.BindFramebuffer(GL_FRAMEBUFFER_EXT, state.Screens[static_cast<size_t>(screen)].Framebuffer);
  } else {
    BindBackBuffer();
  }
}

// A framebuffer with the texture as colour and a depth renderbuffer of the
// same sides; false (nothing left behind) when the driver refuses it.
bool MakeFramebuffer(ScreenTarget& screen, uint32_t texture, int32_t texW, int32_t texH) {
  const GlEntryPoints& gl = GlExt();
  if (!State().FramebuffersAllowed || !FramebufferEntryPointsFound()) return false;
  GLuint framebuffer = 0, renderbuffer = 0;
  gl.GenFramebuffers(1, &framebuffer);
  gl.GenRenderbuffers(1, &renderbuffer);
  gl.BindRenderbuffer(GL_RENDERBUFFER_EXT, renderbuffer);
  gl.RenderbufferStorage(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, texW, texH);
  gl.BindFramebuffer(GL_FRAMEBUFFER_EXT, framebuffer);
  gl.FramebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, texture, 0);
  gl.FramebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                             renderbuffer);
  const bool complete =
      gl.CheckFramebufferStatus(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
  gl.BindRenderbuffer(GL_RENDERBUFFER_EXT, 0);
  BindFramebufferOf(State().Current);
  if (!complete) {
    gl.DeleteFramebuffers(1, &framebuffer);
    gl.DeleteRenderbuffers(1, &renderbuffer);
    return false;
  }
  screen.Framebuffer = framebuffer;
  screen.DepthRenderbuffer = renderbuffer;
  screen.FramebufferWidth = texW;
  screen.FramebufferHeight = texH;
  return true;
}

// Whether screens made now get framebuffers; tried once on a small texture.
bool FramebuffersWork() {
  ScreenState& state = State();
  if (!state.FramebuffersAllowed || !FramebufferEntryPointsFound()) return false;
  if (state.FramebuffersWork < 0) {
    const uint32_t texture = MakeTexture(0, 32, 32, nullptr, false);
    ScreenTarget probe;
    state.FramebuffersWork = MakeFramebuffer(probe, texture, 32, 32) ? 1 : 0;
    DeleteFramebuffer(probe);
    const GLuint name = texture;
    glDeleteTextures(1, &name);
  }
  return state.FramebuffersWork == 1;
}

// Runs a fill or restore of the emulated corner with blending off, so that
// it writes exactly what a framebuffer target would hold.
template <typename Fn>
void WithoutBlending(Fn fn) {
  const bool blending = glIsEnabled(GL_BLEND) == GL_TRUE;
  if (blending) glDisable(GL_BLEND);
  fn();
  if (blending) glEnable(GL_BLEND);
}

// A pixel as SetPixel writes it; keyByColour adds what a grab does to it.
void PixelBytes(int32_t colour, bool keyByColour, uint8_t* rgba) {
  const int32_t key = Sprites().TransparentColour;
  rgba[0] = static_cast<uint8_t>(colour & 255);
  rgba[1] = static_cast<uint8_t>((colour >> 8) & 255);
  rgba[2] = static_cast<uint8_t>((colour >> 16) & 255);
  const bool transparent =
      colour == key || (keyByColour && (colour & 0xFFFFFF) == (key & 0xFFFFFF));
  rgba[3] = transparent ? 0 : static_cast<uint8_t>(255.0 * std::clamp(AlphaValue(), 0.0, 1.0));
}

// How the key colour comes back from this framebuffer: drawn at (4, 4) of
// the current target and read back, the pixel put back afterwards.
std::array<uint8_t, 3> KeyAsStored() {
  const int32_t key = Sprites().TransparentColour;
  if (key == 0) return {0, 0, 0};
  ScreenState& state = State();
  const bool framebufferObject = state.Current >= 0 && state.CurrentUsesFramebuffer;
  if (!framebufferObject && state.FramebufferColourBits < 0) {
    GLint red = 0, green = 0, blue = 0;
    glGetIntegerv(GL_RED_BITS, &red);
    glGetIntegerv(GL_GREEN_BITS, &green);
    glGetIntegerv(GL_BLUE_BITS, &blue);
    state.FramebufferColourBits = std::min({red, green, blue});
  }
  // Eight bits a channel store the key exactly.
  if (framebufferObject || state.FramebufferColourBits >= 8) {
    return {static_cast<uint8_t>(key & 255), static_cast<uint8_t>((key >> 8) & 255),
            static_cast<uint8_t>((key >> 16) & 255)};
  }
  const OpenGLZidaruva& gfx = *Graphics();
  const GLint px = gfx.ViewX + 4;
  const GLint py = gfx.TargetHeight - gfx.ViewY - 5;
  uint8_t saved[4] = {0, 0, 0, 0};
  uint8_t stored[4] = {0, 0, 0, 0};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(px, py, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, saved);
  SetPixel(4, 4, key);
  FlushPendingDrawing();
  glReadPixels(px, py, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, stored);
  SetPixel(4, 4, saved[0] | (saved[1] << 8) | (saved[2] << 16));
  FlushPendingDrawing();
  return {stored[0], stored[1], stored[2]};
}

// The lower-left width x height pixels of the bound framebuffer, RGBA, rows
// from the top.
void ReadRowsFromTop(int32_t width, int32_t height, std::vector<uint8_t>& rows) {
  std::vector<uint8_t> bottomUp(static_cast<size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  rows.resize(bottomUp.size());
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  for (int32_t y = 0; y < height; ++y) {
    std::memcpy(rows.data() + static_cast<size_t>(y) * rowBytes,
                bottomUp.data() + static_cast<size_t>(height - 1 - y) * rowBytes, rowBytes);
  }
}

void SetTargetToClient() {
  const OpenGLZidaruva& gfx = *Graphics();
  SetDrawTargetSize(gfx.ClientWidth, gfx.ClientHeight);
}

}  // namespace

int32_t CurrentScreen() { return State().Current; }

const ScreenTarget& Screen(int32_t screen) {
  return State().Screens[static_cast<size_t>(std::clamp(screen, 0, kScreenCount - 1))];
}

void SetFramebufferObjectsAllowed(bool allowed) {
  State().FramebuffersAllowed = allowed;
  State().FramebuffersWork = -1;
}

void CreateScreen(int32_t screen, int32_t id, int32_t width, int32_t height) {
  if (screen < 0 || screen >= kScreenCount) return;
  SpriteSlot(id);
  if (!GraphicsReady()) return;
  if (width < 1 || height < 1 || width > MaxTextureSize() || height > MaxTextureSize()) return;
  FlushPendingDrawing();
  ScreenState& state = State();
  // Remaking the screen that is drawn into ends it first.
  if (state.Current == screen) EndCurrentScreen();
  ScreenTarget& target = state.Screens[static_cast<size_t>(screen)];
  DeleteFramebuffer(target);

  EmptySlot(id);
  SpriteEntry& entry = SpriteSlot(id);
  const int32_t texW = PowerOfTwoAtLeast(width, 2);
  const int32_t texH = PowerOfTwoAtLeast(height, 2);
  entry.Texture = MakeTexture(0, texW, texH, nullptr, false);
  glBindTexture(GL_TEXTURE_2D, 0);
  entry.TextureWidth = static_cast<int16_t>(texW);
  entry.TextureHeight = static_cast<int16_t>(texH);
  entry.Width = static_cast<int16_t>(width);
  entry.Height = static_cast<int16_t>(height);

  MakeFramebuffer(target, entry.Texture, texW, texH);
  target.SpriteId = id;
}

void UseScreen(int32_t screen) {
  if (screen >= kScreenCount) return;
  FlushPendingDrawing();  // they belong to the target they were set on
  if (screen < 0) {
    EndCurrentScreen();
    return;
  }
  ScreenState& state = State();
  const ScreenTarget& target = state.Screens[static_cast<size_t>(screen)];
  if (target.SpriteId < 0 || !GraphicsReady()) return;
  EndCurrentScreen();

  const int32_t id = target.SpriteId;
  const SpriteEntry& entry = SpriteSlot(id);
  const int32_t width = std::max<int32_t>(entry.Width, 1);
  const int32_t height = std::max<int32_t>(entry.Height, 1);
  ForgetCollisionMask(id);
  state.Current = screen;
  // The slot may have been refilled since; its texture must still fit.
  state.CurrentUsesFramebuffer = target.Framebuffer != 0 && entry.Texture != 0 &&
                                 entry.TextureWidth == target.FramebufferWidth &&
                                 entry.TextureHeight == target.FramebufferHeight;
  if (state.CurrentUsesFramebuffer) {
    const GlEntryPoints& gl = GlExt();
    gl.BindFramebuffer(GL_FRAMEBUFFER_EXT, target.Framebuffer);
    gl.FramebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D,
                            entry.Texture, 0);
    gl.FramebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                               target.DepthRenderbuffer);
    SetDrawTargetSize(width, height);
    SetView2D(0, 0, width, height);
    glViewport(0, 0, width, height);
    return;
  }
  SetView2D(0, 0, width, height);
  GrabSprite(kEmulatedScreenSlot, 0, 0, width, height);
  WithoutBlending([&] {
    DrawRect(0, 0, width, height, Sprites().TransparentColour);
    DrawSprite(id, 0, 0);
  });
}

void EndCurrentScreen() {
  FlushPendingDrawing();
  ScreenState& state = State();
  if (state.Current < 0 || !GraphicsReady()) {
    state.Current = -1;
    return;
  }
  const int32_t id = state.Screens[static_cast<size_t>(state.Current)].SpriteId;
  if (state.CurrentUsesFramebuffer) {
    BindBackBuffer();
    GlExt().BindRenderbuffer(GL_RENDERBUFFER_EXT, 0);
  } else {
    const SpriteEntry& entry = SpriteSlot(id);
    const int32_t width = std::max<int32_t>(entry.Width, 1);
    const int32_t height = std::max<int32_t>(entry.Height, 1);
    GrabSprite(id, 0, 0, width, height);
    WithoutBlending([&] {
      DrawRect(0, 0, SpriteSlot(id).TextureWidth, SpriteSlot(id).TextureHeight, 0);
      DrawSprite(kEmulatedScreenSlot, 0, 0);
    });
    FlushPendingDrawing();
  }
  ForgetCollisionMask(id);
  state.Current = -1;
  state.CurrentUsesFramebuffer = false;
  SetTargetToClient();
  SetView2D(0, 0, 0, 0);
}

int32_t GrabSprite(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height) {
  SpriteEntry& entry = SpriteSlot(id);
  if (!GraphicsReady()) return 0;
  if (width < 1 || height < 1 || width > MaxTextureSize() || height > MaxTextureSize()) return 0;
  PrepareRead();
  ForgetCollisionMask(id);
  ScreenState& state = State();
  const OpenGLZidaruva& gfx = *Graphics();

  const int32_t texW = PowerOfTwoAtLeast(width, 32);
  const int32_t texH = PowerOfTwoAtLeast(height, 32);
  const bool sameSides = entry.Texture != 0 && entry.TextureWidth == texW && entry.TextureHeight == texH;
  if (!sameSides) {
    const uint32_t old = entry.Texture;
    EmptySlot(id);
    (void)old;
  } else if (entry.MipTexture != 0) {
    const GLuint mip = entry.MipTexture;
    glDeleteTextures(1, &mip);
    entry.MipTexture = 0;
  }
  // The texture starts transparent, so that no earlier picture shows around
  // the grabbed rectangle or where the rectangle leaves the target.
  entry.Texture = MakeTexture(sameSides ? entry.Texture : 0, texW, texH, nullptr, false);

  // Rows of the framebuffer count from the bottom.
  const int64_t lower = int64_t{gfx.TargetHeight} - y - height;
  const int64_t x0 = std::max<int64_t>(x, 0);
  const int64_t x1 = std::min<int64_t>(int64_t{x} + width, gfx.TargetWidth);
  const int64_t y0 = std::max<int64_t>(lower, 0);
  const int64_t y1 = std::min<int64_t>(lower + height, gfx.TargetHeight);
  if (x1 > x0 && y1 > y0) {
    const GLint destX = static_cast<GLint>(x0 - x);
    const GLint destY = static_cast<GLint>(y0 - lower);
    const GLsizei w = static_cast<GLsizei>(x1 - x0);
    const GLsizei h = static_cast<GLsizei>(y1 - y0);
    // Pixels are read back rather than copied on the card, so that the key
    // applies to every pixel of its colour (drawn, cleared or from a sprite),
    // and pixels written with alpha 0 stay transparent where the target keeps
    // alpha. Both kinds of framebuffer then give the same sprite.
    const std::array<uint8_t, 3> key = KeyAsStored();
    std::vector<uint8_t>& pixels = state.GrabBuffer;
    pixels.resize(static_cast<size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(static_cast<GLint>(x0), static_cast<GLint>(y0), w, h, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.data());
    for (size_t i = 0; i < pixels.size(); i += 4) {
      if (pixels[i] == key[0] && pixels[i + 1] == key[1] && pixels[i + 2] == key[2]) {
        pixels[i + 3] = 0;
      }
    }
    glBindTexture(GL_TEXTURE_2D, entry.Texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, destX, destY, w, h, GL_RGBA, GL_UNSIGNED_BYTE,
                    pixels.data());
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  entry.TextureWidth = static_cast<int16_t>(texW);
  entry.TextureHeight = static_cast<int16_t>(texH);
  entry.Width = static_cast<int16_t>(width);
  entry.Height = static_cast<int16_t>(height);
  return 1;
}

int32_t BuildSpriteFromPixels(int32_t id, int32_t width, int32_t height, const int32_t* colours) {
  SpriteSlot(id);
  if (!GraphicsReady() || colours == nullptr) return 0;
  if (width < 1 || height < 1 || width > MaxTextureSize() || height > MaxTextureSize()) return 0;
  FlushPendingDrawing();
  // The sides the drawn sequence would leave: CreateScreen's with a
  // framebuffer, the final grab's when emulated.
  const bool framebuffers = FramebuffersWork();
  const int32_t from = framebuffers ? 2 : 32;
  const int32_t texW = PowerOfTwoAtLeast(width, from);
  const int32_t texH = PowerOfTwoAtLeast(height, from);
  std::vector<uint8_t> texels(static_cast<size_t>(texW) * texH * 4, 0);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* out = texels.data() + static_cast<size_t>(height - 1 - y) * texW * 4;
    const int32_t* in = colours + static_cast<size_t>(y) * width;
    for (int32_t x = 0; x < width; ++x) PixelBytes(in[x], !framebuffers, out + static_cast<size_t>(x) * 4);
  }
  EmptySlot(id);
  SpriteEntry& entry = SpriteSlot(id);
  entry.Texture = MakeTexture(0, texW, texH, texels.data(), false);
  glBindTexture(GL_TEXTURE_2D, 0);
  entry.TextureWidth = static_cast<int16_t>(texW);
  entry.TextureHeight = static_cast<int16_t>(texH);
  entry.Width = static_cast<int16_t>(width);
  entry.Height = static_cast<int16_t>(height);
  return 1;
}

int32_t LoadBackground(const RtString& path) {
  if (!GraphicsReady()) return 0;
  RtString resolved = path;
  if (ResolveMediaPath(MediaArchive(), path, resolved) == 0 && resolved.Empty()) return 0;
  ImageBuffer image;
  if (!DecodeImageFile(ToHostPath(resolved.View()), kNoColourKey, image)) return 0;
  FlushPendingDrawing();
  Background& back = State().Back;
  const int32_t width = std::min(image.Width, MaxTextureSize());
  const int32_t height = std::min(image.Height, MaxTextureSize());
  back.TextureWidth = PowerOfTwoAtLeast(width, 2);
  back.TextureHeight = PowerOfTwoAtLeast(height, 2);
  std::vector<uint8_t> texels(static_cast<size_t>(back.TextureWidth) * back.TextureHeight * 4, 0);
  for (int32_t row = 0; row < height; ++row) {
    std::memcpy(texels.data() + static_cast<size_t>(height - 1 - row) * back.TextureWidth * 4,
                image.Pixels.data() + static_cast<size_t>(row) * image.Width * 4,
                static_cast<size_t>(width) * 4);
  }
  back.Texture = MakeTexture(back.Texture, back.TextureWidth, back.TextureHeight, texels.data(), false);
  glBindTexture(GL_TEXTURE_2D, 0);
  back.Width = width;
  back.Height = height;
  back.Set = true;
  return 1;
}

void UseScreenAsBackground() {
  if (!GraphicsReady()) return;
  PrepareRead();
  const OpenGLZidaruva& gfx = *Graphics();
  Background& back = State().Back;
  back.Width = std::min(gfx.TargetWidth, MaxTextureSize());
  back.Height = std::min(gfx.TargetHeight, MaxTextureSize());
  back.TextureWidth = PowerOfTwoAtLeast(back.Width, 2);
  back.TextureHeight = PowerOfTwoAtLeast(back.Height, 2);
  back.Texture = MakeTexture(back.Texture, back.TextureWidth, back.TextureHeight, nullptr, false);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, back.Width, back.Height);
  glBindTexture(GL_TEXTURE_2D, 0);
  back.Set = true;
}

void DrawBackgroundImage() {
  const Background& back = State().Back;
  if (!back.Set || !GraphicsReady()) return;
  FlushPendingDrawing();
  const OpenGLZidaruva& gfx = *Graphics();
  const float s = static_cast<float>(back.Width) / back.TextureWidth;
  const float t = static_cast<float>(back.Height) / back.TextureHeight;
  const float w = static_cast<float>(gfx.ViewWidth);
  const float h = static_cast<float>(gfx.ViewHeight);
  glDisable(GL_ALPHA_TEST);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, back.Texture);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  WithoutBlending([&] {
    glBegin(GL_QUADS);
    glTexCoord2f(s, t);
    glVertex2f(w, 0.0f);
    glTexCoord2f(0.0f, t);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, h);
    glTexCoord2f(s, 0.0f);
    glVertex2f(w, h);
    glEnd();
  });
  glBindTexture(GL_TEXTURE_2D, 0);
  glEnable(GL_ALPHA_TEST);
  glColor4f(1.0f, 1.0f, 1.0f, static_cast<float>(AlphaValue()));
}

void DiscardBackground() { State().Back.Set = false; }

int32_t SaveScreen(const RtString& path) {
  if (!GraphicsReady()) return 0;
  PrepareRead();
  const OpenGLZidaruva& gfx = *Graphics();
  const int32_t width = gfx.TargetWidth;
  const int32_t height = gfx.TargetHeight;
  std::vector<uint8_t> rows;
  ReadRowsFromTop(width, height, rows);
  const bool ok =
      SaveImageFile(ToHostPath(path.View()), width, height, rows.data(), false, kNoColourKey);
  return ok ? 1 : 0;
}

bool ReadLogicalScreen(std::vector<uint8_t>& rgba, int32_t& width, int32_t& height) {
  if (!GraphicsReady()) return false;
  PrepareRead();
  const OpenGLZidaruva& gfx = *Graphics();
  width = gfx.ClientWidth;
  height = gfx.ClientHeight;
  // A screen drawn through its own framebuffer is set aside for the read.
  const ScreenState& state = State();
  const bool aside = state.Current >= 0 && state.CurrentUsesFramebuffer;
  if (aside) BindBackBuffer();
  ReadRowsFromTop(width, height, rgba);
  if (aside) BindFramebufferOf(state.Current);
  return true;
}

int32_t SaveSprite(const RtString& path, int32_t id) {
  const SpriteEntry& entry = SpriteSlot(id);
  if (!GraphicsReady() || entry.Texture == 0 || entry.Width <= 0 || entry.Height <= 0) return 0;
  PrepareRead();
  const int32_t texW = entry.TextureWidth;
  const int32_t texH = entry.TextureHeight;
  std::vector<uint8_t> texels(static_cast<size_t>(texW) * texH * 4);
  glBindTexture(GL_TEXTURE_2D, entry.Texture);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  const int32_t width = std::min<int32_t>(entry.Width, texW);
  const int32_t height = std::min<int32_t>(entry.Height, texH);
  std::vector<uint8_t> rows(static_cast<size_t>(width) * height * 4);
  for (int32_t y = 0; y < height; ++y) {
    std::memcpy(rows.data() + static_cast<size_t>(y) * width * 4,
                texels.data() + static_cast<size_t>(height - 1 - y) * texW * 4,
                static_cast<size_t>(width) * 4);
  }
  const bool ok = SaveImageFile(ToHostPath(path.View()), width, height, rows.data(), true,
                                Sprites().TransparentColour);
  return ok ? 1 : 0;
}

namespace {

// Around each present: an open screen target is ended and pending points
// drawn before the picture is shown; the next one starts with the drawing
// state reset, the 2D view of the whole screen and the background image.
void FinishPicture() {
  EndCurrentScreen();
  FlushPendingDrawing();
}

void StartPicture() {
  ResetDrawingState();
  SetView2D(0, 0, 0, 0);
  DrawBackgroundImage();
}

}  // namespace

void StartScreenTargets() {
  SetPresentSteps(PresentSteps{FinishPicture, StartPicture});
  // Names of an earlier context mean nothing in this one: forget them.
  ScreenState& state = State();
  const bool allowed = state.FramebuffersAllowed;
  state = ScreenState{};
  state.FramebuffersAllowed = allowed;
  SetTeardownHook(TeardownStep::kScreenTargets, ReleaseScreenTargets);
}

void ReleaseScreenTargets() {
  FlushPendingDrawing();
  ScreenState& state = State();
  if (state.Current >= 0 && state.CurrentUsesFramebuffer && GraphicsReady()) BindBackBuffer();
  state.Current = -1;
  state.CurrentUsesFramebuffer = false;
  for (ScreenTarget& screen : state.Screens) DeleteFramebuffer(screen);
  if (state.Back.Texture != 0 && GraphicsReady()) {
    const GLuint name = state.Back.Texture;
    glDeleteTextures(1, &name);
  }
  state.Back = Background{};
  state.GrabBuffer.clear();
  state.GrabBuffer.shrink_to_fit();
  state.FramebufferColourBits = -1;
  state.FramebuffersWork = -1;
}
