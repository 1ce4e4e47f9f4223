// Screenshot files. The PNG is written under a private temporary name in the
// target folder and then given its final name in one step that fails when
// the name is taken, so that two screenshots in the same second (or a file
// the user put there) are never overwritten and no half file ever carries a
// screenshot's name.
#include "player/screenshot.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "player/user_folders.h"
#include "runtime/core/program_end.h"
#include "runtime/files/file_io.h"
#include "runtime/gfx2d/image_write.h"
#include "runtime/gfx2d/screen_target.h"

namespace {

// Names taken in one second before giving up.
constexpr int kMostNamesPerSecond = 1000;

std::string BaseName(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string ScreenshotGameName(const std::string& gamePath, const std::string& program) {
  std::string name = BaseName(gamePath);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  if (name.empty() || name == "/" || name == "." || name == "..") name = BaseName(program);
  return name.empty() ? "zorax" : name;
}

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
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error || !std::filesystem::is_directory(folder, error)) {
    problem = "cannot make the folder " + folder;
    return "";
  }
  const std::string part = folder + "/.zorax-screenshot-" + std::to_string(getpid()) + ".part";
  if (!WritePng(part, width, height, rgba.data(), false)) {
    problem = "cannot write into " + folder;
    return "";
  }
  for (int n = 0; n < kMostNamesPerSecond; ++n) {
    const std::string path = folder + "/" + ScreenshotFileName(game, time, n);
    switch (RenameWithoutOverwrite(part, path)) {
      case RenameResult::kDone:
        return path;
      case RenameResult::kNameTaken:
        continue;
      case RenameResult::kFailed:
        problem = "cannot name the file " + path + ": " + std::strerror(errno);
        unlink(part.c_str());
        return "";
    }
  }
  unlink(part.c_str());
  problem = "every name for this second is taken in " + folder;
  return "";
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
    localtime_r(&now, &local);
    const std::string pictures = PicturesFolder();
    written = WriteScreenshot(pictures.empty() ? "" : pictures + "/Zorax", game, local, width,
                              height, rgba, problem);
  }
  const std::string line =
      written.empty() ? "Screenshot not written: " + problem : "Screenshot written: " + written;
  AppendErrorLog(line.c_str());
  return !written.empty();
}
