// Scripted runs of the real player: input, screenshots and the end of the run
// at given frames, read from a small text file. When ZORAX_SCRIPT names such
// a file, the player follows it through the frame seam; ZORAX_UNPACED=1 then
// also drops the wait between frames, for quick headless runs. Game time
// advances by whole frames, so a script replayed with the same random seed
// (OMBREL_RANDOM_SEED) plays the same game.
//
// A script holds one command per line; "#" starts a comment, blank lines are
// skipped. Each command starts with its frame: a number counts the frames the
// game has presented (the "Loading..." frame is 0), "+N" means N frames after
// the previous command's frame. Commands of one frame run in their order,
// right before that frame is shown, so that input given there is read by the
// next frame.
//
//   <frame> key down <key>       press a key: a set-1 scan code (1 Escape,
//   <frame> key up <key>         157 right Ctrl, 203 left arrow, ...) or a key
//                                name ("Escape", "Left", "Right Ctrl", "A")
//   <frame> press <key>          key down now, key up one frame later
//   <frame> click [<ms>]         one left click, pressed <ms> milliseconds
//                                later (default 100) and held for 80 ms, beside
//                                the game (RunLater): the load error screen
//                                waits for it without presenting frames
//   <frame> screenshot <file>    saves the picture of that frame (PNG when the
//                                name ends in ".png", else BMP); a relative
//                                name is taken from the script's folder
//   <frame> end                  ends the program as its own end path does
//
// The "Load Error!" screen presents no frames while it waits for a click;
// the script's frames still go on there at the frame rate, so that its
// screenshots and its end work on that screen, until a click or Escape from
// the script hands the wait its input.
//
// ParseScript         reads a script's text; false with "file:line: problem"
// LoadScript          reads and parses a script file; false with the problem
// StartScript         follows the commands from the next game frame on
// StartScriptFromEnvironment  does all of the above for ZORAX_SCRIPT; false when
//                     the variable is unset; a bad script ends the process
//                     with exit code 2 and its problem on stderr
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class ScriptAction : int32_t { kKeyDown, kKeyUp, kClick, kScreenshot, kEnd };

struct ScriptCommand {
  int64_t Frame = 0;
  ScriptAction Action = ScriptAction::kEnd;
  int32_t Key = 0;      // set-1 scan code of kKeyDown / kKeyUp
  int32_t DelayMs = 0;  // kClick: wait before the button goes down
  std::string File;     // kScreenshot: where the picture goes
  int32_t Line = 0;     // line in the script, for messages
};

// `name` is used in messages; relative screenshot names are joined to
// `folder` (empty: kept as written). Commands come out ordered by frame,
// those of one frame in script order.
bool ParseScript(const std::string& text, const std::string& name, const std::string& folder,
                 std::vector<ScriptCommand>& commands, std::string& error);
bool LoadScript(const std::string& path, std::vector<ScriptCommand>& commands, std::string& error);
void StartScript(std::vector<ScriptCommand> commands, bool unpaced);
bool StartScriptFromEnvironment();
