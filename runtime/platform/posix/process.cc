// The process's surroundings on POSIX systems: its command line (already
// bytes, taken as they are), the current folder, the environment, and paths,
// which are absolute when they start with "/".
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "runtime/core/system.h"

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
  return arguments;
}

std::string_view ProgramFileSuffix() { return ""; }

bool ChangeToFolder(const std::string& folder) {
  return !folder.empty() && chdir(folder.c_str()) == 0;
}

std::string CurrentFolder() {
  std::unique_ptr<char, decltype(&std::free)> path(getcwd(nullptr, 0), &std::free);
  return path != nullptr ? std::string(path.get()) : std::string();
}

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool SetEnvironmentValue(const char* name, const std::string& value) {
  return setenv(name, value.c_str(), 1) == 0;
}

void ReplaceProcess(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<std::string> copies = arguments;
  std::vector<char*> argv;
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);
  // /proc/self/exe still reaches this program when its file has been
  // replaced (by an update) since it started.
  execv(program.empty() ? "/proc/self/exe" : program.c_str(), argv.data());
}

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

std::string PathFromPlatform(std::string_view path) { return std::string(path); }

size_t PathRootLength(std::string_view path) { return !path.empty() && path[0] == '/' ? 1 : 0; }

std::string CanonicalPath(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr), &std::free);
  return resolved != nullptr ? std::string(resolved.get()) : std::string();
}
