// The options screen's rows and their changes.
#include "player/settings/options_menu.h"

#include <algorithm>

#include "player/settings/control_names.h"

namespace {

enum Row : int32_t {
  kScale = 0,
  kFullScreen,
  kFilter,
  kVolume,
  kEffects,
  kMusic,
  kMute,
  kFirstBinding,
  kBack = kFirstBinding + kBoundPlayers * kPlayerControls,
  kRowCount
};

bool IsBinding(int32_t row) {
  return row >= kFirstBinding && row < kBack;
}

int32_t BindingPlayer(int32_t row) {
  return (row - kFirstBinding) / kPlayerControls;
}

int32_t BindingControl(int32_t row) {
  return (row - kFirstBinding) % kPlayerControls;
}

int32_t* Level(PlayerSettings& values, int32_t row) {
  switch (row) {
    case kVolume:
      return &values.Audio.Volume;
    case kEffects:
      return &values.Audio.Effects;
    case kMusic:
      return &values.Audio.Music;
    default:
      return nullptr;
  }
}

// A level moves to the next multiple of 10 in the direction asked.
int32_t StepLevel(int32_t level, int32_t direction) {
  const int32_t next = direction > 0 ? (level / 10 + 1) * 10 : (level - 1) / 10 * 10;
  return std::clamp(level > 0 || direction > 0 ? next : 0, 0, 100);
}

// Changes the value of a row one step in a direction; true when it changed.
bool ChangeValue(PlayerSettings& values, int32_t row, int32_t direction) {
  switch (row) {
    case kScale: {
      const int32_t before = values.Video.Scale;
      values.Video.Scale = (values.Video.Scale + direction + 9) % 9;  // auto, 1 .. 8, around
      return values.Video.Scale != before;
    }
    case kFullScreen:
      values.Video.FullScreen = !values.Video.FullScreen;
      return true;
    case kFilter:
      values.Video.Filter = values.Video.Filter == "nearest" ? "linear" : "nearest";
      return true;
    case kMute:
      values.Audio.Mute = !values.Audio.Mute;
      return true;
    default:
      break;
  }
  if (int32_t* level = Level(values, row); level != nullptr) {
    const int32_t before = *level;
    *level = StepLevel(*level, direction);
    return *level != before;
  }
  return false;
}

std::string OnOff(bool on) {
  return on ? "on" : "off";
}

}  // namespace

int32_t OptionsRowCount() {
  return kRowCount;
}

std::string RowLabel(int32_t row) {
  static const char* const kLabels[] = {"Scale",   "Full screen", "Filter", "Volume",
                                        "Effects", "Music",       "Mute"};
  if (row >= 0 && row < kFirstBinding) return kLabels[row];
  if (IsBinding(row)) {
    return "Player " + std::to_string(BindingPlayer(row) + 1) + " " +
           ControlKeyName(static_cast<PlayerControl>(BindingControl(row)));
  }
  if (row == kBack) return "Back";
  return std::string();
}

std::string RowValue(const OptionsMenu& menu, int32_t row) {
  const PlayerSettings& v = menu.Values;
  switch (row) {
    case kScale:
      return v.Video.Scale == 0 ? "auto" : std::to_string(v.Video.Scale);
    case kFullScreen:
      return OnOff(v.Video.FullScreen);
    case kFilter:
      return v.Video.Filter;
    case kVolume:
      return std::to_string(v.Audio.Volume);
    case kEffects:
      return std::to_string(v.Audio.Effects);
    case kMusic:
      return std::to_string(v.Audio.Music);
    case kMute:
      return OnOff(v.Audio.Mute);
    default:
      break;
  }
  if (IsBinding(row)) {
    if (menu.Capturing && menu.Row == row) return "...";
    const std::string text = BindingText(v.Keys[BindingPlayer(row)][BindingControl(row)]);
    return text.empty() ? "none" : text;
  }
  return std::string();
}

bool StepMenu(OptionsMenu& menu, MenuInput input) {
  if (menu.Closed) return false;
  if (menu.Capturing) {
    // Only Escape (or B, which a capture takes as a binding) ends a capture;
    // navigation waits until then.
    if (input == MenuInput::kBack) menu.Capturing = false;
    return false;
  }
  switch (input) {
    case MenuInput::kUp:
      menu.Row = (menu.Row + kRowCount - 1) % kRowCount;
      return false;
    case MenuInput::kDown:
      menu.Row = (menu.Row + 1) % kRowCount;
      return false;
    case MenuInput::kLeft:
      return ChangeValue(menu.Values, menu.Row, -1);
    case MenuInput::kRight:
      return ChangeValue(menu.Values, menu.Row, 1);
    case MenuInput::kAccept:
      if (IsBinding(menu.Row)) {
        menu.Capturing = true;
        return false;
      }
      if (menu.Row == kBack) {
        menu.Closed = true;
        return false;
      }
      return ChangeValue(menu.Values, menu.Row, 1);
    case MenuInput::kBack:
      menu.Closed = true;
      return false;
  }
  return false;
}

bool CaptureKey(OptionsMenu& menu, int32_t code) {
  if (!menu.Capturing || !IsBinding(menu.Row)) return false;
  if (code == 1) {  // Escape
    menu.Capturing = false;
    return false;
  }
  if (ReservedKey(code) || KeyNameOfCode(code).empty()) return false;
  ControlBinding& binding = menu.Values.Keys[BindingPlayer(menu.Row)][BindingControl(menu.Row)];
  // A key replaces the control's keys; its pad buttons stay.
  binding.Keys = {static_cast<uint8_t>(code)};
  menu.Capturing = false;
  return true;
}

bool CapturePadButton(OptionsMenu& menu, int32_t button) {
  if (!menu.Capturing || !IsBinding(menu.Row) || !BindableButton(button)) return false;
  ControlBinding& binding = menu.Values.Keys[BindingPlayer(menu.Row)][BindingControl(menu.Row)];
  // A button replaces the control's extra pad buttons; its keys stay.
  binding.PadButtons = 1u << button;
  menu.Capturing = false;
  return true;
}
