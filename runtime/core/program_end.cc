// EndProgram, the error state and the error log. Everything here must work
// with any subset of the devices present, because the end path also runs
// after a failed start-up.
#include "runtime/core/program_end.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/core/config.h"
#include "runtime/core/system.h"

namespace {

std::array<void (*)(), static_cast<size_t>(TeardownStep::kCount)>& TeardownHooks() {
  static std::array<void (*)(), static_cast<size_t>(TeardownStep::kCount)> hooks{};
  return hooks;
}

void (*g_exitHandler)() = nullptr;
bool g_ending = false;

void RunTeardownStep(TeardownStep step) {
  auto& hooks = TeardownHooks();
  void (*release)() = hooks[static_cast<size_t>(step)];
  hooks[static_cast<size_t>(step)] = nullptr;
  if (release != nullptr) release();
}

void AppendLogNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  AppendErrorLog(text);
}

}  // namespace

ErrorState& RuntimeErrors() {
  static ErrorState state;
  return state;
}

double SetRuntimeError(double code) {
  ErrorState& state = RuntimeErrors();
  state.ErrorCode = code;
  state.ErrorLine = state.CurrentLine;
  return code;
}

void SetCurrentLine(double unit, double line) {
  RuntimeErrors().CurrentUnit = unit;
  RuntimeErrors().CurrentLine = line;
}

const char* RuntimeErrorMeaning(int code) {
  switch (code) {
    case kErrorNone: return "no error";
    case kErrorChannel: return "file channel error";
    case kErrorOutOfRange: return "out of memory or slot number out of range";
    case kErrorArrayShape: return "array shape or removal index wrong";
    case kErrorIndex: return "index out of range";
    case kErrorNoMoreData: return "no more data";
    default: return "unknown error";
  }
}

std::string ErrorLogPath() {
  std::string folder = PrivateTempFolder();
  return folder.empty() ? std::string() : folder + "/ErrorLog.txt";
}

void DeleteErrorLog() {
  std::string path = ErrorLogPath();
  if (!path.empty()) EraseFile(path);
}

void AppendErrorLog(const char* text) {
  std::string line = text != nullptr ? text : "NULL";
  line += "\r\n";
  const std::string path = ErrorLogPath();
  if (path.empty()) {
    // No private folder to keep the log in: the line goes to stderr instead.
    line.erase(line.size() - 2, 1);  // the "\r"
    std::fwrite(line.data(), 1, line.size(), stderr);
    return;
  }
  for (int attempt = 0; attempt < 5; ++attempt) {
    const int fd = OpenFileForWriting(path, FileCreation::kPrivateLog);
    if (fd >= 0) {
      size_t done = 0;
      while (done < line.size()) {
        const int64_t n = WriteToFile(fd, line.data() + done, line.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
      }
      CloseFile(fd);
      return;
    }
    SleepWholeMs(100);
  }
}

void DebugOutput(const char* text) {
  // No debugger protocol on this platform; an attached debugger can break here.
  (void)text;
}

void SetTeardownHook(TeardownStep step, void (*release)()) {
  TeardownHooks()[static_cast<size_t>(step)] = release;
}

void SetProgramExitHandler(void (*handler)()) { g_exitHandler = handler; }

void EndProgramNormally() {
  SetRuntimeError(0);
  EndProgram();
}

void RaiseRuntimeError(int code) {
  SetRuntimeError(code);
  EndProgram();
}

void EndProgram() {
  if (!g_ending) {
    g_ending = true;
    const ErrorState state = RuntimeErrors();
    const int code = static_cast<int>(state.ErrorCode);

    if (Config().DebugMode != 0) {
      AppendErrorLog("-End On Line");
      AppendLogNumber(state.ErrorCode);
      AppendLogNumber(state.ErrorLine - 1);
      AppendLogNumber(state.CurrentLine);
      AppendLogNumber(state.CurrentUnit);
    }
    // A stop on error must leave a trace even outside debug mode.
    if (code != 0) {
      char line[128];
      std::snprintf(line, sizeof line, "Runtime error %d: %s", code, RuntimeErrorMeaning(code));
      std::fprintf(stderr, "%s\n", line);
      // Without a log file the log is stderr, which already has the line.
      if (Config().DebugMode == 0 && !ErrorLogPath().empty()) AppendErrorLog(line);
    }

    RunTeardownStep(TeardownStep::kChannels);
    ChangeToProgramFolder();
    // The timer resolution needs no restoring on this platform.
    RunTeardownStep(TeardownStep::kMusic);
    // The graphics context goes with its textures and framebuffers first.
    RunTeardownStep(TeardownStep::kScreenTargets);
    RunTeardownStep(TeardownStep::kSprites);
    RunTeardownStep(TeardownStep::kGraphics);
    RunTeardownStep(TeardownStep::kInput);
    RunTeardownStep(TeardownStep::kSound);
    RunTeardownStep(TeardownStep::kNetwork);
    RunTeardownStep(TeardownStep::kArchives);
    RunTeardownStep(TeardownStep::kWindow);
  }

  std::fflush(nullptr);
  if (g_exitHandler != nullptr) {
    void (*handler)() = g_exitHandler;
    g_ending = false;  // the harness may run the program again
    handler();
  }
  std::_Exit(0);
}
