// ReadLine over a channel, line after line to the end of any file; reading
// past the end ends the program, which the harness expects.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "runtime/files/channels.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (size_t{1} << 20)) return -1;
  fuzz::Setup();
  const std::string path = fuzz::WriteScratch("text.txt", data, size);
  bool ended = false;
  fuzz::RunGuarded([&] {
    if (OpenChannel(2, RtString(std::string_view(path)), 1) == 0) fuzz::Violation("open");
    int32_t previous = 0;
    size_t lines = 0;
    RtString line;
    while (ChannelAtEnd(2) == 0) {
      ReadLine(2, line);
      ++lines;
      fuzz::Require(line.Length() <= 1024, "a line holds at most 1024 bytes");
      fuzz::Require(line.View().find('\n') == std::string_view::npos, "no line feed kept");
      const int32_t position = ChannelPosition(2);
      fuzz::Require(position > previous, "every line consumes bytes");
      fuzz::Require(static_cast<size_t>(position) <= size, "never past the end");
      previous = position;
      fuzz::Require(lines <= size, "at most one line per byte");
    }
    fuzz::Require(static_cast<size_t>(previous) == size, "the whole file is consumed");
    ended = true;
    ReadLine(2, line);  // past the end: the program ends
    fuzz::Violation("reading past the end went on");
  });
  fuzz::Require(ended, "the file was read to its end");
  return 0;
}
