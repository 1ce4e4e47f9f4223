// Process runs and picture comparison for the end-to-end tests.
#include "tests/e2e/e2e_support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "runtime/gfx2d/image_decode.h"
#include "tests/support/test_env.h"

namespace e2e {

namespace {

std::string BaseName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

}  // namespace

RunResult RunProgram(const RunRequest& request) {
  namespace fs = std::filesystem;
  RunResult result;
  fs::remove_all(request.Folder);
  fs::create_directories(request.Folder + "/tmp");
  const std::string program = request.Folder + "/" + BaseName(request.Program);
  fs::copy_file(request.Program, program, fs::copy_options::overwrite_existing);
  fs::permissions(program, fs::perms::owner_all);
  for (const std::string& file : request.Files) {
    fs::copy_file(file, request.Folder + "/" + BaseName(file),
                  fs::copy_options::overwrite_existing);
  }

  // The player's settings come from the run's own folder (none unless the
  // request names another) and recorded games go there too: never the home
  // of the user running the tests.
  std::vector<std::string> env = {"PATH=/usr/bin:/bin", "SDL_AUDIODRIVER=dummy",
                                  "TMPDIR=" + request.Folder + "/tmp",
                                  "XDG_CONFIG_HOME=" + request.Folder + "/tmp/config",
                                  "XDG_DATA_HOME=" + request.Folder + "/tmp/data"};
  if (!request.NoDisplay) env.push_back("SDL_VIDEODRIVER=offscreen");
  // A variable of the request replaces the default of that name.
  for (const std::string& entry : request.Env) {
    const std::string name = entry.substr(0, entry.find('=') + 1);
    const auto same = std::find_if(env.begin(), env.end(), [&](const std::string& e) {
      return e.compare(0, name.size(), name) == 0;
    });
    if (same != env.end()) {
      *same = entry;
    } else {
      env.push_back(entry);
    }
  }
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::vector<std::string> arguments = {program};
  arguments.insert(arguments.end(), request.Args.begin(), request.Args.end());
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const std::string stderrPath = request.Folder + "/tmp/stderr.txt";
  const std::string stdoutPath = request.Folder + "/tmp/stdout.txt";

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) return result;
  if (pid == 0) {
    // The child: only async-signal-safe calls until exec.
    if (chdir(request.Folder.c_str()) != 0) _exit(126);
    const int err = open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int out = open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (err < 0 || out < 0) _exit(126);
    dup2(err, 2);
    dup2(out, 1);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  result.Started = true;
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(request.TimeoutSeconds)) {
      result.TimedOut = true;
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  result.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.Exited = !result.TimedOut && WIFEXITED(status);
  if (result.Exited) result.ExitCode = WEXITSTATUS(status);
  result.Stderr = testenv::ReadFile(stderrPath);
  result.Stdout = testenv::ReadFile(stdoutPath);
  result.Log = testenv::ReadFile(request.Folder + "/tmp/ombrel-" + std::to_string(getuid()) +
                                 "/ErrorLog.txt");
  return result;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool ReadPicture(const std::string& path, Picture& picture) {
  ImageBuffer image;
  if (!DecodeImageFile(path, kNoColourKey, image)) return false;
  picture.Width = image.Width;
  picture.Height = image.Height;
  picture.Rgba = std::move(image.Pixels);
  return true;
}

double PictureDifference::Share() const {
  return Pixels > 0 ? static_cast<double>(Differing) / static_cast<double>(Pixels) : 0.0;
}

PictureDifference Compare(const Picture& a, const Picture& b, int32_t channelTolerance) {
  PictureDifference difference;
  difference.SameSize =
      a.Width == b.Width && a.Height == b.Height && a.Rgba.size() == b.Rgba.size();
  if (!difference.SameSize) return difference;
  difference.Pixels = int64_t{a.Width} * a.Height;
  for (size_t p = 0; p + 3 < a.Rgba.size(); p += 4) {
    int32_t largest = 0;
    // Colour channels only: the screenshots carry no meaningful alpha.
    for (size_t c = 0; c < 3; ++c) {
      largest = std::max(largest, std::abs(int32_t{a.Rgba[p + c]} - int32_t{b.Rgba[p + c]}));
    }
    difference.Largest = std::max(difference.Largest, largest);
    difference.Differing += largest > channelTolerance;
  }
  return difference;
}

bool CloseEnough(const PictureDifference& difference) {
  return difference.SameSize && difference.Pixels > 0 && difference.Share() <= kDifferingShare;
}

bool UpdatingReferences() {
  const char* update = std::getenv("ZORAX_UPDATE_REFERENCES");
  return update != nullptr && std::string(update) == "1";
}

}  // namespace e2e
