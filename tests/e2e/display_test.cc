// The scaled window on a real X server: Skylane under Xvfb on a 1920 x 1080
// screen with a small window manager opens its window at 1280 x 960, Alt+Enter
// fills the screen with the picture at scale 2 between black bars, F12 writes
// a 640 x 480 PNG, and Escape still ends the game. Also: a bad --scale is
// refused before any window opens.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tests/support/test_env.h"

namespace {

using Clock = std::chrono::steady_clock;

// The full path of a program on PATH, "" when there is none.
std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  dirs += ":/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = std::min(dirs.find(':', start), dirs.size());
    const std::string candidate = dirs.substr(start, end - start) + "/" + name;
    if (end > start && access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

// A child process with its own environment, output going to files (or to
// a pipe for stdout). keepFd stays open in the child.
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env,
            const std::string& folder, const std::string& outPath, const std::string& errPath,
            int keepFd = -1, int stdoutFd = -1) {
  std::vector<std::string> argStore = args;
  std::vector<std::string> envStore = env;
  std::vector<char*> argv;
  for (std::string& a : argStore) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& e : envStore) envp.push_back(e.data());
  envp.push_back(nullptr);
  const pid_t pid = fork();
  if (pid != 0) return pid;
  // The child: only async-signal-safe calls until exec.
  if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(126);
  const int out =
      stdoutFd >= 0 ? stdoutFd : open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (out < 0 || err < 0) _exit(126);
  dup2(out, 1);
  dup2(err, 2);
  for (int fd = 3; fd < 256; ++fd) {
    if (fd != keepFd) close(fd);
  }
  execve(argv[0], argv.data(), envp.data());
  _exit(127);
}

// Waits for a child's end; false at the time-out (the child runs on).
bool WaitForEnd(pid_t pid, int milliseconds, int& status) {
  const auto until = Clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    if (waitpid(pid, &status, WNOHANG) == pid) return true;
    if (Clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  int status = 0;
  kill(pid, SIGTERM);
  if (!WaitForEnd(pid, 2000, status)) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
}

// Polls until check is true or the time is up.
bool Eventually(const std::function<bool()>& check, int milliseconds) {
  const auto until = Clock::now() + std::chrono::milliseconds(milliseconds);
  while (Clock::now() < until) {
    if (check()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return check();
}

// An X server of its own with a window manager, stopped at the end.
class XSession {
 public:
  explicit XSession(const std::string& folder) : folder_(folder) {}
  ~XSession() {
    Stop(windowManager_);
    Stop(server_);
  }

  // "" when the server is up, else why it is not.
  std::string Start() {
    const std::string xvfb = FindProgram("Xvfb");
    if (xvfb.empty()) return "Xvfb is not installed (scripts/install-deps installs it)";
    int fds[2];
    if (pipe(fds) != 0) return "no pipe";
    server_ = Spawn({xvfb, "-displayfd", std::to_string(fds[1]), "-screen", "0", "1920x1080x24",
                     "-nolisten", "tcp", "-noreset"},
                    {"PATH=/usr/bin:/bin"}, folder_, "/dev/null", folder_ + "/xvfb.log", fds[1]);
    close(fds[1]);
    std::string number;
    pollfd waiting{fds[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && poll(&waiting, 1, 10000) == 1) {
      char buffer[16];
      const ssize_t n = read(fds[0], buffer, sizeof buffer);
      if (n <= 0) break;
      number.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
      return "Xvfb did not start: " + testenv::ReadFile(folder_ + "/xvfb.log");
    }
    display_ = ":" + number.substr(0, number.find('\n'));
    const std::string openbox = FindProgram("openbox");
    if (!openbox.empty()) {
      windowManager_ = Spawn({openbox}, Env(), folder_, "/dev/null", folder_ + "/openbox.log");
      // A window mapped before the manager runs is never focused, and keys
      // would go nowhere: wait until it has announced itself on the root.
      const std::string xprop = FindProgram("xprop");
      const bool managing =
          !xprop.empty() && Eventually(
                                [&] {
                                  return Output({xprop, "-root", "_NET_SUPPORTING_WM_CHECK"})
                                             .find("window id") != std::string::npos;
                                },
                                20000);
      if (!managing) {
        windowManagerProblem_ =
            xprop.empty() ? "xprop is not installed (scripts/install-deps installs it)"
                          : "openbox did not start: " + testenv::ReadFile(folder_ + "/openbox.log");
        Stop(windowManager_);
        windowManager_ = -1;
      }
    }
    return "";
  }

  // Why there is no window manager.
  const std::string& WindowManagerProblem() const { return windowManagerProblem_; }

  // The id of the top-level window with this exact title (0 when there is
  // none), found in the whole window tree: xdotool's search misses windows
  // that carry only the newer UTF-8 title, as SDL's message box does.
  unsigned long FindTitled(const std::string& title) const {
    const std::string xwininfo = FindProgram("xwininfo");
    if (xwininfo.empty()) return 0;
    const std::string tree = Output({xwininfo, "-root", "-tree", "-int"});
    const std::string quoted = " \"" + title + "\":";
    const size_t at = tree.find(quoted);
    if (at == std::string::npos) return 0;
    const size_t lineStart = tree.rfind('\n', at) + 1;
    return std::strtoul(tree.c_str() + lineStart, nullptr, 10);
  }

  // Every window and its title, for a failure's message.
  std::string Tree() const {
    const std::string xwininfo = FindProgram("xwininfo");
    return xwininfo.empty() ? "" : Output({xwininfo, "-root", "-tree"});
  }

  bool HasWindowManager() const { return windowManager_ > 0; }

  std::vector<std::string> Env() const {
    return {"PATH=/usr/bin:/bin", "DISPLAY=" + display_, "HOME=" + folder_};
  }

  // What a command prints on stdout ("" when it fails). A command still
  // running after ten seconds is killed: a hung tool fails the test, not CI.
  std::string Output(const std::vector<std::string>& args) const {
    int fds[2];
    if (pipe(fds) != 0) return "";
    const pid_t pid = Spawn(args, Env(), folder_, "", folder_ + "/tool.log", -1, fds[1]);
    close(fds[1]);
    const auto until = Clock::now() + std::chrono::seconds(10);
    std::string out;
    char buffer[4096];
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
      pollfd waiting{fds[0], POLLIN, 0};
      if (left <= 0 || poll(&waiting, 1, static_cast<int>(left)) != 1) break;
      const ssize_t n = read(fds[0], buffer, sizeof buffer);
      if (n <= 0) break;
      out.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    if (!WaitForEnd(pid, 1000, status)) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
    }
    return out;
  }

 private:
  std::string folder_;
  std::string display_;
  std::string windowManagerProblem_ = "openbox is not installed (scripts/install-deps)";
  pid_t server_ = -1;
  pid_t windowManager_ = -1;
};

std::string Trim(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

TEST(DisplayOnX, TheWindowScalesFullScreenFillsTheScreenAndF12SavesTheLogicalFrame) {
  const std::string folder = testenv::MakeDir("x-session");
  XSession x(folder);
  if (const std::string problem = x.Start(); !problem.empty()) GTEST_SKIP() << problem;
  ASSERT_TRUE(x.HasWindowManager()) << x.WindowManagerProblem();
  const std::string xdotool = FindProgram("xdotool");
  const std::string import = FindProgram("import");
  ASSERT_FALSE(xdotool.empty()) << "xdotool is not installed (scripts/install-deps)";
  ASSERT_FALSE(import.empty()) << "ImageMagick is not installed (scripts/install-deps)";

  namespace fs = std::filesystem;
  const std::string run = folder + "/run";
  fs::create_directories(run + "/tmp");
  fs::copy_file(testenv::BinDir() + "/skylane", run + "/skylane");
  std::vector<std::string> env = x.Env();
  env.push_back("TMPDIR=" + run + "/tmp");
  env.push_back("XDG_PICTURES_DIR=" + folder + "/pictures");
  env.push_back("SDL_AUDIODRIVER=dummy");
  const pid_t game = Spawn({run + "/skylane"}, env, run, run + "/stdout.txt", run + "/stderr.txt");
  ASSERT_GT(game, 0);
  struct StopGame {
    pid_t Pid;
    ~StopGame() { Stop(Pid); }
  } stopGame{game};

  // Mesa's software renderer is announced in a message box first; Enter
  // dismisses it once it has the focus.
  std::string window;
  ASSERT_TRUE(Eventually(
      [&] {
        if (const unsigned long box = x.FindTitled("!!OpenGL Software Emulation!!"); box != 0) {
          x.Output({xdotool, "windowactivate", "--sync", std::to_string(box)});
          x.Output({xdotool, "key", "Return"});
        }
        // (xdotool's search ignores case: "skylane" while loading, "Skylane" after.)
        window = Trim(x.Output({xdotool, "search", "--onlyvisible", "--name", "^skylane$"}));
        return !window.empty() && window.find('\n') == std::string::npos;
      },
      30000))
      << testenv::ReadFile(run + "/stderr.txt") << "\nwindows:\n"
      << x.Tree() << "\nfocus: " << x.Output({xdotool, "getwindowfocus", "getwindowname"});
  auto geometry = [&] { return x.Output({xdotool, "getwindowgeometry", window}); };
  EXPECT_NE(geometry().find("Geometry: 1280x960"), std::string::npos) << geometry();

  x.Output({xdotool, "windowactivate", "--sync", window});
  x.Output({xdotool, "key", "--clearmodifiers", "alt+Return"});
  EXPECT_TRUE(
      Eventually([&] { return geometry().find("Geometry: 1920x1080") != std::string::npos; }, 5000))
      << geometry();
  // The screen as the X server shows it, measured: black bars around
  // (320, 60)-(1600, 1020); inside, every logical pixel a uniform 2 x 2
  // block; scaled back down, the title screen. Alt+Enter may come while
  // the game is still loading, and the first frames after the switch may
  // be laid out for the old size: the grab is repeated until the title
  // shows full screen.
  e2e::Picture title;
  ASSERT_TRUE(e2e::ReadPicture(testenv::SourceDir() + "/tests/e2e/reference/title.png", title));
  const std::string screen = folder + "/screen.png";
  e2e::Picture full;
  e2e::Picture shrunk{640, 480, std::vector<uint8_t>(640 * 480 * 4)};
  long litInBars = 0, unevenBlocks = 0, litInPicture = 0;
  auto grab = [&] {
    x.Output({import, "-window", "root", screen});
    if (!e2e::ReadPicture(screen, full) || full.Width != 1920 || full.Height != 1080) return false;
    auto at = [&](int px, int py) { return &full.Rgba[(static_cast<size_t>(py) * 1920 + px) * 4]; };
    litInBars = unevenBlocks = litInPicture = 0;
    for (int py = 0; py < 1080; ++py) {
      for (int px = 0; px < 1920; ++px) {
        const bool inside = px >= 320 && px < 1600 && py >= 60 && py < 1020;
        const uint8_t* p = at(px, py);
        const bool lit = p[0] != 0 || p[1] != 0 || p[2] != 0;
        if (!inside) litInBars += lit;
        if (inside) litInPicture += lit;
      }
    }
    for (int y = 0; y < 480; ++y) {
      for (int x2 = 0; x2 < 640; ++x2) {
        const uint8_t* corner = at(320 + 2 * x2, 60 + 2 * y);
        for (int dy = 0; dy < 2; ++dy) {
          for (int dx = 0; dx < 2; ++dx) {
            const uint8_t* p = at(320 + 2 * x2 + dx, 60 + 2 * y + dy);
            if (p[0] != corner[0] || p[1] != corner[1] || p[2] != corner[2]) ++unevenBlocks;
          }
        }
        std::copy(corner, corner + 4, &shrunk.Rgba[(static_cast<size_t>(y) * 640 + x2) * 4]);
      }
    }
    return litInBars == 0 && unevenBlocks == 0 && e2e::CloseEnough(e2e::Compare(shrunk, title));
  };
  EXPECT_TRUE(Eventually(grab, 10000))
      << litInBars << " lit pixels in the bars, " << unevenBlocks << " in uneven blocks, "
      << e2e::Compare(shrunk, title).Differing << " differ from the title; the last grab is "
      << screen;
  // The caption names the game as its title screen does, and the window's
  // class is the one the desktop entry names, so that a dock groups them.
  const std::string xprop = FindProgram("xprop");
  ASSERT_FALSE(xprop.empty()) << "xprop is not installed (scripts/install-deps)";
  EXPECT_NE(x.Output({xprop, "-id", window, "_NET_WM_NAME"}).find("= \"Skylane\"\n"),
            std::string::npos)
      << x.Output({xprop, "-id", window, "_NET_WM_NAME"});
  const std::string entry =
      testenv::ReadFile(testenv::SourceDir() + "/packaging/org.ombrel.skylane.desktop");
  const size_t classAt = entry.find("\nStartupWMClass=");
  ASSERT_NE(classAt, std::string::npos) << entry;
  const std::string wmClass = entry.substr(classAt + 16, entry.find('\n', classAt + 1) - classAt - 16);
  EXPECT_NE(x.Output({xprop, "-id", window, "WM_CLASS"}).find("\"" + wmClass + "\"\n"),
            std::string::npos)
      << x.Output({xprop, "-id", window, "WM_CLASS"});
  x.Output({xdotool, "key", "F12"});

  const std::string shots = folder + "/pictures/Zorax";
  std::string shot;
  EXPECT_TRUE(Eventually(
      [&] {
        if (!fs::is_directory(shots)) return false;
        for (const auto& entry : fs::directory_iterator(shots)) {
          if (entry.path().filename().string().rfind("skylane-", 0) == 0) {
            shot = entry.path().string();
          }
        }
        return !shot.empty();
      },
      5000));
  e2e::Picture logical;
  ASSERT_TRUE(e2e::ReadPicture(shot, logical)) << shot;
  ASSERT_EQ(logical.Width, 640);
  ASSERT_EQ(logical.Height, 480);

  // The screenshot holds the frame on the screen, unscaled.
  EXPECT_GT(litInPicture, 1000) << "the title screen shows";
  const e2e::PictureDifference difference = e2e::Compare(shrunk, logical);
  EXPECT_TRUE(e2e::CloseEnough(difference))
      << difference.Differing << " pixels differ, by up to " << difference.Largest;

  // Escape on the title screen still ends the program, with code 0. The
  // game reads the key's state once a frame: held across a few frames.
  x.Output({xdotool, "keydown", "Escape", "sleep", "0.3", "keyup", "Escape"});
  int status = 0;
  ASSERT_TRUE(WaitForEnd(game, 10000, status));
  stopGame.Pid = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  const std::string log =
      testenv::ReadFile(run + "/tmp/ombrel-" + std::to_string(getuid()) + "/ErrorLog.txt");
  EXPECT_NE(log.find("Screenshot written: " + shot), std::string::npos) << log;
  EXPECT_EQ(log.find("No Fullscreen Mode available"), std::string::npos) << log;
}

TEST(DisplayOptionsRun, ABadScaleEndsWithCode2BeforeAnyWindow) {
  const std::string folder = testenv::MakeDir("bad-scale");
  for (const char* scale : {"0", "-3", "4096", "big"}) {
    const pid_t pid = Spawn({testenv::BinDir() + "/zorax-player", "--scale", scale},
                            {"PATH=/usr/bin:/bin", "TMPDIR=" + folder}, folder, folder + "/out.txt",
                            folder + "/err.txt");
    int status = 0;
    ASSERT_TRUE(WaitForEnd(pid, 10000, status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << scale;
    EXPECT_EQ(testenv::ReadFile(folder + "/err.txt"),
              std::string("zorax-player: --scale wants a whole number from 1 to 8, not \"") +
                  scale + "\"\n");
    // No display was even looked for, and no log begun.
    EXPECT_FALSE(
        std::filesystem::exists(folder + "/ombrel-" + std::to_string(getuid()) + "/ErrorLog.txt"));
  }
}

}  // namespace
