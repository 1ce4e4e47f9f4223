// Current folder, folder listing and wildcard matching over POSIX calls.
#include "runtime/files/directory.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "runtime/core/system.h"

namespace {

char Fold(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsFolder(DIR* folder, const dirent* entry) {
  if (entry->d_type == DT_DIR) return true;
  if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) return false;
  // Unknown types and links are asked about what they lead to.
  struct stat info {};
  return fstatat(dirfd(folder), entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

RtString CurrentDirectory() {
  std::unique_ptr<char, decltype(&std::free)> path(getcwd(nullptr, 0), &std::free);
  if (path == nullptr) return RtString();
  std::string text = path.get();
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  if (text.empty() || text.back() != '/') text += '/';
  return RtString(std::string_view(text));
}

double ChangeDirectory(const RtString& path) {
  const std::string host = ToHostPath(path.View());
  return !host.empty() && chdir(host.c_str()) == 0 ? 1.0 : 0.0;
}

int32_t ToForwardSlashes(RtString& text) {
  char* bytes = text.WritableBuffer(0);
  for (uint32_t i = 0; i < text.Length(); ++i) {
    if (bytes[i] == '\\') bytes[i] = '/';
  }
  return static_cast<int32_t>(text.Length());
}

double ListDirectory(const RtString& pattern, RtArray<RtString>& out) {
  std::vector<std::string> folders;
  std::vector<std::string> files;
  if (DIR* folder = opendir(".")) {
    while (const dirent* entry = readdir(folder)) {
      if (IsFolder(folder, entry)) {
        folders.emplace_back(entry->d_name);
      } else if (MatchWildcard(pattern, RtString(entry->d_name)) != 0) {
        files.emplace_back(entry->d_name);
      }
    }
    closedir(folder);
  }
  const size_t total = folders.size() + files.size();
  out.Dimension(static_cast<int32_t>(std::min<size_t>(total, INT32_MAX)));
  int32_t i = 0;
  for (const auto* group : {&folders, &files}) {
    for (const std::string& name : *group) {
      if (i >= out.DimSize(0)) break;
      out[i++] = RtString(std::string_view(name));
    }
  }
  return static_cast<double>(folders.size()) * 65536.0 + static_cast<double>(files.size());
}

int32_t MatchWildcard(const RtString& pattern, const RtString& name) {
  const std::string_view p = pattern.View();
  const std::string_view n = name.View();
  size_t pi = 0;
  size_t ni = 0;
  size_t starPattern = std::string_view::npos;  // pattern place after the latest "*"
  size_t starName = 0;                          // name place that "*" was last tried at
  while (ni < n.size()) {
    if (pi < p.size() && p[pi] == '*') {
      while (pi < p.size() && p[pi] == '*') ++pi;
      if (pi == p.size()) return 1;  // a final "*" matches any rest
      starPattern = pi;
      starName = ni;
      continue;
    }
    const bool one = pi < p.size() && (p[pi] == '?' ? n[ni] != '.' : Fold(p[pi]) == Fold(n[ni]));
    if (one) {
      ++pi;
      ++ni;
      continue;
    }
    if (starPattern == std::string_view::npos) return 0;
    // Let the latest "*" swallow one more character and try again.
    pi = starPattern;
    ni = ++starName;
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size() ? 1 : 0;
}
