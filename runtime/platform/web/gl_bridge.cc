// The OpenGL 1.x calls that Emscripten's legacy GL emulation leaves out,
// done our own way over WebGL: saving and restoring the drawing state around
// the scaled present, and reading a texture back through a framebuffer.
// (Internal formats and depth buffers that WebGL 1 names otherwise are
// mapped in webgl_fixes.js, which also records each texture's size.)
#include <emscripten.h>

#include <vector>

#include "runtime/core/gl_api.h"

namespace {

// What the runtime changes between a push and a pop: the switches it turns,
// the viewport and scissor box, the clear colour, the bound texture and the
// texture environment.
constexpr GLenum kSwitches[] = {GL_SCISSOR_TEST, GL_ALPHA_TEST, GL_BLEND,     GL_DEPTH_TEST,
                                GL_CULL_FACE,    GL_STENCIL_TEST, GL_TEXTURE_2D};
constexpr size_t kSwitchCount = sizeof kSwitches / sizeof kSwitches[0];

struct SavedState {
  GLboolean Switches[kSwitchCount] = {};
  GLint Viewport[4] = {};
  GLint ScissorBox[4] = {};
  GLfloat ClearColour[4] = {};
  GLint Texture = 0;
  GLint TextureMode = GL_MODULATE;
};

std::vector<SavedState>& Saved() {
  static std::vector<SavedState> saved;
  return saved;
}

}  // namespace

// Reads the bound texture's level 0 (its size as webgl_fixes.js recorded it)
// into out: RGBA rows, or only the alpha bytes for GL_ALPHA.
EM_JS(void, ReadBoundTexture, (int format, void* out), {
  var gl = GLctx;
  var texture = gl.getParameter(gl.TEXTURE_BINDING_2D);
  if (!texture || !texture.zoraxWidth) return;
  var width = texture.zoraxWidth;
  var height = texture.zoraxHeight;
  var previous = gl.getParameter(gl.FRAMEBUFFER_BINDING);
  var framebuffer = gl.createFramebuffer();
  gl.bindFramebuffer(gl.FRAMEBUFFER, framebuffer);
  gl.framebufferTexture2D(gl.FRAMEBUFFER, gl.COLOR_ATTACHMENT0, gl.TEXTURE_2D, texture, 0);
  var rgba = new Uint8Array(width * height * 4);
  if (gl.checkFramebufferStatus(gl.FRAMEBUFFER) == gl.FRAMEBUFFER_COMPLETE) {
    gl.readPixels(0, 0, width, height, gl.RGBA, gl.UNSIGNED_BYTE, rgba);
  }
  gl.bindFramebuffer(gl.FRAMEBUFFER, previous);
  gl.deleteFramebuffer(framebuffer);
  if (format == 0x1906) {  // GL_ALPHA
    for (var i = 0; i < width * height; ++i) HEAPU8[out + i] = rgba[i * 4 + 3];
  } else {
    HEAPU8.set(rgba, out);
  }
});

extern "C" {

void glPushAttrib(GLbitfield) {
  SavedState state;
  for (size_t i = 0; i < kSwitchCount; ++i) state.Switches[i] = glIsEnabled(kSwitches[i]);
  glGetIntegerv(GL_VIEWPORT, state.Viewport);
  glGetIntegerv(GL_SCISSOR_BOX, state.ScissorBox);
  glGetFloatv(GL_COLOR_CLEAR_VALUE, state.ClearColour);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &state.Texture);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &state.TextureMode);
  Saved().push_back(state);
}

void glPopAttrib() {
  if (Saved().empty()) return;
  const SavedState state = Saved().back();
  Saved().pop_back();
  for (size_t i = 0; i < kSwitchCount; ++i) {
    if (state.Switches[i] != 0) {
      glEnable(kSwitches[i]);
    } else {
      glDisable(kSwitches[i]);
    }
  }
  glViewport(state.Viewport[0], state.Viewport[1], state.Viewport[2], state.Viewport[3]);
  glScissor(state.ScissorBox[0], state.ScissorBox[1], state.ScissorBox[2], state.ScissorBox[3]);
  glClearColor(state.ClearColour[0], state.ClearColour[1], state.ClearColour[2],
               state.ClearColour[3]);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(state.Texture));
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, state.TextureMode);
}

void glGetTexImage(GLenum target, GLint level, GLenum format, GLenum type, void* pixels) {
  if (target != GL_TEXTURE_2D || level != 0 || type != GL_UNSIGNED_BYTE || pixels == nullptr ||
      (format != GL_RGBA && format != GL_ALPHA)) {
    return;
  }
  ReadBoundTexture(static_cast<int>(format), pixels);
}

}  // extern "C"
