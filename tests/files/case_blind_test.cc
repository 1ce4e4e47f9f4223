// Case-blind lookup of loose files: the exact spelling always wins, another
// letter case is found folder by folder, several candidates give the first in
// byte order with one log line, and the archive still serves what no loose
// file spells.
#include "runtime/files/case_blind.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "runtime/files/archive.h"
#include "tests/files/archive_fixture.h"
#include "tests/support/test_env.h"

namespace {

using testenv::WriteFile;

struct LookupCase {
  const char* Name;
  std::vector<std::string> Files;  // made under the case's folder
  std::string Asked;               // relative to the case's folder
  std::string Found;               // "" for none
  bool Logged = false;             // a line names the choice
};

const LookupCase kLookups[] = {
    {"ExactSpellingExists", {"game.ZORAX"}, "game.ZORAX", "game.ZORAX"},
    {"OtherCase", {"GAME.ZORAX"}, "game.ZORAX", "GAME.ZORAX"},
    {"FolderAndFileInOtherCase",
     {"Projects/SKYLANE.zorax1.WAV"},
     "projects/Skylane.ZORAX1.wav",
     "Projects/SKYLANE.zorax1.WAV"},
    {"ExactWinsOverVariants",
     {"INGAMEFONT.BMP", "ingamefont.bmp"},
     "ingamefont.bmp",
     "ingamefont.bmp"},
    {"SeveralVariantsFirstInByteOrder",
     {"IngameFont.bmp", "INGAMEFONT.BMP", "ingamefont.BMP"},
     "ingamefont.bmp",
     "INGAMEFONT.BMP",
     true},
    {"ExactFolderThenFileVariant",
     {"projects/A.WAV", "PROJECTS/b.wav"},
     "projects/a.wav",
     "projects/A.WAV"},
    {"DotsKeptDoubledSlashesFolded", {"sub/X.BMP"}, "./sub//x.bmp", "./sub/X.BMP"},
    {"NoMatch", {"other.bmp"}, "ingamefont.bmp", ""},
    {"OnlyAsciiLettersFold", {"\xc3\x89T\xc3\x89.bmp"}, "\xc3\xa9t\xc3\xa9.bmp", ""},
    {"FileUsedAsFolder", {"a.bmp"}, "A.BMP/x", ""},
};

void PrintTo(const LookupCase& c, std::ostream* out) {
  *out << c.Name;
}

class CaseBlind : public ::testing::TestWithParam<LookupCase> {};

TEST_P(CaseBlind, FindsTheSpellingOnDisk) {
  const LookupCase& c = GetParam();
  const std::string dir = testenv::MakeDir(c.Name);
  for (const std::string& file : c.Files) {
    const size_t slash = file.rfind('/');
    if (slash != std::string::npos)
      testenv::MakeDir(std::string(c.Name) + "/" + file.substr(0, slash));
    WriteFile(dir + "/" + file, file);
  }
  // Relative, as a game asks, and absolute.
  ASSERT_EQ(chdir(dir.c_str()), 0);
  EXPECT_EQ(FindCaseBlind(c.Asked), c.Found);
  EXPECT_EQ(FindCaseBlind(dir + "/" + c.Asked), c.Found.empty() ? "" : dir + "/" + c.Found);
  const std::string log = testenv::ReadErrorLog();
  EXPECT_EQ(log.find("Case-blind lookup") != std::string::npos, c.Logged) << log;
  if (c.Logged) {
    EXPECT_NE(log.find("using \"" + c.Found + "\""), std::string::npos) << log;
  }
}

INSTANTIATE_TEST_SUITE_P(Lookups, CaseBlind, ::testing::ValuesIn(kLookups),
                         [](const auto& info) { return std::string(info.param.Name); });

// Through the resolver every named file goes through: a loose file in other
// letters wins over the archive, and the archive answers when no loose file
// matches at all.
TEST(CaseBlindResolve, LooseVariantBeforeArchiveMember) {
  const std::string dir = testenv::MakeDir("resolve");
  const std::string program = dir + "/player";
  archivetest::WriteProgram(program, {{"ingamefont.bmp", "packed font"}, {"a.wav", "packed"}});
  WriteFile(dir + "/INGAMEFONT.BMP", "loose font");
  ASSERT_EQ(chdir(dir.c_str()), 0);
  OpenArchiveReaders(program);

  RtString resolved;
  ASSERT_EQ(ResolveMediaPath(MediaArchive(), "ingamefont.bmp", resolved), 1);
  EXPECT_EQ(resolved.Std(), "INGAMEFONT.BMP");
  EXPECT_EQ(testenv::ReadFile(resolved.Std()), "loose font");

  ASSERT_EQ(ResolveMediaPath(MediaArchive(), "A.WAV", resolved), 1);
  EXPECT_EQ(testenv::ReadFile(resolved.Std()), "packed");
  CloseArchiveReaders();
}

}  // namespace
