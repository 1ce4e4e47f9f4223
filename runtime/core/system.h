// Platform services of the runtime, in one place: the clock, sleeping, the
// program's own path and folder, the private temporary folder, and path
// spelling. Every other file reaches the operating system through these or
// through the standard library.
#pragma once

#include <string>
#include <string_view>

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

// The runtime's private per-user temporary folder: $TMPDIR (else /tmp)
// followed by "ombrel-<uid>", created with mode 0700. Returns "" when the
// folder cannot be created or is refused (a link, not a folder, or owned by
// another user). The result has no trailing "/".
std::string PrivateTempFolder();

// Game paths may use "\" as separator; the host wants "/".
std::string ToHostPath(std::string_view path);

// Opens (creating or truncating) a file for writing without following a
// link in its last component; mode 0600. Returns the descriptor or -1.
int CreateFileNoFollow(const std::string& path);
