// The line file: one text file at a time, seen as 256 numbered lines that can
// be read and replaced one by one. Selecting another file writes a changed
// one back; so does the program end.
//
// Every command names its file; a path equal (byte for byte) to the selected
// one reuses what is in memory, so changes made by others meanwhile are not seen.
#pragma once

#include <array>
#include <cstdint>

#include "runtime/values/rt_string.h"

inline constexpr int32_t kLineFileLines = 256;
inline constexpr uint32_t kLineFileLineLength = 1023;

struct LineFile {
  RtString LinePath;  // the selected file, "" when none
  std::array<RtString, kLineFileLines> Lines;
  int32_t LastLine = 0;  // highest line number held
  bool Dirty = false;
};

// The runtime's one line file.
LineFile& TheLineFile();

// Line n without trailing control characters; "NO_DATA" when it is empty or n
// is outside 0..255 (which also records runtime error 7 and goes on);
// "NO_FILE" when the file can be neither found nor opened (runtime error 3
// recorded; the program goes on).
RtString LineGetText(const RtString& path, int32_t n);
double LineGetReal(const RtString& path, int32_t n);      // LineGetText as a real (atof)
int32_t LineGetInteger(const RtString& path, int32_t n);  // LineGetText as an integer (atoi)

// Stores text (at most 1023 bytes kept) as line n of the file. A line number
// outside 0..255 records runtime error 7 and changes nothing.
void LinePutText(const RtString& path, int32_t n, const RtString& text);
// As LinePutText with the number's text (10 significant digits).
void LinePutReal(const RtString& path, int32_t n, double value);

// Writes a changed line file back (program end); lines 0 .. LastLine, CR LF ended.
void WriteBackLineFile();
