// Line splitting shared by the initialisation file and the line file.
#include "runtime/files/text_lines.h"

#include <algorithm>

bool NextTextLine(std::string_view text, size_t& at, std::string_view& line) {
  if (at >= text.size()) return false;
  const size_t room = std::min(kTextLinePiece, text.size() - at);
  const std::string_view window = text.substr(at, room);
  const size_t feed = window.find('\n');
  if (feed == std::string_view::npos) {
    line = window;
    at += room;
    // A line end right behind a full piece belongs to it: a line of 1023
    // bytes and its CR LF, or one of 1024 and its LF, is one line, not two
    // with an empty one behind. Files written back line by line read back
    // with the same line numbers.
    if (at < text.size() && text[at] == '\n') {
      ++at;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    }
    return true;
  }
  line = window.substr(0, feed);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  at += feed + 1;
  return true;
}

std::string_view TrimLineEnd(std::string_view text) {
  const size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  while (!text.empty() && static_cast<unsigned char>(text.back()) < 32) text.remove_suffix(1);
  return text;
}
