// The player's main program: builds the game record, loads "game.ZORAX" and
// runs the game.
#pragma once

#include <string>

// Called once by the runtime after start-up; ends the program itself.
void GameMainProgram();

// The game file the main program loads, relative to the current folder;
// "game.ZORAX" unless a host program names another before start-up.
void SetGameFileName(const std::string& name);
