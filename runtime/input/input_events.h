// The window's message pump hands every input event it drains to the input
// state, so that no key press or motion is lost between reads.
#pragma once

#include <SDL.h>

void InputHandleEvent(const SDL_Event& event);
