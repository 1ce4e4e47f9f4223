// How fast --verify checks a replay, against real time and against playing
// the same frames with drawing. A scripted run of the packed demo plays 30
// seconds (1800 frames) and records its replay; then, pinned to one core,
// `skylane --verify` of that replay and the same scripted run unpaced (every
// frame drawn, nothing recorded) are each timed several times, alternating.
// Start-up and loading are measured apart with the replay of a game of a few
// frames, so that the play itself can be given in frames a second.
//
//   bench_replay_verify [runs]     (default 5; skylane must be built beside it)
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int ExitCode = -1;
  double Seconds = 0;
};

// Runs the program with the arguments and environment on core 0 only.
Outcome Run(const std::string& program, std::vector<std::string> args, std::vector<std::string> env,
            const std::string& output) {
  args.insert(args.begin(), program);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(0, &one);
    sched_setaffinity(0, sizeof one, &one);
    if (!output.empty() && std::freopen(output.c_str(), "w", stdout) == nullptr) _exit(126);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  Outcome outcome;
  outcome.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  outcome.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::string DemoScript(int frames) {
  std::ostringstream s;
  s << "5 press Right Ctrl\n40 press Left Ctrl\n";
  for (int f = 60; f < frames; f += 9) s << f << " press Right Ctrl\n";
  for (int f = 64; f < frames; f += 13) s << f << " press Left Ctrl\n";
  for (int f = 100; f + 140 < frames; f += 200) {
    s << f << " key down Left\n" << f + 40 << " key up Left\n";
    s << f + 100 << " key down Right\n" << f + 140 << " key up Right\n";
    s << f + 20 << " key down D\n" << f + 60 << " key up D\n";
  }
  s << frames + 5 << " end\n";
  return s.str();
}

// Records a scripted run of `frames` frames; returns the replay's path.
std::string Record(const std::string& skylane, const std::string& folder, int frames,
                   const std::vector<std::string>& env) {
  fs::create_directories(folder);
  std::ofstream(folder + "/script.txt") << DemoScript(frames);
  std::vector<std::string> runEnv = env;
  runEnv.push_back("SDL_VIDEODRIVER=offscreen");
  runEnv.push_back("ZORAX_SCRIPT=" + folder + "/script.txt");
  runEnv.push_back("ZORAX_UNPACED=1");
  runEnv.push_back("OMBREL_RANDOM_SEED=7");
  runEnv.push_back("XDG_DATA_HOME=" + folder + "/data");
  const Outcome outcome = Run(skylane, {}, runEnv, "");
  if (outcome.ExitCode != 0) return "";
  for (const auto& entry : fs::directory_iterator(folder + "/data/zorax/replays")) {
    return entry.path().string();
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const std::string bin = fs::canonical("/proc/self/exe").parent_path().string();
  const std::string skylane = bin + "/skylane";
  if (!fs::exists(skylane)) {
    std::fprintf(stderr, "bench_replay_verify: %s is not built\n", skylane.c_str());
    return 1;
  }
  char pattern[] = "/tmp/bench-replay-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const std::string scratch = pattern;
  const std::vector<std::string> env = {"PATH=/usr/bin:/bin", "SDL_AUDIODRIVER=dummy",
                                        "TMPDIR=" + scratch, "HOME=" + scratch};

  constexpr int kFrames = 1800;
  constexpr int kShortFrames = 12;
  const std::string replay = Record(skylane, scratch + "/long", kFrames, env);
  const std::string shortReplay = Record(skylane, scratch + "/short", kShortFrames, env);
  if (replay.empty() || shortReplay.empty()) {
    std::fprintf(stderr, "bench_replay_verify: the scripted runs made no replay\n");
    return 1;
  }

  std::vector<double> verify, startup, drawn;
  std::string line;
  std::vector<std::string> drawEnv = env;
  drawEnv.push_back("SDL_VIDEODRIVER=offscreen");
  drawEnv.push_back("ZORAX_SCRIPT=" + scratch + "/long/script.txt");
  drawEnv.push_back("ZORAX_UNPACED=1");
  drawEnv.push_back("OMBREL_RANDOM_SEED=7");
  for (int i = 0; i < runs; ++i) {
    const Outcome v = Run(skylane, {"--verify", replay}, env, scratch + "/verdict.txt");
    std::ifstream in(scratch + "/verdict.txt");
    std::getline(in, line);
    if (v.ExitCode != 0) {
      std::fprintf(stderr, "bench_replay_verify: --verify said \"%s\" (exit %d)\n", line.c_str(),
                   v.ExitCode);
      return 1;
    }
    verify.push_back(v.Seconds);
    startup.push_back(Run(skylane, {"--verify", shortReplay}, env, "/dev/null").Seconds);
    drawn.push_back(Run(skylane, {"--no-record"}, drawEnv, "").Seconds);
  }
  fs::remove_all(scratch);

  // The game may end before the script does: the replay's own frame count.
  const int frames = std::atoi(line.c_str() + line.find_first_of("0123456789"));
  const double realTime = frames / 60.0;
  const double v = Median(verify);
  const double s = Median(startup);
  const double d = Median(drawn);
  const double drawnRate = (kFrames + 5) / d;
  std::printf("replay of %d frames (%.1f s of play); --verify said: %s\n", frames, realTime,
              line.c_str());
  std::printf("medians of %d runs, one core each:\n", runs);
  std::printf("  --verify, whole process      %7.3f s  %8.0f frames/s  %6.1fx real time\n", v,
              frames / v, realTime / v);
  std::printf("  start-up and loading alone   %7.3f s  (--verify of a %d-frame replay)\n", s,
              kShortFrames);
  std::printf("  --verify, play alone         %7.3f s  %8.0f frames/s  %6.1fx real time\n", v - s,
              (frames - kShortFrames) / std::max(v - s, 1e-6),
              (frames - kShortFrames) / 60.0 / std::max(v - s, 1e-6));
  std::printf("  the scripted run, drawn      %7.3f s  %8.0f frames/s  (baseline: %d frames)\n", d,
              drawnRate, kFrames + 5);
  std::printf("  --verify (whole process) goes %.1fx as many frames a second as the drawn run\n",
              frames / v / drawnRate);
  return 0;
}
