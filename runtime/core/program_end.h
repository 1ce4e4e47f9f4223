// The runtime's one way out, its error state and its log.
//
// A command that is misused records an error number with SetRuntimeError and
// calls EndProgram, which writes what it must to the log, releases every
// device in a fixed order and exits with code 0. Subsystems plug their
// release step into that order with SetTeardownHook when they start.
#pragma once

#include <string>

// Runtime error numbers.
enum RuntimeError : int {
  kErrorNone = 0,
  kErrorChannel = 3,       // file channel failure
  kErrorOutOfRange = 7,    // out of memory, or slot / channel number out of range
  kErrorArrayShape = 8,    // array append or removal misused
  kErrorIndex = 9,         // index out of range
  kErrorNoMoreData = 20,   // no more data
};

struct ErrorState {
  double ErrorCode = 0;    // last error number; 0 is a normal end
  double ErrorLine = 0;    // CurrentLine when the error was recorded
  double CurrentLine = 0;  // line tracking kept for error reports
  double CurrentUnit = 0;
};

// The process-wide error state.
ErrorState& RuntimeErrors();

// Records an error number and the current line; returns the number.
double SetRuntimeError(double code);

// Sets the line tracking reported beside an error.
void SetCurrentLine(double unit, double line);

// SetRuntimeError(0), then EndProgram.
[[noreturn]] void EndProgramNormally();

// Releases everything and ends the process with exit code 0.
[[noreturn]] void EndProgram();

// SetRuntimeError(code), then EndProgram: the path every failing command takes.
[[noreturn]] void RaiseRuntimeError(int code);

// Short meaning of an error number, as printed in "Runtime error N: meaning".
const char* RuntimeErrorMeaning(int code);

// Path of "ErrorLog.txt" in the private temporary folder ("" when there is none).
std::string ErrorLogPath();

// Deletes the log so that a run starts a fresh one.
void DeleteErrorLog();

// Appends one line (CR LF ended) to the log, opening and closing the file for
// the line; a file that cannot be opened is retried 5 times, 100 ms apart,
// then the line is dropped. A null text is written as "NULL". Without a
// private folder the line goes to stderr (LF ended) at once.
void AppendErrorLog(const char* text);

// Sends "TX" + text to an attached debugger; nothing when none is attached.
void DebugOutput(const char* text);

// The release steps of EndProgram, in the order they run. Steps between them
// (current folder, timer resolution) belong to the end path itself.
enum class TeardownStep : int {
  kChannels = 0,   // close every open file channel and write back open text files
  kMusic,          // stop and close the music
  kScreenTargets,  // framebuffers of the screen targets and the background image
  kSprites,        // the sprite store's textures
  kGraphics,       // rendering context and window
  kInput,          // input devices and state
  kSound,          // sound slots, then the sound device
  kNetwork,        // network state (nothing in this runtime)
  kArchives,       // archive readers' temporary files
  kWindow,         // the window, if it still exists
  kCount
};

// Installs (or, with nullptr, removes) the release function of one step. A
// step without a function is skipped: each device may be absent.
void SetTeardownHook(TeardownStep step, void (*release)());

// Replaces how the process finally exits (default: exit code 0). Fuzzing
// harnesses install a handler that returns control to them instead.
void SetProgramExitHandler(void (*handler)());
