// A small program for the Windows platform tests: started with --replace it
// puts another run of itself in its place with the arguments listed in a
// file (each ending in a line feed), and that run (--echo) writes the arguments it received back out, one
// a line, and ends with exit code 7 for the test to see through the first.
#include <string>
#include <vector>

#include "runtime/core/system.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::string bytes;
  const int file = OpenFileForReading(path);
  if (file < 0) return bytes;
  char buffer[4096];
  for (int64_t n; (n = ReadFromFile(file, buffer, sizeof buffer)) > 0;) bytes.append(buffer, n);
  CloseFile(file);
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = ProgramArguments(argc, argv);
  if (args.size() >= 4 && args[1] == "--replace") {
    std::vector<std::string> next = {args[0], "--echo", args[3]};
    const std::string list = ReadAll(args[2]);
    // Each argument ends in a line feed.
    for (size_t at = 0, end; (end = list.find('\n', at)) != std::string::npos; at = end + 1) {
      next.push_back(list.substr(at, end - at));
    }
    ReplaceProcess("", next);
    return 3;  // it could not be started
  }
  if (args.size() >= 3 && args[1] == "--echo") {
    std::string text;
    for (size_t i = 3; i < args.size(); ++i) text += args[i] + "\n";
    const int file = OpenFileForWriting(args[2], FileCreation::kReadWrite);
    if (file < 0) return 4;
    WriteToFile(file, text.data(), text.size());
    CloseFile(file);
    return 7;
  }
  return 2;
}
