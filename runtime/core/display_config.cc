// The display block and its defaults: a whole-number scale chosen from the
// desktop, windowed, sharp pixels.
#include "runtime/core/display_config.h"

DisplayRequest& RequestedDisplay() {
  static DisplayRequest request;
  return request;
}

DisplaySettings ApplyDisplayDefaults(const DisplayRequest& request) {
  DisplaySettings settings;
  if (request.Scale && *request.Scale >= kMinWindowScale && *request.Scale <= kMaxWindowScale) {
    settings.Scale = *request.Scale;
  }
  settings.FullScreen = request.FullScreen.value_or(false);
  settings.Mode = request.Mode.value_or(ScaleMode::kInteger);
  settings.Filter = request.Filter.value_or(ScaleFilter::kNearest);
  settings.Hidden = request.Hidden;
  return settings;
}

bool ParseScaleMode(std::string_view text, ScaleMode& mode) {
  if (text == "integer") {
    mode = ScaleMode::kInteger;
  } else if (text == "fit") {
    mode = ScaleMode::kFit;
  } else if (text == "stretch") {
    mode = ScaleMode::kStretch;
  } else {
    return false;
  }
  return true;
}

bool ParseScaleFilter(std::string_view text, ScaleFilter& filter) {
  if (text == "nearest") {
    filter = ScaleFilter::kNearest;
  } else if (text == "linear") {
    filter = ScaleFilter::kLinear;
  } else {
    return false;
  }
  return true;
}
