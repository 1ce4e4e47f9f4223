// Reading and writing the settings file. Every key is described once, with
// how its value is read and written; the reader checks the file as a whole
// first (size, text, line lengths, section count), then each value.
#include "player/settings/settings.h"

#include <errno.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include "player/settings/control_names.h"
#include "runtime/core/system.h"
#include "runtime/files/file_io.h"
#include "runtime/files/text_lines.h"
#include "runtime/values/rt_string.h"

namespace {

// Far beyond any real settings file; anything larger is not one.
constexpr uint64_t kMaxFileBytes = 64 * 1024;
constexpr size_t kMaxSections = 256;

struct Setting {
  std::string Section;
  std::string Key;
  std::string Expected;  // what a good value looks like, for messages
  std::function<bool(std::string_view, PlayerSettings&)> Read;
  std::function<std::string(const PlayerSettings&)> Write;
};

char Fold(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Fold(c);
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool ReadWhole(std::string_view text, int32_t low, int32_t high, int32_t& out) {
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    return false;
  }
  out = value;
  return true;
}

bool ReadSwitch(std::string_view text, bool& out) {
  for (const char* yes : {"1", "true", "yes", "on"}) {
    if (SameIgnoringCase(text, yes)) return out = true, true;
  }
  for (const char* no : {"0", "false", "no", "off"}) {
    if (SameIgnoringCase(text, no)) return out = false, true;
  }
  return false;
}

bool ReadWord(std::string_view text, std::initializer_list<const char*> words, std::string& out) {
  for (const char* word : words) {
    if (SameIgnoringCase(text, word)) return out = word, true;
  }
  return false;
}

// Numbers as from_chars reads them: digits, a point, a sign only in front of
// them or of the exponent. Libraries without floating-point from_chars and
// to_chars (Emscripten 3.1's) read with strtod what passes that check, and
// write the fewest digits that read back the same value.
bool ParseDouble(std::string_view text, double& value) {
#if defined(__cpp_lib_to_chars)
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
#else
  if (text.empty() || text[0] == '+' || text.find_first_not_of("0123456789.-+eE") != text.npos) {
    return false;
  }
  const std::string copy(text);
  char* end = nullptr;
  value = std::strtod(copy.c_str(), &end);
  return end == copy.c_str() + copy.size();
#endif
}

std::string ShortestText(double value) {
#if defined(__cpp_lib_to_chars)
  char buffer[32];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : "";
#else
  char buffer[40];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
    if (std::strtod(buffer, nullptr) == value) break;
  }
  return buffer;
#endif
}

bool ReadFraction(std::string_view text, double& out) {
  double value = 0;
  if (!ParseDouble(text, value) || !std::isfinite(value) || value < 0 || value > 1) {
    return false;
  }
  out = value;
  return true;
}

bool ReadGuid(std::string_view text, std::string& out) {
  if (SameIgnoringCase(text, "auto")) return out.clear(), true;
  if (text.size() != 32) return false;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  out = Lower(text);
  return true;
}

// An absolute folder, or one under the home folder ("~/Pictures").
bool ReadFolder(std::string_view text, std::string& out) {
  if (text.empty() || (text[0] != '/' && text.substr(0, 2) != "~/")) return false;
  out = std::string(text);
  return true;
}

std::string SwitchText(bool on) {
  return on ? "1" : "0";
}

std::string FractionText(double value) {
  const std::string text = ShortestText(value);
  return text.empty() ? "0.5" : text;
}

std::vector<Setting> MakeSettings() {
  std::vector<Setting> s;
  s.push_back({"video", "scale", "auto or a whole number from 1 to 8",
               [](std::string_view t, PlayerSettings& v) {
                 if (SameIgnoringCase(t, "auto")) return v.Video.Scale = 0, true;
                 return ReadWhole(t, 1, 8, v.Video.Scale);
               },
               [](const PlayerSettings& v) {
                 return v.Video.Scale == 0 ? std::string("auto") : std::to_string(v.Video.Scale);
               }});
  s.push_back(
      {"video", "fullscreen", "0 or 1",
       [](std::string_view t, PlayerSettings& v) { return ReadSwitch(t, v.Video.FullScreen); },
       [](const PlayerSettings& v) { return SwitchText(v.Video.FullScreen); }});
  s.push_back({"video", "scale-mode", "integer, fit or stretch",
               [](std::string_view t, PlayerSettings& v) {
                 return ReadWord(t, {"integer", "fit", "stretch"}, v.Video.ScaleMode);
               },
               [](const PlayerSettings& v) { return v.Video.ScaleMode; }});
  s.push_back({"video", "filter", "nearest or linear",
               [](std::string_view t, PlayerSettings& v) {
                 return ReadWord(t, {"nearest", "linear"}, v.Video.Filter);
               },
               [](const PlayerSettings& v) { return v.Video.Filter; }});
  s.push_back({"video", "vsync", "auto, 0 or 1",
               [](std::string_view t, PlayerSettings& v) {
                 if (SameIgnoringCase(t, "auto")) return v.Video.VSync = -1, true;
                 bool on = false;
                 if (!ReadSwitch(t, on)) return false;
                 v.Video.VSync = on ? 1 : 0;
                 return true;
               },
               [](const PlayerSettings& v) {
                 return v.Video.VSync < 0 ? std::string("auto") : SwitchText(v.Video.VSync != 0);
               }});
  const struct {
    const char* Key;
    int32_t AudioSettings::*Field;
  } levels[] = {{"volume", &AudioSettings::Volume},
                {"effects", &AudioSettings::Effects},
                {"music", &AudioSettings::Music}};
  for (const auto& level : levels) {
    auto field = level.Field;
    s.push_back({"audio", level.Key, "a whole number from 0 to 100",
                 [field](std::string_view t, PlayerSettings& v) {
                   return ReadWhole(t, 0, 100, v.Audio.*field);
                 },
                 [field](const PlayerSettings& v) { return std::to_string(v.Audio.*field); }});
  }
  s.push_back({"audio", "mute", "0 or 1",
               [](std::string_view t, PlayerSettings& v) { return ReadSwitch(t, v.Audio.Mute); },
               [](const PlayerSettings& v) { return SwitchText(v.Audio.Mute); }});
  for (int32_t p = 0; p < kBoundPlayers; ++p) {
    for (int32_t c = 0; c < kPlayerControls; ++c) {
      const auto control = static_cast<PlayerControl>(c);
      s.push_back({"keys", "player" + std::to_string(p + 1) + "." + ControlKeyName(control),
                   "a comma-separated list of key names",
                   [p, c](std::string_view t, PlayerSettings& v) {
                     std::string problem;
                     return ParseBinding(t, v.Keys[p][c], problem);
                   },
                   [p, c](const PlayerSettings& v) { return BindingText(v.Keys[p][c]); }});
    }
  }
  s.push_back(
      {"pad", "deadzone", "a number from 0 to 1",
       [](std::string_view t, PlayerSettings& v) { return ReadFraction(t, v.Pad.Deadzone); },
       [](const PlayerSettings& v) { return FractionText(v.Pad.Deadzone); }});
  for (int32_t p = 0; p < 2; ++p) {
    s.push_back(
        {"pad", "player" + std::to_string(p + 1), "auto or a pad's GUID (32 hexadecimal digits)",
         [p](std::string_view t, PlayerSettings& v) { return ReadGuid(t, v.Pad.Players[p]); },
         [p](const PlayerSettings& v) {
           return v.Pad.Players[p].empty() ? std::string("auto") : v.Pad.Players[p];
         }});
  }
  s.push_back({"paths", "screenshots", "a folder starting with / or ~/",
               [](std::string_view t, PlayerSettings& v) { return ReadFolder(t, v.Screenshots); },
               [](const PlayerSettings& v) { return v.Screenshots; }});
  s.push_back({"replays", "record", "0 or 1",
               [](std::string_view t, PlayerSettings& v) { return ReadSwitch(t, v.RecordReplays); },
               [](const PlayerSettings& v) { return SwitchText(v.RecordReplays); }});
  return s;
}

const std::vector<Setting>& AllSettings() {
  static const std::vector<Setting> settings = MakeSettings();
  return settings;
}

bool KnownSection(std::string_view name) {
  for (const char* known : {"video", "audio", "keys", "pad", "paths", "replays"}) {
    if (SameIgnoringCase(name, known)) return true;
  }
  return false;
}

const Setting* FindSetting(std::string_view section, std::string_view key) {
  for (const Setting& setting : AllSettings()) {
    if (SameIgnoringCase(setting.Section, section) && SameIgnoringCase(setting.Key, key))
      return &setting;
  }
  return nullptr;
}

// The first entry of a setting in the table, in file order.
IniEntry* FindEntry(std::vector<IniSection>& table, const Setting& setting) {
  for (IniSection& section : table) {
    if (!SameIgnoringCase(section.Name.View(), setting.Section)) continue;
    for (IniEntry& entry : section.Entries) {
      if (SameIgnoringCase(entry.Key.View(), setting.Key)) return &entry;
    }
  }
  return nullptr;
}

// A whole-file problem that makes the text unusable, or "".
std::string TextProblem(std::string_view text) {
  size_t lineStart = 0;
  int32_t line = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      if (i - lineStart > kTextLinePiece) {
        return "line " + std::to_string(line) + " is longer than " +
               std::to_string(kTextLinePiece) + " bytes";
      }
      lineStart = i + 1;
      ++line;
    } else if (c == 0) {
      return "it holds a NUL byte (line " + std::to_string(line) + "): not a text file";
    } else if ((c < 32 && c != '\t' && c != '\r') || c == 127) {
      return "it holds control bytes (line " + std::to_string(line) + "): not a text file";
    }
  }
  if (text.size() - lineStart > kTextLinePiece) {
    return "line " + std::to_string(line) + " is longer than " + std::to_string(kTextLinePiece) +
           " bytes";
  }
  return std::string();
}

std::string Where(const std::string& name, int32_t line) {
  return line > 0 ? name + ":" + std::to_string(line) : name;
}

}  // namespace

PlayerSettings::PlayerSettings() {
  for (int32_t p = 0; p < kBoundPlayers; ++p) {
    for (int32_t c = 0; c < kPlayerControls; ++c) {
      Keys[p][c] = DefaultControlBinding(p, static_cast<PlayerControl>(c));
    }
  }
}

bool operator==(const PlayerSettings& a, const PlayerSettings& b) {
  for (const Setting& setting : AllSettings()) {
    if (setting.Write(a) != setting.Write(b)) return false;
  }
  return true;
}

const char* ControlKeyName(PlayerControl control) {
  static const char* const kNames[kPlayerControls] = {"left", "right", "up", "down", "fire"};
  const int index = static_cast<int>(control);
  return index >= 0 && index < kPlayerControls ? kNames[index] : "";
}

std::string SettingsFolder() {
  return ApplicationFolder(UserFolder::kSettings, "Zorax");
}

void ReadSettingsText(std::string_view text, const std::string& name, SettingsFile& file) {
  file.Name = name;
  file.Values = PlayerSettings{};
  file.Table.clear();
  // Some editors start a text file with a byte-order mark; it is not part of
  // the first line.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  const std::string problem = TextProblem(text);
  if (!problem.empty()) {
    file.Problems.push_back(name + ": " + problem + "; every setting keeps its default");
    file.Usable = false;
    return;
  }
  std::vector<IniSection> table = ParseIniText(text);
  if (table.size() > kMaxSections) {
    file.Problems.push_back(name + ": more than " + std::to_string(kMaxSections) +
                            " sections; every setting keeps its default");
    file.Usable = false;
    return;
  }

  std::vector<const Setting*> seen;
  for (const IniSection& section : table) {
    const int32_t firstLine = section.Entries.empty() ? 0 : section.Entries.front().Line;
    if (!KnownSection(section.Name.View())) {
      const std::string what = section.Name.Empty()
                                   ? std::string("entries before the first section")
                                   : "unknown section [" + section.Name.Std() + "]";
      file.Problems.push_back(Where(name, firstLine) + ": " + what + ", kept as it is");
      continue;
    }
    for (const IniEntry& entry : section.Entries) {
      const std::string heading = "[" + Lower(section.Name.View()) + "] " + entry.Key.Std();
      const Setting* setting = FindSetting(section.Name.View(), entry.Key.View());
      if (setting == nullptr) {
        file.Problems.push_back(Where(name, entry.Line) + ": unknown key " + heading +
                                ", kept as it is");
        continue;
      }
      if (std::find(seen.begin(), seen.end(), setting) != seen.end()) {
        file.Problems.push_back(Where(name, entry.Line) + ": " + heading +
                                " is there twice; the first one counts");
        continue;
      }
      seen.push_back(setting);
      PlayerSettings candidate = file.Values;
      if (setting->Read(Trim(entry.Value.View()), candidate)) {
        file.Values = std::move(candidate);
      } else {
        const std::string fallback = setting->Write(PlayerSettings{});
        file.Problems.push_back(Where(name, entry.Line) + ": " + heading + " = " +
                                entry.Value.Std() + ": expected " + setting->Expected + "; using " +
                                (fallback.empty() ? "the default" : fallback));
      }
    }
  }
  file.Table = std::move(table);
}

void LoadSettingsFile(const std::string& path, SettingsFile& file) {
  file = SettingsFile{};
  file.Path = path;
  file.Name = path;
  auto refuse = [&file](const std::string& why) {
    file.Problems.push_back(file.Name + ": " + why + "; every setting keeps its default");
    file.Usable = false;
  };

  FileInfo info;
  if (!LinkInfo(path, info)) {
    if (errno != ENOENT) refuse("cannot be looked at");
    return;  // no file: the defaults, and a file is made when something changes
  }
  if (info.Kind == FileKind::kLink) {
    if (!PathInfo(path, info)) return refuse("is a link to nothing");
    // Write-back goes to the file the link names, so that the link stays.
    const std::string target = CanonicalPath(path);
    if (!target.empty()) file.Path = target;
  }
  if (info.Kind == FileKind::kFolder) return refuse("is a folder");
  if (info.Kind != FileKind::kFile) return refuse("is not a regular file");
  if (info.Size > kMaxFileBytes) {
    return refuse("is larger than " + std::to_string(kMaxFileBytes / 1024) + " KiB");
  }
  std::vector<uint8_t> bytes;
  if (!ReadRegularFile(file.Path, kMaxFileBytes, bytes)) return refuse("cannot be read");
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  ReadSettingsText(text, path, file);
}

std::string SettingsText(const SettingsFile& file, const PlayerSettings& values) {
  std::vector<IniSection> table = file.Table;
  const PlayerSettings defaults;
  for (const Setting& setting : AllSettings()) {
    const std::string text = setting.Write(values);
    if (FindEntry(table, setting) != nullptr) {
      // An entry keeps its own spelling unless its value changed. A changed
      // one takes the new value, and the repeats of it (which never counted)
      // go; an empty value (a default folder) removes the entry.
      if (text == setting.Write(file.Values)) continue;
      bool first = true;
      for (IniSection& section : table) {
        if (!SameIgnoringCase(section.Name.View(), setting.Section)) continue;
        std::vector<IniEntry> kept;
        for (IniEntry& entry : section.Entries) {
          if (SameIgnoringCase(entry.Key.View(), setting.Key)) {
            if (!first || text.empty()) continue;
            first = false;
            entry.Value = RtString(std::string_view(text));
          }
          kept.push_back(std::move(entry));
        }
        section.Entries = std::move(kept);
      }
      continue;
    }
    if (text == setting.Write(defaults) || text.empty()) continue;
    IniSection* section = nullptr;
    for (IniSection& candidate : table) {
      if (SameIgnoringCase(candidate.Name.View(), setting.Section)) section = &candidate;
    }
    if (section == nullptr) {
      table.push_back(IniSection{RtString(std::string_view(setting.Section)), {}});
      section = &table.back();
    }
    section->Entries.push_back(
        IniEntry{RtString(std::string_view(setting.Key)), RtString(std::string_view(text)), 0});
  }
  return IniText(table);
}

bool SaveSettingsFile(SettingsFile& file, const PlayerSettings& values, std::string& problem) {
  if (!file.Usable) {
    problem = file.Name + " was not read, so it is not written over; the changes last for this run";
    return false;
  }
  if (file.Path.empty()) {
    problem =
        "no settings folder (no home folder is known); the changes last for "
        "this run";
    return false;
  }
  const size_t slash = file.Path.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(file.Path.substr(0, slash))) {
    problem = "cannot make the folder of " + file.Name;
    return false;
  }
  const std::string text = SettingsText(file, values);
  if (text.size() > kMaxFileBytes) {
    problem = file.Name + " would be larger than " + std::to_string(kMaxFileBytes / 1024) + " KiB";
    return false;
  }
  if (!ReplaceFileContents(file.Path, text)) {
    problem = file.Name + " cannot be written";
    return false;
  }
  // What is on disk now is what the next write-back starts from.
  const std::string name = file.Name;
  const std::string path = file.Path;
  SettingsFile written;
  ReadSettingsText(text, name, written);
  written.Path = path;
  file = std::move(written);
  return true;
}

void CopyChangedSettings(const PlayerSettings& before, const PlayerSettings& after,
                         PlayerSettings& target) {
  for (const Setting& setting : AllSettings()) {
    const std::string text = setting.Write(after);
    if (text != setting.Write(before)) setting.Read(text, target);
  }
}
