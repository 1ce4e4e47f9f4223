// Current folder, folder listing and wildcard matching over the platform's
// file services.
#include "runtime/files/directory.h"

#include <string>
#include <vector>

#include "runtime/core/system.h"

namespace {

char Fold(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Links are asked about what they lead to.
bool IsFolder(const std::string& name) {
  FileInfo info;
  return PathInfo(name, info) && info.Kind == FileKind::kFolder;
}

}  // namespace

RtString CurrentDirectory() {
  std::string text = CurrentFolder();
  if (text.empty()) return RtString();
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  if (text.empty() || text.back() != '/') text += '/';
  return RtString(std::string_view(text));
}

double ChangeDirectory(const RtString& path) {
  const std::string host = ToHostPath(path.View());
  return ChangeToFolder(host) ? 1.0 : 0.0;
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
  std::vector<std::string> names;
  if (ListFolder(".", names)) {
    // The folder's own entries come first, as a listing of it shows them.
    folders = {".", ".."};
    for (const std::string& name : names) {
      if (IsFolder(name)) {
        folders.push_back(name);
      } else if (MatchWildcard(pattern, RtString(std::string_view(name))) != 0) {
        files.push_back(name);
      }
    }
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
