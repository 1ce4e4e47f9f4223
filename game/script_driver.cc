// The scripted-run driver: a parser for the script text and a frame observer
// that pushes the script's input as SDL events, saves screenshots and ends
// the run at the frames the script names.
#include "game/script_driver.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <utility>

#include "game/frame_seam.h"
#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/core/window.h"
#include "runtime/files/file_io.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/input/scan_codes.h"

namespace {

constexpr int32_t kDefaultClickDelayMs = 100;
constexpr int32_t kClickHoldMs = 80;
constexpr int32_t kMaxClickDelayMs = 60000;
// Frames beyond this are surely a typing slip (about 19 days at 60 per second).
constexpr int64_t kMaxFrame = int64_t{1} << 26;
constexpr uint64_t kMaxScriptBytes = uint64_t{1} << 20;
constexpr int32_t kEscapeCode = 1;  // set-1 scan code of Escape

std::string Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return "";
  const size_t last = text.find_last_not_of(" \t\r");
  return std::string(text.substr(first, last - first + 1));
}

// A whole decimal number of digits only, within [0, limit].
bool ReadCount(std::string_view text, int64_t limit, int64_t& value) {
  if (text.empty() || text.size() > 12) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value <= limit;
}

// A set-1 scan code by number, or a key by SDL's name for it (any case) or a
// few short names, as long as the key has a set-1 code.
bool ReadKey(const std::string& text, int32_t& code) {
  int64_t number = 0;
  if (ReadCount(text, 255, number)) {
    if (number == 0 || ScancodeFromSet1(static_cast<int>(number)) == SDL_SCANCODE_UNKNOWN) {
      return false;
    }
    code = static_cast<int32_t>(number);
    return true;
  }
  std::string name = text;
  std::string lower;
  for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "esc") name = "Escape";
  if (lower == "lctrl") name = "Left Ctrl";
  if (lower == "rctrl") name = "Right Ctrl";
  if (lower == "enter") name = "Return";
  const SDL_Scancode scancode = SDL_GetScancodeFromName(name.c_str());
  if (scancode == SDL_SCANCODE_UNKNOWN) return false;
  code = Set1FromScancode(scancode);
  return code != 0;
}

struct LineReader {
  const std::string& Name;
  int32_t Number = 0;
  std::string& Error;

  bool Fail(const std::string& problem) {
    Error = Name + ":" + std::to_string(Number) + ": " + problem;
    return false;
  }
};

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// Everything after the first `count` words, blanks inside kept.
std::string RestAfter(const std::string& line, size_t count) {
  size_t pos = 0;
  for (size_t i = 0; i < count; ++i) {
    pos = line.find_first_not_of(" \t", pos);
    pos = line.find_first_of(" \t", pos);
    if (pos == std::string::npos) return "";
  }
  return Trim(line.substr(pos));
}

// ---------------------------------------------------------------- the run

struct ScriptRun {
  std::vector<ScriptCommand> Commands;
  std::vector<bool> Done;
  size_t FirstPending = 0;
  bool Unpaced = false;
  bool PacingDropped = false;
};

ScriptRun& Run() {
  static ScriptRun run;
  return run;
}

void PushKey(int32_t code, bool down) {
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.scancode = ScancodeFromSet1(code);
  event.key.keysym.sym = SDL_GetKeyFromScancode(event.key.keysym.scancode);
  SDL_PushEvent(&event);
}

void PushLeftButton(bool down) {
  SDL_Event event{};
  event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  event.button.button = SDL_BUTTON_LEFT;
  event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  SDL_PushEvent(&event);
}

// A click beside the game: the waits for a click read the mouse without
// presenting frames, so the press must come while they are waiting, and the
// release after they have seen the press. SDL's event queue takes events
// from any thread.
void ClickLater(int32_t delayMs) {
  RunLater(delayMs, [] { PushLeftButton(true); });
  RunLater(delayMs + kClickHoldMs, [] { PushLeftButton(false); });
}

void Perform(const ScriptCommand& command, int64_t frame) {
  switch (command.Action) {
    case ScriptAction::kKeyDown:
      PushKey(command.Key, true);
      break;
    case ScriptAction::kKeyUp:
      PushKey(command.Key, false);
      break;
    case ScriptAction::kClick:
      ClickLater(command.DelayMs);
      break;
    case ScriptAction::kScreenshot:
      if (SaveScreen(RtString(std::string_view(command.File))) == 0) {
        const std::string line = "Script line " + std::to_string(command.Line) +
                                 ": screenshot not written: " + command.File;
        AppendErrorLog(line.c_str());
      }
      break;
    case ScriptAction::kEnd: {
      const std::string line = "Script ended the run at frame " + std::to_string(frame);
      AppendErrorLog(line.c_str());
      EndProgramNormally();
    }
  }
}

// Runs the pending commands up to the frame; true when one of them gave the
// "Load Error!" wait the input it waits for (a click, or Escape, which ends
// the program there at once).
bool RunDueCommands(int64_t frameNumber, bool shown) {
  ScriptRun& run = Run();
  bool waitAnswered = false;
  for (size_t i = run.FirstPending; i < run.Commands.size(); ++i) {
    const ScriptCommand& command = run.Commands[i];
    if (command.Frame > frameNumber) break;
    if (run.Done[i]) continue;
    if (!shown && command.Action == ScriptAction::kScreenshot) continue;
    run.Done[i] = true;
    Perform(command, frameNumber);
    waitAnswered = waitAnswered || command.Action == ScriptAction::kClick ||
                   (command.Action == ScriptAction::kKeyDown && command.Key == kEscapeCode);
  }
  while (run.FirstPending < run.Commands.size() && run.Done[run.FirstPending]) {
    ++run.FirstPending;
  }
  return waitAnswered;
}

// The "Load Error!" screen waits for a click without presenting frames. The
// script's frames go on meanwhile, at the frame rate (at once when unpaced),
// each showing the picture already there, so that its screenshots and its
// end work on that screen too. It stops when the script runs out or has
// given the wait its input; the wait then goes on as without a script.
void FollowThroughLoadError(int64_t shownFrame) {
  ScriptRun& run = Run();
  const OpenGLZidaruva* gfx = Graphics();
  const double interval = gfx != nullptr ? gfx->FrameInterval : 0.0;
  const double start = NowMs();
  int64_t frame = shownFrame;
  while (run.FirstPending < run.Commands.size()) {
    frame = std::max(frame + 1, run.Commands[run.FirstPending].Frame);
    const double wait = start + static_cast<double>(frame - shownFrame) * interval - NowMs();
    if (wait > 0) SleepWholeMs(static_cast<int>(std::ceil(wait)));
    if (RunDueCommands(frame, true)) return;
  }
}

void FollowScript(const GameFrame& frame) {
  ScriptRun& run = Run();
  if (run.Unpaced && !run.PacingDropped) {
    // Every frame's slot is then already due when the frame is shown.
    if (OpenGLZidaruva* gfx = Graphics(); gfx != nullptr) {
      gfx->FrameInterval = 0;
      run.PacingDropped = true;
    }
  }
  // While Escape is held in a level no frame is shown: input runs then, so
  // that the script can release the key, but screenshots wait for a frame.
  const bool shown = frame.Kind != GameFrameKind::kEscapeHeld;
  const bool waitAnswered = RunDueCommands(frame.Number, shown);
  if (frame.Kind == GameFrameKind::kLoadError && !waitAnswered)
    FollowThroughLoadError(frame.Number);
}

}  // namespace

bool ParseScript(const std::string& text, const std::string& name, const std::string& folder,
                 std::vector<ScriptCommand>& out, std::string& error) {
  out.clear();
  std::vector<ScriptCommand> commands;
  LineReader reader{name, 0, error};
  std::istringstream in(text);
  int64_t previous = 0;
  for (std::string raw; std::getline(in, raw);) {
    ++reader.Number;
    const std::string line = Trim(raw.substr(0, raw.find('#')));
    if (line.empty()) continue;
    const std::vector<std::string> words = Words(line);

    ScriptCommand command;
    command.Line = reader.Number;
    const std::string& when = words[0];
    const bool relative = when[0] == '+';
    int64_t frame = 0;
    if (!ReadCount(relative ? std::string_view(when).substr(1) : std::string_view(when), kMaxFrame,
                   frame)) {
      return reader.Fail("a command starts with its frame, a number or +number, not \"" + when +
                         "\"");
    }
    if (relative) frame += previous;
    if (frame > kMaxFrame) return reader.Fail("frame " + std::to_string(frame) + " is too far");
    command.Frame = frame;
    previous = frame;
    if (words.size() < 2) return reader.Fail("a frame without a command");

    const std::string& verb = words[1];
    if (verb == "key") {
      if (words.size() < 4 || (words[2] != "down" && words[2] != "up")) {
        return reader.Fail("use \"key down <key>\" or \"key up <key>\"");
      }
      const std::string key = RestAfter(line, 3);
      if (!ReadKey(key, command.Key)) return reader.Fail("unknown key \"" + key + "\"");
      command.Action = words[2] == "down" ? ScriptAction::kKeyDown : ScriptAction::kKeyUp;
      commands.push_back(command);
    } else if (verb == "press") {
      const std::string key = RestAfter(line, 2);
      if (key.empty()) return reader.Fail("press needs a key");
      if (!ReadKey(key, command.Key)) return reader.Fail("unknown key \"" + key + "\"");
      command.Action = ScriptAction::kKeyDown;
      commands.push_back(command);
      command.Action = ScriptAction::kKeyUp;
      command.Frame = frame + 1;
      commands.push_back(command);
    } else if (verb == "click") {
      int64_t delay = kDefaultClickDelayMs;
      if (words.size() > 3) return reader.Fail("click takes at most a delay in milliseconds");
      if (words.size() == 3 && !ReadCount(words[2], kMaxClickDelayMs, delay)) {
        return reader.Fail("click delay \"" + words[2] +
                           "\" is not a number of milliseconds up to " +
                           std::to_string(kMaxClickDelayMs));
      }
      command.Action = ScriptAction::kClick;
      command.DelayMs = static_cast<int32_t>(delay);
      commands.push_back(command);
    } else if (verb == "screenshot") {
      const std::string file = RestAfter(line, 2);
      if (file.empty()) return reader.Fail("screenshot needs a file name");
      command.Action = ScriptAction::kScreenshot;
      command.File = file[0] == '/' || folder.empty() ? file : folder + "/" + file;
      commands.push_back(command);
    } else if (verb == "end") {
      if (words.size() != 2) return reader.Fail("end takes nothing after it");
      command.Action = ScriptAction::kEnd;
      commands.push_back(command);
    } else {
      return reader.Fail("unknown command \"" + verb + "\" (key, press, click, screenshot or end)");
    }
  }
  std::stable_sort(
      commands.begin(), commands.end(),
      [](const ScriptCommand& a, const ScriptCommand& b) { return a.Frame < b.Frame; });
  out = std::move(commands);
  return true;
}

bool LoadScript(const std::string& path, std::vector<ScriptCommand>& commands, std::string& error) {
  std::string text;
  if (!ReadWholeFile(path, kMaxScriptBytes, text)) {
    error = path + ": cannot be read (a readable file of at most 1 MiB is needed)";
    return false;
  }
  const size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  if (slash == 0) folder = "/";
  // The player changes into its own folder at start-up: keep screenshot
  // names from depending on that.
  if (!IsAbsolutePath(folder)) {
    const std::string current = CurrentFolder();
    if (!current.empty()) folder = current + "/" + folder;
  }
  return ParseScript(text, path, folder, commands, error);
}

void StartScript(std::vector<ScriptCommand> commands, bool unpaced) {
  ScriptRun& run = Run();
  run = ScriptRun{};
  run.Commands = std::move(commands);
  run.Done.assign(run.Commands.size(), false);
  run.Unpaced = unpaced;
  AddGameFrameObserver(FollowScript);
}

bool StartScriptFromEnvironment() {
  const std::string path = EnvironmentValue("ZORAX_SCRIPT");
  if (path.empty()) return false;
  std::vector<ScriptCommand> commands;
  std::string error;
  if (!LoadScript(path, commands, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    std::exit(2);
  }
  StartScript(std::move(commands), EnvironmentValue("ZORAX_UNPACED") == "1");
  return true;
}
