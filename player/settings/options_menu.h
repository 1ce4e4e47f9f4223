// What the options screen shows and how its rows change, apart from drawing
// and events: a list of rows (display, sound, the five controls of each
// player, and Back), a selected row, and a capture state in which the next
// key or pad button becomes a control's binding.
//
// OptionsRowCount   the number of rows
// RowLabel          a row's label ("Volume", "Player 1 fire", "Back")
// RowValue          a row's value as shown ("auto", "80", "Right Ctrl"); "" for Back
// StepMenu          one navigation input; true when a value changed
// CaptureKey        while capturing: binds the set-1 key (Escape cancels; reserved
//                   keys and keys without a name are ignored); true when bound
// CapturePadButton  while capturing: binds the pad button (Start and Guide are
//                   ignored); true when bound
#pragma once

#include <cstdint>
#include <string>

#include "player/settings/settings.h"

enum class MenuInput { kUp, kDown, kLeft, kRight, kAccept, kBack };

struct OptionsMenu {
  PlayerSettings Values;  // the settings being changed; applied as they change
  int32_t Row = 0;
  bool Capturing = false;  // the next key or pad button binds the selected control
  bool Closed = false;     // Back, or Escape / B outside a capture
};

// The prompt shown while a binding waits for its key.
constexpr const char* kCapturePrompt = "press a key or pad button, Escape to cancel";

int32_t OptionsRowCount();
std::string RowLabel(int32_t row);
std::string RowValue(const OptionsMenu& menu, int32_t row);
bool StepMenu(OptionsMenu& menu, MenuInput input);
bool CaptureKey(OptionsMenu& menu, int32_t code);
bool CapturePadButton(OptionsMenu& menu, int32_t button);
