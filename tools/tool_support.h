// What every zorax-tool command shares: its entry point type, error lines on
// stderr with the exit codes that go with them, and argument helpers.
#pragma once

#include <string>
#include <vector>

// A command's entry: the arguments after the command name; returns the exit code.
using ToolCommandMain = int (*)(const std::vector<std::string>& args);

inline constexpr int kToolOk = 0;
inline constexpr int kToolFailed = 1;    // a file could not be read, written or understood
inline constexpr int kToolBadUsage = 2;  // the arguments are wrong

// Prints "zorax-tool COMMAND: message" on stderr; returns kToolFailed.
int ToolFailure(const std::string& command, const std::string& message);

// Prints "zorax-tool COMMAND: message (see 'zorax-tool COMMAND --help')" on
// stderr; returns kToolBadUsage.
int ToolUsageError(const std::string& command, const std::string& message);

// True when args ask for help ("--help" or "-h").
bool WantsHelp(const std::vector<std::string>& args);

// The one FILE a command takes ("--" may stand before it): true with file
// set, or false after the usage error (`exitCode` is then kToolBadUsage).
bool OneFileArgument(const std::string& command, const std::vector<std::string>& args,
                     std::string& file, int& exitCode);

// The last component of a path.
std::string BaseName(const std::string& path);
