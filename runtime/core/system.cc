// The platform services that read the same on every platform, built on the
// ones each platform's folder provides.
#include "runtime/core/system.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

double NowMs() {
  using Clock = std::chrono::steady_clock;
  static const Clock::time_point origin = Clock::now();
  return std::chrono::duration<double, std::milli>(Clock::now() - origin).count();
}

int32_t UtcOffsetSeconds(std::time_t when) {
  std::tm local{};
  std::tm utc{};
  if (!LocalCalendarTime(when, local) || !UtcCalendarTime(when, utc)) return 0;
  // The two calendar times are at most a day apart: years differ only
  // across New Year, when the earlier one stands on its year's last day.
  int64_t days = local.tm_yday - utc.tm_yday;
  if (local.tm_year != utc.tm_year) days = local.tm_year > utc.tm_year ? 1 : -1;
  const int64_t seconds = ((days * 24 + local.tm_hour - utc.tm_hour) * 60 + local.tm_min -
                           utc.tm_min) * 60 + local.tm_sec - utc.tm_sec;
  return static_cast<int32_t>(seconds);
}

std::string ProgramFolder() {
  std::string path = ProgramPath();
  size_t cut = path.find_last_of('/');
  if (cut == std::string::npos) return "";
  return path.substr(0, cut + 1);
}

bool ChangeToProgramFolder() { return ChangeToFolder(ProgramFolder()); }

std::string ToHostPath(std::string_view path) {
  std::string host(path);
  for (char& c : host) {
    if (c == '\\') c = '/';
  }
  return host;
}

bool IsAbsolutePath(std::string_view path) { return PathRootLength(path) > 0; }

std::string AbsolutePath(const std::string& path) {
  std::string whole = PathFromPlatform(path);
  if (!IsAbsolutePath(whole)) {
    const std::string current = CurrentFolder();
    if (current.empty()) return path;
    whole = current + "/" + whole;
  }
  const size_t rootLength = PathRootLength(whole);
  std::string root = whole.substr(0, rootLength);
  std::vector<std::string> parts;
  size_t at = rootLength;
  while (at <= whole.size()) {
    size_t end = whole.find('/', at);
    if (end == std::string::npos) end = whole.size();
    const std::string part = whole.substr(at, end - at);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();  // ".." above the root stays at the root
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    at = end + 1;
  }
  std::string tidy = root;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) tidy += '/';
    tidy += parts[i];
  }
  return tidy;
}

bool SameFile(const FileInfo& a, const FileInfo& b) {
  return a.Kind != FileKind::kNone && a.Device == b.Device && a.Identity == b.Identity;
}

bool MakeFolders(const std::string& path, unsigned mode) {
  if (path.empty()) return false;
  const size_t root = PathRootLength(path);
  for (size_t at = root; at <= path.size(); ++at) {
    if (at != path.size() && path[at] != '/') continue;
    if (at == 0 || (at > 0 && path[at - 1] == '/')) continue;  // no empty parts
    const std::string part = path.substr(0, at);
    if (part.size() <= root) continue;
    if (!MakeFolder(part, mode) && errno != EEXIST) return false;
  }
  FileInfo info;
  return PathInfo(path, info) && info.Kind == FileKind::kFolder;
}

int CreateFileNoFollow(const std::string& path) {
  return OpenFileForWriting(path, FileCreation::kPrivate);
}

std::string DescribeRefusal(const FolderCandidate& candidate) {
  const std::string& path = candidate.Path;
  switch (candidate.Check) {
    case FolderCheck::kUsable:
      return path + " is usable";
    case FolderCheck::kNotAbsolute:
      return path + " is not an absolute path";
    case FolderCheck::kMissing:
      return path + " does not exist";
    case FolderCheck::kCannotCreate:
      return path + " cannot be made (" + std::strerror(candidate.Error) + ")";
    case FolderCheck::kLink:
      return path + " is a link";
    case FolderCheck::kNotAFolder:
      return path + " is not a folder";
    case FolderCheck::kOtherOwner:
      return path + " belongs to another user";
    case FolderCheck::kWrongMode: {
      char mode[16];
      std::snprintf(mode, sizeof mode, "%04o", candidate.Mode);
      return path + " has mode " + mode + ", not 0700";
    }
  }
  return path;
}

std::string PrivateTempFolder() {
  PrivateFolderChoice choice = ChoosePrivateFolder();
  static std::atomic<bool> told{false};
  if (choice.Folder.empty() && !told.exchange(true)) {
    std::string reasons;
    for (const FolderCandidate& candidate : choice.Refused) {
      reasons += (reasons.empty() ? "" : "; ") + DescribeRefusal(candidate);
    }
    std::fprintf(stderr,
                 "No private folder: %s. Archive members stay in memory and the log goes to "
                 "stderr.\n",
                 reasons.c_str());
  }
  return choice.Folder;
}
