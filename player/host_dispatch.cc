// Handlers and overlays in the order they were added; the runtime's hooks
// point here as soon as the first one is added.
#include "player/host_dispatch.h"

#include <vector>

namespace {

std::vector<HostEventHandler>& Handlers() {
  static std::vector<HostEventHandler> handlers;
  return handlers;
}

std::vector<HostOverlay>& Overlays() {
  static std::vector<HostOverlay> overlays;
  return overlays;
}

bool DispatchEvent(const SDL_Event& event) {
  for (HostEventHandler handler : Handlers()) {
    if (handler(event)) return true;
  }
  return false;
}

void DrawOverlays() {
  for (HostOverlay overlay : Overlays()) overlay();
}

}  // namespace

void AddPlayerEventHandler(HostEventHandler handler) {
  if (handler == nullptr) return;
  Handlers().push_back(handler);
  SetHostEventHandler(DispatchEvent);
}

void AddPlayerOverlay(HostOverlay overlay) {
  if (overlay == nullptr) return;
  Overlays().push_back(overlay);
  SetHostOverlay(DrawOverlays);
}

void ClearPlayerHooks() {
  Handlers().clear();
  Overlays().clear();
  SetHostEventHandler(nullptr);
  SetHostOverlay(nullptr);
}
