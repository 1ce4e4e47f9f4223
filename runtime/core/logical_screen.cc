// The logical framebuffer and the two present paths. Both end in one
// textured quad over the picture's rectangle and black bars cleared around
// it: on a graphics card that is nothing, and with Mesa's software renderer
// it costs less than a framebuffer blit, which it rasterises much the same
// way with more work per pixel. The corner copy works on any OpenGL 1.1 driver.
#include "runtime/core/logical_screen.h"

#include <cstring>

#include "runtime/core/gl_api.h"

namespace {

struct LogicalScreen {
  GLuint Framebuffer = 0;
  GLuint Colour = 0;        // texture, drawn into and then shown
  GLuint DepthStencil = 0;  // renderbuffer, 0 when the driver gave none
  int32_t Width = 0;        // the logical screen
  int32_t Height = 0;
  int32_t TextureWidth = 0;   // the colour texture (and framebuffer): the logical size, or
  int32_t TextureHeight = 0;  // powers of two on drivers that want them
  GLuint CopyTexture = 0;     // for the corner copy, made on first use
  int32_t CopyTextureWidth = 0;
  int32_t CopyTextureHeight = 0;
};

LogicalScreen& Screen() {
  static LogicalScreen screen;
  return screen;
}

int32_t PowerOfTwoAtLeast(int32_t n) {
  int32_t side = 1;
  while (side < n && side < (1 << 30)) side *= 2;
  return side;
}

bool Complete() {
  return GlExt().CheckFramebufferStatus(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
}

// Textures of any size since OpenGL 2.0, or with the extension.
bool AnyTextureSize() {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  return (version != nullptr && version[0] >= '2' && version[0] <= '9') ||
         (extensions != nullptr &&
          std::strstr(extensions, "GL_ARB_texture_non_power_of_two") != nullptr);
}

// The bars: what the picture leaves of the drawable area, cleared to black.
// Only they are cleared, since the picture covers the rest anyway.
void ClearBars(const PresentLayout& layout) {
  const PixelRect& p = layout.Picture;
  const int32_t w = layout.DrawableWidth;
  const int32_t h = layout.DrawableHeight;
  if (p.X <= 0 && p.Y <= 0 && p.Width >= w && p.Height >= h) return;
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glEnable(GL_SCISSOR_TEST);
  // Rows count from the bottom in OpenGL.
  const int32_t pictureBottom = h - p.Y - p.Height;
  auto clear = [](int32_t x, int32_t y, int32_t cw, int32_t ch) {
    if (cw <= 0 || ch <= 0) return;
    glScissor(x, y, cw, ch);
    glClear(GL_COLOR_BUFFER_BIT);
  };
  clear(0, pictureBottom + p.Height, w, h - pictureBottom - p.Height);  // above
  clear(0, 0, w, pictureBottom);                                        // below
  clear(0, pictureBottom, p.X, p.Height);                               // left
  clear(p.X + p.Width, pictureBottom, w - p.X - p.Width, p.Height);     // right
  glDisable(GL_SCISSOR_TEST);
}

// Draws the lower-left width x height texels of a texture over the picture's
// rectangle of the bound framebuffer (the window's), bars cleared around it.
// Every GL state it changes is put back.
void DrawPicture(const PresentLayout& layout, ScaleFilter filter, GLuint texture,
                 int32_t textureWidth, int32_t textureHeight) {
  const PixelRect& p = layout.Picture;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  for (GLenum cap : {GL_SCISSOR_TEST, GL_ALPHA_TEST, GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE,
                     GL_LIGHTING, GL_FOG, GL_STENCIL_TEST}) {
    glDisable(cap);
  }
  ClearBars(layout);
  glViewport(0, 0, layout.DrawableWidth, layout.DrawableHeight);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, layout.DrawableWidth, layout.DrawableHeight, 0.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  const GLint texFilter = filter == ScaleFilter::kLinear ? GL_LINEAR : GL_NEAREST;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, texFilter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, texFilter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  const float right = static_cast<float>(layout.LogicalWidth) / textureWidth;
  const float top = static_cast<float>(layout.LogicalHeight) / textureHeight;  // rows bottom-up
  const float x0 = static_cast<float>(p.X), x1 = static_cast<float>(p.X + p.Width);
  const float y0 = static_cast<float>(p.Y), y1 = static_cast<float>(p.Y + p.Height);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, top);
  glVertex2f(x0, y0);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2f(x0, y1);
  glTexCoord2f(right, 0.0f);
  glVertex2f(x1, y1);
  glTexCoord2f(right, top);
  glVertex2f(x1, y0);
  glEnd();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
}

}  // namespace

bool CreateLogicalScreen(int32_t width, int32_t height) {
  DestroyLogicalScreen();
  if (width <= 0 || height <= 0) return false;
  if (!FramebufferEntryPointsFound()) return false;
  const GlEntryPoints& gl = GlExt();
  LogicalScreen& s = Screen();
  const bool anySize = AnyTextureSize();
  s.TextureWidth = anySize ? width : PowerOfTwoAtLeast(width);
  s.TextureHeight = anySize ? height : PowerOfTwoAtLeast(height);
  glGenTextures(1, &s.Colour);
  glBindTexture(GL_TEXTURE_2D, s.Colour);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, s.TextureWidth, s.TextureHeight, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, nullptr);
  glBindTexture(GL_TEXTURE_2D, 0);
  gl.GenFramebuffers(1, &s.Framebuffer);
  gl.BindFramebuffer(GL_FRAMEBUFFER_EXT, s.Framebuffer);
  gl.FramebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, s.Colour, 0);
  // Depth and stencil as the window has them, where the driver allows.
  gl.GenRenderbuffers(1, &s.DepthStencil);
  gl.BindRenderbuffer(GL_RENDERBUFFER_EXT, s.DepthStencil);
  gl.RenderbufferStorage(GL_RENDERBUFFER_EXT, GL_DEPTH24_STENCIL8_EXT, s.TextureWidth,
                         s.TextureHeight);
  gl.FramebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                             s.DepthStencil);
  gl.FramebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_STENCIL_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                             s.DepthStencil);
  if (!Complete()) {
    gl.FramebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, 0);
    gl.FramebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_STENCIL_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                               0);
    gl.DeleteRenderbuffers(1, &s.DepthStencil);
    s.DepthStencil = 0;
  }
  gl.BindRenderbuffer(GL_RENDERBUFFER_EXT, 0);
  const bool complete = Complete();
  gl.BindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
  // Drivers report errors of their own for refused formats; none may linger
  // for the drawing code to find.
  while (glGetError() != GL_NO_ERROR) {
  }
  if (!complete) {
    DestroyLogicalScreen();
    return false;
  }
  s.Width = width;
  s.Height = height;
  return true;
}

void DestroyLogicalScreen() {
  LogicalScreen& s = Screen();
  const GlEntryPoints& gl = GlExt();
  if (s.Framebuffer != 0 && gl.DeleteFramebuffers != nullptr)
    gl.DeleteFramebuffers(1, &s.Framebuffer);
  if (s.DepthStencil != 0 && gl.DeleteRenderbuffers != nullptr) {
    gl.DeleteRenderbuffers(1, &s.DepthStencil);
  }
  if (s.Colour != 0) glDeleteTextures(1, &s.Colour);
  if (s.CopyTexture != 0) glDeleteTextures(1, &s.CopyTexture);
  s = LogicalScreen{};
}

uint32_t LogicalScreenFramebuffer() {
  return Screen().Framebuffer;
}

void PresentFromFramebuffer(const PresentLayout& layout, ScaleFilter filter) {
  const LogicalScreen& s = Screen();
  if (s.Framebuffer == 0) return;
  GlExt().BindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
  const PixelRect& p = layout.Picture;
  if (p.Width <= 0 || p.Height <= 0) return;  // minimised: nothing to show
  DrawPicture(layout, filter, s.Colour, s.TextureWidth, s.TextureHeight);
}

void PresentFromWindowCorner(const PresentLayout& layout, ScaleFilter filter) {
  const PixelRect& p = layout.Picture;
  if (p.Width <= 0 || p.Height <= 0) return;
  LogicalScreen& s = Screen();
  const int32_t width = layout.LogicalWidth;
  const int32_t height = layout.LogicalHeight;
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  if (s.CopyTexture == 0 || s.CopyTextureWidth < width || s.CopyTextureHeight < height) {
    if (s.CopyTexture == 0) glGenTextures(1, &s.CopyTexture);
    s.CopyTextureWidth = PowerOfTwoAtLeast(width);
    s.CopyTextureHeight = PowerOfTwoAtLeast(height);
    glBindTexture(GL_TEXTURE_2D, s.CopyTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, s.CopyTextureWidth, s.CopyTextureHeight, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
  }
  glBindTexture(GL_TEXTURE_2D, s.CopyTexture);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
  DrawPicture(layout, filter, s.CopyTexture, s.CopyTextureWidth, s.CopyTextureHeight);
}
