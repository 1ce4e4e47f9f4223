// The process's surroundings on Windows: its command line in UTF-8 (from the
// wide command line, whatever the code page), its own file, the current
// folder, the environment, starting a program in its place, and the forms of
// Windows paths ("C:/...", "//server/share/...").
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "runtime/core/system.h"
#include "runtime/platform/windows/wide_text.h"

namespace {

// A program built for the window subsystem has no console; one started from
// a console window still writes its messages there.
void ReachParentConsole() {
  const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (error != nullptr && error != INVALID_HANDLE_VALUE) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  FILE* ignored = nullptr;
  freopen_s(&ignored, "CONOUT$", "w", stdout);
  freopen_s(&ignored, "CONOUT$", "w", stderr);
}

// One argument quoted so that the C runtime of the started program reads it
// back as it is: backslashes double only before a quote.
void AppendQuoted(std::wstring& line, const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += argument;
    return;
  }
  line += L'"';
  size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') line.append(backslashes * 2 + 1, L'\\');
    else line.append(backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  // Sleeps and timers to the millisecond, as frame pacing needs.
  timeBeginPeriod(1);
  ReachParentConsole();
  SetConsoleOutputCP(CP_UTF8);

  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
  if (list == nullptr) {
    for (int i = 0; i < argc; ++i) arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
    return arguments;
  }
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8FromWide(list[i]));
  LocalFree(list);
  return arguments;
}

std::string_view ProgramFileSuffix() { return ".exe"; }

std::string ProgramPath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return "";
    if (n < buffer.size()) {
      buffer.resize(n);
      return PathFromWide(buffer);
    }
    if (buffer.size() >= 32768) return "";
    buffer.resize(buffer.size() * 2);
  }
}

bool ChangeToFolder(const std::string& folder) {
  std::wstring wide;
  if (folder.empty() || !WidePath(folder, wide)) return false;
  return SetCurrentDirectoryW(wide.c_str()) != 0 || FailFromLastError();
}

std::string CurrentFolder() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return "";
  std::wstring buffer(size, L'\0');
  const DWORD n = GetCurrentDirectoryW(size, buffer.data());
  if (n == 0 || n >= size) return "";
  buffer.resize(n);
  std::string folder = PathFromWide(buffer);
  // "C:/" keeps its slash; other folders have none at the end.
  if (folder.size() > PathRootLength(folder) && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string EnvironmentValue(const char* name) {
  std::wstring wideName;
  if (!WideFromUtf8(name, wideName)) return "";
  const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) return "";
  std::wstring value(size, L'\0');
  const DWORD n = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
  if (n == 0 || n >= size) return "";
  value.resize(n);
  return Utf8FromWide(value);
}

bool SetEnvironmentValue(const char* name, const std::string& value) {
  std::wstring wideName;
  std::wstring wideValue;
  if (!WideFromUtf8(name, wideName) || !WideFromUtf8(value, wideValue)) {
    errno = EINVAL;
    return false;
  }
  // Both the process's block (read by Windows and SDL) and the C runtime's
  // copy (read by getenv).
  return SetEnvironmentVariableW(wideName.c_str(), wideValue.c_str()) != 0 &&
         _wputenv_s(wideName.c_str(), wideValue.c_str()) == 0;
}

void ReplaceProcess(const std::string& program, const std::vector<std::string>& arguments) {
  std::wstring file;
  if (!WidePath(program.empty() ? ProgramPath() : program, file)) return;
  std::wstring line;
  for (const std::string& argument : arguments) {
    std::wstring wide;
    if (!WideFromUtf8(argument, wide)) {
      errno = EINVAL;
      return;
    }
    if (!line.empty()) line += L' ';
    AppendQuoted(line, wide);
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(file.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process)) {
    FailFromLastError();
    return;
  }
  // Windows has no exec: whoever waits for this process waits for the new
  // one too, and gets its exit code.
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  ExitProcess(code);
}

bool DisplayAvailable() { return true; }

std::string_view HiddenRunVideoDriver() {
  // SDL's offscreen driver needs EGL, which Windows lacks; a window that is
  // never shown does the same.
  return "";
}

bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

namespace {

// "X:games" (relative to drive X's own current folder) and "/games" (at the
// current drive's root) depend on more than the current folder: Windows
// knows what they stand for.
bool NeedsTheDrive(std::string_view path) {
  const bool driveRelative = path.size() >= 2 && path[1] == ':' &&
                             ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                             (path.size() == 2 || !IsSeparator(path[2]));
  const bool rootOfTheDrive = !path.empty() && IsSeparator(path[0]) &&
                              (path.size() == 1 || !IsSeparator(path[1]));
  return driveRelative || rootOfTheDrive;
}

}  // namespace

std::string PathFromPlatform(std::string_view path) {
  std::string text(path);
  std::wstring wide;
  if (NeedsTheDrive(text) && WideFromUtf8(text, wide)) {
    for (wchar_t& c : wide) {
      if (c == L'/') c = L'\\';
    }
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD n = size == 0 ? 0 : GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (n > 0 && n < size) {
      full.resize(n);
      return PathFromWide(full);
    }
  }
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  return text;
}

size_t PathRootLength(std::string_view path) {
  // "C:/..."
  if (path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
      path[1] == ':' && IsSeparator(path[2])) {
    return 3;
  }
  // "//server/share/..."
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    size_t at = 2;
    for (int part = 0; part < 2 && at < path.size(); ++part) {
      while (at < path.size() && !IsSeparator(path[at])) ++at;
      if (at < path.size()) ++at;
    }
    return at;
  }
  // "/...": the root of the current drive.
  if (!path.empty() && IsSeparator(path[0])) return 1;
  return 0;
}

std::string CanonicalPath(const std::string& path) {
  std::wstring wide;
  if (!WidePath(path, wide)) return "";
  const HANDLE file = CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    FailFromLastError();
    return "";
  }
  std::wstring buffer(MAX_PATH, L'\0');
  DWORD n = GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      FILE_NAME_NORMALIZED);
  if (n >= buffer.size()) {
    buffer.resize(n + 1);
    n = GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                  FILE_NAME_NORMALIZED);
  }
  CloseHandle(file);
  if (n == 0 || n >= buffer.size()) return "";
  buffer.resize(n);
  return PathFromWide(buffer);
}
