// The window and its OpenGL context on SDL2. The window is made once at
// start-up and may be resized; full screen is the desktop's own size (no
// display-mode change), so the context and every texture survive a switch.
// The game draws on the logical screen (the configured screen size): into a
// framebuffer object that each present shows scaled in the window, or, when
// the window shows it one to one (and on a driver without framebuffer
// objects), straight into the window as it always did.
#include "runtime/core/window.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "runtime/core/config.h"
#include "runtime/core/gl_api.h"
#include "runtime/core/host_hooks.h"
#include "runtime/core/logical_screen.h"
#include "runtime/core/present_layout.h"
#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/input/input_events.h"
#include "runtime/sound/device_loss.h"

namespace {

std::unique_ptr<OpenGLZidaruva> g_graphics;
bool g_softwareWarningShown = false;
bool g_logicalFramebufferAllowed = true;
bool g_fullScreenAllowed = true;

// The smallest window a player can drag it to, as a fraction of the logical size.
constexpr int32_t kSmallestWindowDivisor = 4;

RtString& TitleText() {
  static RtString title;
  return title;
}

// The offscreen and dummy drivers have no screen to show a message box on,
// and a hidden run shows nothing to anyone.
bool RealDisplay(const OpenGLZidaruva& gfx) {
  if (gfx.Display.Hidden) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr && std::strcmp(driver, "offscreen") != 0 &&
         std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "evdev") != 0;
}

void LogEntryPoint(const char* name, bool found) {
  char line[96];
  std::snprintf(line, sizeof line, "ext: %-35s   [%4s]", name, found ? "OK" : "FAIL");
  AppendErrorLog(line);
}

template <typename Fn>
bool Lookup(Fn& slot, const char* name) {
  slot = reinterpret_cast<Fn>(SDL_GL_GetProcAddress(name));
  return slot != nullptr;
}

void LookUpExtensions() {
  GlEntryPoints& ext = GlExt();
  ext = GlEntryPoints{};
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (extensions == nullptr) extensions = "";

  if (std::strstr(extensions, "GL_ARB_multitexture") != nullptr) {
    Lookup(ext.ActiveTexture, "glActiveTextureARB");
    Lookup(ext.MultiTexCoord2f, "glMultiTexCoord2fARB");
    Lookup(ext.ClientActiveTexture, "glClientActiveTextureARB");
    for (const char* name : {"glGenBuffersARB", "glBindBufferARB", "glBufferDataARB",
                             "glDeleteBuffersARB", "glMapBufferARB", "glUnmapBufferARB",
                             "glGetBufferParameterivARB"}) {
      if (SDL_GL_GetProcAddress(name) != nullptr) ++ext.OtherFound;
    }
  }
  if (std::strstr(extensions, "GL_ARB_fragment_program") != nullptr) {
    for (const char* name :
         {"glCreateProgramObjectARB", "glDeleteObjectARB", "glCreateShaderObjectARB",
          "glShaderSourceARB", "glCompileShaderARB", "glGetObjectParameterivARB",
          "glAttachObjectARB", "glGetInfoLogARB", "glLinkProgramARB", "glUseProgramObjectARB",
          "glGetUniformLocationARB", "glUniform1fARB", "glUniform1iARB",
          "glGetAttribLocationARB", "glVertexAttrib1fARB"}) {
      if (SDL_GL_GetProcAddress(name) != nullptr) ++ext.OtherFound;
    }
  }

  // The render-target entry points are looked up whatever the extension
  // string says, each lookup leaving one line in the log.
  LogEntryPoint("glBindRenderbufferEXT", Lookup(ext.BindRenderbuffer, "glBindRenderbufferEXT"));
  LogEntryPoint("glDeleteRenderbuffersEXT",
                Lookup(ext.DeleteRenderbuffers, "glDeleteRenderbuffersEXT"));
  LogEntryPoint("glGenRenderbuffersEXT", Lookup(ext.GenRenderbuffers, "glGenRenderbuffersEXT"));
  LogEntryPoint("glRenderbufferStorageEXT",
                Lookup(ext.RenderbufferStorage, "glRenderbufferStorageEXT"));
  LogEntryPoint("glBindFramebufferEXT", Lookup(ext.BindFramebuffer, "glBindFramebufferEXT"));
  LogEntryPoint("glDeleteFramebuffersEXT",
                Lookup(ext.DeleteFramebuffers, "glDeleteFramebuffersEXT"));
  LogEntryPoint("glGenFramebuffersEXT", Lookup(ext.GenFramebuffers, "glGenFramebuffersEXT"));
  LogEntryPoint("glCheckFramebufferStatusEXT",
                Lookup(ext.CheckFramebufferStatus, "glCheckFramebufferStatusEXT"));
  LogEntryPoint("glFramebufferTexture2DEXT",
                Lookup(ext.FramebufferTexture2D, "glFramebufferTexture2DEXT"));
  LogEntryPoint("glFramebufferRenderbufferEXT",
                Lookup(ext.FramebufferRenderbuffer, "glFramebufferRenderbufferEXT"));
}

// Mesa's software rasterisers draw correctly but slowly: say so once.
void CheckSoftwareRenderer(OpenGLZidaruva& gfx) {
  const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  if (renderer == nullptr) return;
  const bool software = std::strcmp(renderer, "Mesa Windows GDI Driver") == 0 ||
                        std::strstr(renderer, "llvmpipe") != nullptr ||
                        std::strstr(renderer, "softpipe") != nullptr ||
                        std::strstr(renderer, "swrast") != nullptr;
  gfx.SoftwareRenderer = software ? 1 : 0;
  if (!software || g_softwareWarningShown) return;
  g_softwareWarningShown = true;
  if (RealDisplay(gfx)) {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, "!!OpenGL Software Emulation!!",
                             "Please update your GFX adapter's driver\n"
                             "so it can render OpenGL by HARDWARE\n\n\n"
                             "Bitte aktualisieren Sie Ihren\n"
                             "Grafkkartentreiber, damit er OpenGL\n"
                             "per HARDWARE unterstützt!",
                             nullptr);
  }
  AppendErrorLog("OpenGL Software Emulation");
}

void SetContextAttributes(int samples) {
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  if (WindowContextKind() == WindowContext::kEmbedded2) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
  } else {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  }
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples > 0 ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, samples > 0 ? samples : 0);
}

// One attempt at window plus context; false leaves nothing behind.
bool MakeWindowAndContext(OpenGLZidaruva& gfx, int samples) {
  SetContextAttributes(samples);
  // A high-DPI drawable, so that a scaled desktop gets a sharp picture.
  SDL_Window* window = SDL_CreateWindow(
      "Ombrel", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, gfx.WindowedWidth,
      gfx.WindowedHeight,
      SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
  if (window == nullptr) return false;
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (context == nullptr) context = SDL_GL_CreateContext(window);  // one retry, as a driver may need
  if (context == nullptr || SDL_GL_MakeCurrent(window, context) != 0) {
    if (context != nullptr) SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    return false;
  }
  gfx.Window = window;
  gfx.RenderContext = context;
  return true;
}

void PauseForFocus(bool active) {
  if (Config().DebugMode != 0 || Flags().PauseWhenInactive != 1) return;
  OpenGLZidaruva* gfx = Graphics();
  if (active) {
    if (gfx != nullptr && gfx->Window != nullptr) SDL_SetWindowTitle(gfx->Window, TitleText().CStr());
    Flags().Paused = 0;
  } else {
    RtString caption = TitleText() + " <pause>";
    if (gfx != nullptr && gfx->Window != nullptr) SDL_SetWindowTitle(gfx->Window, caption.CStr());
    Flags().Paused = 1;
  }
}

// Drawing goes straight into the window when nothing needs scaling.
bool OneToOne(const PresentLayout& layout) {
  return layout.DrawableWidth == layout.LogicalWidth &&
         layout.DrawableHeight == layout.LogicalHeight &&
         layout.Picture == PixelRect{0, 0, layout.LogicalWidth, layout.LogicalHeight};
}

void RefreshPresentLayout() {
  const OpenGLZidaruva* gfx = Graphics();
  if (gfx == nullptr || gfx->Window == nullptr) return;
  int windowWidth = 0, windowHeight = 0, drawableWidth = 0, drawableHeight = 0;
  SDL_GetWindowSize(gfx->Window, &windowWidth, &windowHeight);
  SDL_GL_GetDrawableSize(gfx->Window, &drawableWidth, &drawableHeight);
  SetCurrentPresentLayout(MakePresentLayout(gfx->ClientWidth, gfx->ClientHeight, windowWidth,
                                            windowHeight, drawableWidth, drawableHeight,
                                            gfx->Display.Mode));
}

// Where the next frame is drawn: straight into the window while it shows
// the logical screen one to one (or there is no logical framebuffer), as
// the player always drew, at no cost; else into the logical framebuffer,
// and always there where the window may show a frame before it is finished.
// Decided between frames only, so that a frame is drawn into one place from
// start to end. A frame drawn straight in while the window changed size is
// still shown scaled, from the window's corner; a driver that drops the
// window's content on a resize shows that one frame wrong, the next right.
void ChooseBackBuffer() {
  OpenGLZidaruva& gfx = *Graphics();
  gfx.DrawingDirect = (LogicalScreenFramebuffer() == 0 ||
                       (OneToOne(CurrentPresentLayout()) && !WindowShowsUnfinishedFrames()))
                          ? 1
                          : 0;
  BindBackBuffer();
}

void RestoreWindowedSize(OpenGLZidaruva& gfx) {
  if (gfx.WindowedWidth > 0 && gfx.WindowedHeight > 0) {
    SDL_SetWindowSize(gfx.Window, gfx.WindowedWidth, gfx.WindowedHeight);
  }
}

void TeardownGraphics() { DestroyGraphicsWindow(); }
void TeardownWindow() { SDL_Quit(); }

}  // namespace

OpenGLZidaruva::~OpenGLZidaruva() {
  if (RenderContext != nullptr) SDL_GL_DeleteContext(static_cast<SDL_GLContext>(RenderContext));
  if (Window != nullptr) SDL_DestroyWindow(Window);
}

GlEntryPoints& GlExt() {
  static GlEntryPoints entryPoints;
  return entryPoints;
}

bool FramebufferEntryPointsFound() {
  const GlEntryPoints& e = GlExt();
  return e.BindRenderbuffer && e.DeleteRenderbuffers && e.GenRenderbuffers &&
         e.RenderbufferStorage && e.BindFramebuffer && e.DeleteFramebuffers &&
         e.GenFramebuffers && e.CheckFramebufferStatus && e.FramebufferTexture2D &&
         e.FramebufferRenderbuffer;
}

OpenGLZidaruva* Graphics() { return g_graphics.get(); }

bool GraphicsReady() {
  return g_graphics != nullptr && g_graphics->Ready != 0 && Flags().DrawingSuspended == 0;
}

double FrameIntervalFor(int32_t frameRate) {
  return frameRate > 0 ? 1000.0 / frameRate : 2.0;
}

int CreateGraphicsWindow(int32_t width, int32_t height, int32_t colourBits, int32_t frameRate,
                         int32_t multisample, int32_t fullScreen) {
  (void)fullScreen;  // start-up picks the mode in its own stage
  if (g_graphics != nullptr) DestroyGraphicsWindow();

  if (!DisplayAvailable()) {
    std::fprintf(stderr,
                 "No display found: set DISPLAY, or SDL_VIDEODRIVER=offscreen to run without "
                 "one.\n");
    AppendErrorLog("No display found");
    return 0;
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "Cannot start the video system: %s\n", SDL_GetError());
    AppendErrorLog("No video system");
    return 0;
  }

  auto gfx = std::make_unique<OpenGLZidaruva>();
  gfx->FrameInterval = FrameIntervalFor(frameRate);
  gfx->Display = ApplyDisplayDefaults(RequestedDisplay());
  SDL_DisplayMode desktop{};
  const bool haveDesktop = SDL_GetDesktopDisplayMode(0, &desktop) == 0;
  gfx->ClientWidth = width > 0 ? width : (haveDesktop ? desktop.w : 640);
  gfx->ClientHeight = height > 0 ? height : (haveDesktop ? desktop.h : 480);
  SDL_Rect usable{};
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0) usable = SDL_Rect{};
  StartWindowSize(gfx->ClientWidth, gfx->ClientHeight, usable.w, usable.h, gfx->Display.Scale,
                  gfx->WindowedWidth, gfx->WindowedHeight);
  gfx->ColourBits =
      colourBits != 0 ? colourBits
                      : (haveDesktop ? static_cast<int32_t>(SDL_BITSPERPIXEL(desktop.format)) : 32);
  gfx->MultisampleRequest = multisample;
  gfx->TargetWidth = gfx->ClientWidth;
  gfx->TargetHeight = gfx->ClientHeight;

  bool made = false;
  if (multisample != 0) {
    // The largest sample count the driver gives, halving from the request.
    for (int samples = multisample > 1 ? multisample : 4; samples > 0 && !made; samples /= 2) {
      made = MakeWindowAndContext(*gfx, samples);
    }
  }
  if (!made) made = MakeWindowAndContext(*gfx, 0);
  if (!made) {
    std::fprintf(stderr, "Cannot create the window: %s\n", SDL_GetError());
    return 0;
  }
  // Pacing is ours: the swap must not wait for the display as well.
  SDL_GL_SetSwapInterval(0);

  CheckSoftwareRenderer(*gfx);
  gfx->NextFrameTime = NowMs();
  g_graphics = std::move(gfx);
  LookUpExtensions();

  OpenGLZidaruva& graphics = *g_graphics;
  const bool logicalScreen = g_logicalFramebufferAllowed &&
                             CreateLogicalScreen(graphics.ClientWidth, graphics.ClientHeight);
  // Without a logical framebuffer the picture is drawn in the window's
  // corner before it is scaled, so the window must hold it whole.
  const int32_t divisor = logicalScreen ? kSmallestWindowDivisor : 1;
  SDL_SetWindowMinimumSize(graphics.Window, std::max(1, graphics.ClientWidth / divisor),
                           std::max(1, graphics.ClientHeight / divisor));
  if (!logicalScreen) {
    graphics.WindowedWidth = std::max(graphics.WindowedWidth, graphics.ClientWidth);
    graphics.WindowedHeight = std::max(graphics.WindowedHeight, graphics.ClientHeight);
    RestoreWindowedSize(graphics);
  }

  if (!graphics.Display.Hidden) SDL_ShowWindow(graphics.Window);
  graphics.Ready = 1;
  RefreshPresentLayout();
  ChooseBackBuffer();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  SetTargetView(0, 0, 0, 0);
  SetTeardownHook(TeardownStep::kGraphics, TeardownGraphics);
  SetTeardownHook(TeardownStep::kWindow, TeardownWindow);
  return 1;
}

void SetWindowTitle(const RtString& title) {
  TitleText() = title;
  OpenGLZidaruva* gfx = Graphics();
  if (gfx != nullptr && gfx->Window != nullptr) SDL_SetWindowTitle(gfx->Window, title.CStr());
}

const RtString& WindowTitle() { return TitleText(); }

// The mode switches change only how the window shows the logical screen:
// the view, the textures and whatever is being drawn stay as they are, so a
// switch may come at any moment of a frame.
int EnterWindowedMode() {
  OpenGLZidaruva* gfx = Graphics();
  if (gfx == nullptr || gfx->Window == nullptr) return 1;
  if (gfx->IsFullScreen) {
    SDL_SetWindowFullscreen(gfx->Window, 0);
    RestoreWindowedSize(*gfx);
  }
  SDL_SetWindowBordered(gfx->Window, SDL_TRUE);
  if (!gfx->Display.Hidden) {
    SDL_ShowWindow(gfx->Window);
    SDL_RaiseWindow(gfx->Window);
  }
  gfx->IsFullScreen = 0;
  RefreshPresentLayout();
  return 1;
}

int EnterFullScreenMode() {
  OpenGLZidaruva* gfx = Graphics();
  if (gfx == nullptr || gfx->Window == nullptr) return 0;
  if (gfx->IsFullScreen == 0) {
    // The size to come back to.
    SDL_GetWindowSize(gfx->Window, &gfx->WindowedWidth, &gfx->WindowedHeight);
  }
  // Desktop full screen: the display keeps its mode and the picture is
  // scaled into it like into any window.
  if (!g_fullScreenAllowed || gfx->Display.Hidden ||
      SDL_SetWindowFullscreen(gfx->Window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
    if (StandardErrorIsTerminal()) std::fputc('\a', stderr);
    AppendErrorLog("No Fullscreen Mode available");
    EnterWindowedMode();
    return 0;
  }
  SDL_RaiseWindow(gfx->Window);
  gfx->IsFullScreen = 1;
  RefreshPresentLayout();
  return 1;
}

int ToggleFullScreen() {
  const OpenGLZidaruva* gfx = Graphics();
  if (gfx == nullptr || gfx->Window == nullptr) return 0;
  if (gfx->IsFullScreen != 0) {
    EnterWindowedMode();
    return 0;
  }
  return EnterFullScreenMode();
}

int HideGraphicsWindow() {
  OpenGLZidaruva* gfx = Graphics();
  if (gfx == nullptr || gfx->Window == nullptr) return 1;
  if (gfx->IsFullScreen) {
    SDL_SetWindowFullscreen(gfx->Window, 0);
    RestoreWindowedSize(*gfx);
  }
  SDL_HideWindow(gfx->Window);
  gfx->IsFullScreen = 0;
  return 1;
}

void SetLogicalFramebufferAllowed(bool allowed) {
  g_logicalFramebufferAllowed = allowed;
}

void SetFullScreenAllowed(bool allowed) {
  g_fullScreenAllowed = allowed;
}

void SetDrawTargetSize(int32_t width, int32_t height) {
  OpenGLZidaruva* gfx = Graphics();
  if (gfx == nullptr) return;
  gfx->TargetWidth = width;
  gfx->TargetHeight = height;
}

void SetTargetView(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!GraphicsReady()) return;
  OpenGLZidaruva& gfx = *Graphics();
  if (width < 1 || height < 1) {
    width = gfx.TargetWidth;
    height = gfx.TargetHeight;
  }
  gfx.ViewX = x;
  gfx.ViewY = y;
  gfx.ViewWidth = width;
  gfx.ViewHeight = height;
  glViewport(x, gfx.TargetHeight - height - y, width, height);

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0.0, width, height, 0.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  glEnable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CCW);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.05f);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  for (GLenum cap : {GL_FOG, GL_LINE_SMOOTH, GL_POINT_SMOOTH, GL_STENCIL_TEST, GL_NORMALIZE,
                     GL_LIGHTING, GL_COLOR_MATERIAL, GL_DITHER, GL_POLYGON_SMOOTH,
                     GL_POLYGON_OFFSET_POINT, GL_AUTO_NORMAL}) {
    glDisable(cap);
  }
  glShadeModel(GL_FLAT);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);

  glBindTexture(GL_TEXTURE_2D, 0);

  if (GlExt().ActiveTexture != nullptr) {
    GlExt().ActiveTexture(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    GlExt().ActiveTexture(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_2D);
  } else {
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_COLOR_MATERIAL);
  }
}

void BindBackBuffer() {
  if (GlExt().BindFramebuffer == nullptr) return;
  const OpenGLZidaruva* gfx = Graphics();
  const bool direct = gfx == nullptr || gfx->DrawingDirect != 0;
  GlExt().BindFramebuffer(GL_FRAMEBUFFER_EXT, direct ? 0 : LogicalScreenFramebuffer());
}

void ComposeWindowPicture() {
  if (!GraphicsReady()) return;
  const OpenGLZidaruva& gfx = *Graphics();
  // Sizes are read again for every frame, so that a resized window, a
  // switch of display or a new DPI shows right on the next frame.
  RefreshPresentLayout();
  const PresentLayout& layout = CurrentPresentLayout();
  if (gfx.DrawingDirect == 0) {
    PresentFromFramebuffer(layout, gfx.Display.Filter);
  } else if (!OneToOne(layout)) {
    PresentFromWindowCorner(layout, gfx.Display.Filter);
  }
}

void ShowBackBuffer() {
  if (!GraphicsReady()) return;
  ComposeWindowPicture();
  SDL_GL_SwapWindow(Graphics()->Window);
  ChooseBackBuffer();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void PumpWindowMessages() {
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    if (OfferHostEvent(event)) continue;
    switch (event.type) {
      case SDL_QUIT:
        EndProgram();
      case SDL_WINDOWEVENT:
        // Resized, moved to another display, shown again: the mouse maps
        // through the new sizes from now on.
        RefreshPresentLayout();
        switch (event.window.event) {
          case SDL_WINDOWEVENT_CLOSE: EndProgram();
          case SDL_WINDOWEVENT_FOCUS_LOST: PauseForFocus(false); break;
          case SDL_WINDOWEVENT_FOCUS_GAINED: PauseForFocus(true); break;
          default: break;
        }
        break;
      case SDL_AUDIODEVICEREMOVED: SoundDeviceEvent(event); break;
      default:
        // Keyboard, text, mouse, joystick and controller events.
        if (event.type >= SDL_KEYDOWN && event.type < SDL_FINGERDOWN) InputHandleEvent(event);
        break;
    }
  }
}

void DestroyGraphicsWindow() {
  if (g_graphics == nullptr) return;
  if (g_graphics->Ready) DestroyLogicalScreen();
  SetCurrentPresentLayout(PresentLayout{});
  g_graphics->Ready = 0;
  g_graphics.reset();
  SetTeardownHook(TeardownStep::kGraphics, nullptr);
}
