// Screenshot files. The PNG goes through the safe writer, which gives it its
// name only when no file has it yet: two screenshots in the same second (or
// a file the user put there) are never overwritten, and no half file ever
// carries a screenshot's name.
#include "player/display/screenshot.h"

#include <cstdio>
#include <cstring>

#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/files/file_io.h"
#include "runtime/gfx2d/image_write.h"
#include "runtime/gfx2d/screen_target.h"

namespace {

// Names taken in one second before giving up.
constexpr int kMostNamesPerSecond = 1000;

}  // namespace

std::string ScreenshotFileName(const std::string& game, const std::tm& time, int n) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", time.tm_year + 1900,
                time.tm_mon + 1, time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec);
  std::string name = game + "-" + stamp;
  if (n > 0) name += "-" + std::to_string(n);
  return name + ".png";
}

std::string WriteScreenshot(const std::string& folder, const std::string& game, const std::tm& time,
                            int32_t width, int32_t height, const std::vector<uint8_t>& rgba,
                            std::string& problem) {
  if (folder.empty()) {
    problem = "no pictures folder (neither XDG_PICTURES_DIR nor HOME is set)";
    return "";
  }
  if (width <= 0 || height <= 0 || rgba.size() != static_cast<size_t>(width) * height * 4) {
    problem = "no picture to write";
    return "";
  }
  if (!MakeFolders(folder, 0777)) {
    problem = "cannot make the folder " + folder;
    return "";
  }
  std::string png;
  if (!EncodePng(width, height, rgba.data(), false, png)) {
    problem = "cannot encode the picture";
    return "";
  }
  for (int n = 0; n < kMostNamesPerSecond; ++n) {
    const std::string path = folder + "/" + ScreenshotFileName(game, time, n);
    const FileWriteResult result = WriteFileAtomically(path, png, FilePlacement::kCreateNew);
    if (result.Status == FileWriteStatus::kWritten) return path;
    if (result.Status == FileWriteStatus::kFailed) {
      problem = "cannot write " + path + ": " + std::strerror(result.Error);
      return "";
    }
  }
  problem = "every name for this second is taken in " + folder;
  return "";
}

namespace {

// A folder the settings name for screenshots; "" for the pictures folder's.
std::string& ChosenFolder() {
  static std::string folder;
  return folder;
}

}  // namespace

void SetScreenshotFolder(const std::string& folder) {
  ChosenFolder() = folder;
}

bool TakeScreenshot(const std::string& game) {
  std::vector<uint8_t> rgba;
  int32_t width = 0;
  int32_t height = 0;
  std::string problem;
  std::string written;
  if (!ReadLogicalScreen(rgba, width, height)) {
    problem = "no picture to write";
  } else {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    LocalCalendarTime(now, local);
    std::string folder = ChosenFolder();
    if (folder.empty()) folder = ApplicationFolder(UserFolder::kPictures, "Zorax");
    written = WriteScreenshot(folder, game, local, width, height, rgba, problem);
  }
  const std::string line =
      written.empty() ? "Screenshot not written: " + problem : "Screenshot written: " + written;
  AppendErrorLog(line.c_str());
  if (!written.empty()) HandFileToUser(written);
  return !written.empty();
}
