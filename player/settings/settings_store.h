// The settings of this run: read from the settings file before the runtime
// starts, put into the runtime's places (sound levels, key bindings, pads,
// the pad mapping file), and saved again when the player changes something
// on the options screen. Command-line options change the run's values only:
// they are never saved.
//
// LoadPlayerSettings     reads settings.ini from the folder ("" : no file) and
//                        applies everything that needs no window
// StartPlayerSettings    after start-up (which begins a fresh log): logs the file's
//                        problems (at most 20 lines) and applies vertical sync
// RunSettings            the values this run uses; a host changes them for its
//                        command line before start-up
// ChangeRunSettings      the options screen's change: applied at once, and the
//                        changed values saved to the file (false, with one log line
//                        per failure, when that cannot be done)
// ApplyRunSettings       puts the run's values into the runtime's places (the video
//                        ones into the window once it is open)
// MergeDisplayRequest    before start-up: what the command line asked of the display
//                        counts for this run (and shows on the options screen); what it
//                        left open comes from the settings
// FollowWindowState      the run's full screen setting becomes the window's (which
//                        Alt+Enter and F11 change without touching the settings)
// SwapIntervalFor        the vertical sync to ask for (0 or 1) for a setting and
//                        a display refresh rate in Hz (0: unknown)
#pragma once

#include <string>

#include "player/settings/settings.h"
#include "runtime/core/display_config.h"

struct SettingsSession {
  SettingsFile File;
  PlayerSettings Run;
};

SettingsSession& PlayerSettingsSession();
void LoadPlayerSettings(const std::string& folder);
void StartPlayerSettings();
PlayerSettings& RunSettings();
bool ChangeRunSettings(const PlayerSettings& changed);
void ApplyRunSettings();
void MergeDisplayRequest(DisplayRequest& request);
void FollowWindowState();
int SwapIntervalFor(int32_t vsync, int refreshHz);

// The pad mapping file a player may keep beside the settings.
constexpr const char* kPadMappingFile = "gamecontrollerdb.txt";
