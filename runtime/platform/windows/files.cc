// Files and folders on Windows. Files are opened with the wide calls and
// handed out as C runtime descriptors, so the handles are small integers as
// elsewhere. Every file is opened with all sharing allowed, deletion
// included, so that a file can be removed while another part of the program
// still reads it, as on POSIX systems (replacing one that is open by a
// rename may still be refused). Devices (CON, NUL, COM1, ...) and pipes are
// never opened as files.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <climits>
#include <random>

#include "runtime/core/system.h"
#include "runtime/platform/windows/wide_text.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE OpenHandle(const std::string& path, DWORD access, DWORD share, DWORD creation,
                  DWORD flags) {
  std::wstring wide;
  if (path.empty()) {
    errno = ENOENT;
    return INVALID_HANDLE_VALUE;
  }
  if (!WidePath(path, wide)) return INVALID_HANDLE_VALUE;
  const HANDLE handle = CreateFileW(wide.c_str(), access, share, nullptr, creation, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) FailFromLastError();
  return handle;
}

// The handle as a C runtime descriptor, which owns it from then on.
int Descriptor(HANDLE handle, int flags) {
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    errno = EMFILE;
  }
  return fd;
}

bool Describe(HANDLE handle, bool linkItself, FileInfo& info) {
  info = FileInfo{};
  const DWORD type = GetFileType(handle);
  if (type != FILE_TYPE_DISK) {
    info.Kind = FileKind::kOther;
    info.Mode = 0666;
    return true;
  }
  BY_HANDLE_FILE_INFORMATION about{};
  if (!GetFileInformationByHandle(handle, &about)) return FailFromLastError();
  const bool readOnly = (about.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  if (linkItself && (about.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    info.Kind = FileKind::kLink;
    info.Mode = 0777;
  } else if ((about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    info.Kind = FileKind::kFolder;
    info.Mode = 0777;
  } else {
    info.Kind = FileKind::kFile;
    info.Mode = readOnly ? 0444 : 0666;
  }
  info.Size = (uint64_t{about.nFileSizeHigh} << 32) | about.nFileSizeLow;
  info.Device = about.dwVolumeSerialNumber;
  info.Identity = (uint64_t{about.nFileIndexHigh} << 32) | about.nFileIndexLow;
  return true;
}

// CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$ and CONOUT$, with any
// extension, name devices in every folder; they are never opened to look.
bool IsDeviceName(const std::string& path) {
  std::string name = path.substr(path.find_last_of("/\\") + 1);
  name = name.substr(0, name.find('.'));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL" || name == "CONIN$" ||
      name == "CONOUT$") {
    return true;
  }
  return name.size() == 4 && (name.rfind("COM", 0) == 0 || name.rfind("LPT", 0) == 0) &&
         name[3] >= '1' && name[3] <= '9';
}

bool InfoAt(const std::string& path, bool linkItself, FileInfo& info) {
  info = FileInfo{};
  if (IsDeviceName(path)) {
    info.Kind = FileKind::kOther;
    info.Mode = 0666;
    return true;
  }
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (linkItself ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  const HANDLE handle = OpenHandle(path, FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING, flags);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool ok = Describe(handle, linkItself, info);
  CloseHandle(handle);
  return ok;
}

HANDLE OsHandle(int handle) { return reinterpret_cast<HANDLE>(_get_osfhandle(handle)); }

}  // namespace

bool PathInfo(const std::string& path, FileInfo& info) { return InfoAt(path, false, info); }

bool LinkInfo(const std::string& path, FileInfo& info) { return InfoAt(path, true, info); }

bool HandleInfo(int handle, FileInfo& info) {
  const HANDLE os = OsHandle(handle);
  if (os == INVALID_HANDLE_VALUE) {
    errno = EBADF;
    return false;
  }
  return Describe(os, false, info);
}

bool CanRead(const std::string& path) {
  const HANDLE handle =
      OpenHandle(path, GENERIC_READ, kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

int OpenFileForReading(const std::string& path) {
  if (IsDeviceName(path)) {
    errno = ENODEV;
    return -1;
  }
  const HANDLE handle =
      OpenHandle(path, GENERIC_READ, kShareAll, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (handle == INVALID_HANDLE_VALUE) {
    // A folder cannot be opened this way; say so as POSIX systems do.
    FileInfo info;
    if (errno == EACCES && PathInfo(path, info) && info.Kind == FileKind::kFolder) errno = EISDIR;
    return -1;
  }
  // A read from a console or a pipe could wait forever.
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    errno = ENODEV;
    return -1;
  }
  return Descriptor(handle, _O_RDONLY);
}

int OpenFileForWriting(const std::string& path, FileCreation how) {
  if (IsDeviceName(path)) {
    errno = ENODEV;
    return -1;
  }
  HANDLE handle = INVALID_HANDLE_VALUE;
  int flags = 0;
  switch (how) {
    case FileCreation::kReadWrite:
      handle = OpenHandle(path, GENERIC_READ | GENERIC_WRITE, kShareAll, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL);
      flags = _O_RDWR;
      break;
    case FileCreation::kPrivate:
    case FileCreation::kPrivateLog: {
      // A link in the private folder is never written through. The file
      // takes the folder's permissions, which admit only this user.
      FileInfo info;
      if (LinkInfo(path, info) && info.Kind != FileKind::kFile) {
        errno = info.Kind == FileKind::kFolder ? EISDIR : ELOOP;
        return -1;
      }
      const bool log = how == FileCreation::kPrivateLog;
      handle = OpenHandle(path, log ? FILE_APPEND_DATA : GENERIC_WRITE, kShareAll,
                          log ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
      flags = log ? _O_WRONLY | _O_APPEND : _O_WRONLY;
      break;
    }
  }
  if (handle == INVALID_HANDLE_VALUE) return -1;
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    errno = ENODEV;
    return -1;
  }
  return Descriptor(handle, flags);
}

int CreateUniqueFile(std::string& path) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  const size_t at = path.rfind("XXXXXX");
  if (at == std::string::npos || at + 6 != path.size()) {
    errno = EINVAL;
    return -1;
  }
  static std::mt19937 pick{std::random_device{}() ^ GetCurrentProcessId()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    for (size_t i = 0; i < 6; ++i) path[at + i] = kLetters[pick() % (sizeof kLetters - 1)];
    const HANDLE handle = OpenHandle(path, GENERIC_READ | GENERIC_WRITE, kShareAll, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL);
    if (handle != INVALID_HANDLE_VALUE) return Descriptor(handle, _O_RDWR);
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

int64_t ReadFromFile(int handle, void* buffer, size_t count) {
  const unsigned ask = count > INT_MAX ? INT_MAX : static_cast<unsigned>(count);
  return _read(handle, buffer, ask);
}

int64_t ReadFromFileAt(int handle, void* buffer, size_t count, uint64_t offset) {
  const int64_t place = _lseeki64(handle, 0, SEEK_CUR);
  if (place < 0 || _lseeki64(handle, static_cast<int64_t>(offset), SEEK_SET) < 0) return -1;
  const int64_t n = ReadFromFile(handle, buffer, count);
  const int error = errno;
  _lseeki64(handle, place, SEEK_SET);
  errno = error;
  return n;
}

int64_t WriteToFile(int handle, const void* data, size_t count) {
  const unsigned ask = count > INT_MAX ? INT_MAX : static_cast<unsigned>(count);
  return _write(handle, data, ask);
}

int64_t SeekFile(int handle, int64_t offset, SeekFrom from) {
  const int whence = from == SeekFrom::kStart ? SEEK_SET : from == SeekFrom::kEnd ? SEEK_END : SEEK_CUR;
  return _lseeki64(handle, offset, whence);
}

bool SyncFile(int handle) { return _commit(handle) == 0; }

bool CloseFile(int handle) { return _close(handle) == 0; }

bool SetFileMode(int, unsigned) {
  // Windows files have access lists instead, inherited from their folder.
  return true;
}

unsigned NewFileMode() { return 0666; }

bool EraseFile(const std::string& path) {
  std::wstring wide;
  if (path.empty() || !WidePath(path, wide)) return false;
  return DeleteFileW(wide.c_str()) != 0 || FailFromLastError();
}

bool RenameReplacing(const std::string& from, const std::string& to) {
  std::wstring wideFrom;
  std::wstring wideTo;
  if (!WidePath(from, wideFrom) || !WidePath(to, wideTo)) return false;
  return MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0 ||
         FailFromLastError();
}

int RenameKeeping(const std::string& from, const std::string& to) {
  std::wstring wideFrom;
  std::wstring wideTo;
  if (!WidePath(from, wideFrom) || !WidePath(to, wideTo)) return errno;
  if (MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_WRITE_THROUGH) != 0) return 0;
  return ErrnoFromWindowsError(GetLastError());
}

void SyncFolderOf(const std::string&) {
  // A rename made with MOVEFILE_WRITE_THROUGH is on the disk when it returns.
}

bool MakeFolder(const std::string& path, unsigned) {
  std::wstring wide;
  if (path.empty() || !WidePath(path, wide)) return false;
  // A new folder takes the access list of the one it is made in: the user's
  // own folders admit only the user.
  return CreateDirectoryW(wide.c_str(), nullptr) != 0 || FailFromLastError();
}

bool RemoveFolder(const std::string& path) {
  std::wstring wide;
  if (path.empty() || !WidePath(path, wide)) return false;
  return RemoveDirectoryW(wide.c_str()) != 0 || FailFromLastError();
}

bool ListFolder(const std::string& path, std::vector<std::string>& names, size_t limit) {
  names.clear();
  std::string pattern = path.empty() ? "." : path;
  if (pattern.back() != '/' && pattern.back() != '\\') pattern += '/';
  pattern += '*';
  std::wstring wide;
  if (!WidePath(pattern, wide)) return false;
  WIN32_FIND_DATAW entry{};
  const HANDLE find = FindFirstFileExW(wide.c_str(), FindExInfoBasic, &entry,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    // A folder with nothing in it (no "." either, at a drive's root) is readable.
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return true;
    return FailFromLastError();
  }
  do {
    const std::wstring_view name = entry.cFileName;
    if (name != L"." && name != L"..") names.push_back(Utf8FromWide(name));
  } while (names.size() < limit && FindNextFileW(find, &entry));
  FindClose(find);
  return true;
}

int CreateMemoryFile(const std::string& name, const void* data, size_t size, std::string& path) {
  // A temporary file that Windows deletes when its last handle closes, and
  // that nobody else may open for writing meanwhile.
  (void)name;
  std::wstring folder(MAX_PATH + 1, L'\0');
  const DWORD n = GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
  if (n == 0 || n > folder.size()) {
    FailFromLastError();
    return -1;
  }
  folder.resize(n);
  static std::mt19937 pick{std::random_device{}() ^ (GetCurrentProcessId() << 8)};
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = PathFromWide(folder);
    if (!path.empty() && path.back() != '/') path += '/';
    path += "ombrel-member-" + std::to_string(pick() % 1000000000u) + ".tmp";
    const HANDLE handle =
        OpenHandle(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                   CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
    if (handle == INVALID_HANDLE_VALUE) {
      if (errno == EEXIST) continue;
      break;
    }
    const int fd = Descriptor(handle, _O_RDWR);
    if (fd < 0) break;
    size_t done = 0;
    while (done < size) {
      const int64_t written = WriteToFile(fd, static_cast<const char*>(data) + done, size - done);
      if (written <= 0) break;
      done += static_cast<size_t>(written);
    }
    if (done == size && SeekFile(fd, 0, SeekFrom::kStart) == 0) return fd;
    CloseFile(fd);
    break;
  }
  path.clear();
  return -1;
}
