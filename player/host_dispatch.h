// The runtime has one event handler and one overlay slot for its host; the
// player layer has several features that want them (drops, keys of its own,
// screens drawn over the game). This hands each event to the features in the
// order they were added until one consumes it, and draws every overlay.
//
// AddPlayerEventHandler  adds a feature's handler (true: it consumed the event)
// AddPlayerOverlay       adds a feature's drawing pass over each frame
// ClearPlayerHooks       removes every handler and overlay (tests)
#pragma once

#include "runtime/core/host_hooks.h"

void AddPlayerEventHandler(HostEventHandler handler);
void AddPlayerOverlay(HostOverlay overlay);
void ClearPlayerHooks();
