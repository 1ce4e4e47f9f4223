// The player's own keys around the game: Alt+Enter and F11 switch between
// window and full screen, F12 saves a screenshot. They are taken from the
// event stream before the runtime sees it, so the game never sees them.
//
// HandleDisplayKeys      the host event handler: true (consumed) for the presses, repeats
//                        and releases of those keys; a screenshot asked for is taken of
//                        the next frame shown
// DrawDisplayOverlay     the host overlay: takes the screenshot asked for, of the frame
//                        about to be shown
// SetScreenshotGame      the <game> part of screenshot names
// InstallDisplayKeys     adds both to the player's host hooks
#pragma once

#include <string>

union SDL_Event;

bool HandleDisplayKeys(const SDL_Event& event);
void DrawDisplayOverlay();
void SetScreenshotGame(const std::string& game);
void InstallDisplayKeys();
