// The user's folders: the XDG variables win when they hold absolute paths,
// then the pictures entry of user-dirs.dirs, then the folders under $HOME.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "runtime/core/system.h"
#include "runtime/platform/posix/xdg_folders.h"
#include "tests/support/test_env.h"

namespace {

TEST(UserFolders, ThePicturesEntryOfUserDirsIsRead) {
  struct Case {
    const char* Text;
    const char* Expected;
  };
  const Case cases[] = {
      {"XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", "/home/u/Pictures"},
      {"# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
       "  XDG_PICTURES_DIR=\"$HOME/Bilder\"  \nXDG_VIDEOS_DIR=\"$HOME/Videos\"\n",
       "/home/u/Bilder"},
      {"XDG_PICTURES_DIR=\"/data/shots/\"\r\n", "/data/shots"},
      {"XDG_PICTURES_DIR=\"$HOME/My \\\"Pics\\\"\"", "/home/u/My \"Pics\""},
      {"XDG_PICTURES_DIR=\"$HOME/a\"\nXDG_PICTURES_DIR=\"$HOME/b\"\n", "/home/u/b"},
      {"XDG_PICTURES_DIR=\"$HOME\"\n", "/home/u"},
      // Not usable: unquoted, relative, unclosed, commented out, another name.
      {"XDG_PICTURES_DIR=$HOME/Pictures\n", ""},
      {"XDG_PICTURES_DIR=\"Pictures\"\n", ""},
      {"XDG_PICTURES_DIR=\"$HOME/Pictures\n", ""},
      {"XDG_PICTURES_DIR=\"$HOME/a\" extra\n", ""},
      {"# XDG_PICTURES_DIR=\"$HOME/x\"\n", ""},
      {"XDG_PICTURES_DIRS=\"$HOME/x\"\n", ""},
      {"XDG_PICTURES_DIR=\"$HOMEWORK/x\"\n", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PicturesEntry(c.Text, "/home/u"), c.Expected) << c.Text;
  }
  EXPECT_EQ(PicturesEntry("XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", ""), "") << "no home to put in";
}

TEST(UserFolders, VariablesThenUserDirsThenHome) {
  const std::string home = testenv::MakeDir("home");
  const std::string config = testenv::MakeDir("config");
  setenv("HOME", home.c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_DATA_HOME");
  unsetenv("XDG_PICTURES_DIR");
  EXPECT_EQ(HomeFolder(), home);
  EXPECT_EQ(ConfigHome(), home + "/.config");
  EXPECT_EQ(DataHome(), home + "/.local/share");
  EXPECT_EQ(PicturesFolder(), home + "/Pictures");

  // ~/.config/user-dirs.dirs names the pictures folder.
  testenv::MakeDir("home/.config");
  testenv::WriteFile(home + "/.config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Fotos\"\n");
  EXPECT_EQ(PicturesFolder(), home + "/Fotos");

  // $XDG_CONFIG_HOME moves the file; relative values are ignored.
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  setenv("XDG_DATA_HOME", "relative/data", 1);
  EXPECT_EQ(ConfigHome(), config);
  EXPECT_EQ(DataHome(), home + "/.local/share");
  EXPECT_EQ(PicturesFolder(), home + "/Pictures") << "no user-dirs.dirs in the config home";
  testenv::WriteFile(config + "/user-dirs.dirs", "XDG_PICTURES_DIR=\"/srv/pictures\"\n");
  EXPECT_EQ(PicturesFolder(), "/srv/pictures");

  setenv("XDG_PICTURES_DIR", "not/absolute", 1);
  EXPECT_EQ(PicturesFolder(), "/srv/pictures");
  setenv("XDG_PICTURES_DIR", "/mnt/shots", 1);
  setenv("XDG_DATA_HOME", "/mnt/data", 1);
  EXPECT_EQ(PicturesFolder(), "/mnt/shots");
  EXPECT_EQ(DataHome(), "/mnt/data");
  // The application's own folders: lower case in the XDG homes, as written
  // among the user's pictures.
  EXPECT_EQ(ApplicationFolder(UserFolder::kSettings, "Zorax"), config + "/zorax");
  EXPECT_EQ(ApplicationFolder(UserFolder::kData, "Zorax"), "/mnt/data/zorax");
  EXPECT_EQ(ApplicationFolder(UserFolder::kPictures, "Zorax"), "/mnt/shots/Zorax");

  // A relative $HOME falls back to the account's home folder.
  setenv("HOME", "nowhere", 1);
  EXPECT_EQ(HomeFolder().rfind('/', 0), 0u);
}

}  // namespace
