// Alt+Enter, F11 and F12. A screenshot is not taken while the key event is
// handled: that may be in the wait after a frame was shown, when the back
// buffer is already cleared for the next one. The overlay, which runs right
// before a finished frame is shown, takes it instead.
#include "player/display/display_keys.h"

#include <SDL.h>

#include "player/host_dispatch.h"
#include "player/display/screenshot.h"
#include "runtime/core/window.h"

namespace {

struct DisplayKeys {
  bool ScreenshotAsked = false;
  std::string Game = "zorax";
};

DisplayKeys& Keys() {
  static DisplayKeys keys;
  return keys;
}

bool IsEnter(SDL_Keycode key) {
  return key == SDLK_RETURN || key == SDLK_KP_ENTER;
}

// Alt alone, not with Ctrl or the system key (those combinations belong to
// the desktop).
bool AltOnly(uint16_t mod) {
  return (mod & KMOD_ALT) != 0 && (mod & (KMOD_CTRL | KMOD_GUI)) == 0;
}

}  // namespace

bool HandleDisplayKeys(const SDL_Event& event) {
  if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) return false;
  const SDL_Keysym& key = event.key.keysym;
  const bool press = event.type == SDL_KEYDOWN && event.key.repeat == 0;
  if (key.sym == SDLK_F11 || (IsEnter(key.sym) && AltOnly(key.mod))) {
    if (press) ToggleFullScreen();
    return true;
  }
  if (key.sym == SDLK_F12) {
    if (press) Keys().ScreenshotAsked = true;
    return true;
  }
  return false;
}

void DrawDisplayOverlay() {
  DisplayKeys& keys = Keys();
  if (!keys.ScreenshotAsked) return;
  keys.ScreenshotAsked = false;
  TakeScreenshot(keys.Game);
}

void SetScreenshotGame(const std::string& game) {
  Keys().Game = game;
}

void InstallDisplayKeys() {
  AddPlayerEventHandler(HandleDisplayKeys);
  // Added before the overlays that draw the player's own messages, so that
  // a screenshot holds the game's picture only.
  AddPlayerOverlay(DrawDisplayOverlay);
}
