// main() of every test program: gives the process its own temporary folder
// (and settings folder) before any test runs, and each test a fresh
// subfolder of it, so that tests never meet whether each runs in a process
// of its own (ctest on Linux) or a whole suite in one (under Wine). Death
// tests re-run this program; the child keeps the parent's folder so that the
// parent can read what the child logged.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>

#include "runtime/core/system.h"
#include "tests/support/program_end_checks.h"
#include "tests/support/test_env.h"

#if defined(__SANITIZE_ADDRESS__)
#define OMBREL_TEST_LEAK_CHECKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OMBREL_TEST_LEAK_CHECKS 1
#endif
#endif

#ifdef OMBREL_TEST_LEAK_CHECKS
// Under LeakSanitizer, libraries stay loaded until the process ends: the GL
// driver that SDL loads and unloads keeps allocations of its own, and once
// unloaded its frames can no longer be named, so the leak check could
// neither tell them from ours nor match them against the third-party
// suppressions (scripts/lsan-third-party.supp).
extern "C" int dlclose(void*) noexcept {
  return 0;
}
#endif

namespace {

// A new folder "t-<random>" under base; "" when none could be made.
std::string MakeUniqueFolder(const std::string& base) {
  std::random_device seed;
  std::mt19937 pick{seed()};
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string path = base + "/t-";
    for (int i = 0; i < 8; ++i) path += kLetters[pick() % (sizeof kLetters - 1)];
    // Making the folder is the claim: a name another process took fails.
    if (MakeFolder(path, 0700)) return path;
  }
  return "";
}

// Points the temporary and settings folders at a folder.
void UseFolder(const std::string& folder) {
  // TMPDIR for POSIX systems, TMP and TEMP for the Windows temporary folder.
  for (const char* name : {"TMPDIR", "TMP", "TEMP"}) SetEnvironmentValue(name, folder);
  // The player's settings are looked for there too, never in the real home.
  SetEnvironmentValue("XDG_CONFIG_HOME", folder + "/config");
}

// Gives each test a fresh folder under the process's own.
class FolderPerTest : public ::testing::EmptyTestEventListener {
 public:
  explicit FolderPerTest(std::string base) : base_(std::move(base)) {}

  void OnTestStart(const ::testing::TestInfo&) override {
    const std::string folder = MakeUniqueFolder(base_);
    if (folder.empty()) {
      std::fprintf(stderr, "no folder for the test under %s\n", base_.c_str());
      std::_Exit(1);
    }
    UseFolder(folder);
  }

 private:
  std::string base_;
};

}  // namespace

int main(int argc, char** argv) {
  if (EnvironmentValue("OMBREL_TEST_ISOLATED").empty()) {
    std::string base = EnvironmentValue("OMBREL_TEST_TMP");
    if (base.empty()) base = testenv::Utf8Path(std::filesystem::temp_directory_path());
    while (base.size() > PathRootLength(base) && (base.back() == '/' || base.back() == '\\')) {
      base.pop_back();
    }
    MakeFolders(base, 0755);
    const std::string folder = MakeUniqueFolder(base);
    if (folder.empty()) return 1;
    UseFolder(folder);
    // The desktop's runtime folder would be shared by every test process;
    // tests that want one make their own. An empty value counts as unset.
    SetEnvironmentValue("XDG_RUNTIME_DIR", "");
    SetEnvironmentValue("OMBREL_TEST_ISOLATED", "1");
  }
  SetProgramExitHandler(ProgramEndOutsideADeathTest);
  ::testing::InitGoogleTest(&argc, argv);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // A death test's child runs in its parent's test folder.
  if (GTEST_FLAG_GET(internal_run_death_test).empty()) {
    ::testing::UnitTest::GetInstance()->listeners().Append(
        new FolderPerTest(EnvironmentValue("TMPDIR")));
  }
  return testenv::FinishTestProgram(RUN_ALL_TESTS());
}
