// The control bindings of the two players. They outlive the input state (a
// host sets them before the devices open), so they are kept apart from it.
#include "runtime/input/key_bindings.h"

#include <array>

#include "runtime/input/input.h"
#include "runtime/input/input_state.h"

namespace {

// The game's own keys by set-1 scan code: left, right, up, down, fire.
constexpr uint8_t kDefaultKeys[kBoundPlayers][kPlayerControls] = {
    {203, 205, 200, 208, 157},  // arrows, right Ctrl
    {30, 32, 17, 31, 29},       // A D W S, left Ctrl
};

using BindingTable = std::array<std::array<ControlBinding, kPlayerControls>, kBoundPlayers>;

BindingTable DefaultTable() {
  BindingTable table;
  for (int32_t p = 0; p < kBoundPlayers; ++p) {
    for (int32_t c = 0; c < kPlayerControls; ++c) {
      table[p][c] = DefaultControlBinding(p, static_cast<PlayerControl>(c));
    }
  }
  return table;
}

BindingTable& Table() {
  static BindingTable table = DefaultTable();
  return table;
}

bool ValidPlayer(int32_t player) {
  return player >= 0 && player < kBoundPlayers;
}

int ControlIndex(PlayerControl control) {
  const int index = static_cast<int>(control);
  return index >= 0 && index < kPlayerControls ? index : -1;
}

}  // namespace

bool operator==(const ControlBinding& a, const ControlBinding& b) {
  return a.Keys == b.Keys && a.PadButtons == b.PadButtons;
}

ControlBinding DefaultControlBinding(int32_t player, PlayerControl control) {
  ControlBinding binding;
  const int c = ControlIndex(control);
  if (ValidPlayer(player) && c >= 0) binding.Keys = {kDefaultKeys[player][c]};
  return binding;
}

void SetControlBinding(int32_t player, PlayerControl control, const ControlBinding& binding) {
  const int c = ControlIndex(control);
  if (!ValidPlayer(player) || c < 0) return;
  ControlBinding& target = Table()[player][c];
  target = binding;
  if (target.Keys.size() > kMaxBoundKeys) target.Keys.resize(kMaxBoundKeys);
}

const ControlBinding& CurrentControlBinding(int32_t player, PlayerControl control) {
  static const ControlBinding none;
  const int c = ControlIndex(control);
  if (!ValidPlayer(player) || c < 0) return none;
  return Table()[player][c];
}

void ResetControlBindings() {
  Table() = DefaultTable();
}

int32_t BoundKeyDown(int32_t player, PlayerControl control) {
  const int c = ControlIndex(control);
  if (!ValidPlayer(player) || c < 0) return 0;
  ReadKeyboard();
  const InputState& state = Input();
  for (const uint8_t code : Table()[player][c].Keys) {
    if ((state.KeyStates[code] & 0x80) != 0) return 1;
  }
  return 0;
}
