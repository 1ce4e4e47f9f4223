// A dropped game starts in a fresh process image: the run ends through its
// normal end path (every device released, unpacked members deleted) and the
// program is started again on the dropped PATH with the same options. Every
// slot, sound, font and random state of the old game is gone that way, just
// as when the player is started on the new game by hand.
#include "player/open/game_drop.h"

#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/frame_seam.h"
#include "player/open/game_locator.h"
#include "player/host_dispatch.h"
#include "player/player_run.h"
#include "runtime/core/frame.h"
#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/core/window.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/text.h"

namespace {

constexpr double kMessageMs = 2000.0;

struct DropState {
  std::string Message;  // shown until MessageUntil
  double MessageUntil = 0;
  Uint32 ExpiryEvent = 0;  // SDL event type that ends a message on the load error screen
  std::string RestartProgram;  // "": this program's own file
  std::vector<std::string> RestartArguments;
  bool Redrawing = false;
};

DropState& State() {
  static DropState state;
  return state;
}

std::string LastComponent(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool MessageShowing() {
  return !State().Message.empty() && NowMs() < State().MessageUntil;
}

void DrawMessage() {
  if (!MessageShowing()) return;
  int32_t screenW = 0, screenH = 0, fontW = 0, fontH = 0;
  GetScreenSize(screenW, screenH);
  GetFontSize(fontW, fontH);
  PrintText(RtString(std::string_view(State().Message)), 0, screenH - fontH);
}

// The load error screen presents no frames while it waits for a click, so
// its picture is drawn again here: with the message, and without it once
// the message has expired.
void RedrawLoadError() {
  DropState& state = State();
  if (state.Redrawing || !GraphicsReady()) return;
  state.Redrawing = true;
  PrintText("Load Error!", 0, 0);
  DrawMessage();
  SwapAndPace();
  state.Redrawing = false;
}

Uint32 PostExpiry(Uint32, void*) {
  SDL_Event event{};
  event.type = State().ExpiryEvent;
  SDL_PushEvent(&event);
  return 0;
}

void ShowMessage(const std::string& text) {
  DropState& state = State();
  state.Message = text;
  state.MessageUntil = NowMs() + kMessageMs;
  if (LastGameFrameKind() == GameFrameKind::kLoadError) {
    RedrawLoadError();
    if (state.ExpiryEvent != 0)
      SDL_AddTimer(static_cast<Uint32>(kMessageMs) + 20, PostExpiry, nullptr);
  }
}

[[noreturn]] void ExecRestart() {
  DropState& state = State();
  ReplaceProcess(state.RestartProgram, state.RestartArguments);
  std::fprintf(stderr, "%s: cannot start the dropped game: %s\n", CurrentRun().Program.c_str(),
               std::strerror(errno));
  std::_Exit(0);
}

void StartDroppedGame(const std::string& path) {
  DropState& state = State();
  state.RestartArguments = DropRestartArguments(path);
  const std::string line = "Dropped game: " + path;
  AppendErrorLog(line.c_str());
  SetProgramExitHandler(ExecRestart);
  EndProgramNormally();
}

void TakeDrop(const std::string& path) {
  // A replay belongs to its own game: another one cannot take its place.
  if (const PlayerOptions& options = CurrentRun().Options;
      !options.ReplayFile.empty() || !options.VerifyFile.empty()) {
    const std::string line = "Drop ignored while a replay plays: " + path;
    AppendErrorLog(line.c_str());
    return;
  }
  const GameFrameKind kind = LastGameFrameKind();
  if (kind != GameFrameKind::kTitle && kind != GameFrameKind::kLoadError) {
    const std::string line = "Drop ignored while a game is in play: " + path;
    AppendErrorLog(line.c_str());
    return;
  }
  GameLocation where;
  std::string error;
  if (!LocateGame(path, where, error)) {
    const std::string line = "Drop: " + error;
    AppendErrorLog(line.c_str());
    ShowMessage("No game in \"" + LastComponent(path) + "\"");
    return;
  }
  StartDroppedGame(path);
}

bool HandleDropEvent(const SDL_Event& event) {
  DropState& state = State();
  if (state.ExpiryEvent != 0 && event.type == state.ExpiryEvent) {
    if (LastGameFrameKind() == GameFrameKind::kLoadError) RedrawLoadError();
    return true;
  }
  switch (event.type) {
    case SDL_DROPFILE:
      if (event.drop.file != nullptr) {
        const std::string path = event.drop.file;
        SDL_free(event.drop.file);
        TakeDrop(path);
      }
      return true;
    case SDL_DROPTEXT:
      SDL_free(event.drop.file);
      return true;
    case SDL_DROPBEGIN:
    case SDL_DROPCOMPLETE:
      return true;
    default:
      return false;
  }
}

}  // namespace

void StartGameDrops() {
  DropState& state = State();
  if (state.ExpiryEvent == 0 && SDL_InitSubSystem(SDL_INIT_TIMER) == 0) {
    const Uint32 type = SDL_RegisterEvents(1);
    if (type != static_cast<Uint32>(-1)) state.ExpiryEvent = type;
  }
  AddPlayerEventHandler(HandleDropEvent);
  AddPlayerOverlay(DrawMessage);
}

std::vector<std::string> DropRestartArguments(const std::string& droppedPath) {
  const PlayerRun& run = CurrentRun();
  std::vector<std::string> arguments{run.Invocation.empty() ? run.Program : run.Invocation};
  for (size_t i = 0; i < run.Arguments.size(); ++i) {
    const int index = static_cast<int>(i) + 1;
    const std::string& argument = run.Arguments[i];
    if (index == run.Options.PathArgument || argument == "--") continue;
    if (argument == "--fullscreen" || argument == "--window") continue;
    arguments.push_back(argument);
  }
  // The new game opens in the mode the window is in now, which Alt+Enter
  // may have changed since the start.
  if (const OpenGLZidaruva* gfx = Graphics(); gfx != nullptr && gfx->Window != nullptr) {
    arguments.push_back(gfx->IsFullScreen != 0 ? "--fullscreen" : "--window");
  }
  arguments.push_back("--");
  arguments.push_back(droppedPath);
  return arguments;
}

void SetRestartProgram(const std::string& program) {
  State().RestartProgram = program;
}
