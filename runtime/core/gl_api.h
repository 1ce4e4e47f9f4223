// OpenGL for the runtime: the 1.x core functions through SDL's header, and the
// extension entry points that the window looks up when it is created. Entry
// points that the driver lacks stay null; their users test for null.
#pragma once

#include <SDL_opengl.h>

struct GlEntryPoints {
  // Multitexture (looked up when "GL_ARB_multitexture" is offered).
  PFNGLACTIVETEXTUREARBPROC ActiveTexture = nullptr;
  PFNGLMULTITEXCOORD2FARBPROC MultiTexCoord2f = nullptr;
  PFNGLCLIENTACTIVETEXTUREARBPROC ClientActiveTexture = nullptr;
  // Framebuffer objects, for off-screen screens (always looked up).
  PFNGLBINDRENDERBUFFEREXTPROC BindRenderbuffer = nullptr;
  PFNGLDELETERENDERBUFFERSEXTPROC DeleteRenderbuffers = nullptr;
  PFNGLGENRENDERBUFFERSEXTPROC GenRenderbuffers = nullptr;
  PFNGLRENDERBUFFERSTORAGEEXTPROC RenderbufferStorage = nullptr;
  PFNGLBINDFRAMEBUFFEREXTPROC BindFramebuffer = nullptr;
  PFNGLDELETEFRAMEBUFFERSEXTPROC DeleteFramebuffers = nullptr;
  PFNGLGENFRAMEBUFFERSEXTPROC GenFramebuffers = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC CheckFramebufferStatus = nullptr;
  PFNGLFRAMEBUFFERTEXTURE2DEXTPROC FramebufferTexture2D = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC FramebufferRenderbuffer = nullptr;
  // Every other looked-up entry point (buffer and shader objects), by name
  // order of the lookup; kept for the 3D side, unused by 2D drawing.
  int OtherFound = 0;
};

// The process-wide table, filled by CreateGraphicsWindow.
GlEntryPoints& GlExt();

// True when all ten framebuffer entry points were found.
bool FramebufferEntryPointsFound();
