// Installs the files subsystem's release function in the program end.
#include "runtime/files/files_teardown.h"

#include "runtime/core/program_end.h"
#include "runtime/files/channels.h"
#include "runtime/files/ini_file.h"
#include "runtime/files/line_file.h"

namespace {

void ReleaseFiles() {
  CloseAllChannels();
  WriteBackLineFile();
  WriteBackIniFile();
}

}  // namespace

void EnsureFilesTeardown() {
  SetTeardownHook(TeardownStep::kChannels, ReleaseFiles);
}
