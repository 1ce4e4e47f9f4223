// Splits file text into lines the way the runtime's text files are read:
// lines end at LF (a CR right before it is dropped), a line longer than 1024
// bytes is cut into pieces of 1024 (a line end right behind a piece ends that
// piece's line), and the last line needs no line end.
#pragma once

#include <cstddef>
#include <string_view>

inline constexpr size_t kTextLinePiece = 1024;

// The next line from text at offset at, moving at past it; false when the
// text is used up.
bool NextTextLine(std::string_view text, size_t& at, std::string_view& line);

// The text up to its first NUL byte, with trailing bytes below 32 removed.
std::string_view TrimLineEnd(std::string_view text);
