// The bare player's entry point: the runtime starts, then runs the game.
#include "game/main_program.h"
#include "runtime/core/startup.h"

int main(int argc, char** argv) { RuntimeMain(argc, argv, GameMainProgram); }
