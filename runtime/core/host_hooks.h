// What a host program (the player around the game) may add to the runtime
// without the runtime knowing it: a look at every window event before the
// runtime handles it, and a drawing pass over each frame right before it is
// shown. With nothing installed the runtime behaves exactly as without them.
//
// SetHostEventHandler  installs the event handler (nullptr removes it)
// OfferHostEvent       called by the runtime for every event it drains; true
//                      when the host consumed it (the runtime then ignores it)
// SetHostOverlay       installs the overlay pass (nullptr removes it)
// DrawHostOverlay      called by PresentFrame right before the picture is shown
#pragma once

union SDL_Event;

using HostEventHandler = bool (*)(const SDL_Event& event);
using HostOverlay = void (*)();

void SetHostEventHandler(HostEventHandler handler);
bool OfferHostEvent(const SDL_Event& event);
void SetHostOverlay(HostOverlay overlay);
void DrawHostOverlay();
