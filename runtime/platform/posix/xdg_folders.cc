// The user's folders on POSIX desktops, after the XDG base directory and
// user directory rules. user-dirs.dirs is a shell fragment written by xdg-user-dirs:
// lines of NAME="value", where the value is an absolute path or starts with
// $HOME, and a backslash takes the next character as it is.
#include "runtime/platform/posix/xdg_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "runtime/core/system.h"

namespace {

// An environment variable that holds an absolute path ("" otherwise: the
// rules ignore relative ones).
std::string AbsoluteFromEnvironment(const char* name) {
  const std::string value = EnvironmentValue(name);
  return !value.empty() && value[0] == '/' ? value : "";
}

std::string UnderHome(const char* rest) {
  const std::string home = HomeFolder();
  return home.empty() ? "" : home + rest;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

// The inside of a double-quoted value, escapes undone; false when the value
// is not quoted or not closed.
bool Unquote(std::string_view value, std::string& out) {
  if (value.size() < 2 || value.front() != '"') return false;
  out.clear();
  for (size_t i = 1; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\\' && i + 1 < value.size()) {
      out += value[++i];
    } else if (c == '"') {
      return Trim(value.substr(i + 1)).empty();
    } else {
      out += c;
    }
  }
  return false;
}

// A short text file whole; false when it cannot be read or is over 1 MiB.
bool ReadSmallFile(const std::string& path, std::string& text) {
  constexpr size_t kLimit = size_t{1} << 20;
  text.clear();
  const int fd = OpenFileForReading(path);
  if (fd < 0) return false;
  char block[4096];
  int64_t n = 0;
  while ((n = ReadFromFile(fd, block, sizeof block)) > 0 && text.size() <= kLimit) {
    text.append(block, static_cast<size_t>(n));
  }
  CloseFile(fd);
  return n == 0 && text.size() <= kLimit;
}

}  // namespace

std::string HomeFolder() {
  if (const std::string home = EnvironmentValue("HOME"); !home.empty() && home[0] == '/') {
    return home;
  }
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  return "";
}

std::string ConfigHome() {
  std::string folder = AbsoluteFromEnvironment("XDG_CONFIG_HOME");
  return folder.empty() ? UnderHome("/.config") : folder;
}

std::string DataHome() {
  std::string folder = AbsoluteFromEnvironment("XDG_DATA_HOME");
  return folder.empty() ? UnderHome("/.local/share") : folder;
}

std::string PicturesEntry(std::string_view userDirs, const std::string& home) {
  std::string found;
  while (!userDirs.empty()) {
    const size_t end = userDirs.find('\n');
    std::string_view line = Trim(userDirs.substr(0, end));
    userDirs.remove_prefix(end == std::string_view::npos ? userDirs.size() : end + 1);
    constexpr std::string_view kName = "XDG_PICTURES_DIR=";
    if (line.substr(0, kName.size()) != kName) continue;
    std::string value;
    if (!Unquote(line.substr(kName.size()), value)) continue;
    if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/')) {
      if (home.empty()) continue;
      value = home + value.substr(5);
    }
    if (value.empty() || value[0] != '/') continue;
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    found = value;  // the last entry counts, as when the shell reads the file
  }
  return found;
}

std::string PicturesFolder() {
  std::string folder = AbsoluteFromEnvironment("XDG_PICTURES_DIR");
  if (!folder.empty()) return folder;
  const std::string config = ConfigHome();
  std::string text;
  if (!config.empty() && ReadSmallFile(config + "/user-dirs.dirs", text)) {
    folder = PicturesEntry(text, HomeFolder());
    if (!folder.empty()) return folder;
  }
  return UnderHome("/Pictures");
}

std::string ApplicationFolder(UserFolder kind, std::string_view application) {
  // The XDG folders hold programs' folders in lower case; the pictures
  // folder is the user's own, where a name reads as it is written.
  std::string lower(application);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  std::string base;
  switch (kind) {
    case UserFolder::kSettings:
      base = ConfigHome();
      return base.empty() ? "" : base + "/" + lower;
    case UserFolder::kData:
      base = DataHome();
      return base.empty() ? "" : base + "/" + lower;
    case UserFolder::kPictures:
      base = PicturesFolder();
      return base.empty() ? "" : base + "/" + std::string(application);
  }
  return "";
}
