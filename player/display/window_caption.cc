// Game files store text as single bytes from the authoring tool's Windows
// code page; window captions want UTF-8. Text that already is UTF-8 is kept;
// anything else is read as Windows-1252, the code page those tools wrote in.
#include "player/display/window_caption.h"

#include <cstdint>

#include "game/frame_seam.h"
#include "player/player_run.h"
#include "runtime/core/window.h"

namespace {

// Longer captions only get cut by the task bar; a title screen's first line
// is a few words.
constexpr size_t kMaxCaptionBytes = 120;

// Windows-1252's 0x80..0x9F; 0 where the code page has no character.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The length of the UTF-8 sequence at text[at], 0 when there is none.
size_t Utf8SequenceAt(std::string_view text, size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  size_t length = 0;
  uint32_t least = 0;
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    least = 0x10000;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  uint32_t code = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return 0;
    code = code << 6 | (next & 0x3F);
  }
  const bool valid = code >= least && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
  return valid ? length : 0;
}

bool IsUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const size_t length = Utf8SequenceAt(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::string FromWindows1252(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const uint32_t code = byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte;
    if (code != 0) AppendUtf8(out, code);
  }
  return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\0'; }

// "S K Y L A N E" reads "Skylane", "S K Y  L A N E" "Sky Lane": single
// characters one space apart, words two apart. Spaced capitals are a way of
// setting the name, not its spelling; anything else is kept as it is.
std::string UndoLetterSpacing(std::string_view line) {
  std::string joined;
  size_t at = 0;
  while (at < line.size()) {
    const char c = line[at++];
    if (c == ' ' || static_cast<unsigned char>(c) >= 0x80) return std::string(line);
    joined += c;
    if (at == line.size()) break;
    if (line[at++] != ' ') return std::string(line);  // one space after each letter
    if (at < line.size() && line[at] == ' ') {        // and a second between words
      joined += ' ';
      ++at;
    }
  }
  if (joined.size() < 2) return std::string(line);
  bool lower = false;
  for (const char c : joined) lower = lower || (c >= 'a' && c <= 'z');
  if (lower) return joined;
  for (size_t i = 1; i < joined.size(); ++i) {
    const char c = joined[i];
    if (c >= 'A' && c <= 'Z' && joined[i - 1] != ' ') joined[i] = static_cast<char>(c - 'A' + 'a');
  }
  return joined;
}

void CaptionTheTitleScreen(const GameFrame& frame) {
  if (frame.Kind != GameFrameKind::kTitle || frame.Game == nullptr) return;
  // Once is enough: the title text never changes while the game runs.
  RemoveGameFrameObserver(CaptionTheTitleScreen);
  const std::string caption = CaptionFromTitle(frame.Game->TitleText.View());
  if (!caption.empty()) SetWindowTitle(RtString(std::string_view(caption)));
}

}  // namespace

std::string CaptionFromTitle(std::string_view titleText) {
  while (!titleText.empty()) {
    const size_t end = titleText.find('\n');
    std::string_view line = titleText.substr(0, end);
    titleText.remove_prefix(end == std::string_view::npos ? titleText.size() : end + 1);
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    if (line.empty()) continue;
    const std::string spelt = UndoLetterSpacing(line);
    std::string caption = IsUtf8(spelt) ? spelt : FromWindows1252(spelt);
    // Cut at a character's start, never inside one.
    if (caption.size() > kMaxCaptionBytes) {
      size_t cut = kMaxCaptionBytes;
      while (cut > 0 && (static_cast<unsigned char>(caption[cut]) & 0xC0) == 0x80) --cut;
      caption.resize(cut);
    }
    return caption;
  }
  return "";
}

void InstallWindowCaption() {
  const std::string name = CurrentRun().GameName;
  if (!name.empty()) SetWindowTitle(RtString(std::string_view(CaptionFromTitle(name))));
  AddGameFrameObserver(CaptionTheTitleScreen);
}
