// The options screen: F1, or Start or Guide on a pad, stops the game where it
// is and shows the options over the frozen picture, drawn with the runtime's
// own font and sprites. It opens in the overlay pass of the frame being
// presented and keeps that frame's call until it closes, so the game's clock,
// timers and frame count stand still meanwhile, as in the pause of an
// inactive window. Arrows or the d-pad choose and change, Enter or A sets,
// Escape or B goes back; no key pressed on it reaches the game. Changes apply
// at once and are saved to the settings file.
//
// InstallOptionsScreen      installs the event handler and the overlay (after start-up)
// OptionsScreenOpen         true while the screen is shown
// SetOptionsFrameObserver   called for every frame the screen shows, before it is
//                           presented (tests drive and watch the screen with it)
#pragma once

#include <cstdint>

#include "player/settings/options_menu.h"

void InstallOptionsScreen();
bool OptionsScreenOpen();

using OptionsFrameObserver = void (*)(int64_t frame, const OptionsMenu& menu);
void SetOptionsFrameObserver(OptionsFrameObserver observer);
