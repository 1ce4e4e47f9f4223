// The private per-user folder on POSIX systems: $XDG_RUNTIME_DIR/ombrel, else
// ombrel-<uid> in the temporary folder; a folder of this user's, mode 0700,
// never reached through a link.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "runtime/core/system.h"

namespace {

// An environment variable's value when set, non-empty and absolute; the
// variable's own check says which of these it failed.
FolderCheck AbsoluteVariable(const char* name, std::string& value) {
  value = EnvironmentValue(name);
  if (value.empty()) return FolderCheck::kMissing;
  if (value[0] != '/') return FolderCheck::kNotAbsolute;
  while (value.size() > 1 && value.back() == '/') value.pop_back();
  return FolderCheck::kUsable;
}

// What makes a folder private: a folder (not a link to one), ours, mode 0700.
FolderCandidate CheckFolderInfo(FolderCandidate candidate, const FileInfo& info) {
  if (info.Kind == FileKind::kLink) {
    candidate.Check = FolderCheck::kLink;
  } else if (info.Kind != FileKind::kFolder) {
    candidate.Check = FolderCheck::kNotAFolder;
  } else if (!info.OwnedByUser) {
    candidate.Check = FolderCheck::kOtherOwner;
  } else if ((info.Mode & 0777) != 0700) {
    candidate.Check = FolderCheck::kWrongMode;
    candidate.Mode = info.Mode & 0777;
  }
  return candidate;
}

// Creates the folder when missing, then checks it without following a link.
FolderCandidate MakePrivateFolder(const std::string& path) {
  FolderCandidate candidate{path};
  if (!MakeFolder(path, 0700) && errno != EEXIST) {
    candidate.Check = FolderCheck::kCannotCreate;
    candidate.Error = errno;
    return candidate;
  }
  FileInfo info;
  if (!LinkInfo(path, info)) {
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
    FileInfo info;
    if (!PathInfo(runtimeDir, info)) {
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
