// The names under which keys and pad buttons appear in the settings file and
// on the options screen. Keys use SDL's key names ("Space", "Right Ctrl",
// "W"), found without regard to letter case and read by their place on the
// keyboard, except that the comma keys are "Comma" and "Keypad Comma" (the
// lists are comma-separated); pad buttons are "Pad " and the button ("Pad
// A", "Pad LeftShoulder").
//
// KeyCodeOfName      the set-1 code of a key name; 0 for an unknown name or a key
//                    without a code
// KeyNameOfCode      the name of a set-1 code; "" for a code without a key
// ReservedKey        true for the keys the player keeps for itself (Escape, F1,
//                    F11, F12): they cannot be bound
// PadButtonOfName    the SDL controller button of "Pad <button>"; -1 for none
// PadButtonName      "Pad A" for SDL_CONTROLLER_BUTTON_A; "" outside the buttons
// BindableButton     false for the buttons that open the options screen
// ParseBinding       a comma-separated list of names into a binding; false with
//                    the problem (an unknown or reserved name, an empty item, too
//                    many keys, nothing at all)
// BindingText        the list a binding is written as: its keys, then its buttons
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/input/key_bindings.h"

uint8_t KeyCodeOfName(std::string_view name);
std::string KeyNameOfCode(int32_t code);
bool ReservedKey(int32_t code);
int32_t PadButtonOfName(std::string_view name);
std::string PadButtonName(int32_t button);
bool BindableButton(int32_t button);
bool ParseBinding(std::string_view text, ControlBinding& binding, std::string& problem);
std::string BindingText(const ControlBinding& binding);
