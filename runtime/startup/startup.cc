// Start-up: the configuration the player runs with, then every device in a
// fixed order. Each stage writes its log line before it starts, so that the
// last line of the log names the stage of a crash during start-up.
#include "runtime/startup/startup.h"

#include <chrono>
#include <cstdlib>

#include "runtime/core/config.h"
#include "runtime/core/display_config.h"
#include "runtime/core/frame.h"
#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/core/window.h"
#include "runtime/files/archive.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/gfx2d/sprite_store.h"
#include "runtime/gfx2d/text.h"
#include "runtime/input/input.h"
#include "runtime/sound/sound.h"
#include "runtime/values/maths.h"

namespace {

RtString& CommandLineText() {
  static RtString text;
  return text;
}

// The generator is seeded from the wall clock, so that every run differs.
// OMBREL_RANDOM_SEED fixes the seed, which lets a recorded run be replayed.
uint32_t StartSeed() {
  if (const std::string fixed = EnvironmentValue("OMBREL_RANDOM_SEED"); !fixed.empty()) {
    return static_cast<uint32_t>(std::strtoul(fixed.c_str(), nullptr, 10));
  }
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

}  // namespace

const RtString& CommandLine() {
  return CommandLineText();
}

void RuntimeMain(int argc, char** argv, void (*mainProgram)()) {
  RtString& line = CommandLineText();
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += " ";
    line += argv[i];
  }

  Config() = RuntimeConfig{};  // 640 x 480, 60 frames per second, windowed, pointer hidden

  StartRuntime("stub");

  RuntimeErrors() = ErrorState{};
  if (mainProgram != nullptr) mainProgram();
  EndProgram();
}

void StartRuntime(const RtString& title) {
  const RuntimeConfig& config = Config();

  DeleteErrorLog();
  Flags().PauseWhenInactive = 1;

  AppendErrorLog("Init GFX");
  if (!CreateGraphicsWindow(config.ScreenWidth, config.ScreenHeight, 0, config.FrameRate,
                            config.Multisample, config.FullScreen)) {
    AppendErrorLog("No window: start-up stopped");
    EndProgramNormally();
  }
  // The sprite store and the screen targets live in the window's context.
  StartSpriteStore();
  StartScreenTargets();
  SetWindowTitle(title);

  AppendErrorLog("Init Input");
  CreateInputState();

  AppendErrorLog("Init Sound");
  CreateSoundDevice();

  AppendErrorLog("Init Network");
  // No network or 3D state: the player uses neither.

  SeedRandom(StartSeed());

  AppendErrorLog("Init Window");
  // The host's display block may ask for full screen; the fixed
  // configuration alone never does.
  if (config.FullScreen == 0 && !ApplyDisplayDefaults(RequestedDisplay()).FullScreen) {
    EnterWindowedMode();
  } else {
    EnterFullScreenMode();
  }
  SetView2D(0, 0, 0, 0);

  OpenInputDevices(config.HideMouse);
  OpenSoundDevice();
  if (const MediaPlaces& media = StartupMedia(); media.Given) {
    OpenArchiveReaders(media.ArchiveFile);
    ChangeToFolder(media.Folder);
  } else {
    OpenArchiveReaders(ProgramPath());
    ChangeToProgramFolder();
  }

  ClearScreen();
  ResetFrameTiming();
  SwapAndPace();
  SetView2D(0, 0, 0, 0);

  LoadBuiltinFont(0);
  LoadFont("smalfont.bmp", 0);
  int32_t cellWidth = 0;
  int32_t cellHeight = 0;
  GetFontSize(cellWidth, cellHeight);
  const RtString loading("Loading...");
  PrintText(loading, (config.ScreenWidth - TextLength(loading) * cellWidth) / 2,
            (config.ScreenHeight - cellHeight) / 2);
  PresentFrame();

  Flags().Paused = 0;
  ResetFrameTiming();

  SetUpMouse(config.HideMouse);

  AppendErrorLog("Init Finalized");
}
