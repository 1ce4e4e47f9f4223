// The player's main program. Until the game loader exists it shows the
// loading frame and ends normally.
#include "game/main_program.h"

#include "runtime/core/frame.h"
#include "runtime/core/program_end.h"
#include "runtime/gfx2d/text.h"

void GameMainProgram() {
  PrintText("Loading...", 0, 0);
  PresentFrame();
  EndProgramNormally();
}
