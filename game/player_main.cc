// The bare player's entry point: the runtime starts, then runs the game. With
// ZORAX_SCRIPT set, the run follows that script (see game/script_driver.h).
#include "game/main_program.h"
#include "game/script_driver.h"
#include "runtime/core/startup.h"

int main(int argc, char** argv) {
  StartScriptFromEnvironment();
  RuntimeMain(argc, argv, GameMainProgram);
}
