// Translation between SDL's positional scancodes and the set-1 scan codes the
// runtime's keyboard commands take (Escape 1, left Ctrl 29, extended keys at
// 128 + code: right Ctrl 157, arrows 200/203/205/208, ...).
//   Set1FromScancode  - set-1 code of a key; 0 for a key without one
//   ScancodeFromSet1  - the key of a set-1 code; SDL_SCANCODE_UNKNOWN for none
#pragma once

#include <SDL.h>

#include <cstdint>

uint8_t Set1FromScancode(SDL_Scancode scancode);
SDL_Scancode ScancodeFromSet1(int code);
