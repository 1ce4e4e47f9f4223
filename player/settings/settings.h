// The player's settings file: settings.ini in the player's settings folder
// ($XDG_CONFIG_HOME/zorax, else ~/.config/zorax; %APPDATA%\Zorax on
// Windows), an initialisation file read with the runtime's own
// reader. A missing file means the defaults; a bad value means that value's
// default and a message naming the file and line; a file that cannot be used
// at all (too large, not text, a folder, a pipe, a link to nothing) means
// every default and one message. Nothing in it can stop the game.
//
// Write-back keeps every section and key the player does not know, and the
// entries it knows that still hold their read values; it writes the keys
// that were in the file and those that differ from their defaults.
//
// PlayerSettings     every value, each starting at its default
// SettingsFolder     where the file lives: the player's settings folder; "" when no
//                    home folder is known
// ReadSettingsText   parses text (named `name` in messages) into `file`
// LoadSettingsFile   reads the file at path into `file` (see above)
// SettingsText       what SaveSettingsFile writes for these values
// SaveSettingsFile   writes the values atomically (creating the folder); false
//                    with a message when it cannot, or when the file could not
//                    be read (so that it is never written over)
// CopyChangedSettings  see below
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/files/ini_file.h"
#include "runtime/input/key_bindings.h"

struct VideoSettings {
  int32_t Scale = 0;  // 0: auto (the largest that fits), else 1 .. 8
  bool FullScreen = false;
  std::string ScaleMode = "integer";  // integer, fit or stretch
  std::string Filter = "nearest";     // nearest or linear
  int32_t VSync = -1;                 // -1: auto (at 59 to 61 Hz), 0: never, 1: always
};

struct AudioSettings {
  int32_t Volume = 100;  // per cent
  int32_t Effects = 100;
  int32_t Music = 100;
  bool Mute = false;
};

struct PadSettings {
  double Deadzone = 0.5;
  std::array<std::string, 2> Players;  // "": any pad (auto), else a GUID, lower case
};

struct PlayerSettings {
  VideoSettings Video;
  AudioSettings Audio;
  std::array<std::array<ControlBinding, kPlayerControls>, kBoundPlayers> Keys;
  PadSettings Pad;
  std::string Screenshots;    // "": the default pictures folder; else as written in the file
  bool RecordReplays = true;  // [replays] record: every game is recorded

  PlayerSettings();  // the key bindings start at the game's own keys
};

bool operator==(const PlayerSettings& a, const PlayerSettings& b);

struct SettingsFile {
  std::string Path;               // the file (a link is followed to the file it names)
  std::string Name;               // how messages name the file
  PlayerSettings Values;          // as read; defaults where missing or bad
  std::vector<IniSection> Table;  // every section read, kept for write-back
  std::vector<std::string> Problems;
  bool Usable = true;  // false: there is something at Path that could not be read
};

std::string SettingsFolder();
void ReadSettingsText(std::string_view text, const std::string& name, SettingsFile& file);
void LoadSettingsFile(const std::string& path, SettingsFile& file);
std::string SettingsText(const SettingsFile& file, const PlayerSettings& values);
bool SaveSettingsFile(SettingsFile& file, const PlayerSettings& values, std::string& problem);

// Sets in target every setting that differs between before and after to its
// value in after (what a change made on top of the command line leaves for
// the file).
void CopyChangedSettings(const PlayerSettings& before, const PlayerSettings& after,
                         PlayerSettings& target);

// The names the file and the options screen use for a control: "left" ... "fire".
const char* ControlKeyName(PlayerControl control);
