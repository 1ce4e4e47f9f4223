// The keyboard by set-1 scan code and the characters typed on it. Our own
// 256-byte key state follows the key events; reading the keyboard fetches
// the pending events first, so a key reads down from the moment its press
// reaches the program.
#include "runtime/input/input.h"
#include "runtime/input/input_state.h"
#include "runtime/input/scan_codes.h"

namespace {

constexpr int kLeftShift = 42;
constexpr int kRightShift = 54;
constexpr int kLeftControl = 29;
constexpr int kRightControl = 157;

bool IsDown(const InputState& state, int code) {
  return (state.KeyStates[code] & 0x80) != 0;
}

// The character a key gives under the current layout, before the shift rule
// of TypedChar; 0 for keys that type nothing.
uint8_t CharacterOfKey(const InputState& state, int code) {
  switch (code) {
    case kLeftShift:
    case kRightShift:
    case kLeftControl:
    case 56:   // left Alt
    case 58:   // Caps Lock
    case 69:   // Num Lock
    case 221:  // Menu
      return 0;
    case 28:   // Enter
    case 156:  // keypad Enter
      return 10;
    case 14:  // Backspace
      return 8;
    default:
      break;
  }

  int character = 0;
  if (state.KeyText[code] != 0) {
    // What the system's layout typed for this press (shift, Alt Gr and dead
    // keys already applied).
    character = state.KeyText[code];
  } else {
    // No text came with the press: translate through the layout's keymap.
    const SDL_Scancode key = ScancodeFromSet1(code);
    if (key == SDL_SCANCODE_UNKNOWN) return 0;
    if (IsDown(state, kLeftControl) || IsDown(state, kRightControl)) return 0;
    const SDL_Keycode keycode = SDL_GetKeyFromScancode(key);
    if (keycode < 0 || keycode > 127) return 0;
    character = keycode;
    const bool shift = IsDown(state, kLeftShift) || IsDown(state, kRightShift);
    const bool caps = (state.KeyMods & KMOD_CAPS) != 0;
    if (character >= 'a' && character <= 'z' && shift != caps) character -= 'a' - 'A';
  }
  // Control characters other than backspace and line feed, DEL and anything
  // outside ASCII type nothing.
  if (character < 32 && character != 8 && character != 10) return 0;
  if (character >= 127) return 0;
  return static_cast<uint8_t>(character);
}

}  // namespace

void KeyboardHandleEvent(const SDL_Event& event) {
  InputState& state = Input();
  switch (event.type) {
    case SDL_KEYDOWN: {
      const int code = Set1FromScancode(event.key.keysym.scancode);
      state.KeyMods = event.key.keysym.mod;
      if (code == 0) return;
      // A repeat also marks the key down: a key held since before the
      // devices were opened shows up first as repeats.
      state.KeyStates[code] = 0x80;
      if (event.key.repeat == 0) state.KeyText[code] = 0;
      state.LastPressedCode = code;
      return;
    }
    case SDL_KEYUP: {
      const int code = Set1FromScancode(event.key.keysym.scancode);
      state.KeyMods = event.key.keysym.mod;
      if (code == 0) return;
      state.KeyStates[code] = 0;
      state.KeyTyped[code] = 0;
      if (state.LastPressedCode == code) state.LastPressedCode = 0;
      return;
    }
    case SDL_TEXTINPUT: {
      // Text follows the key press that produced it; remember it for the key.
      const int code = state.LastPressedCode;
      if (code == 0 || !IsDown(state, code)) return;
      const auto* text = reinterpret_cast<const unsigned char*>(event.text.text);
      if (text[0] == 0) return;
      // A character outside ASCII (several UTF-8 bytes) types nothing.
      state.KeyText[code] = (text[1] == 0 && text[0] < 128) ? text[0] : 0xFF;
      return;
    }
    default:
      return;
  }
}

void ReadKeyboard() {
  PollInputEvents();
}

int32_t KeyDown(int32_t code) {
  ReadKeyboard();
  if (code < 0 || code > 255) return 0;
  return IsDown(Input(), code) ? 1 : 0;
}

int32_t TypedChar() {
  ReadKeyboard();
  InputState& state = Input();

  // The first key in code order that is down, has not typed yet during this
  // press, and types a character. A held key types once; a second key pressed
  // while the first is held types too.
  bool anyCharacterKeyDown = false;
  for (int code = 0; code < 255; ++code) {
    if (!IsDown(state, code)) continue;
    const uint8_t character = CharacterOfKey(state, code);
    if (character == 0) continue;
    anyCharacterKeyDown = true;
    if (state.KeyTyped[code] != 0) continue;

    state.KeyTyped[code] = 1;
    uint8_t identity = character;
    if (identity >= 'A' && identity <= 'Z') identity += 'a' - 'A';
    state.LastTypedKey = identity;
    const bool shift = IsDown(state, kLeftShift) || IsDown(state, kRightShift);
    if (shift && character >= 'a' && character <= 'z') return character - ('a' - 'A');
    return character;
  }
  if (!anyCharacterKeyDown) state.LastTypedKey = 0;
  return 0;
}

RtString TypedCharText() {
  const int32_t character = TypedChar();
  if (character == 0) return RtString();
  const char text[2] = {static_cast<char>(character), 0};
  return RtString(text);
}
