// Settings files of any bytes: read into settings, written back unchanged
// and changed, and read again. What is written must read back as the same
// settings, keep every section the player does not know, and a file that
// cannot be used must leave every default.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "player/settings/settings.h"

namespace {

bool KnownSection(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower == "video" || lower == "audio" || lower == "keys" || lower == "pad" ||
         lower == "paths";
}

bool HasSection(const std::vector<IniSection>& table, std::string_view name) {
  for (const IniSection& section : table) {
    if (section.Name.View() == name) return true;
  }
  return false;
}

// A change chosen by the input's last bytes, so that every kind of value is
// written back now and then.
PlayerSettings Changed(PlayerSettings values, const uint8_t* data, size_t size) {
  const uint8_t a = size > 0 ? data[size - 1] : 0;
  const uint8_t b = size > 1 ? data[size - 2] : 0;
  switch (a % 8) {
    case 0:
      values.Audio.Volume = b % 101;
      break;
    case 1:
      values.Audio.Mute = !values.Audio.Mute;
      break;
    case 2:
      values.Video.Scale = b % 9;
      values.Video.Filter = b % 2 == 0 ? "linear" : "nearest";
      break;
    case 3:
      values.Keys[b % 2][b % 5].Keys = {static_cast<uint8_t>(2 + b % 50)};
      break;
    case 4:
      values.Keys[b % 2][4].PadButtons ^= 1u << (b % 4);
      break;
    case 5:
      values.Pad.Deadzone = b / 255.0;
      break;
    case 6:
      values.Pad.Players[b % 2] = b % 3 == 0 ? "" : "0300000000000000000000000000abcd";
      break;
    default:
      values.Screenshots = b % 2 == 0 ? "" : "~/Pictures/shots";
      break;
  }
  return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (size_t{1} << 20)) return -1;
  fuzz::Setup();
  const std::string path = fuzz::WriteScratch("settings.ini", data, size);
  fuzz::RunGuarded([&] {
    SettingsFile file;
    LoadSettingsFile(path, file);
    if (!file.Usable) {
      fuzz::Require(file.Values == PlayerSettings{}, "an unusable file leaves the defaults");
      fuzz::Require(file.Problems.size() == 1, "an unusable file gives one problem");
      return;
    }

    // Written back unchanged: the same settings.
    SettingsFile again;
    ReadSettingsText(SettingsText(file, file.Values), "again", again);
    fuzz::Require(again.Usable, "what is written back can be read");
    fuzz::Require(again.Values == file.Values, "unchanged settings read back the same");

    // Written back changed, through the file: the changed settings, and
    // every section the player does not know is still there.
    const PlayerSettings changed = Changed(file.Values, data, size);
    std::string problem;
    const bool saved = SaveSettingsFile(file, changed, problem);
    fuzz::Require(saved || problem.find("larger than") != std::string::npos,
                  "a readable file can be written back");
    if (!saved) return;
    SettingsFile written;
    LoadSettingsFile(path, written);
    fuzz::Require(written.Usable, "the written file can be read");
    fuzz::Require(written.Values == changed, "changed settings read back as changed");
    for (const IniSection& section : again.Table) {
      if (KnownSection(section.Name.View())) continue;
      fuzz::Require(HasSection(written.Table, section.Name.View()), "no unknown section is lost");
    }
  });
  return 0;
}
