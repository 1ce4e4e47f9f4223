// The initialisation-file table: parsing, lookups, changes and write-back.
// Write-back goes through a new file renamed over the old one, so a failed
// write leaves the old file as it was.
#include "runtime/files/ini_file.h"

#include "runtime/core/system.h"
#include "runtime/files/archive.h"
#include "runtime/files/file_io.h"
#include "runtime/files/files_teardown.h"
#include "runtime/files/text_lines.h"

namespace {

constexpr uint64_t kMaxIniFileSize = uint64_t{1} << 30;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool EndsName(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '=';
}

IniSection* FindSection(std::vector<IniSection>& sections, const RtString& name) {
  for (IniSection& section : sections) {
    if (SameIgnoringCase(section.Name.View(), name.View())) return &section;
  }
  return nullptr;
}

// Removes element i by moving the last element into its place.
template <typename T>
void RemoveByMovingLast(std::vector<T>& items, size_t i) {
  if (i + 1 != items.size()) items[i] = std::move(items.back());
  items.pop_back();
}

size_t SkipBlanks(std::string_view line, size_t at) {
  while (at < line.size() && IsBlank(line[at])) ++at;
  return at;
}

size_t NameEnd(std::string_view line, size_t at) {
  while (at < line.size() && !EndsName(line[at])) ++at;
  return at;
}

}  // namespace

IniStore& IniFile() {
  static IniStore store;
  return store;
}

std::vector<IniSection> ParseIniText(std::string_view text) {
  std::vector<IniSection> sections;
  IniSection current;
  auto closeSection = [&sections, &current]() {
    if (!current.Entries.empty()) sections.push_back(std::move(current));
    current.Entries.clear();
  };

  size_t at = 0;
  std::string_view line;
  // Lines are counted as the file shows them: the pieces of a line longer
  // than a piece share its number.
  int32_t lineNumber = 0;
  bool lineStarts = true;
  while (NextTextLine(text, at, line)) {
    if (lineStarts) ++lineNumber;
    lineStarts = text[at - 1] == '\n';
    // Texts end at their first NUL byte, so a line does too: a name or key
    // with a NUL inside would otherwise be kept cut short where the parser
    // saw it whole, and the table would not read back as it was written.
    line = line.substr(0, line.find('\0'));
    size_t p = 0;
    while (p < line.size() && (IsBlank(line[p]) || line[p] == '\r' || line[p] == '\n')) ++p;
    if (p == line.size() || line[p] == ';') continue;

    if (line[p] == '[') {
      const size_t start = SkipBlanks(line, p + 1);
      std::string_view name = line.substr(start, NameEnd(line, start) - start);
      if (!name.empty() && name.back() == ']') name.remove_suffix(1);
      RtString previous = current.Name;
      closeSection();
      // A header without a name keeps the previous section's name.
      current.Name = name.empty() ? previous : RtString(name);
      continue;
    }

    const size_t keyEnd = NameEnd(line, p);
    const std::string_view key = line.substr(p, keyEnd - p);
    size_t q = SkipBlanks(line, keyEnd);
    if (q >= line.size() || line[q] != '=') continue;
    q = SkipBlanks(line, q + 1);
    const std::string_view value = TrimLineEnd(line.substr(q));
    if (value.empty()) continue;
    current.Entries.push_back(IniEntry{RtString(key), RtString(value), lineNumber});
  }
  closeSection();
  return sections;
}

std::string IniText(const std::vector<IniSection>& sections) {
  std::string text;
  for (const IniSection& section : sections) {
    text += "[";
    text += section.Name.View();
    text += "]\r\n";
    for (const IniEntry& entry : section.Entries) {
      text += entry.Key.View();
      text += "=";
      text += entry.Value.View();
      text += "\r\n";
    }
  }
  return text;
}

void WriteBackIniFile() {
  IniStore& store = IniFile();
  if (!store.Dirty || store.Path.Empty()) return;
  const std::string host = ToHostPath(store.Path.View());
  const FileWriteResult result =
      WriteFileAtomically(host, IniText(store.Sections), FilePlacement::kReplace);
  LogFileWriteFailure(host, result);
  if (result.Status == FileWriteStatus::kWritten) store.Dirty = false;
}

void IniOpen(const RtString& path) {
  EnsureFilesTeardown();
  WriteBackIniFile();
  IniStore& store = IniFile();
  store.Sections.clear();
  store.Dirty = false;

  RtString resolved = path;
  ResolveMediaPath(MediaArchive(), path, resolved);
  // A file found nowhere yet is still the one to write back to.
  store.Path = resolved.Empty() ? path : resolved;

  std::string text;
  if (ReadWholeFile(ToHostPath(store.Path.View()), kMaxIniFileSize, text)) {
    store.Sections = ParseIniText(text);
  }
}

RtString IniGet(const RtString& section, const RtString& key) {
  IniSection* found = FindSection(IniFile().Sections, section);
  if (found != nullptr) {
    for (const IniEntry& entry : found->Entries) {
      if (SameIgnoringCase(entry.Key.View(), key.View())) return entry.Value;
    }
  }
  return RtString("NO_DATA");
}

void IniPut(const RtString& section, const RtString& key, const RtString& value) {
  EnsureFilesTeardown();
  IniStore& store = IniFile();
  if (key.Empty()) {
    IniSection* found = FindSection(store.Sections, section);
    if (found != nullptr) {
      RemoveByMovingLast(store.Sections, static_cast<size_t>(found - store.Sections.data()));
      store.Dirty = true;
    }
    return;
  }
  IniSection* target = FindSection(store.Sections, section);
  if (target == nullptr) {
    store.Sections.push_back(IniSection{section, {}});
    target = &store.Sections.back();
  }
  for (size_t i = 0; i < target->Entries.size(); ++i) {
    if (SameIgnoringCase(target->Entries[i].Key.View(), key.View())) {
      if (value.Empty()) {
        RemoveByMovingLast(target->Entries, i);
      } else {
        target->Entries[i].Value = value;
      }
      store.Dirty = true;
      return;
    }
  }
  target->Entries.push_back(IniEntry{key, value, 0});
  store.Dirty = true;
}
