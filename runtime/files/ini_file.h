// Initialisation files: one file at a time, held as a table of sections with
// key/value entries, looked up without regard to letter case and written back
// when another file is opened or the program ends.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "runtime/values/rt_string.h"

struct IniEntry {
  RtString Key;
  RtString Value;
  int32_t Line = 0;  // line of the file the entry was read from (1 = first); 0 when put
};

struct IniSection {
  RtString Name;
  std::vector<IniEntry> Entries;
};

struct IniStore {
  std::vector<IniSection> Sections;  // in file order
  RtString Path;                     // the file the table came from and goes back to
  bool Dirty = false;                // changed since it was loaded
};

// The runtime's one initialisation file.
IniStore& IniFile();

// Writes a changed table back to its file, then loads path (found through the
// media archive); a missing or unreadable file gives an empty table.
void IniOpen(const RtString& path);

// The value of the first matching key in the first matching section, or "NO_DATA".
RtString IniGet(const RtString& section, const RtString& key);

// Sets a value, appending the section and key when missing. An empty value
// removes the key; an empty key removes the whole section.
void IniPut(const RtString& section, const RtString& key, const RtString& value);

// Writes the table back if it changed (program end). A file that cannot be
// written is skipped silently.
void WriteBackIniFile();

// The sections of an initialisation file's text (sections without entries are dropped).
std::vector<IniSection> ParseIniText(std::string_view text);

// The text the table is written back as: "[name]" and "key=value" lines, CR LF ended.
std::string IniText(const std::vector<IniSection>& sections);
