// zorax-tool export as an author runs it: the demo's description becomes
// downloads for every platform whose player is there, the Linux program in
// its archive plays the scripted tour exactly as the build's own player does,
// a second export gives the same bytes, and every bad input is refused with
// one line, exit code 2 and nothing written. The players are laid out in a
// folder of the test's own (ZORAX_PLAYERS), the Windows and web ones as
// stand-ins: the packing does not depend on what the player program is.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/core/system.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/test_env.h"
#include "tools/export_command.h"
#include "tools/release_archives.h"

namespace {

struct ToolRun {
  int Exit = -1;
  std::string Out;
  std::string Err;
};

class ExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testenv::MakeDir("export");
    players_ = testenv::MakeDir("export/players");
    testenv::MakeDir("export/players/linux");
    testenv::MakeDir("export/players/windows");
    testenv::MakeDir("export/players/windows/licenses");
    testenv::MakeDir("export/players/windows/licenses/SDL2");
    testenv::MakeDir("export/players/web");
    player_ = testenv::ReadFile(testenv::BinDir() + "/../players/linux/zorax-player");
    ASSERT_FALSE(player_.empty()) << "the build makes players/linux/zorax-player";
    testenv::WriteFile(players_ + "/linux/zorax-player", player_);
    testenv::WriteFile(players_ + "/windows/zorax-player.exe", "MZ stand-in player");
    testenv::WriteFile(players_ + "/windows/licenses/SDL2/LICENSE.txt", "zlib licence");
    testenv::WriteFile(players_ + "/web/index.html",
                       "<html><title>Demo</title>\n<script>\n  var zoraxGame = { files: ['demo'] };\n"
                       "</script></html>\n");
    testenv::WriteFile(players_ + "/web/zorax-player.wasm", std::string("\0asm", 4));
    SetEnvironmentValue("ZORAX_PLAYERS", players_);
  }

  void TearDown() override { SetEnvironmentValue("ZORAX_PLAYERS", ""); }

  ToolRun Export(std::vector<std::string> args) {
    args.insert(args.begin(), {testenv::Program("zorax-tool"), "export"});
    ToolRun run;
    run.Exit = testenv::RunProgram(args, folder_ + "/stdout", folder_ + "/stderr");
    run.Out = testenv::ReadFile(folder_ + "/stdout");
    run.Err = testenv::ReadFile(folder_ + "/stderr");
    return run;
  }

  std::string Description() const { return testenv::SourceDir() + "/demo/skylane.json"; }

  std::string folder_;
  std::string players_;
  std::string player_;
};

// The names a zip or tar file lists, as the system's own tools read them.
std::vector<std::string> Listed(const std::string& command) {
  const std::string out = testenv::TempDir() + "/listing";
  std::vector<std::string> names;
  if (testenv::RunProgram(testenv::Words(command), out) != 0) return {"(cannot list)"};
  for (const std::string& line : e2e::Lines(testenv::ReadFile(out))) {
    if (!line.empty()) names.push_back(line);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(ExportTest, TheDescriptionBecomesEveryDownloadAndTheLinuxOnePlaysTheTour) {
  const std::string out = folder_ + "/out";
  const ToolRun first = Export({Description(), out});
  ASSERT_EQ(first.Exit, 0) << first.Err;
  EXPECT_EQ(first.Err, "") << "every player is there and the description names all its media";
  EXPECT_EQ(testenv::FolderEntries(out),
            (std::vector<std::string>{"Skylane-linux-x64.tar.gz", "Skylane-web", "Skylane-web.zip",
                                      "Skylane-windows-x64.zip"}));
  EXPECT_EQ(Listed("/usr/bin/tar -tzf " + out + "/Skylane-linux-x64.tar.gz"),
            (std::vector<std::string>{"Skylane/", "Skylane/README.txt", "Skylane/Skylane"}));
  EXPECT_EQ(Listed("/usr/bin/unzip -Z1 " + out + "/Skylane-windows-x64.zip"),
            (std::vector<std::string>{"Skylane/", "Skylane/README.txt", "Skylane/Skylane.exe",
                                      "Skylane/licenses/", "Skylane/licenses/SDL2/",
                                      "Skylane/licenses/SDL2/LICENSE.txt"}));
  EXPECT_EQ(Listed("/usr/bin/unzip -Z1 " + out + "/Skylane-web.zip"),
            (std::vector<std::string>{"Skylane-web/", "Skylane-web/game.zpk",
                                      "Skylane-web/index.html", "Skylane-web/zorax-player.wasm"}));
  EXPECT_EQ(testenv::FolderEntries(out + "/Skylane-web"),
            (std::vector<std::string>{"game.zpk", "index.html", "zorax-player.wasm"}));

  // The Windows program is the player with the same archive as the Linux one.
  const std::string unpacked = testenv::MakeDir("export/unpacked");
  ASSERT_EQ(testenv::RunProgram(testenv::Words("/usr/bin/tar -xzf " + out + "/Skylane-linux-x64.tar.gz -C " +
                                               unpacked),
                                folder_ + "/tar.txt"),
            0);
  const std::string unzipped = testenv::MakeDir("export/unzipped");
  ASSERT_EQ(testenv::RunProgram(testenv::Words("/usr/bin/unzip -q " + out + "/Skylane-windows-x64.zip -d " +
                                               unzipped),
                                folder_ + "/unzip.txt"),
            0);
  const std::string forLinux = testenv::ReadFile(unpacked + "/Skylane/Skylane");
  const std::string forWindows = testenv::ReadFile(unzipped + "/Skylane/Skylane.exe");
  ASSERT_GT(forLinux.size(), player_.size());
  EXPECT_EQ(forLinux.substr(0, player_.size()), player_);
  EXPECT_EQ(forLinux.substr(player_.size()), forWindows.substr(18));
  EXPECT_EQ(forLinux.substr(player_.size()), testenv::ReadFile(out + "/Skylane-web/game.zpk"));
  // The page is the game's: its title, and the archive beside it to fetch.
  EXPECT_EQ(testenv::ReadFile(out + "/Skylane-web/index.html"),
            "<html><title>Skylane</title>\n<script>\n  var zoraxGame = { files: ['game.zpk'] };\n"
            "</script></html>\n");

  // The Linux program plays the tour as the build's packed demo does.
  e2e::RunRequest request;
  request.Program = unpacked + "/Skylane/Skylane";
  request.Folder = testenv::TempDir() + "/export-tour";
  request.Files = {testenv::SourceDir() + "/tests/e2e/scripts/skylane_tour.txt"};
  request.Env = {"OMBREL_RANDOM_SEED=7", "ZORAX_SCRIPT=" + request.Folder + "/skylane_tour.txt",
                 "ZORAX_UNPACED=1"};
  const e2e::RunResult run = e2e::RunProgram(request);
  ASSERT_TRUE(run.Exited && run.ExitCode == 0) << run.Stderr << run.Log;
  for (const char* shot : {"title.png", "firing.png", "hit.png", "title_again.png"}) {
    EXPECT_EQ(testenv::ReadFile(request.Folder + "/" + shot),
              testenv::ReadFile(testenv::SourceDir() + "/tests/e2e/reference/" + shot))
        << shot;
  }

  // The same input, exported again elsewhere, gives the same bytes; the
  // packed demo (another form of the same game) too.
  const ToolRun again = Export({Description(), folder_ + "/again"});
  ASSERT_EQ(again.Exit, 0) << again.Err;
  const ToolRun packed = Export({testenv::BinDir() + "/skylane", folder_ + "/packed"});
  ASSERT_EQ(packed.Exit, 0) << packed.Err;
  for (const char* name : {"Skylane-linux-x64.tar.gz", "Skylane-windows-x64.zip",
                           "Skylane-web.zip", "Skylane-web/game.zpk"}) {
    const std::string bytes = testenv::ReadFile(out + "/" + name);
    EXPECT_EQ(testenv::ReadFile(folder_ + "/again/" + name), bytes) << name;
    EXPECT_EQ(testenv::ReadFile(folder_ + "/packed/" + name), bytes) << name;
  }
}

TEST_F(ExportTest, BadInputsEndWithCode2AndWriteNothing) {
  const std::string out = testenv::MakeDir("export/kept");
  testenv::WriteFile(out + "/mine.txt", "the author's own file");
  testenv::WriteFile(folder_ + "/notes.txt", "not a game at all");
  testenv::WriteFile(folder_ + "/a-file", "");
  // A packed program whose game member no longer unpacks: its archive
  // starts right after the player it was packed into.
  std::string damaged = testenv::ReadFile(testenv::BinDir() + "/skylane");
  const size_t archive = testenv::ReadFile(testenv::Program("zorax-player")).size();
  ASSERT_GT(damaged.size(), archive + 8192);
  for (size_t i = archive + 4096; i < archive + 8192; ++i) damaged[i] ^= 0x5A;
  testenv::WriteFile(folder_ + "/damaged", damaged);

  struct Case {
    std::vector<std::string> Args;
    std::string Says;
  };
  const Case cases[] = {
      {{folder_ + "/notes.txt", out}, "holds no game"},
      {{folder_ + "/nowhere", out}, "does not exist"},
      {{folder_ + "/damaged", out}, "damaged"},
      {{Description(), folder_ + "/a-file"}, "is not a folder"},
      {{Description(), out, "--name", "a/b"}, "cannot name files"},
      {{Description(), out, "--name", ".."}, "cannot name files"},
      {{Description(), out, "--name", ""}, "cannot name files"},
      {{Description(), out, "--for", "linux,amiga"}, "amiga"},
      {{Description()}, "OUTDIR is missing"},
      {{Description(), out, "--frobnicate"}, "unknown option"},
  };
  for (const Case& c : cases) {
    const ToolRun run = Export(c.Args);
    EXPECT_EQ(run.Exit, 2) << c.Says;
    EXPECT_NE(run.Err.find(c.Says), std::string::npos) << run.Err;
    EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
    EXPECT_EQ(testenv::FolderEntries(out), std::vector<std::string>{"mine.txt"}) << c.Says;
  }
}

TEST_F(ExportTest, OutputsAreReplacedOnlyWithForceAndAMissingPlayerIsNamed) {
  const std::string out = folder_ + "/out";
  ASSERT_EQ(Export({Description(), out, "--for", "linux", "--name", "Sky Lane 2"}).Exit, 0);
  const std::string archive = out + "/Sky Lane 2-linux-x64.tar.gz";
  const std::string first = testenv::ReadFile(archive);
  ASSERT_FALSE(first.empty());
  testenv::WriteFile(archive, "changed by hand");
  const ToolRun refused = Export({Description(), out, "--for", "linux", "--name", "Sky Lane 2"});
  EXPECT_EQ(refused.Exit, 2);
  EXPECT_NE(refused.Err.find("--force"), std::string::npos) << refused.Err;
  EXPECT_EQ(testenv::ReadFile(archive), "changed by hand");
  ASSERT_EQ(Export({Description(), out, "--for=linux", "--name=Sky Lane 2", "--force"}).Exit, 0);
  EXPECT_EQ(testenv::ReadFile(archive), first);
  EXPECT_EQ(testenv::FolderEntries(out), std::vector<std::string>{"Sky Lane 2-linux-x64.tar.gz"})
      << "no staging folder is left";

  // No web player: the others are made, the web named in one line.
  EraseFile(players_ + "/web/index.html");
  const ToolRun partial = Export({Description(), folder_ + "/partial"});
  EXPECT_EQ(partial.Exit, 0);
  EXPECT_NE(partial.Err.find("no web player found"), std::string::npos) << partial.Err;
  EXPECT_EQ(std::count(partial.Err.begin(), partial.Err.end(), '\n'), 1) << partial.Err;
  EXPECT_EQ(testenv::FolderEntries(folder_ + "/partial"),
            (std::vector<std::string>{"Skylane-linux-x64.tar.gz", "Skylane-windows-x64.zip"}));
  // Only the web asked for, and no web player: nothing at all.
  const ToolRun none = Export({Description(), folder_ + "/none", "--for", "web"});
  EXPECT_EQ(none.Exit, 1);
  EXPECT_FALSE(testenv::FileExists(folder_ + "/none"));
}

TEST(ExportNames, TitlesBecomeFileNamesAndBadNamesAreRefused) {
  struct Case {
    const char* Text;
    const char* Name;
  };
  const Case cases[] = {
      {"Skylane", "Skylane"},          {"Deep Space: the Return!", "Deep-Space-the-Return"},
      {"  .hidden", "hidden"},         {"über alles", "ber-alles"},
      {"...", ""},                     {"", ""},
      {"R-Type 2", "R-Type-2"},        {"a/b\\c", "a-b-c"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExportNameFrom(c.Text), c.Name) << c.Text;
  for (const char* bad : {"", ".", "..", "...", "a/b", "a\\b", "tab\there"}) {
    EXPECT_FALSE(UsableExportName(bad)) << bad;
  }
  EXPECT_TRUE(UsableExportName("Sky Lane 2"));
  EXPECT_TRUE(UsableExportName("für"));
}

TEST(ReleaseArchives, NamesThatCouldEscapeOrCollideAreRefused) {
  std::string archive;
  std::string error;
  for (const char* bad : {"../x", "a/../b", "/abs", "a//b", "a/", "a\\b", ""}) {
    EXPECT_FALSE(Zip({{bad, "x", false}}, archive, error)) << bad;
    EXPECT_FALSE(TarGz({{bad, "x", false}}, archive, error)) << bad;
  }
  EXPECT_FALSE(Zip({{"a", "1", false}, {"a", "2", false}}, archive, error));
  EXPECT_FALSE(Zip({{"a", "1", false}, {"a/b", "2", false}}, archive, error)) << error;
  // A long path is split for tar's prefix field, and still read back whole.
  const std::string deep = std::string(90, 'd') + "/" + std::string(90, 'e') + "/file";
  ASSERT_TRUE(TarGz({{deep, "deep", true}}, archive, error)) << error;
  const std::string path = testenv::TempDir() + "/deep.tar.gz";
  testenv::WriteFile(path, archive);
  EXPECT_EQ(Listed("/usr/bin/tar -tzf " + path).back(), deep);
}

}  // namespace
