// Builds and injects the SDL events the input tests drive the devices with.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>

namespace inputtest {

inline SDL_Event KeyEvent(SDL_Scancode key, bool down, Uint16 mod = 0, Uint8 repeat = 0) {
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.repeat = repeat;
  event.key.keysym.scancode = key;
  event.key.keysym.sym = SDL_GetKeyFromScancode(key);
  event.key.keysym.mod = mod;
  return event;
}

inline SDL_Event TextEvent(const char* text) {
  SDL_Event event{};
  event.type = SDL_TEXTINPUT;
  std::strncpy(event.text.text, text, sizeof event.text.text - 1);
  return event;
}

inline SDL_Event MotionEvent(int x, int y, int xrel, int yrel) {
  SDL_Event event{};
  event.type = SDL_MOUSEMOTION;
  event.motion.x = x;
  event.motion.y = y;
  event.motion.xrel = xrel;
  event.motion.yrel = yrel;
  return event;
}

inline SDL_Event ButtonEvent(Uint8 button, bool down) {
  SDL_Event event{};
  event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  event.button.button = button;
  event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  return event;
}

inline SDL_Event WheelEvent(int y, bool flipped = false) {
  SDL_Event event{};
  event.type = SDL_MOUSEWHEEL;
  event.wheel.y = y;
  event.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
  return event;
}

// Puts an event on SDL's queue, where the next device read finds it.
inline void Push(SDL_Event event) {
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

inline void PushKey(SDL_Scancode key, bool down, Uint16 mod = 0) {
  Push(KeyEvent(key, down, mod));
}

}  // namespace inputtest
