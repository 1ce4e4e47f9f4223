// The process's surroundings on Windows: the private folder, the known
// folders, and a program started in this one's place receiving its
// arguments exactly, whatever quotes, backslashes, spaces and letters they
// hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/core/system.h"
#include "tests/support/test_env.h"

namespace {

TEST(WindowsProcess, ThePrivateFolderIsOmbrelInTheTemporaryFolder) {
  // The test's main points TMP at this process's own folder.
  const std::string temp = PathFromPlatform(EnvironmentValue("TMP"));
  ASSERT_FALSE(temp.empty());
  const PrivateFolderChoice choice = ChoosePrivateFolder();
  ASSERT_EQ(choice.Folder, temp + "/ombrel");
  EXPECT_TRUE(choice.Refused.empty());
  FileInfo info;
  ASSERT_TRUE(LinkInfo(choice.Folder, info));
  EXPECT_EQ(info.Kind, FileKind::kFolder);
  // Taken again as it is, and its files are for this user.
  EXPECT_EQ(PrivateTempFolder(), choice.Folder);
  const int log = OpenFileForWriting(choice.Folder + "/x.txt", FileCreation::kPrivateLog);
  ASSERT_GE(log, 0);
  EXPECT_EQ(WriteToFile(log, "a", 1), 1);
  EXPECT_TRUE(CloseFile(log));

  // A file in its place is refused, and nothing is written through it.
  EXPECT_TRUE(EraseFile(choice.Folder + "/x.txt"));
  ASSERT_TRUE(RemoveFolder(choice.Folder));
  testenv::WriteFile(choice.Folder, "a file");
  const PrivateFolderChoice refused = ChoosePrivateFolder();
  EXPECT_EQ(refused.Folder, "");
  ASSERT_EQ(refused.Refused.size(), 1u);
  EXPECT_EQ(refused.Refused[0].Check, FolderCheck::kNotAFolder);
  EXPECT_EQ(testenv::ReadFile(choice.Folder), "a file");
  EXPECT_TRUE(EraseFile(choice.Folder));
}

TEST(WindowsProcess, UserFoldersAreTheKnownFolders) {
  const struct {
    UserFolder Kind;
    const char* Variable;  // the variable Windows sets to the same folder
  } kinds[] = {{UserFolder::kSettings, "APPDATA"}, {UserFolder::kData, "LOCALAPPDATA"}};
  for (const auto& kind : kinds) {
    const std::string base = PathFromPlatform(EnvironmentValue(kind.Variable));
    ASSERT_FALSE(base.empty()) << kind.Variable;
    EXPECT_EQ(ApplicationFolder(kind.Kind, "Zorax"), base + "/Zorax");
  }
  const std::string home = HomeFolder();
  EXPECT_EQ(home, PathFromPlatform(EnvironmentValue("USERPROFILE")));
  const std::string pictures = ApplicationFolder(UserFolder::kPictures, "Zorax");
  EXPECT_TRUE(IsAbsolutePath(pictures)) << pictures;
  EXPECT_EQ(pictures.find('\\'), std::string::npos) << pictures;
  EXPECT_EQ(pictures.substr(pictures.size() - 6), "/Zorax");
}

TEST(WindowsProcess, AReplacingProgramGetsEveryArgumentAsItWas) {
  const std::vector<std::vector<std::string>> cases = {
      {"plain", "two words", ""},
      {"say \"hi\"", "\"", "\"\"", "a\\\"b"},
      {"C:\\trailing\\", "ends in space\\", "\\\\server\\share\\", "\\"},
      {"tab\there", "Gro\xC3\x9F \xE2\x82\xAC", "\xF0\x9F\x98\x80", "Spiele f\xC3\xBCr alle/Sky lane"},
      {},
  };
  const std::string folder = testenv::MakeDir("arguments");
  for (const std::vector<std::string>& arguments : cases) {
    std::string list;
    for (const std::string& argument : arguments) list += argument + "\n";
    testenv::WriteFile(folder + "/list", list);
    const int exit = testenv::RunProgram(
        {testenv::Program("argument_probe"), "--replace", folder + "/list", folder + "/echo"},
        folder + "/out");
    // The started program's exit code is this process's.
    EXPECT_EQ(exit, 7) << testenv::ReadFile(folder + "/out");
    std::string expected;
    for (const std::string& argument : arguments) expected += argument + "\n";
    EXPECT_EQ(testenv::ReadFile(folder + "/echo"), expected);
  }
}

}  // namespace
