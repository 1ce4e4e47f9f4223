// The packed demo run with a settings file, as a player runs it: a key bound
// in the file starts the game in place of the game's own key, and a volume
// of 0 leaves the sound device's output silent while the ship fires.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/e2e/e2e_support.h"
#include "tests/support/test_env.h"

namespace {

using e2e::Picture;
using e2e::RunRequest;
using e2e::RunResult;

// A settings folder (for XDG_CONFIG_HOME) holding zorax/settings.ini.
std::string SettingsHome(const std::string& name, const std::string& text) {
  const std::string home = testenv::MakeDir(name);
  std::filesystem::create_directories(home + "/zorax");
  testenv::WriteFile(home + "/zorax/settings.ini", text);
  return home;
}

RunResult RunSkylane(const std::string& name, const std::string& script,
                     std::vector<std::string> env, bool paced = false) {
  RunRequest request;
  request.Program = testenv::BinDir() + "/skylane";
  request.Folder = testenv::TempDir() + "/" + name;
  request.Files = {testenv::SourceDir() + "/tests/e2e/scripts/" + script};
  env.push_back("OMBREL_RANDOM_SEED=7");
  env.push_back("ZORAX_SCRIPT=" + request.Folder + "/" + script);
  if (!paced) env.push_back("ZORAX_UNPACED=1");
  request.Env = env;
  const RunResult run = e2e::RunProgram(request);
  EXPECT_TRUE(run.Started);
  EXPECT_FALSE(run.TimedOut) << run.Log;
  EXPECT_EQ(run.ExitCode, 0) << run.Stderr;
  EXPECT_EQ(run.Log.find("Runtime error"), std::string::npos) << run.Log;
  return run;
}

Picture Shot(const std::string& run, const std::string& name) {
  Picture picture;
  EXPECT_TRUE(e2e::ReadPicture(testenv::TempDir() + "/" + run + "/" + name, picture))
      << run << "/" << name;
  return picture;
}

bool Same(const Picture& a, const Picture& b) {
  return a.Width > 0 && a.Width == b.Width && a.Height == b.Height && a.Rgba == b.Rgba;
}

TEST(SettingsRun, AFireKeyBoundInTheFileStartsTheGame) {
  const std::string home = SettingsHome("space-home", "[keys]\nplayer1.fire = Space\n");
  RunSkylane("own-keys", "start_on_right_ctrl.txt", {});
  RunSkylane("space", "start_on_space.txt", {"XDG_CONFIG_HOME=" + home});
  const RunResult ctrl =
      RunSkylane("space-ctrl", "start_on_right_ctrl.txt", {"XDG_CONFIG_HOME=" + home});
  EXPECT_EQ(ctrl.Log.find("settings.ini"), std::string::npos) << ctrl.Log;  // no problems

  // Space with the binding plays exactly as Right Ctrl without it.
  EXPECT_FALSE(Same(Shot("own-keys", "title.png"), Shot("own-keys", "after.png")));
  EXPECT_TRUE(Same(Shot("space", "after.png"), Shot("own-keys", "after.png")));
  // With the binding, Right Ctrl no longer fires for player 1: still the title.
  EXPECT_TRUE(Same(Shot("space-ctrl", "after.png"), Shot("space-ctrl", "title.png")));
  EXPECT_TRUE(Same(Shot("space-ctrl", "title.png"), Shot("own-keys", "title.png")));
}

// The mixed output as SDL's disk audio driver wrote it: 16-bit samples.
struct Output {
  size_t Samples = 0;
  size_t Loud = 0;  // samples that are not silent
};

Output ReadOutput(const std::string& path) {
  const std::string bytes = testenv::ReadFile(path);
  Output out;
  out.Samples = bytes.size() / 2;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    if (bytes[i] != 0 || bytes[i + 1] != 0) ++out.Loud;
  }
  return out;
}

TEST(SettingsRun, VolumeZeroIsSilentWhileFiring) {
  const std::string silent = SettingsHome("silent-home", "[audio]\nvolume = 0\n");
  const std::string audio = testenv::MakeDir("audio");
  auto disk = [&audio](const std::string& file) {
    return std::vector<std::string>{"SDL_AUDIODRIVER=disk",
                                    "SDL_DISKAUDIOFILE=" + audio + "/" + file};
  };
  std::vector<std::string> env = disk("loud.raw");
  RunSkylane("loud", "firing.txt", env, true);
  env = disk("silent.raw");
  env.push_back("XDG_CONFIG_HOME=" + silent);
  RunSkylane("silent", "firing.txt", env, true);

  const Output loud = ReadOutput(audio + "/loud.raw");
  const Output quiet = ReadOutput(audio + "/silent.raw");
  // Both runs wrote about two seconds of output; the shots are heard at the
  // game's own volume and not at all at volume 0.
  EXPECT_GT(loud.Samples, 44100u);
  EXPECT_GT(quiet.Samples, 44100u);
  EXPECT_GT(loud.Loud, 1000u);
  EXPECT_EQ(quiet.Loud, 0u);
}

}  // namespace
