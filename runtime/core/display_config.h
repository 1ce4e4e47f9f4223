// How the logical screen is shown in the window: the display block a host
// program fills before start-up (from its command line, later also from a
// settings file), and the one function that turns it into the settings the
// window uses. RuntimeMain resets the fixed RuntimeConfig but leaves this
// block alone.
//
// RequestedDisplay      the block; every field starts "not given"
// ApplyDisplayDefaults  the settings for a block: each field not given (or out of range)
//                       takes its default
// ParseScaleMode        "integer", "fit" or "stretch"; false for anything else
// ParseScaleFilter      "nearest" or "linear"; false for anything else
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// How the picture fills the window's drawable area.
enum class ScaleMode : uint8_t {
  kInteger,  // the largest whole-number scale that fits, centred; fit when none does
  kFit,      // as large as fits with the aspect kept, any scale
  kStretch,  // the whole drawable area, aspect not kept
};

// How pixels are scaled.
enum class ScaleFilter : uint8_t {
  kNearest,  // sharp pixels
  kLinear,   // smoothed
};

constexpr int32_t kMinWindowScale = 1;
constexpr int32_t kMaxWindowScale = 8;

struct DisplayRequest {
  std::optional<int32_t> Scale;    // window size at start, as a multiple of the logical screen
  std::optional<bool> FullScreen;  // start in desktop full screen (true) or in a window
  std::optional<ScaleMode> Mode;
  std::optional<ScaleFilter> Filter;
  // The window is made but never shown, and nothing is shown to a person
  // (no message box): a run that only computes, such as a replay check.
  bool Hidden = false;
};

struct DisplaySettings {
  int32_t Scale = 0;  // 0: the largest multiple that fits the desktop
  bool FullScreen = false;
  ScaleMode Mode = ScaleMode::kInteger;
  ScaleFilter Filter = ScaleFilter::kNearest;
  bool Hidden = false;
};

DisplayRequest& RequestedDisplay();
DisplaySettings ApplyDisplayDefaults(const DisplayRequest& request);
bool ParseScaleMode(std::string_view text, ScaleMode& mode);
bool ParseScaleFilter(std::string_view text, ScaleFilter& filter);
