// Files and paths on Windows: UTF-8 names with letters beyond ASCII and
// spaces reach the disk as the same wide names, the forms of Windows paths,
// devices that must never be read as files, long paths, unique and memory
// files.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "player/open/game_locator.h"
#include "runtime/core/system.h"
#include "tests/support/test_env.h"

namespace {

// U+00FC, U+00DF, U+20AC and U+1F600 (a pair of UTF-16 surrogates).
const std::string kFolderName = "Spiele f\xC3\xBCr alle";
const std::wstring kWideFolderName = L"Spiele f\u00FCr alle";
const std::string kFileName = "Gro\xC3\x9F \xE2\x82\xAC \xF0\x9F\x98\x80.txt";
const std::wstring kWideFileName = L"Gro\u00DF \u20AC \U0001F600.txt";

std::wstring WideOf(const std::string& path) {
  std::wstring wide(path.size() + 1, L'\0');
  const int n = MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()),
                                    wide.data(), static_cast<int>(wide.size()));
  wide.resize(static_cast<size_t>(n));
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  return wide;
}

bool WideExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Write(const std::string& path, const std::string& bytes) {
  const int file = OpenFileForWriting(path, FileCreation::kReadWrite);
  ASSERT_GE(file, 0) << path;
  EXPECT_EQ(WriteToFile(file, bytes.data(), bytes.size()), static_cast<int64_t>(bytes.size()));
  EXPECT_TRUE(CloseFile(file));
}

TEST(WindowsFiles, NamesBeyondAsciiAndWithSpacesRoundTrip) {
  const std::string base = testenv::MakeDir("names");
  const std::string folder = base + "/" + kFolderName + "/Sky lane";
  ASSERT_TRUE(MakeFolders(folder));
  // The names on the disk are the wide ones, not the UTF-8 bytes read in
  // some code page.
  const std::wstring wideFolder = WideOf(base) + L"\\" + kWideFolderName + L"\\Sky lane";
  EXPECT_TRUE(WideExists(wideFolder));

  const std::string file = folder + "/" + kFileName;
  Write(file, "inside");
  EXPECT_TRUE(WideExists(wideFolder + L"\\" + kWideFileName));
  std::vector<std::string> names;
  ASSERT_TRUE(ListFolder(folder, names));
  EXPECT_EQ(names, std::vector<std::string>{kFileName});
  EXPECT_EQ(testenv::ReadFile(file), "inside");
  FileInfo info;
  ASSERT_TRUE(PathInfo(file, info));
  EXPECT_EQ(info.Kind, FileKind::kFile);
  EXPECT_EQ(info.Size, 6u);
  ASSERT_TRUE(PathInfo(folder, info));
  EXPECT_EQ(info.Kind, FileKind::kFolder);
  EXPECT_TRUE(CanRead(file));

  // Renames: keeping refuses a taken name and leaves both files as they were;
  // replacing takes it.
  const std::string other = folder + "/\xC3\xA9t\xC3\xA9 2.txt";
  Write(other, "other");
  EXPECT_EQ(RenameKeeping(file, other), EEXIST);
  EXPECT_EQ(testenv::ReadFile(file), "inside");
  EXPECT_EQ(testenv::ReadFile(other), "other");
  const std::string moved = folder + "/\xC3\xB8 moved.txt";
  EXPECT_EQ(RenameKeeping(file, moved), 0);
  EXPECT_FALSE(testenv::FileExists(file));
  EXPECT_TRUE(RenameReplacing(moved, other));
  EXPECT_EQ(testenv::ReadFile(other), "inside");
  EXPECT_FALSE(testenv::FileExists(moved));

  // A file still open for reading can be removed, as on POSIX systems: the
  // reader goes on reading it.
  const int open = OpenFileForReading(other);
  ASSERT_GE(open, 0);
  EXPECT_TRUE(EraseFile(other));
  char byte = 0;
  EXPECT_EQ(ReadFromFile(open, &byte, 1), 1);
  EXPECT_EQ(byte, 'i');
  EXPECT_TRUE(CloseFile(open));
  EXPECT_FALSE(testenv::FileExists(other));
  Write(other, "again");

  EXPECT_TRUE(EraseFile(other));
  EXPECT_FALSE(EraseFile(other));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_TRUE(RemoveFolder(folder));
  EXPECT_FALSE(WideExists(wideFolder));
  // Text that is not UTF-8 names no file.
  EXPECT_LT(OpenFileForReading(base + "/bad\xFF\xFE"), 0);
  EXPECT_EQ(errno, ENOENT);
}

TEST(WindowsFiles, PathFormsAndTheirRoots) {
  struct Case {
    const char* Path;
    size_t Root;
  };
  const Case roots[] = {
      {"C:/", 3},
      {"c:\\games\\x", 3},
      {"Z:/work", 3},
      {"//server/share/games", 15},
      {"\\\\server\\share", 14},
      {"/games", 1},   // the current drive's root
      {"games", 0},
      {"C:games", 0},  // drive-relative
      {"", 0},
  };
  for (const Case& c : roots) EXPECT_EQ(PathRootLength(c.Path), c.Root) << c.Path;

  const struct {
    const char* Path;
    const char* Absolute;
  } tidy[] = {
      {"C:/a/../b", "C:/b"},
      {"C:\\a\\.\\b\\", "C:/a/b"},
      {"C:/..", "C:/"},
      {"C:/", "C:/"},
      {"//server/share/x/../y", "//server/share/y"},
      {"\\\\server\\share\\..\\..\\y", "//server/share/y"},
  };
  for (const auto& c : tidy) EXPECT_EQ(AbsolutePath(c.Path), c.Absolute) << c.Path;

  // Relative forms are made absolute against the current folder, which has
  // a drive letter; "/x" and "X:x" need the drive and its own folder too.
  const std::string here = testenv::MakeDir("here");
  ASSERT_TRUE(ChangeToFolder(here));
  const std::string current = CurrentFolder();
  ASSERT_GE(current.size(), 3u);
  EXPECT_EQ(current[1], ':') << current;
  EXPECT_EQ(AbsolutePath("sub\\..\\x.zorax"), current + "/x.zorax");
  EXPECT_EQ(AbsolutePath("/top/x"), current.substr(0, 2) + "/top/x");
  EXPECT_EQ(AbsolutePath(current.substr(0, 2) + "x.zorax"), current + "/x.zorax");
}

// Device names stand for devices in every folder and with any ending; none
// is a file to read, and none may stall the player.
TEST(WindowsFiles, DeviceNamesAreNeverFiles) {
  const std::string folder = testenv::MakeDir("devices");
  for (const std::string name : {"CON", "NUL", "nul", "COM1", "NUL.txt", "AUX"}) {
    for (const std::string& path : {name, folder + "/" + name}) {
      SCOPED_TRACE(path);
      FileInfo info;
      if (PathInfo(path, info)) {
        EXPECT_EQ(info.Kind, FileKind::kOther);
      }
      EXPECT_LT(OpenFileForReading(path), 0);
      GameLocation where;
      std::string error;
      EXPECT_FALSE(LocateGame(path, where, error));
      EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
      EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
  }
}

TEST(WindowsFiles, PathsLongerThanTheOldLimitWork) {
  std::string folder = testenv::MakeDir("long");
  while (folder.size() < 300) folder += "/a-rather-long-folder-name-\xC3\xBC";
  ASSERT_TRUE(MakeFolders(folder));
  const std::string file = folder + "/game.ZORAX";
  Write(file, "deep");
  EXPECT_EQ(testenv::ReadFile(file), "deep");
  std::vector<std::string> names;
  ASSERT_TRUE(ListFolder(folder, names));
  EXPECT_EQ(names, std::vector<std::string>{"game.ZORAX"});
  EXPECT_EQ(RenameKeeping(file, folder + "/kept.ZORAX"), 0);
  EXPECT_TRUE(EraseFile(folder + "/kept.ZORAX"));
}

TEST(WindowsFiles, UniqueAndMemoryFiles) {
  const std::string folder = testenv::MakeDir("unique");
  std::string first = folder + "/ZoraX-XXXXXX";
  std::string second = first;
  const int a = CreateUniqueFile(first);
  const int b = CreateUniqueFile(second);
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  EXPECT_NE(first, second);
  EXPECT_EQ(first.find("XXXXXX"), std::string::npos);
  EXPECT_EQ(WriteToFile(a, "abc", 3), 3);
  EXPECT_TRUE(CloseFile(a));
  EXPECT_TRUE(CloseFile(b));
  EXPECT_EQ(testenv::ReadFile(first), "abc");
  EXPECT_EQ(testenv::FolderEntries(folder).size(), 2u);
  std::string bad = folder + "/no-pattern";
  EXPECT_LT(CreateUniqueFile(bad), 0);
  EXPECT_EQ(errno, EINVAL);

  // A memory file reads back through its handle and through its path, and
  // is gone when the last handle closes.
  const std::string bytes(100000, 'm');
  std::string path;
  const int memory = CreateMemoryFile("member.wav", bytes.data(), bytes.size(), path);
  ASSERT_GE(memory, 0);
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.find('\\'), std::string::npos) << path;
  std::string start(4, '\0');
  EXPECT_EQ(ReadFromFile(memory, start.data(), 4), 4);
  EXPECT_EQ(start, "mmmm");
  EXPECT_EQ(testenv::ReadFile(path), bytes);
  EXPECT_TRUE(CloseFile(memory));
  EXPECT_FALSE(testenv::FileExists(path)) << path;
}

}  // namespace
