// Saving pictures where the disk will not take them: SaveScreen fails with one
// log line, the older picture of that name stays whole, no half or temporary
// file is left, and the next save works once there is room again.
#include <signal.h>
#include <sys/resource.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "runtime/core/program_end.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/screen_target.h"
#include "tests/gfx2d/gl_test_util.h"
#include "tests/support/test_env.h"

namespace {

TEST(ImageSave, AFullDiskKeepsTheOlderPictureAndCostsOneLogLine) {
  ASSERT_TRUE(gltest::OpenWindow());
  const std::string dir = testenv::MakeDir("shots");
  DrawRect(0, 0, 640, 480, 0x204060);
  const std::string png = dir + "/shot.png";
  const std::string bmp = dir + "/shot.bmp";
  ASSERT_EQ(SaveScreen(png.c_str()), 1);
  ASSERT_EQ(SaveScreen(bmp.c_str()), 1);
  const std::string olderPng = testenv::ReadFile(png);
  const std::string olderBmp = testenv::ReadFile(bmp);
  DeleteErrorLog();

  DrawRect(0, 0, 640, 480, 0x00FF00);
  signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limit = saved;
  limit.rlim_cur = 1024;  // less than either picture needs, room for the log
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  const int32_t pngSaved = SaveScreen(png.c_str());
  const int32_t bmpSaved = SaveScreen(bmp.c_str());
  setrlimit(RLIMIT_FSIZE, &saved);

  EXPECT_EQ(pngSaved, 0);
  EXPECT_EQ(bmpSaved, 0);
  EXPECT_EQ(testenv::ReadFile(png), olderPng);
  EXPECT_EQ(testenv::ReadFile(bmp), olderBmp);
  EXPECT_EQ(testenv::FolderEntries(dir), (std::vector<std::string>{"shot.bmp", "shot.png"}));
  const std::string why = std::strerror(EFBIG);
  EXPECT_EQ(testenv::ReadErrorLog(),
            "Can't write " + png + ": " + why + "\r\nCan't write " + bmp + ": " + why + "\r\n");

  // With room again the same name takes the new picture.
  ASSERT_EQ(SaveScreen(png.c_str()), 1);
  EXPECT_NE(testenv::ReadFile(png), olderPng);
  ASSERT_EQ(LoadSprite(png.c_str(), 1), 1);
  EXPECT_EQ(gltest::ImageTexel(1, 10, 10), (gltest::Rgba{0, 255, 0, 255}));
}

}  // namespace
