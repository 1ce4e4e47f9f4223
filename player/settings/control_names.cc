// Key and pad button names. SDL's key name table needs no running SDL, so the
// settings can be read before anything starts.
#include "player/settings/control_names.h"

#include <SDL.h>

#include <algorithm>

#include "runtime/input/scan_codes.h"
#include "runtime/values/rt_string.h"

namespace {

constexpr std::string_view kPadPrefix = "Pad ";
constexpr std::string_view kCommaWord = "Comma";

// Our own spelling of the buttons, in SDL's button order.
constexpr const char* kButtonNames[SDL_CONTROLLER_BUTTON_MAX] = {
    "A",
    "B",
    "X",
    "Y",
    "Back",
    "Guide",
    "Start",
    "LeftStick",
    "RightStick",
    "LeftShoulder",
    "RightShoulder",
    "DpUp",
    "DpDown",
    "DpLeft",
    "DpRight",
    "Misc",
    "Paddle1",
    "Paddle2",
    "Paddle3",
    "Paddle4",
    "Touchpad",
};

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

uint8_t KeyCodeOfName(std::string_view name) {
  if (name.empty() || name.size() > 64) return 0;
  std::string text(name);
  // Lists are comma-separated, so the comma keys are written "Comma".
  if (text.size() >= kCommaWord.size() &&
      SameIgnoringCase(std::string_view(text).substr(text.size() - kCommaWord.size()),
                       kCommaWord)) {
    text.replace(text.size() - kCommaWord.size(), kCommaWord.size(), ",");
  }
  const SDL_Scancode key = SDL_GetScancodeFromName(text.c_str());
  if (key == SDL_SCANCODE_UNKNOWN) return 0;
  return Set1FromScancode(key);
}

std::string KeyNameOfCode(int32_t code) {
  const SDL_Scancode key = ScancodeFromSet1(code);
  if (key == SDL_SCANCODE_UNKNOWN) return std::string();
  const char* found = SDL_GetScancodeName(key);
  std::string name = found != nullptr ? found : "";
  if (!name.empty() && name.back() == ',') name.replace(name.size() - 1, 1, kCommaWord);
  return name;
}

bool ReservedKey(int32_t code) {
  // Escape leaves a level and the options screen, F1 opens the options
  // screen, F11 and F12 are the full screen and screenshot keys.
  return code == 1 || code == 59 || code == 87 || code == 88;
}

int32_t PadButtonOfName(std::string_view name) {
  if (name.size() <= kPadPrefix.size() ||
      !SameIgnoringCase(name.substr(0, kPadPrefix.size()), kPadPrefix)) {
    return -1;
  }
  const std::string_view button = Trim(name.substr(kPadPrefix.size()));
  for (int32_t b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
    if (SameIgnoringCase(button, kButtonNames[b])) return b;
  }
  return -1;
}

std::string PadButtonName(int32_t button) {
  if (button < 0 || button >= SDL_CONTROLLER_BUTTON_MAX) return std::string();
  return std::string(kPadPrefix) + kButtonNames[button];
}

bool BindableButton(int32_t button) {
  return button >= 0 && button < SDL_CONTROLLER_BUTTON_MAX &&
         button != SDL_CONTROLLER_BUTTON_START && button != SDL_CONTROLLER_BUTTON_GUIDE;
}

bool ParseBinding(std::string_view text, ControlBinding& binding, std::string& problem) {
  ControlBinding parsed;
  size_t at = 0;
  for (;;) {
    const size_t comma = text.find(',', at);
    const std::string_view item = Trim(
        text.substr(at, comma == std::string_view::npos ? std::string_view::npos : comma - at));
    if (item.empty()) {
      problem = "an empty name in the list";
      return false;
    }
    const int32_t button = PadButtonOfName(item);
    if (button >= 0) {
      if (!BindableButton(button)) {
        problem = "\"" + std::string(item) + "\" opens the options screen and cannot be bound";
        return false;
      }
      parsed.PadButtons |= 1u << button;
    } else {
      const uint8_t code = KeyCodeOfName(item);
      if (code == 0) {
        problem = "unknown key name \"" + std::string(item) + "\"";
        return false;
      }
      if (ReservedKey(code)) {
        problem = "\"" + std::string(item) + "\" is kept for the player itself";
        return false;
      }
      if (std::find(parsed.Keys.begin(), parsed.Keys.end(), code) == parsed.Keys.end()) {
        if (parsed.Keys.size() == kMaxBoundKeys) {
          problem = "more than " + std::to_string(kMaxBoundKeys) + " keys";
          return false;
        }
        parsed.Keys.push_back(code);
      }
    }
    if (comma == std::string_view::npos) break;
    at = comma + 1;
  }
  binding = parsed;
  return true;
}

std::string BindingText(const ControlBinding& binding) {
  std::string text;
  auto add = [&text](const std::string& name) {
    if (name.empty()) return;
    if (!text.empty()) text += ", ";
    text += name;
  };
  for (const uint8_t code : binding.Keys) add(KeyNameOfCode(code));
  for (int32_t b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
    if ((binding.PadButtons & (1u << b)) != 0) add(PadButtonName(b));
  }
  return text;
}
