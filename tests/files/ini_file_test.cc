// Initialisation files: the line syntax, case-blind lookups, changes and
// deletions, and write-back on the next open and at program end.
#include "runtime/files/ini_file.h"

#include "runtime/files/archive.h"
#include "runtime/files/text_lines.h"
#include "tests/files/archive_fixture.h"
#include "tests/files/files_test_support.h"

namespace {

class IniFileTest : public InFreshFolder {
 protected:
  void TearDown() override {
    IniFile() = IniStore{};
    CloseArchiveReaders();
  }
};

TEST_F(IniFileTest, LookupsIgnoreCaseAndComments) {
  testenv::WriteFile("a.ini", "[Video]\r\nWidth = 640\r\n; Height=480\r\n  Depth=\t32 \r\n");
  IniOpen(RtString("a.ini"));
  EXPECT_EQ(IniGet(RtString("video"), RtString("WIDTH")).Std(), "640");
  EXPECT_EQ(IniGet(RtString("VIDEO"), RtString("depth")).Std(), "32 ");
  EXPECT_EQ(IniGet(RtString("video"), RtString("Height")).Std(), "NO_DATA");
  EXPECT_EQ(IniGet(RtString("audio"), RtString("Width")).Std(), "NO_DATA");
}

TEST_F(IniFileTest, LineSyntax) {
  const std::vector<IniSection> sections = ParseIniText(
      "top=level\n"
      "[ First] trailing\n"
      "novalue =\n"
      "noequals value\n"
      "key=value=more\x01\x02\n"
      "[Empty]\n"
      "[Second]\n"
      "a=1\n"
      "[]\n"
      "b=2\n"
      "[First]\n"
      "key=again\n");
  ASSERT_EQ(sections.size(), 5u);
  EXPECT_EQ(sections[0].Name.Std(), "");
  EXPECT_EQ(sections[0].Entries[0].Value.Std(), "level");
  // The name runs to the first blank; "]" right before its end is dropped.
  EXPECT_EQ(sections[1].Name.Std(), "First");
  ASSERT_EQ(sections[1].Entries.size(), 1u);
  EXPECT_EQ(sections[1].Entries[0].Key.Std(), "key");
  EXPECT_EQ(sections[1].Entries[0].Value.Std(), "value=more");
  // Sections without entries are dropped; a header without a name repeats the last one.
  EXPECT_EQ(sections[2].Name.Std(), "Second");
  EXPECT_EQ(sections[3].Name.Std(), "Second");
  EXPECT_EQ(sections[3].Entries[0].Key.Std(), "b");
  EXPECT_EQ(sections[4].Name.Std(), "First");

  // Twice-named sections stay twice; lookups take the first.
  IniFile().Sections = sections;
  EXPECT_EQ(IniGet(RtString("first"), RtString("key")).Std(), "value=more");
  EXPECT_EQ(IniGet(RtString("second"), RtString("b")).Std(), "NO_DATA");
  EXPECT_EQ(IniGet(RtString(""), RtString("top")).Std(), "level");
}

TEST_F(IniFileTest, LongLinesAndBinaryBytesAreHarmless) {
  std::string text = "[S]\n" + std::string(3000, 'k') + "=v\n";
  text += "bin=\x80\xFF";
  text += std::string("\0tail\n", 6);
  text += "x=" + std::string(1022, 'w') + "split=there\n";
  const std::vector<IniSection> sections = ParseIniText(text);
  ASSERT_EQ(sections.size(), 1u);
  // The 3000-byte line is cut into pieces of 1024; only its last piece has an "=".
  ASSERT_EQ(sections[0].Entries.size(), 4u);
  EXPECT_EQ(sections[0].Entries[0].Key.Length(), 3000u - 2048u);
  EXPECT_EQ(sections[0].Entries[1].Value.Std(), "\x80\xFF");
  EXPECT_EQ(sections[0].Entries[2].Value.Length(), 1022u);
  EXPECT_EQ(sections[0].Entries[3].Key.Std(), "split");
}

// A NUL byte ends its line: a header whose name starts with NUL is a header
// without a name (it repeats the last one), a key cut by a NUL loses its "=".
// Either way the table is written back and read again unchanged.
TEST_F(IniFileTest, NulBytesEndTheirLine) {
  static const char kText[] = "[Video]\nw=1\n[\0\0und]\nh=2\nk\0ey=3\n[Au\0dio]\nv=4\n";
  const std::string text(kText, sizeof kText - 1);
  const std::vector<IniSection> sections = ParseIniText(text);
  ASSERT_EQ(sections.size(), 3u);
  EXPECT_EQ(sections[1].Name.Std(), "Video");
  ASSERT_EQ(sections[1].Entries.size(), 1u) << "the key cut by a NUL has no \"=\"";
  EXPECT_EQ(sections[1].Entries[0].Key.Std(), "h");
  EXPECT_EQ(sections[2].Name.Std(), "Au");

  const std::vector<IniSection> again = ParseIniText(IniText(sections));
  ASSERT_EQ(again.size(), sections.size());
  for (size_t i = 0; i < again.size(); ++i) {
    EXPECT_EQ(again[i].Name.Std(), sections[i].Name.Std());
    ASSERT_EQ(again[i].Entries.size(), sections[i].Entries.size());
    for (size_t j = 0; j < again[i].Entries.size(); ++j) {
      EXPECT_EQ(again[i].Entries[j].Key.Std(), sections[i].Entries[j].Key.Std());
      EXPECT_EQ(again[i].Entries[j].Value.Std(), sections[i].Entries[j].Value.Std());
    }
  }
}

// Entries know their line as the file shows it, so that a reader of the
// table can point at it; the pieces of a long line share its number.
TEST_F(IniFileTest, EntriesKnowTheirLine) {
  const std::string text =
      "; comment\r\n[a]\r\nx=1\n\n  y = 2\n" + std::string(1500, 'k') + "=long\n[b]\nz=3";
  const std::vector<IniSection> table = ParseIniText(text);
  ASSERT_EQ(table.size(), 2u);
  ASSERT_EQ(table[0].Entries.size(), 3u);
  EXPECT_EQ(table[0].Entries[0].Line, 3);
  EXPECT_EQ(table[0].Entries[1].Line, 5);
  // The 1500-byte line is cut into two pieces; the second holds the "=" and
  // is read as an entry of line 6, and z stays on line 8.
  EXPECT_EQ(table[0].Entries[2].Key.Std(), std::string(1500 - kTextLinePiece, 'k'));
  EXPECT_EQ(table[0].Entries[2].Line, 6);
  ASSERT_EQ(table[1].Entries.size(), 1u);
  EXPECT_EQ(table[1].Entries[0].Line, 8);
  IniPut("a", "w", "4");
  EXPECT_EQ(IniFile().Sections.empty() ? -1 : IniFile().Sections.back().Entries.back().Line, 0);
}

TEST_F(IniFileTest, PutChangesAddsAndDeletes) {
  testenv::WriteFile("a.ini", "[A]\nx=1\ny=2\nz=3\n[B]\nk=v\n[C]\nc=c\n");
  IniOpen(RtString("a.ini"));
  EXPECT_FALSE(IniFile().Dirty);
  IniPut(RtString("a"), RtString("Y"), RtString("two"));
  EXPECT_EQ(IniGet(RtString("A"), RtString("y")).Std(), "two");
  EXPECT_TRUE(IniFile().Dirty);

  // An empty value deletes the key: the last key takes its place.
  IniPut(RtString("A"), RtString("x"), RtString(""));
  EXPECT_EQ(IniGet(RtString("A"), RtString("x")).Std(), "NO_DATA");
  ASSERT_EQ(IniFile().Sections[0].Entries.size(), 2u);
  EXPECT_EQ(IniFile().Sections[0].Entries[0].Key.Std(), "z");

  // An empty key deletes the section: the last section takes its place.
  IniPut(RtString("a"), RtString(""), RtString("ignored"));
  EXPECT_EQ(IniGet(RtString("A"), RtString("z")).Std(), "NO_DATA");
  ASSERT_EQ(IniFile().Sections.size(), 2u);
  EXPECT_EQ(IniFile().Sections[0].Name.Std(), "C");

  IniPut(RtString("New"), RtString("key"), RtString("value"));
  EXPECT_EQ(IniGet(RtString("new"), RtString("KEY")).Std(), "value");
}

TEST_F(IniFileTest, OpeningAnotherFileWritesTheChangedOneBack) {
  testenv::WriteFile("a.ini", "; comment goes\n[Video]\nWidth = 640\n");
  IniOpen(RtString("a.ini"));
  IniPut(RtString("Video"), RtString("Height"), RtString("480"));
  IniPut(RtString("Sound"), RtString("Volume"), RtString("7"));
  IniOpen(RtString("b.ini"));
  EXPECT_EQ(testenv::ReadFile("a.ini"),
            "[Video]\r\nWidth=640\r\nHeight=480\r\n[Sound]\r\nVolume=7\r\n");

  // Nothing changed: nothing written, and a new file is created on write-back.
  EXPECT_FALSE(testenv::FileExists("b.ini"));
  IniOpen(RtString("a.ini"));
  EXPECT_EQ(IniGet(RtString("sound"), RtString("volume")).Std(), "7");
  IniPut(RtString("X"), RtString("y"), RtString("z"));
  IniOpen(RtString("b.ini"));
  IniPut(RtString("Fresh"), RtString("made"), RtString("yes"));
  IniOpen(RtString("a.ini"));
  EXPECT_EQ(testenv::ReadFile("b.ini"), "[Fresh]\r\nmade=yes\r\n");
}

TEST_F(IniFileTest, ProgramEndWritesTheChangedFileBack) {
  EXPECT_PROGRAM_END({
    IniOpen(RtString("end.ini"));
    IniPut(RtString("S"), RtString("k"), RtString("v"));
    EndProgramNormally();
  });
  EXPECT_EQ(testenv::ReadFile("end.ini"), "[S]\r\nk=v\r\n");
}

TEST_F(IniFileTest, PackedFileIsReadFromTheArchive) {
  const std::string program = folder_ + "/program";
  archivetest::WriteProgram(program, {{"settings.ini", "[Game]\nLives=3\n"}});
  OpenArchiveReaders(program);
  IniOpen(RtString("settings.ini"));
  EXPECT_EQ(IniGet(RtString("game"), RtString("lives")).Std(), "3");
  // A file found nowhere is still where changes go.
  IniOpen(RtString("new.ini"));
  IniPut(RtString("A"), RtString("b"), RtString("c"));
  IniOpen(RtString("settings.ini"));
  EXPECT_EQ(testenv::ReadFile("new.ini"), "[A]\r\nb=c\r\n");
}

}  // namespace
