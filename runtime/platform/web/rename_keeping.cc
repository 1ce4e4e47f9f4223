// Renaming without replacing in a browser, whose file system has neither
// renameat2 nor hard links. The page runs the program on one thread and no
// other program shares its files, so a look before the rename is enough.
#include <stdio.h>

#include <cerrno>

#include "runtime/core/system.h"

int RenameKeeping(const std::string& from, const std::string& to) {
  FileInfo info;
  if (LinkInfo(to, info)) return EEXIST;
  if (rename(from.c_str(), to.c_str()) != 0) return errno;
  return 0;
}
