// The player's main program: builds the game record, loads "game.ZORAX" and
// runs the game.
#pragma once

// Called once by the runtime after start-up; ends the program itself.
void GameMainProgram();
