// The forms of PATH the player takes, and the one-line reasons it gives for
// a PATH without a game. Each case builds its files in a fresh folder.
// Links, pipes, devices, permissions and names that differ only in case are
// in game_locator_posix_test.cc.
#include "player/open/game_locator.h"

#include <gtest/gtest.h>

#include <functional>

#include "runtime/core/system.h"
#include "tests/files/archive_fixture.h"
#include "tests/support/test_env.h"

namespace {

using archivetest::Members;
using archivetest::WriteProgram;
using testenv::WriteFile;

// A game file's first bytes: a version number the loader reads.
const std::string kGameBytes = std::string("\x07\0\0\0", 4) + "rest of a game";
const std::string kWindowsImage = "MZ" + archivetest::RandomBytes(3000, 5);

struct PathCase {
  const char* Name;
  std::function<std::string(const std::string& dir)> Make;  // returns the PATH
  // Expected on success (relative to dir where it is a path):
  const char* Folder;  // "" for dir itself
  const char* GameFile;
  const char* Archive;  // relative to dir; "" for none
  const char* GameName;
  const char* Note = "";  // a fragment of the one note expected, "" for none
};

const PathCase kFound[] = {
    {"GameFileOfAnyName",
     [](const std::string& d) {
       WriteFile(d + "/mygame.zorax", kGameBytes);
       return d + "/mygame.zorax";
     },
     "", "mygame.zorax", "", "mygame"},
    {"BadGameFileNamedAsOneIsStillTheGame",
     [](const std::string& d) {
       WriteFile(d + "/Game.ZORAX", "\x63\0\0\0junk");
       return d + "/Game.ZORAX";
     },
     "", "Game.ZORAX", "", "Game"},
    {"GameFileOfAnotherNameByItsVersion",
     [](const std::string& d) {
       WriteFile(d + "/level.dat", kGameBytes);
       return d + "/level.dat";
     },
     "", "level.dat", "", "level"},
    {"RelativePathIsMadeAbsolute",
     [](const std::string& d) {
       WriteFile(d + "/rel.zorax", kGameBytes);
       EXPECT_TRUE(ChangeToFolder(d));
       return std::string("./sub/../rel.zorax");
     },
     "", "rel.zorax", "", "rel"},
    {"ForeignPackedProgramWithSpaceInName",
     [](const std::string& d) {
       WriteProgram(d + "/My Game.exe", Members{{"game.ZORAX", kGameBytes}, {"x.wav", "RIFF"}},
                    false, kWindowsImage);
       return d + "/My Game.exe";
     },
     "", "game.ZORAX", "My Game.exe", "My Game"},
    {"PackedProgramWithOffsetsFromStart",
     [](const std::string& d) {
       WriteProgram(d + "/player", Members{{"GAME.zorax", kGameBytes}}, true);
       return d + "/player";
     },
     "", "game.ZORAX", "player", "player"},
    {"FolderWithGameFileInOtherCase",
     [](const std::string& d) {
       WriteFile(d + "/GAME.ZORAX", kGameBytes);
       WriteFile(d + "/INGAMEFONT.BMP", "BM");
       return d;
     },
     "", "GAME.ZORAX", "", "GAME"},
    {"FolderWithOneOtherZoraxFile",
     [](const std::string& d) {
       WriteFile(d + "/Shooter.Zorax", kGameBytes);
       WriteFile(d + "/readme.txt", "hello");
       return d;
     },
     "", "Shooter.Zorax", "", "Shooter"},
    {"FolderWithOnePackedProgram",
     [](const std::string& d) {
       WriteFile(d + "/notes.txt", "no game here");
       WriteProgram(d + "/Old Player.exe", Members{{"game.ZORAX", kGameBytes}}, false,
                    kWindowsImage);
       WriteProgram(d + "/sounds.pak", Members{{"a.wav", "RIFF"}});
       return d;
     },
     "", "game.ZORAX", "Old Player.exe", "Old Player"},
};

void PrintTo(const PathCase& c, std::ostream* out) {
  *out << c.Name;
}

class FoundPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(FoundPath, LocatesTheGame) {
  const PathCase& c = GetParam();
  const std::string dir = testenv::MakeDir(c.Name);
  const std::string path = c.Make(dir);
  GameLocation where;
  std::string error;
  ASSERT_TRUE(LocateGame(path, where, error)) << error;
  EXPECT_EQ(where.Folder, dir + (c.Folder[0] != '\0' ? std::string("/") + c.Folder : ""));
  EXPECT_EQ(where.GameFile, c.GameFile);
  EXPECT_EQ(where.ArchiveFile, c.Archive[0] != '\0' ? dir + "/" + c.Archive : "");
  EXPECT_EQ(where.Name, c.GameName);
  if (c.Note[0] == '\0') {
    EXPECT_TRUE(where.Notes.empty());
  } else {
    ASSERT_EQ(where.Notes.size(), 1u);
    EXPECT_NE(where.Notes[0].find(c.Note), std::string::npos) << where.Notes[0];
  }
}

INSTANTIATE_TEST_SUITE_P(PathForms, FoundPath, ::testing::ValuesIn(kFound),
                         [](const auto& info) { return std::string(info.param.Name); });

struct BadPathCase {
  const char* Name;
  std::function<std::string(const std::string& dir)> Make;
  const char* Reason;  // a fragment of the one-line reason
};

std::string ArchiveWhoseDirectoryLies(const std::string& d) {
  std::string bytes = kWindowsImage;
  bytes += std::string("\x0agame.ZORAX", 11);
  bytes += std::string("\x00\x00\x00\x70", 4);  // a data offset far outside the file
  bytes += std::string("\x10\0\0\0", 4);
  bytes += std::string(1, '\0') + "doZ";
  bytes += std::string("\xe5\xff\xff\xff", 4);  // the directory starts 27 bytes before the end
  WriteFile(d + "/liar.exe", bytes);
  return d + "/liar.exe";
}

const BadPathCase kBad[] = {
    {"Missing", [](const std::string& d) { return d + "/nothing.zorax"; }, "does not exist"},
    {"EmptyFile",
     [](const std::string& d) {
       WriteFile(d + "/game.ZORAX", "");
       return d + "/game.ZORAX";
     },
     "is empty (0 bytes)"},
    {"ProgramWithoutArchive",
     [](const std::string& d) {
       WriteFile(d + "/tool.exe", kWindowsImage);
       return d + "/tool.exe";
     },
     "holds no game"},
    {"ArchiveWithoutGameMember",
     [](const std::string& d) {
       WriteProgram(d + "/sounds.exe", Members{{"a.wav", "RIFF"}}, false, kWindowsImage);
       return d + "/sounds.exe";
     },
     "holds no game"},
    {"ArchiveDirectoryLies", ArchiveWhoseDirectoryLies, "holds no game"},
    {"EmptyFolder", [](const std::string& d) { return d; }, "holds no game: no game.ZORAX"},
    {"FolderWithTwoGameFiles",
     [](const std::string& d) {
       WriteFile(d + "/a.zorax", kGameBytes);
       WriteFile(d + "/b.ZORAX", kGameBytes);
       return d;
     },
     "several game files: \"a.zorax\", \"b.ZORAX\""},
    {"FolderWithTwoPackedPrograms",
     [](const std::string& d) {
       WriteProgram(d + "/one", Members{{"game.ZORAX", kGameBytes}});
       WriteProgram(d + "/two", Members{{"game.ZORAX", kGameBytes}});
       return d;
     },
     "several programs with a game packed in: \"one\", \"two\""},
};

void PrintTo(const BadPathCase& c, std::ostream* out) {
  *out << c.Name;
}

class BadPath : public ::testing::TestWithParam<BadPathCase> {};

TEST_P(BadPath, IsRefusedWithAReasonNamingThePath) {
  const BadPathCase& c = GetParam();
  const std::string dir = testenv::MakeDir(c.Name);
  const std::string path = c.Make(dir);
  GameLocation where;
  std::string error;
  EXPECT_FALSE(LocateGame(path, where, error));
  EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
  EXPECT_NE(error.find(c.Reason), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(PathForms, BadPath, ::testing::ValuesIn(kBad),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
