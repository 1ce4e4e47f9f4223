// Opening a game by dropping it onto the window: a game file, a folder or a
// packed program dropped while the title screen or "Load Error!" shows
// starts that game from its title screen; a dropped file without a game
// shows one line for two seconds and changes nothing. A drop during a level
// or while a replay plays is ignored (with a log line), so that a slip of
// the mouse never ends a game in play.
//
// StartGameDrops     takes drops from now on
// DropRestartArguments  the command line a dropped game starts with: the
//                    run's own options, the dropped PATH in place of the old
// SetRestartProgram  the program file started for a dropped game (tests);
//                    by default the running program's own file
#pragma once

#include <string>
#include <vector>

void StartGameDrops();
std::vector<std::string> DropRestartArguments(const std::string& droppedPath);
void SetRestartProgram(const std::string& program);
