// The player's main program: one GameRecord for the whole run, loaded from
// "game.ZORAX" next to the program (or from its media archive), then the
// game, which ends the program itself.
#include "game/main_program.h"

#include "game/frame_seam.h"
#include "game/game_file.h"
#include "game/game_loop.h"
#include "runtime/core/frame.h"
#include "runtime/core/program_end.h"
#include "runtime/gfx2d/text.h"

namespace {

std::string& GameFileName() {
  static std::string name = "game.ZORAX";
  return name;
}

}  // namespace

void SetGameFileName(const std::string& name) {
  GameFileName() = name;
}

void GameMainProgram() {
  GameRecord game;
  // The text stays on screen while the file loads.
  PrintText("Loading...", 0, 0);
  ObserveGameFrame(GameFrameKind::kLoading, 0, game, nullptr);
  PresentFrame();

  if (LoadGame(game, RtString(std::string_view(GameFileName()))) == 0) {
    PrintText("Load Error!", 0, 0);
    ObserveGameFrame(GameFrameKind::kLoadError, 0, game, nullptr);
    PresentFrame();
    WaitForMouseClick();
    EndProgramNormally();
  }
  RunGame(game);
}
