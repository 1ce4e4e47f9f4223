// Renaming without replacing on POSIX systems, apart from the other file
// calls because a browser's file system (which shares them) has no links.
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

#include "runtime/core/system.h"

int RenameKeeping(const std::string& from, const std::string& to) {
  // renameat2 does it in one step where the file system offers it;
  // elsewhere a hard link does, and the old name is then dropped.
#if defined(__linux__) && defined(RENAME_NOREPLACE)
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
#endif
  if (link(from.c_str(), to.c_str()) != 0) return errno;
  unlink(from.c_str());
  return 0;
}
