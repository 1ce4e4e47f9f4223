// Platform services of the runtime, in one place: the clock, sleeping, the
// program's own path and folder, the private temporary folder, and path
// spelling. Every other file reaches the operating system through these or
// through the standard library.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Milliseconds of a monotonic clock, with sub-millisecond resolution.
double NowMs();

// Blocks the thread for the given whole number of milliseconds (0 or less: no wait).
void SleepWholeMs(int ms);

// Full path of the running program file ("" when it cannot be found).
std::string ProgramPath();

// Folder of the running program file, ending in "/" ("" when unknown).
std::string ProgramFolder();

// Makes the program's folder the current folder; returns false when that fails.
bool ChangeToProgramFolder();
// Makes the given folder the current folder; returns false when that fails.
bool ChangeToFolder(const std::string& folder);

// --- The private per-user folder ---
// The runtime keeps its log and the archive members it unpacks in a folder
// no other user can enter. Candidates, in this order:
//   1. $XDG_RUNTIME_DIR/ombrel, when $XDG_RUNTIME_DIR is an absolute path to
//      a folder of this user with mode 0700 (the desktop's own per-user
//      folder, which no other user can create first);
//   2. $TMPDIR/ombrel-<uid>, or /tmp/ombrel-<uid> when $TMPDIR is unset or
//      not an absolute path.
// A candidate is created with mode 0700 when missing, and refused when it is
// a link, not a folder, owned by another user or not of mode 0700 (a folder
// that others could enter may hold what they left there). With no usable
// candidate the runtime works without one: archive members stay in memory
// and the log goes to stderr.

// Why a candidate folder was not taken.
enum class FolderCheck : int {
  kUsable = 0,
  kNotAbsolute,   // the variable naming it holds a relative path
  kMissing,       // $XDG_RUNTIME_DIR does not exist
  kCannotCreate,  // mkdir failed (Error says why)
  kLink,          // a link in its place, which is never followed
  kNotAFolder,
  kOtherOwner,
  kWrongMode,  // not mode 0700 (Mode holds what it has)
};

struct FolderCandidate {
  std::string Path;
  FolderCheck Check = FolderCheck::kUsable;
  int Error = 0;      // errno for kCannotCreate
  unsigned Mode = 0;  // permission bits for kWrongMode
};

struct PrivateFolderChoice {
  std::string Folder;                    // the folder to use; "" when none is usable
  std::vector<FolderCandidate> Refused;  // the candidates passed over, in order
};

// Looks at the candidates in order, creating the one it settles on.
PrivateFolderChoice ChoosePrivateFolder();

// "<path> is a link", "<path> has mode 0755, not 0700", ...
std::string DescribeRefusal(const FolderCandidate& candidate);

// The chosen folder, without a trailing "/"; "" when none is usable. The
// first time none is usable, one line on stderr says why.
std::string PrivateTempFolder();

// Game paths may use "\" as separator; the host wants "/".
std::string ToHostPath(std::string_view path);

// Opens (creating or truncating) a file for writing without following a
// link in its last component; mode 0600. Returns the descriptor or -1.
int CreateFileNoFollow(const std::string& path);
