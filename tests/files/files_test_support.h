// Shared by the files tests: a working folder per test, made current.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "runtime/core/system.h"
#include "tests/support/program_end_checks.h"
#include "tests/support/test_env.h"

// A working folder of this test process, made current. It is not emptied:
// each test runs in a process of its own with a fresh $TMPDIR, and the child
// of a death test, which runs SetUp again, must find what its parent made.
inline std::string EnterWorkFolder(const std::string& name) {
  const std::string folder = testenv::TempDir() + "/" + name;
  MakeFolders(folder, 0755);
  EXPECT_TRUE(ChangeToFolder(folder));
  return folder;
}

class InFreshFolder : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = EnterWorkFolder("work"); }
  std::string folder_;
};
