// main() of every test program: gives the process its own temporary folder
// (and settings folder) before any test runs. Death tests re-run this
// program; the child keeps the parent's folder so that the parent can read
// what the child logged.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/program_end_checks.h"

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

int main(int argc, char** argv) {
  if (std::getenv("OMBREL_TEST_ISOLATED") == nullptr) {
    const char* root = std::getenv("OMBREL_TEST_TMP");
    std::filesystem::path base = root != nullptr ? root : std::filesystem::temp_directory_path();
    std::filesystem::create_directories(base);
    std::string pattern = (base / "t-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return 1;
    setenv("TMPDIR", pattern.c_str(), 1);
    // The player's settings are looked for there too, never in the real home.
    setenv("XDG_CONFIG_HOME", (pattern + "/config").c_str(), 1);
    // The desktop's runtime folder would be shared by every test process;
    // tests that want one make their own.
    unsetenv("XDG_RUNTIME_DIR");
    setenv("OMBREL_TEST_ISOLATED", "1", 1);
  }
  SetProgramExitHandler(ProgramEndOutsideADeathTest);
  ::testing::InitGoogleTest(&argc, argv);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  return RUN_ALL_TESTS();
}
