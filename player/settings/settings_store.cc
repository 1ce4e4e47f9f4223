// The run's settings and where they go in the runtime.
#include "player/settings/settings_store.h"

#include <SDL.h>

#include <cstdio>

#include "player/display/screenshot.h"
#include "runtime/core/present_layout.h"
#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/core/window.h"
#include "runtime/input/key_bindings.h"
#include "runtime/input/pads.h"
#include "runtime/sound/output_levels.h"

namespace {

// More lines than this would only bury the first ones.
constexpr size_t kMaxLoggedProblems = 20;

void Log(const std::string& line) {
  AppendErrorLog(line.c_str());
  std::fprintf(stderr, "%s\n", line.c_str());
}

// SDL reads the pad mapping file named by this hint when its controller
// layer starts; a file named by the player's environment wins.
void UsePadMappingFile(const std::string& folder) {
  if (folder.empty()) return;
  const std::string path = folder + "/" + kPadMappingFile;
  FileInfo info;
  if (!PathInfo(path, info) || info.Kind != FileKind::kFile) return;
  SDL_SetHintWithPriority(SDL_HINT_GAMECONTROLLERCONFIG_FILE, path.c_str(), SDL_HINT_DEFAULT);
}

void ApplyVerticalSync(int32_t vsync) {
  SDL_Window* window = SDL_GL_GetCurrentWindow();
  if (window == nullptr) return;
  SDL_DisplayMode mode{};
  const int display = SDL_GetWindowDisplayIndex(window);
  const int hz =
      display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 ? mode.refresh_rate : 0;
  const int interval = SwapIntervalFor(vsync, hz);
  // A driver that cannot sync keeps our own pacing, which runs in any case.
  if (SDL_GL_SetSwapInterval(interval) != 0 && interval != 0) {
    Log("Vertical sync not available: " + std::string(SDL_GetError()));
  }
}

// "~/" stands for the home folder.
std::string ExpandedFolder(const std::string& folder) {
  if (folder.rfind("~/", 0) != 0) return folder;
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : home + folder.substr(1);
}

// The video settings on a window that is already open: scale mode and filter
// from the next frame on, the window's size for the new scale (kept for
// later while in full screen), and full screen.
void ApplyVideoToWindow(const VideoSettings& video) {
  OpenGLZidaruva* gfx = Graphics();
  if (!GraphicsReady() || gfx->Window == nullptr) return;
  ScaleMode mode{};
  if (ParseScaleMode(video.ScaleMode, mode)) gfx->Display.Mode = mode;
  ScaleFilter filter{};
  if (ParseScaleFilter(video.Filter, filter)) gfx->Display.Filter = filter;
  if (video.Scale != gfx->Display.Scale) {
    gfx->Display.Scale = video.Scale;
    SDL_Rect usable{};
    const int display = SDL_GetWindowDisplayIndex(gfx->Window);
    if (display < 0 || SDL_GetDisplayUsableBounds(display, &usable) != 0) usable = SDL_Rect{};
    StartWindowSize(gfx->ClientWidth, gfx->ClientHeight, usable.w, usable.h, video.Scale,
                    gfx->WindowedWidth, gfx->WindowedHeight);
    if (gfx->IsFullScreen == 0)
      SDL_SetWindowSize(gfx->Window, gfx->WindowedWidth, gfx->WindowedHeight);
  }
  if (video.FullScreen != (gfx->IsFullScreen != 0)) ToggleFullScreen();
}

}  // namespace

SettingsSession& PlayerSettingsSession() {
  static SettingsSession session;
  return session;
}

PlayerSettings& RunSettings() {
  return PlayerSettingsSession().Run;
}

void LoadPlayerSettings(const std::string& folder) {
  SettingsSession& session = PlayerSettingsSession();
  session = SettingsSession{};
  if (!folder.empty()) {
    LoadSettingsFile(folder + "/settings.ini", session.File);
  }
  session.Run = session.File.Values;
  UsePadMappingFile(folder);
  ApplyRunSettings();
}

void StartPlayerSettings() {
  const std::vector<std::string>& problems = PlayerSettingsSession().File.Problems;
  for (size_t i = 0; i < problems.size() && i < kMaxLoggedProblems; ++i) Log(problems[i]);
  if (problems.size() > kMaxLoggedProblems) {
    Log(std::to_string(problems.size() - kMaxLoggedProblems) + " more problems in " +
        PlayerSettingsSession().File.Name);
  }
  ApplyVerticalSync(RunSettings().Video.VSync);
}

void ApplyRunSettings() {
  const PlayerSettings& run = RunSettings();
  OutputLevels levels;
  levels.Volume = run.Audio.Volume;
  levels.Effects = run.Audio.Effects;
  levels.Music = run.Audio.Music;
  levels.Mute = run.Audio.Mute;
  SetOutputLevels(levels);
  for (int32_t p = 0; p < kBoundPlayers; ++p) {
    for (int32_t c = 0; c < kPlayerControls; ++c) {
      SetControlBinding(p, static_cast<PlayerControl>(c), run.Keys[p][c]);
    }
  }
  SetPadDeadzone(run.Pad.Deadzone);
  for (int32_t p = 0; p < 2; ++p) SetPadChoice(p, run.Pad.Players[p]);
  SetScreenshotFolder(ExpandedFolder(run.Screenshots));
  ApplyVideoToWindow(run.Video);
}

void MergeDisplayRequest(DisplayRequest& request) {
  VideoSettings& video = RunSettings().Video;
  // What the command line gave counts for this run; the rest comes from the file.
  if (request.Scale) {
    video.Scale = *request.Scale;
  } else if (video.Scale != 0) {
    request.Scale = video.Scale;
  }
  if (request.FullScreen) {
    video.FullScreen = *request.FullScreen;
  } else {
    request.FullScreen = video.FullScreen;
  }
  static const char* const kModes[] = {"integer", "fit", "stretch"};
  ScaleMode mode{};
  if (request.Mode) {
    video.ScaleMode = kModes[static_cast<int>(*request.Mode)];
  } else if (ParseScaleMode(video.ScaleMode, mode)) {
    request.Mode = mode;
  }
  ScaleFilter filter{};
  if (request.Filter) {
    video.Filter = *request.Filter == ScaleFilter::kLinear ? "linear" : "nearest";
  } else if (ParseScaleFilter(video.Filter, filter)) {
    request.Filter = filter;
  }
}

void FollowWindowState() {
  const OpenGLZidaruva* gfx = Graphics();
  if (gfx != nullptr) RunSettings().Video.FullScreen = gfx->IsFullScreen != 0;
}

bool ChangeRunSettings(const PlayerSettings& changed) {
  SettingsSession& session = PlayerSettingsSession();
  PlayerSettings forFile = session.File.Values;
  CopyChangedSettings(session.Run, changed, forFile);
  session.Run = changed;
  ApplyRunSettings();
  std::string problem;
  if (forFile == session.File.Values) return true;
  if (!SaveSettingsFile(session.File, forFile, problem)) {
    // Told once: every further change would fail the same way.
    static std::string told;
    if (problem != told) Log("Settings not saved: " + problem);
    told = problem;
    return false;
  }
  return true;
}

int SwapIntervalFor(int32_t vsync, int refreshHz) {
  if (vsync >= 0) return vsync != 0 ? 1 : 0;
  // Only a display that refreshes at the game's own rate is synced to:
  // frames then land on refreshes without the game running faster or slower.
  return refreshHz >= 59 && refreshHz <= 61 ? 1 : 0;
}
