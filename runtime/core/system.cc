// POSIX implementation of the runtime's platform services.
#include "runtime/core/system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

double NowMs() {
  using Clock = std::chrono::steady_clock;
  static const Clock::time_point origin = Clock::now();
  return std::chrono::duration<double, std::milli>(Clock::now() - origin).count();
}

void SleepWholeMs(int ms) {
  if (ms <= 0) return;
  timespec request{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  timespec remaining{};
  while (nanosleep(&request, &remaining) != 0 && errno == EINTR) request = remaining;
}

std::string ProgramPath() {
  std::vector<char> buffer(4096);
  ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return "";
  return std::string(buffer.data(), static_cast<size_t>(n));
}

std::string ProgramFolder() {
  std::string path = ProgramPath();
  size_t cut = path.find_last_of("/\\");
  if (cut == std::string::npos) return "";
  return path.substr(0, cut + 1);
}

bool ChangeToProgramFolder() { return ChangeToFolder(ProgramFolder()); }

bool ChangeToFolder(const std::string& folder) {
  return !folder.empty() && chdir(folder.c_str()) == 0;
}

namespace {

// An environment variable's value when set, non-empty and absolute; the
// variable's own check says which of these it failed.
FolderCheck AbsoluteVariable(const char* name, std::string& value) {
  const char* env = std::getenv(name);
  value = env != nullptr ? env : "";
  if (value.empty()) return FolderCheck::kMissing;
  if (value[0] != '/') return FolderCheck::kNotAbsolute;
  while (value.size() > 1 && value.back() == '/') value.pop_back();
  return FolderCheck::kUsable;
}

// What makes a folder private: a folder (not a link to one), ours, mode 0700.
FolderCandidate CheckFolderInfo(FolderCandidate candidate, const struct stat& info) {
  if (S_ISLNK(info.st_mode)) {
    candidate.Check = FolderCheck::kLink;
  } else if (!S_ISDIR(info.st_mode)) {
    candidate.Check = FolderCheck::kNotAFolder;
  } else if (info.st_uid != getuid()) {
    candidate.Check = FolderCheck::kOtherOwner;
  } else if ((info.st_mode & 0777) != 0700) {
    candidate.Check = FolderCheck::kWrongMode;
    candidate.Mode = info.st_mode & 0777;
  }
  return candidate;
}

// Creates the folder when missing, then checks it without following a link.
FolderCandidate MakePrivateFolder(const std::string& path) {
  FolderCandidate candidate{path};
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    candidate.Check = FolderCheck::kCannotCreate;
    candidate.Error = errno;
    return candidate;
  }
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) {
    candidate.Check = FolderCheck::kCannotCreate;
    candidate.Error = errno;
    return candidate;
  }
  return CheckFolderInfo(candidate, info);
}

}  // namespace

PrivateFolderChoice ChoosePrivateFolder() {
  PrivateFolderChoice choice;
  const std::string user = std::to_string(getuid());

  std::string runtimeDir;
  const FolderCheck runtimeVariable = AbsoluteVariable("XDG_RUNTIME_DIR", runtimeDir);
  if (runtimeVariable == FolderCheck::kNotAbsolute) {
    choice.Refused.push_back({runtimeDir, FolderCheck::kNotAbsolute});
  } else if (runtimeVariable == FolderCheck::kUsable) {
    // The base itself must be private: it is the desktop's, not ours to make.
    FolderCandidate base{runtimeDir};
    struct stat info {};
    if (stat(runtimeDir.c_str(), &info) != 0) {
      base.Check = FolderCheck::kMissing;
    } else {
      base = CheckFolderInfo(base, info);
    }
    if (base.Check != FolderCheck::kUsable) {
      choice.Refused.push_back(base);
    } else {
      FolderCandidate folder = MakePrivateFolder(runtimeDir + "/ombrel");
      if (folder.Check == FolderCheck::kUsable) {
        choice.Folder = folder.Path;
        return choice;
      }
      choice.Refused.push_back(folder);
    }
  }

  std::string tempDir;
  const FolderCheck tempVariable = AbsoluteVariable("TMPDIR", tempDir);
  if (tempVariable != FolderCheck::kUsable) tempDir = "/tmp";
  FolderCandidate folder = MakePrivateFolder(tempDir + "/ombrel-" + user);
  if (folder.Check == FolderCheck::kUsable) {
    choice.Folder = folder.Path;
  } else {
    choice.Refused.push_back(folder);
  }
  return choice;
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

std::string ToHostPath(std::string_view path) {
  std::string host(path);
  for (char& c : host) {
    if (c == '\\') c = '/';
  }
  return host;
}

int CreateFileNoFollow(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
}
