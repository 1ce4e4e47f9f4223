// zorax-tool: the command-line companion of the player. This file only picks
// the command; each family of commands lives in a file of its own.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/archive_commands.h"
#include "tools/build_command.h"
#include "tools/check_command.h"
#include "tools/export_command.h"
#include "tools/replay_info_command.h"
#include "runtime/core/system.h"
#include "tools/tool_support.h"

namespace {

struct ToolCommand {
  const char* Name;
  const char* Summary;
  ToolCommandMain Main;
};

const ToolCommand kCommands[] = {
    {"pack", "append a media archive of files to a copy of a program", PackCommand},
    {"list", "show the members of a program's media archive", ListCommand},
    {"extract", "unpack members of a program's media archive", ExtractCommand},
    {"build", "write a game file from a readable game description", BuildCommand},
    {"check", "report what the player would make of a game file", CheckCommand},
    {"replay-info", "show what a recorded game (.zrp) holds", ReplayInfoCommand},
    {"export", "make a game's downloads for Linux, Windows and the web", ExportCommand},
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage: zorax-tool COMMAND [ARGS]\n\ncommands:\n");
  for (const ToolCommand& command : kCommands) {
    std::fprintf(out, "  %-11s %s\n", command.Name, command.Summary);
  }
  std::fprintf(out, "\n'zorax-tool COMMAND --help' describes a command's arguments.\n");
}

}  // namespace

int main(int argc, char** argv) {
  // The command line as UTF-8 on every platform.
  const std::vector<std::string> arguments = ProgramArguments(argc, argv);
  if (arguments.size() < 2) {
    std::fprintf(stderr, "zorax-tool: no command given (see 'zorax-tool --help')\n");
    return kToolBadUsage;
  }
  const std::string& name = arguments[1];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintUsage(stdout);
    return kToolOk;
  }
  for (const ToolCommand& command : kCommands) {
    if (name == command.Name) {
      return command.Main(std::vector<std::string>(arguments.begin() + 2, arguments.end()));
    }
  }
  std::fprintf(stderr, "zorax-tool: unknown command '%s' (see 'zorax-tool --help')\n",
               name.c_str());
  return kToolBadUsage;
}
