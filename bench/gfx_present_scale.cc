// The cost of the scaled present, headless (SDL's offscreen driver, Mesa):
//  1. one present (logical screen into the window, swap, clear) at window
//     scales 1, 2 and 3, as wall and processor time per frame, with the
//     ratios to scale 1 measured in the same run, and beside it what one
//     flat fill of the window's area costs the renderer;
//  2. the demo in play: Skylane's scripted tour without pacing at --scale 1
//     and --scale 2, as processor time per frame (a short run of the same
//     script is taken off, so that start-up does not count).
//   bench_gfx_present_scale [frames per scale, default 600]
#include <SDL.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/core/display_config.h"
#include "runtime/core/gl_api.h"
#include "runtime/core/window.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/gfx2d/sprite_store.h"

namespace {

double Ms(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0.0 : values[values.size() / 2];
}

struct PresentCost {
  double WallMs = 0;     // median per present
  double CpuMs = 0;      // processor time of the whole process per present
  double FillCpuMs = 0;  // one flat fill of the window's drawable area, for comparison
};

// What the renderer needs to write the window's pixels at all: one
// untextured quad over the whole drawable area of the window.
double FillCpuMs(int frames) {
  int width = 0, height = 0;
  SDL_GL_GetDrawableSize(Graphics()->Window, &width, &height);
  GlExt().BindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_CULL_FACE);
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, width, height, 0.0, -1.0, 1.0);
  glColor4f(0.2f, 0.4f, 0.6f, 1.0f);
  glFinish();
  const double cpuStart = Ms(CLOCK_PROCESS_CPUTIME_ID);
  for (int i = 0; i < frames; ++i) {
    glBegin(GL_QUADS);
    glVertex2i(0, 0);
    glVertex2i(0, height);
    glVertex2i(width, height);
    glVertex2i(width, 0);
    glEnd();
    glFinish();
  }
  const double spent = (Ms(CLOCK_PROCESS_CPUTIME_ID) - cpuStart) / frames;
  glPopMatrix();
  glPopAttrib();
  BindBackBuffer();
  return spent;
}

PresentCost MeasurePresent(int scale, int frames) {
  RequestedDisplay() = DisplayRequest{};
  RequestedDisplay().Scale = scale;
  if (CreateGraphicsWindow(640, 480, 0, 60, 0, 0) != 1) {
    std::fprintf(stderr, "no window at scale %d\n", scale);
    std::exit(1);
  }
  StartSpriteStore();
  StartScreenTargets();
  SetView2D(0, 0, 0, 0);
  // A full picture, as a game frame leaves it.
  for (int i = 0; i < 48; ++i) DrawRect((i % 8) * 80, (i / 8) * 80, 80, 80, i * 0x050403);
  glFinish();
  for (int i = 0; i < 30; ++i) ShowBackBuffer();  // settle
  glFinish();
  std::vector<double> wall;
  const double cpuStart = Ms(CLOCK_PROCESS_CPUTIME_ID);
  for (int i = 0; i < frames; ++i) {
    const double start = Ms(CLOCK_MONOTONIC);
    ShowBackBuffer();
    glFinish();  // the driver's own threads finish the frame inside the measurement
    wall.push_back(Ms(CLOCK_MONOTONIC) - start);
  }
  PresentCost cost;
  cost.CpuMs = (Ms(CLOCK_PROCESS_CPUTIME_ID) - cpuStart) / frames;
  cost.WallMs = Median(wall);
  cost.FillCpuMs = FillCpuMs(frames / 2);
  return cost;
}

// Processor time (user + system) of one scripted run of the demo.
double DemoCpuMs(const std::string& skylane, const std::string& script, const std::string& scale) {
  namespace fs = std::filesystem;
  const std::string folder =
      fs::temp_directory_path() / ("present-bench-" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder + "/tmp");
  std::ofstream(folder + "/run.txt") << script;
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(126);
    setenv("TMPDIR", (folder + "/tmp").c_str(), 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("OMBREL_RANDOM_SEED", "7", 1);
    setenv("ZORAX_SCRIPT", (folder + "/run.txt").c_str(), 1);
    setenv("ZORAX_UNPACED", "1", 1);
    execl(skylane.c_str(), skylane.c_str(), "--scale", scale.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  fs::remove_all(folder);
  return usage.ru_utime.tv_sec * 1000.0 + usage.ru_utime.tv_usec / 1000.0 +
         usage.ru_stime.tv_sec * 1000.0 + usage.ru_stime.tv_usec / 1000.0;
}

// Both players in play, tapping fire, for `frames` frames.
std::string PlayScript(int frames) {
  std::string script = "5 press Right Ctrl\n10 press Left Ctrl\n";
  for (int f = 20; f < frames; f += 12) script += std::to_string(f) + " press Right Ctrl\n";
  return script + std::to_string(frames) + " end\n";
}

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (std::getenv("TMPDIR") == nullptr) setenv("TMPDIR", "/tmp", 1);
  const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 600;

  std::printf("Present of one frame (%d frames per scale, offscreen driver):\n", frames);
  const PresentCost one = MeasurePresent(1, frames);
  std::printf("  scale 1: %.3f ms wall (median), %.3f ms processor (one flat fill: %.3f ms)\n",
              one.WallMs, one.CpuMs, one.FillCpuMs);
  for (int scale : {2, 3}) {
    const PresentCost cost = MeasurePresent(scale, frames);
    std::printf(
        "  scale %d: %.3f ms wall (median), %.3f ms processor;"
        " ratio to scale 1: %.2f wall, %.2f processor; processor over scale 1: %+.3f ms"
        " (one flat fill: %.3f ms)\n",
        scale, cost.WallMs, cost.CpuMs, cost.WallMs / one.WallMs, cost.CpuMs / one.CpuMs,
        cost.CpuMs - one.CpuMs, cost.FillCpuMs);
  }
  DestroyGraphicsWindow();

  const std::string skylane =
      std::filesystem::read_symlink("/proc/self/exe").parent_path() / "skylane";
  if (!std::filesystem::exists(skylane)) {
    std::printf("Demo in play: no %s (build the skylane target)\n", skylane.c_str());
    return 0;
  }
  constexpr int kShort = 60;
  constexpr int kLong = 660;
  std::printf("Demo in play (Skylane, scripted, unpaced; frames %d to %d):\n", kShort, kLong);
  double perFrame[2] = {0, 0};
  for (int run = 0; run < 3; ++run) {
    for (int i = 0; i < 2; ++i) {
      const std::string scale = i == 0 ? "1" : "2";
      const double spent = DemoCpuMs(skylane, PlayScript(kLong), scale) -
                           DemoCpuMs(skylane, PlayScript(kShort), scale);
      const double ms = spent / (kLong - kShort);
      std::printf("  run %d, --scale %s: %.3f ms processor per frame\n", run + 1, scale.c_str(),
                  ms);
      if (run == 0 || ms < perFrame[i]) perFrame[i] = ms;
    }
  }
  std::printf(
      "  best of 3: --scale 1 %.3f ms, --scale 2 %.3f ms per frame (%+.3f ms, ratio %.2f)\n",
      perFrame[0], perFrame[1], perFrame[1] - perFrame[0], perFrame[1] / perFrame[0]);
  return 0;
}
