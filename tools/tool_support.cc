// Error reporting and argument helpers of zorax-tool.
#include "tools/tool_support.h"

#include <cstdio>

#include "runtime/core/system.h"

int ToolFailure(const std::string& command, const std::string& message) {
  std::fprintf(stderr, "zorax-tool %s: %s\n", command.c_str(), message.c_str());
  return kToolFailed;
}

int ToolUsageError(const std::string& command, const std::string& message) {
  std::fprintf(stderr, "zorax-tool %s: %s (see 'zorax-tool %s --help')\n", command.c_str(),
               message.c_str(), command.c_str());
  return kToolBadUsage;
}

bool WantsHelp(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

std::string BaseName(const std::string& path) {
  const std::string tidy = PathFromPlatform(path);
  const size_t cut = tidy.find_last_of('/');
  return cut == std::string::npos ? tidy : tidy.substr(cut + 1);
}

bool OneFileArgument(const std::string& command, const std::vector<std::string>& args,
                     std::string& file, int& exitCode) {
  std::vector<std::string> files;
  for (const std::string& arg : args) {
    if (arg != "--") files.push_back(arg);
  }
  if (files.size() != 1) {
    exitCode = ToolUsageError(command, "give exactly one FILE");
    return false;
  }
  file = files[0];
  return true;
}
