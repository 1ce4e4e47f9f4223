// The two host hooks: plain function pointers, set and read on the one
// program thread.
#include "runtime/core/host_hooks.h"

namespace {

HostEventHandler g_eventHandler = nullptr;
HostOverlay g_overlay = nullptr;

}  // namespace

void SetHostEventHandler(HostEventHandler handler) {
  g_eventHandler = handler;
}

bool OfferHostEvent(const SDL_Event& event) {
  return g_eventHandler != nullptr && g_eventHandler(event);
}

void SetHostOverlay(HostOverlay overlay) {
  g_overlay = overlay;
}

void DrawHostOverlay() {
  if (g_overlay != nullptr) g_overlay();
}
