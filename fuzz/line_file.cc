// Line files of any bytes: every line read, one replaced, the file written
// back and read again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "runtime/files/line_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (size_t{1} << 20)) return -1;
  fuzz::Setup();
  const std::string name = fuzz::WriteScratch("lines.txt", data, size);
  const RtString path{std::string_view(name)};
  fuzz::RunGuarded([&] {
    RtString lines[kLineFileLines];
    for (int32_t n = 0; n < kLineFileLines; ++n) {
      lines[n] = LineGetText(path, n);
      fuzz::Require(lines[n].Length() <= kLineFileLineLength, "line length");
      fuzz::Require(lines[n].View().find('\n') == std::string_view::npos, "no line feed kept");
    }
    (void)LineGetInteger(path, 3);
    (void)LineGetReal(path, 4);
    const int32_t last = TheLineFile().LastLine;
    fuzz::Require(last >= 0 && last < kLineFileLines, "last line in range");
    LinePutText(path, 7, "replaced");
    WriteBackLineFile();
    // Another file selected and this one again: it is read from disk anew.
    (void)LineGetText(RtString(std::string_view(name + ".none")), 0);
    fuzz::Require(LineGetText(path, 7).View() == "replaced", "the replaced line reads back");
    for (int32_t n = 0; n < kLineFileLines; ++n) {
      if (n == 7) continue;
      fuzz::Require(LineGetText(path, n).View() == lines[n].View(), "other lines survive");
    }
  });
  return 0;
}
