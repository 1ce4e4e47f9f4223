// Initialisation files of any bytes: loaded through IniOpen, looked up,
// changed and written back; the written text must read back as the table.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "runtime/files/file_io.h"
#include "runtime/files/ini_file.h"

namespace {

bool SameTable(const std::vector<IniSection>& a, const std::vector<IniSection>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].Name.View() != b[i].Name.View() || a[i].Entries.size() != b[i].Entries.size()) {
      return false;
    }
    for (size_t j = 0; j < a[i].Entries.size(); ++j) {
      if (a[i].Entries[j].Key.View() != b[i].Entries[j].Key.View() ||
          a[i].Entries[j].Value.View() != b[i].Entries[j].Value.View()) {
        return false;
      }
    }
  }
  return true;
}

bool SameFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// What a lookup must give: the first matching key of the first matching section.
std::string_view Expected(const std::vector<IniSection>& table, const RtString& section,
                          const RtString& key) {
  for (const IniSection& s : table) {
    if (!SameFolded(s.Name.View(), section.View())) continue;
    for (const IniEntry& entry : s.Entries) {
      if (SameFolded(entry.Key.View(), key.View())) return entry.Value.View();
    }
    break;
  }
  return "NO_DATA";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (size_t{1} << 20)) return -1;
  fuzz::Setup();
  const std::string path = fuzz::WriteScratch("settings.ini", data, size);
  fuzz::RunGuarded([&] {
    IniOpen(RtString(std::string_view(path)));
    const std::vector<IniSection> loaded = IniFile().Sections;
    for (const IniSection& section : loaded) {
      for (const IniEntry& entry : section.Entries) {
        fuzz::Require(!entry.Value.Empty(), "no empty values are kept");
        fuzz::Require(
            IniGet(section.Name, entry.Key).View() == Expected(loaded, section.Name, entry.Key),
            "a lookup gives the first matching entry");
      }
    }
    // What is written back must parse to the same table.
    const std::string text = IniText(loaded);
    fuzz::Require(SameTable(ParseIniText(text), loaded), "the written text reads back the same");
    IniPut("fuzz", "key", "value");
    WriteBackIniFile();
    std::string back;
    fuzz::Require(ReadWholeFile(path, uint64_t{1} << 30, back), "the file was written back");
    IniOpen(RtString(std::string_view(path)));
    fuzz::Require(IniGet("fuzz", "key").View() == "value", "a stored key reads back");
  });
  return 0;
}
