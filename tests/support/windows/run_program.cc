// Running a program from a test on Windows: one command line quoted as the
// C runtime reads it back, both outputs into one inheritable file handle.
#include <windows.h>

#include <cstdio>

#include "tests/support/test_env.h"

namespace testenv {

namespace {

std::wstring Wide(const std::string& text) {
  if (text.empty()) return L"";
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::wstring WindowsPath(const std::string& path) {
  std::wstring wide = Wide(path);
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  return wide;
}

// Backslashes count double only before a quote, or before the closing one.
void AppendArgument(std::wstring& line, const std::wstring& argument) {
  if (!line.empty()) line += L' ';
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
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
    line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

// A file for a child's output, which the child inherits.
HANDLE OutputFile(const std::string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(WindowsPath(path).c_str(), GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int RunProgram(const std::vector<std::string>& arguments, const std::string& output_path,
               const std::string& error_path) {
  if (arguments.empty()) return -1;
  std::wstring line;
  for (const std::string& argument : arguments) AppendArgument(line, Wide(argument));
  // Under Wine, opening the output files or starting the process now and
  // then fails once while other suites start processes too: a few tries,
  // and the reason told when none succeeds.
  PROCESS_INFORMATION process{};
  bool started = false;
  DWORD failure = 0;
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    if (attempt > 0) Sleep(200);
    const HANDLE out = OutputFile(output_path);
    const HANDLE err = error_path.empty() ? out : OutputFile(error_path);
    if (out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE) {
      STARTUPINFOW startup{};
      startup.cb = sizeof startup;
      startup.dwFlags = STARTF_USESTDHANDLES;
      startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
      startup.hStdOutput = out;
      startup.hStdError = err;
      const std::wstring program = WindowsPath(arguments[0]);
      std::wstring command = line;  // CreateProcessW may write into it
      started = CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               nullptr, &startup, &process) != 0;
    }
    if (!started) failure = GetLastError();
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    if (err != out && err != INVALID_HANDLE_VALUE) CloseHandle(err);
  }
  if (!started) {
    std::fprintf(stderr, "cannot run %s: Windows error %lu\n", arguments[0].c_str(),
                 static_cast<unsigned long>(failure));
    return -1;
  }
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  const bool known = GetExitCodeProcess(process.hProcess, &code) != 0;
  CloseHandle(process.hProcess);
  return known ? static_cast<int>(code) : -1;
}

int FinishTestProgram(int result) {
  std::fflush(stdout);
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
  return result;
}

}  // namespace testenv
