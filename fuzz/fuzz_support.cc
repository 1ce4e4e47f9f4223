#include "fuzz/fuzz_support.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/core/program_end.h"
#include "runtime/files/archive.h"
#include "runtime/files/channels.h"
#include "runtime/files/ini_file.h"
#include "runtime/files/line_file.h"

namespace fuzz {
namespace {

[[noreturn]] void ReturnToHarness() {
  throw ProgramEnded{};
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  return remove(path);
}

// The scratch folder goes when the fuzzer ends normally; after a crash it
// stays for a look at what the input left behind.
void RemoveScratchDir() {
  nftw(ScratchDir().c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string MakeScratchDir() {
  const char* base = std::getenv("TMPDIR");
  std::string folder = (base != nullptr && base[0] != '\0') ? base : "/tmp";
  folder += "/ombrel-fuzz-" + std::to_string(getpid());
  mkdir(folder.c_str(), 0700);
  return folder;
}

}  // namespace

std::string& StartFolder();

const std::string& ScratchDir() {
  static const std::string folder = MakeScratchDir();
  return folder;
}

// The folder the fuzzer was started in: the program end changes to the
// program's folder, and the fuzzer's relative corpus paths must keep working.
std::string& StartFolder() {
  static std::string folder;
  return folder;
}

void Setup() {
  static bool done = false;
  if (done) return;
  done = true;
  char here[4096];
  if (getcwd(here, sizeof here) == nullptr) Violation("cannot tell the current folder");
  StartFolder() = here;
  // Unpacked members and the error log go below the scratch folder, so that
  // parallel fuzzers never share them.
  setenv("TMPDIR", ScratchDir().c_str(), 1);
  unsetenv("XDG_RUNTIME_DIR");
  std::atexit(RemoveScratchDir);
  SetProgramExitHandler(ReturnToHarness);
}

std::string WriteScratch(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = ScratchDir() + "/" + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) Violation("cannot write the scratch file");
  if (size > 0 && std::fwrite(data, 1, size, file) != size) Violation("short scratch write");
  std::fclose(file);
  return path;
}

void ResetRuntime() {
  CloseAllChannels();
  LineFile& lines = TheLineFile();
  lines.Dirty = false;
  lines.LinePath = "";
  for (RtString& line : lines.Lines) line = "";
  lines.LastLine = 0;
  IniStore& ini = IniFile();
  ini.Dirty = false;
  ini.Sections.clear();
  ini.Path = "";
  CloseArchiveReaders();
  RuntimeErrors() = ErrorState{};
  DeleteErrorLog();
  if (!StartFolder().empty() && chdir(StartFolder().c_str()) != 0) {
    Violation("cannot return to the start folder");
  }
}

void Violation(const char* what) {
  std::fprintf(stderr, "fuzz property violated: %s\n", what);
  std::fflush(stderr);
  std::abort();
}

}  // namespace fuzz
