// The program's own file in a browser: the page names it (Module.thisProgram,
// also the program's argv[0]) as the game file or packed program it put into
// the virtual file system, so that the player finds its game as beside a
// program file on a desktop.
#include <emscripten.h>

#include <vector>

#include "runtime/core/system.h"

EM_JS(int, CopyThisProgram, (char* out, int size), {
  return stringToUTF8(Module['thisProgram'] || "", out, size);
});

std::string ProgramPath() {
  std::vector<char> buffer(4096, '\0');
  CopyThisProgram(buffer.data(), static_cast<int>(buffer.size()));
  const std::string path(buffer.data());
  // A page that named nothing leaves Emscripten's "./this.program".
  if (path.empty() || path[0] != '/') return "";
  return path;
}
