// Platform services, in one place: everything the runtime, the game and the
// player layer take from the operating system. Each platform implements them
// in its own folder under runtime/platform/ (posix, windows, web); what is the
// same everywhere lives in runtime/core/system.cc. A port reads this header
// and adds one folder.
//
// Paths are UTF-8 text with "/" between the parts on every platform; the
// platform turns them into its own form (wide characters and "\" on Windows)
// only at the call into the operating system. Calls that fail return false,
// -1 or "" and leave a reason in errno (ENOENT, EACCES, EEXIST, ENOSPC, ...),
// mapped from the platform's own codes where it has others.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// --- Time ---

// Milliseconds of a monotonic clock, with sub-millisecond resolution.
double NowMs();

// Blocks the thread for the given whole number of milliseconds (0 or less: no wait).
void SleepWholeMs(int ms);

// Blocks the thread for about the given milliseconds (fractions allowed).
void SleepFractionalMs(double ms);

// How late a sleep may wake on this platform: a wait that must end on time
// sleeps until this much before its end and polls the rest.
double SleepLatenessMs();

// The calendar time of `when` in the local time zone, or in UTC; false when
// it cannot be had.
bool LocalCalendarTime(std::time_t when, std::tm& out);
bool UtcCalendarTime(std::time_t when, std::tm& out);

// Seconds that local time is ahead of UTC at `when` (negative west of
// Greenwich); 0 when the local time cannot be had.
int32_t UtcOffsetSeconds(std::time_t when);

// --- The program ---

// The command line as UTF-8 text, the program's name first. The program's
// entry calls it once, first of all: it also readies the platform (console
// output in UTF-8, a finer sleep, ...).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// What program files end in on this platform (".exe" on Windows, else "").
std::string_view ProgramFileSuffix();

// Full path of the running program file ("" when it cannot be found).
std::string ProgramPath();

// Folder of the running program file, ending in "/" ("" when unknown).
std::string ProgramFolder();

// Makes the program's folder the current folder; returns false when that fails.
bool ChangeToProgramFolder();
// Makes the given folder the current folder; returns false when that fails.
bool ChangeToFolder(const std::string& folder);
// The current folder, absolute ("" when it cannot be had).
std::string CurrentFolder();

// An environment variable's value as UTF-8; "" when unset.
std::string EnvironmentValue(const char* name);
// Sets an environment variable for this process and the programs it starts.
bool SetEnvironmentValue(const char* name, const std::string& value);

// Runs a program (this program's own file when "") with the arguments, the
// program's name first, in place of this one: on POSIX systems the process
// becomes it; on Windows it is started and this process ends with its exit
// code when it ends. Returns only when it could not be started (errno set).
void ReplaceProcess(const std::string& program, const std::vector<std::string>& arguments);

// True when there may be a display to open a window on: always on a
// desktop system; on POSIX systems when a display server is named
// ($DISPLAY, $WAYLAND_DISPLAY) or a video driver is asked for by name.
bool DisplayAvailable();

// The SDL video driver for a run that shows nothing (a replay check): one
// that needs no display where there is one ("offscreen"); "" where the
// desktop's own driver with a hidden window is the way.
std::string_view HiddenRunVideoDriver();

// True when standard error is a terminal (a bell there reaches a person).
bool StandardErrorIsTerminal();

// Runs the task once, about ms milliseconds from now, beside the program's
// own work: on a helper thread on a desktop; in a browser, which gives the
// program one thread, from the page's event loop while the program waits.
void RunLater(int ms, std::function<void()> task);

// The OpenGL context the window asks for: the compatibility profile of
// desktop OpenGL, where OpenGL 1.x is the driver's own; or OpenGL ES 2, over
// which a browser's WebGL carries the emulated OpenGL 1.x.
enum class WindowContext : int { kDesktopCompatibility, kEmbedded2 };
WindowContext WindowContextKind();

// True where the window may show what is drawn into it before the frame is
// finished: a browser shows its canvas whenever the program waits. The game
// then always draws off screen, and only finished pictures reach the window.
bool WindowShowsUnfinishedFrames();

// Hands a file the user asked for (a screenshot) to the user where the
// program's files are out of their reach: a browser offers it as a
// download. Nothing on a desktop, where it already is in the user's folders.
void HandFileToUser(const std::string& path);

// --- Paths ---

// Game paths may use "\" as separator; the host wants "/".
std::string ToHostPath(std::string_view path);

// A path as the platform's own programs and users write it, in the form used
// here ("\" becomes "/" on Windows; unchanged elsewhere, where "\" may be
// part of a name).
std::string PathFromPlatform(std::string_view path);

// Length of the root that starts an absolute path ("/" here, "C:/" or
// "//server/share/" on Windows); 0 for a relative path.
size_t PathRootLength(std::string_view path);
bool IsAbsolutePath(std::string_view path);

// The path (in the platform's form or this one) made absolute against the
// current folder and lexically tidied
// ("." and ".." parts and doubled "/" resolved as text, links not followed),
// without a trailing "/" but for a bare root.
std::string AbsolutePath(const std::string& path);

// The absolute path with every link resolved; "" when the path does not exist.
std::string CanonicalPath(const std::string& path);

// --- Files and folders ---
// Files are reached through small non-negative handles (-1: none), which
// every platform provides.

enum class FileKind : int {
  kNone,    // nothing there
  kFile,    // a regular file
  kFolder,
  kLink,    // a symbolic link or other reparse point, not followed
  kOther,   // a device, a pipe, a socket
};

struct FileInfo {
  FileKind Kind = FileKind::kNone;
  uint64_t Size = 0;
  unsigned Mode = 0;        // permission bits where the platform has them (0666/0777 elsewhere)
  bool OwnedByUser = true;  // false when the file system says another user owns it
  uint64_t Device = 0;      // with Identity, tells two names of one file apart from two files
  uint64_t Identity = 0;
};

// What is at a path, following links (PathInfo) or not following a link in
// the last part (LinkInfo); false (errno set) when nothing can be found there.
bool PathInfo(const std::string& path, FileInfo& info);
bool LinkInfo(const std::string& path, FileInfo& info);
// What an open handle is.
bool HandleInfo(int handle, FileInfo& info);
// True when both describe the same file.
bool SameFile(const FileInfo& a, const FileInfo& b);
// True when this user may read the file.
bool CanRead(const std::string& path);

// Opens an existing regular file for reading; never a folder, and never a
// device or pipe that could stall a read. -1 when that fails.
int OpenFileForReading(const std::string& path);

enum class FileCreation : int {
  kReadWrite,   // created or truncated, open for reading and writing; default permissions
  kPrivate,     // created or truncated for writing, only for this user; a link there is refused
  kPrivateLog,  // opened for appending (created when missing), only for this user; no link
};
// Opens a file for writing as `how` says; -1 when that fails.
int OpenFileForWriting(const std::string& path, FileCreation how);

// Creates a new file for this user only, open for writing, replacing the
// trailing "XXXXXX" of path with characters that make the name unused.
int CreateUniqueFile(std::string& path);

enum class SeekFrom : int { kStart, kCurrent, kEnd };

// Reads at most count bytes (fewer at the end of the file); -1 on error.
int64_t ReadFromFile(int handle, void* buffer, size_t count);
// The same at an absolute offset, leaving the file position alone.
int64_t ReadFromFileAt(int handle, void* buffer, size_t count, uint64_t offset);
// Writes at most count bytes; the number written, -1 on error.
int64_t WriteToFile(int handle, const void* data, size_t count);
// Moves the file position; the new position from the start, -1 on error.
int64_t SeekFile(int handle, int64_t offset, SeekFrom from);
// Asks for the file's data to reach the disk.
bool SyncFile(int handle);
bool CloseFile(int handle);
// Gives an open file permission bits (where the platform has them).
bool SetFileMode(int handle, unsigned mode);
// The permission bits of a new file under the process's creation mask.
unsigned NewFileMode();

bool EraseFile(const std::string& path);
// Renames from to to, replacing a file of that name.
bool RenameReplacing(const std::string& from, const std::string& to);
// Renames from to to only when nothing has that name; 0, or the errno
// (EEXIST when the name is taken).
int RenameKeeping(const std::string& from, const std::string& to);
// Asks the folder holding path to make a rename in it durable; failing is harmless.
void SyncFolderOf(const std::string& path);

// Makes one folder (mode: its permission bits where the platform has them);
// false with errno EEXIST when something is there already.
bool MakeFolder(const std::string& path, unsigned mode);
// Makes the folder and the missing ones above it (new ones with the given
// permission bits: private to the user unless asked otherwise); true when the
// folder is there in the end.
bool MakeFolders(const std::string& path, unsigned mode = 0700);
bool RemoveFolder(const std::string& path);
// The names in a folder, "." and ".." left out, at most limit of them, in
// the order the platform gives them; false (errno set) when it cannot be read.
bool ListFolder(const std::string& path, std::vector<std::string>& names,
                size_t limit = SIZE_MAX);

// A file that lives only while its handle is open, holding bytes that can no
// longer change, and a path under which it can be opened for reading. The
// runtime keeps archive members there when no folder can take them. -1
// when the platform cannot make one.
int CreateMemoryFile(const std::string& name, const void* data, size_t size, std::string& path);

// --- The private per-user folder ---
// The runtime keeps its log and the archive members it unpacks in a folder
// no other user can enter. On POSIX systems the candidates are, in this order:
//   1. $XDG_RUNTIME_DIR/ombrel, when $XDG_RUNTIME_DIR is an absolute path to
//      a folder of this user with mode 0700 (the desktop's own per-user
//      folder, which no other user can create first);
//   2. $TMPDIR/ombrel-<uid>, or /tmp/ombrel-<uid> when $TMPDIR is unset or
//      not an absolute path.
// On Windows the one candidate is "ombrel" in the user's temporary folder,
// made for this user alone. A candidate is created when missing, and refused
// when it is a link, not a folder, owned by another user or open to others
// (a folder that others could enter may hold what they left there). With no
// usable candidate the runtime works without one: archive members stay in
// memory and the log goes to stderr.

// Why a candidate folder was not taken.
enum class FolderCheck : int {
  kUsable = 0,
  kNotAbsolute,   // the variable naming it holds a relative path
  kMissing,       // $XDG_RUNTIME_DIR does not exist
  kCannotCreate,  // making it failed (Error says why)
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

// Opens (creating or truncating) a file for writing without following a
// link in its last component, for this user only. Returns the handle or -1.
int CreateFileNoFollow(const std::string& path);

// --- The user's folders ---

// The user's home folder ("" when not even that is known).
std::string HomeFolder();

enum class UserFolder : int {
  kSettings,  // settings: $XDG_CONFIG_HOME/<app>, %APPDATA%\<App>
  kData,      // kept data such as replays: $XDG_DATA_HOME/<app>, %LOCALAPPDATA%\<App>
  kPictures,  // pictures the user asked for: <pictures folder>/<App>
};

// Where the application keeps files of the kind, after the platform's
// conventions (the application's name lower-cased where they want that);
// "" when not even a home folder is known. Nothing is created.
std::string ApplicationFolder(UserFolder kind, std::string_view application);
