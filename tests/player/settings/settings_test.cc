// The settings file: values read and written back with what the player does
// not know kept, every kind of bad value replaced by its default with a line
// naming the file and line, files that cannot be used at all, where the file
// lives, and the run's settings saved only for what the player changed.
#include "player/settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

#include "player/settings/control_names.h"
#include "player/settings/settings_store.h"
#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/input/key_bindings.h"
#include "runtime/input/pads.h"
#include "runtime/sound/output_levels.h"
#include "tests/support/test_env.h"

namespace {

SettingsFile Read(const std::string& text) {
  SettingsFile file;
  ReadSettingsText(text, "settings.ini", file);
  return file;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

ControlBinding Keys(std::initializer_list<uint8_t> codes, uint32_t buttons = 0) {
  ControlBinding binding;
  binding.Keys = codes;
  binding.PadButtons = buttons;
  return binding;
}

TEST(SettingsFile, ValuesReadInAnySpellingAndWriteBackKeepsWhatIsUnknown) {
  const std::string text =
      "; my settings\r\n"
      "[Video]\r\n"
      "Scale = 3\r\n"
      "fullscreen=yes\r\n"
      "colour-depth = 32\r\n"  // unknown key: kept
      "[audio]\r\n"
      "volume = 080\r\n"
      "[keys]\r\n"
      "player1.fire = space , Pad RightShoulder\r\n"
      "player2.left = Keypad 4, J\r\n"
      "[pad]\r\n"
      "deadzone = .25\r\n"
      "player2 = 030000005E0400008E02000014010000\r\n"
      "[network]\r\n"  // unknown section: kept
      "port = 0\r\n";
  SettingsFile file = Read(text);
  const PlayerSettings& v = file.Values;
  EXPECT_EQ(v.Video.Scale, 3);
  EXPECT_TRUE(v.Video.FullScreen);
  EXPECT_EQ(v.Audio.Volume, 80);
  EXPECT_EQ(v.Keys[0][4], Keys({57}, 1u << SDL_CONTROLLER_BUTTON_RIGHTSHOULDER));
  EXPECT_EQ(v.Keys[1][0], Keys({75, 36}));
  EXPECT_EQ(v.Keys[0][0], DefaultControlBinding(0, PlayerControl::kLeft));
  EXPECT_DOUBLE_EQ(v.Pad.Deadzone, 0.25);
  EXPECT_EQ(v.Pad.Players[1], "030000005e0400008e02000014010000");
  EXPECT_EQ(v.Pad.Players[0], "");
  // The unknown key and section are told about once each, with their lines.
  EXPECT_EQ(Joined(file.Problems),
            "settings.ini:5: unknown key [video] colour-depth, kept as it is\n"
            "settings.ini:15: unknown section [network], kept as it is\n");

  // Unchanged values keep their spelling; a changed one is rewritten, a new
  // one joins its section or a new section; the unknown ones stay.
  PlayerSettings changed = v;
  changed.Audio.Volume = 30;
  changed.Audio.Mute = true;
  changed.Screenshots = "~/Shots";
  const std::string written = SettingsText(file, changed);
  EXPECT_EQ(written,
            "[Video]\r\nScale=3\r\nfullscreen=yes\r\ncolour-depth=32\r\n"
            "[audio]\r\nvolume=30\r\nmute=1\r\n"
            "[keys]\r\nplayer1.fire=space , Pad RightShoulder\r\nplayer2.left=Keypad 4, J\r\n"
            "[pad]\r\ndeadzone=.25\r\nplayer2=030000005E0400008E02000014010000\r\n"
            "[network]\r\nport=0\r\n"
            "[paths]\r\nscreenshots=~/Shots\r\n");
  // And it reads back as the changed settings.
  const SettingsFile back = Read(written);
  EXPECT_TRUE(back.Values == changed);
  EXPECT_EQ(back.Problems.size(), 2u);

  // Every value written from scratch reads back the same.
  PlayerSettings all;
  all.Video = {8, true, "stretch", "linear", 0};
  all.Audio = {0, 55, 100, true};
  all.Keys[1][4] = Keys({57, 28, 157}, (1u << SDL_CONTROLLER_BUTTON_Y) | 1u);
  all.Pad.Deadzone = 0.125;
  all.Pad.Players[0] = "0300000000000000000000000000abcd";
  all.Screenshots = "/srv/shots";
  const SettingsFile fresh = Read(SettingsText(SettingsFile{}, all));
  EXPECT_TRUE(fresh.Problems.empty()) << Joined(fresh.Problems);
  EXPECT_TRUE(fresh.Values == all);
  // Nothing changed from the defaults writes nothing at all.
  EXPECT_EQ(SettingsText(SettingsFile{}, PlayerSettings{}), "");
}

// A changed value replaces the entry that counted and drops its repeats,
// which never counted; a folder set back to the default leaves the file.
TEST(SettingsFile, AChangedValueDropsItsRepeats) {
  SettingsFile file =
      Read("[paths]\nscreenshots = /a\nscreenshots = /b\n[audio]\nmute=1\n[AUDIO]\nMUTE = 0\n");
  ASSERT_EQ(file.Values.Screenshots, "/a");
  ASSERT_TRUE(file.Values.Audio.Mute);
  PlayerSettings changed = file.Values;
  changed.Screenshots = "";
  changed.Audio.Mute = false;
  const std::string written = SettingsText(file, changed);
  EXPECT_EQ(written, "[paths]\r\n[audio]\r\nmute=0\r\n[AUDIO]\r\n");
  EXPECT_TRUE(Read(written).Values == changed);
}

// Each bad value falls back to its default, with one line that names the
// file and line, the value and what was expected.
TEST(SettingsFile, EveryKindOfBadValueFallsBackWithALine) {
  struct Case {
    const char* Section;
    const char* Line;
    const char* Message;
  };
  const Case cases[] = {
      {"video", "scale = 99",
       "[video] scale = 99: expected auto or a whole number from 1 to 8; using auto"},
      {"video", "scale = 2x", "using auto"},
      {"video", "fullscreen = maybe", "expected 0 or 1; using 0"},
      {"video", "scale-mode = zoom", "expected integer, fit or stretch; using integer"},
      {"video", "filter = bilinear", "using nearest"},
      {"video", "vsync = 2", "expected auto, 0 or 1; using auto"},
      {"audio", "volume = -3",
       "[audio] volume = -3: expected a whole number from 0 to 100; using 100"},
      {"audio", "music = 101", "using 100"},
      {"audio", "effects = 50.5", "using 100"},
      {"audio", "mute = 2", "using 0"},
      {"keys", "player1.fire = Spcae",
       "[keys] player1.fire = Spcae: expected a comma-separated list of key names; using Right "
       "Ctrl"},
      {"keys", "player2.up = W,,S", "using W"},
      {"keys", "player1.left = Escape", "using Left"},
      {"keys", "player1.left = F1", "using Left"},
      {"keys", "player2.fire = Pad Start", "using Left Ctrl"},
      {"keys", "player1.down = A, B, C, D, E, F, G, H, I", "using Down"},
      {"pad", "deadzone = 1.5", "expected a number from 0 to 1; using 0.5"},
      {"pad", "deadzone = nan", "using 0.5"},
      {"pad", "player1 = 1234",
       "expected auto or a pad's GUID (32 hexadecimal digits); using auto"},
      {"paths", "screenshots = Pictures/zorax",
       "expected a folder starting with / or ~/; using the default"},
  };
  for (const Case& c : cases) {
    const SettingsFile file =
        Read(std::string("[keys]\nplayer2.down = K\n\n[") + c.Section + "]\n" + c.Line + "\n");
    ASSERT_EQ(file.Problems.size(), 1u) << c.Line << "\n" << Joined(file.Problems);
    EXPECT_EQ(file.Problems[0].rfind("settings.ini:5: ", 0), 0u) << file.Problems[0];
    EXPECT_NE(file.Problems[0].find(c.Message), std::string::npos) << file.Problems[0];
    // The bad value is the default; the good one beside it counts.
    PlayerSettings expected;
    expected.Keys[1][3] = Keys({37});
    EXPECT_TRUE(file.Values == expected) << c.Line;
    EXPECT_TRUE(file.Usable);
  }
  // A key given twice: the first counts, the second is told about.
  const SettingsFile twice = Read("[audio]\nvolume = 20\n[AUDIO]\nVolume = 90\n");
  EXPECT_EQ(twice.Values.Audio.Volume, 20);
  EXPECT_EQ(Joined(twice.Problems),
            "settings.ini:4: [audio] Volume is there twice; the first one counts\n");
  // Entries before any section, and a byte-order mark, which is not a line.
  const SettingsFile loose = Read("\xEF\xBB\xBFvolume = 5\n[audio]\nmute = on\n");
  EXPECT_TRUE(loose.Values.Audio.Mute);
  EXPECT_EQ(loose.Values.Audio.Volume, 100);
  EXPECT_EQ(Joined(loose.Problems),
            "settings.ini:1: entries before the first section, kept as it is\n");
}

// Files that cannot be settings at all: every default, one line, never
// written over, and no waiting on a pipe.
TEST(SettingsFile, UnusableFilesGiveDefaultsAndOneLine) {
  const std::string folder = testenv::MakeDir("unusable");
  std::string sections;
  for (int i = 0; i < 3000; ++i) sections += "[s" + std::to_string(i) + "]\nk=v\n";
  struct Case {
    const char* Name;
    std::string Bytes;
    const char* Message;
  };
  const char nul[] = "[audio]\nvolume=5\0\nmute=1\n";
  const Case files[] = {
      {"huge", std::string(2 << 20, 'x'), "is larger than 64 KiB"},
      {"binary",
       std::string("\x7F"
                   "ELF\x02\x01\x01",
                   7) +
           "[audio]\nvolume=5\n",
       "not a text file"},
      {"nul-byte", std::string(nul, sizeof nul - 1), "holds a NUL byte (line 2)"},  // "nul" is a device on Windows
      {"long", "[audio]\nvolume=5\n; " + std::string(2000, 'x') + "\n",
       "line 3 is longer than 1024 bytes"},
      {"sections", sections, "more than 256 sections"},
  };
  for (const Case& c : files) {
    const std::string path = folder + "/" + c.Name;
    testenv::WriteFile(path, c.Bytes);
    SettingsFile file;
    LoadSettingsFile(path, file);
    ASSERT_EQ(file.Problems.size(), 1u) << c.Name << "\n" << Joined(file.Problems);
    EXPECT_NE(file.Problems[0].find(c.Message), std::string::npos) << file.Problems[0];
    EXPECT_NE(file.Problems[0].find("every setting keeps its default"), std::string::npos);
    EXPECT_TRUE(file.Values == PlayerSettings{}) << c.Name;
    EXPECT_FALSE(file.Usable);
    std::string problem;
    PlayerSettings changed;
    changed.Audio.Volume = 10;
    EXPECT_FALSE(SaveSettingsFile(file, changed, problem));
    EXPECT_NE(problem.find("not written over"), std::string::npos) << problem;
    EXPECT_EQ(testenv::ReadFile(path), c.Bytes) << c.Name;
  }

  // A folder in its place (pipes and links: settings_posix_test.cc).
  const std::string dir = folder + "/a-folder";
  ASSERT_TRUE(MakeFolder(dir, 0700));
  SettingsFile inFolder;
  LoadSettingsFile(dir, inFolder);
  ASSERT_EQ(inFolder.Problems.size(), 1u) << dir;
  EXPECT_NE(inFolder.Problems[0].find("is a folder"), std::string::npos) << inFolder.Problems[0];
  EXPECT_FALSE(inFolder.Usable);

  // A missing file is no problem at all, and may be made.
  SettingsFile missing;
  LoadSettingsFile(folder + "/none/settings.ini", missing);
  EXPECT_TRUE(missing.Problems.empty());
  EXPECT_TRUE(missing.Usable);
  EXPECT_FALSE(testenv::FileExists(folder + "/none"));
}

TEST(ControlNames, EveryNamedKeyAndButtonReadsBackAsItself) {
  int named = 0;
  for (int32_t code = 1; code < 256; ++code) {
    const std::string name = KeyNameOfCode(code);
    if (name.empty()) continue;
    ++named;
    EXPECT_EQ(KeyCodeOfName(name), code) << name;
    // And in a list, as the file and the options screen write it.
    ControlBinding binding;
    std::string problem;
    const bool parsed =
        ParseBinding(BindingText(Keys({static_cast<uint8_t>(code)})), binding, problem);
    EXPECT_EQ(parsed, !ReservedKey(code)) << name << ": " << problem;
    if (parsed) {
      EXPECT_EQ(binding, Keys({static_cast<uint8_t>(code)})) << name;
    }
  }
  EXPECT_GT(named, 100);
  for (int32_t b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
    EXPECT_EQ(PadButtonOfName(PadButtonName(b)), b);
  }
  EXPECT_EQ(KeyCodeOfName("right ctrl"), 157);
  EXPECT_EQ(KeyNameOfCode(51), "Comma");
  EXPECT_EQ(KeyCodeOfName("comma"), 51);
  EXPECT_EQ(PadButtonOfName("pad leftshoulder"), SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
  EXPECT_EQ(PadButtonOfName("Pad"), -1);
  EXPECT_EQ(KeyCodeOfName("NoSuchKey"), 0);
  EXPECT_EQ(KeyCodeOfName(std::string(300, 'a')), 0);
}

// The run's settings: read before start-up into the runtime's places, logged
// after it, and saved only for what the player changes, never for what the
// command line changed.
TEST(SettingsStore, OnlyChangesAreSavedAndTheCommandLineIsNot) {
  const std::string folder = testenv::MakeDir("config") + "/zorax";
  LoadPlayerSettings(folder);
  EXPECT_FALSE(testenv::FileExists(folder));  // not made until something changes

  RunSettings().Video.FullScreen = true;  // as a command-line option does
  PlayerSettings changed = RunSettings();
  changed.Audio.Volume = 50;
  changed.Keys[0][4] = Keys({57});
  ASSERT_TRUE(ChangeRunSettings(changed));
  EXPECT_EQ(testenv::ReadFile(folder + "/settings.ini"),
            "[audio]\r\nvolume=50\r\n[keys]\r\nplayer1.fire=Space\r\n");
  // Applied at once.
  EXPECT_EQ(CurrentOutputLevels().Volume, 50);
  EXPECT_EQ(CurrentControlBinding(0, PlayerControl::kFire), Keys({57}));
  EXPECT_TRUE(RunSettings().Video.FullScreen);

  // The player turns full screen off on the options screen: that is saved.
  changed.Video.FullScreen = false;
  changed.Pad.Deadzone = 0.3;
  ASSERT_TRUE(ChangeRunSettings(changed));
  EXPECT_EQ(testenv::ReadFile(folder + "/settings.ini"),
            "[audio]\r\nvolume=50\r\n[keys]\r\nplayer1.fire=Space\r\n[pad]\r\ndeadzone=0.3\r\n");
  EXPECT_DOUBLE_EQ(PadDeadzone(), 0.3);

  // The next run reads it all back.
  LoadPlayerSettings(folder);
  EXPECT_TRUE(RunSettings() == changed);
}

TEST(SettingsStore, WithoutAHomeChangesLastForTheRunAndAreToldOnce) {
  LoadPlayerSettings("");  // no home folder known at all
  DeleteErrorLog();
  PlayerSettings changed = RunSettings();
  for (int32_t volume : {90, 80, 70}) {
    changed.Audio.Volume = volume;
    EXPECT_FALSE(ChangeRunSettings(changed));
  }
  EXPECT_EQ(CurrentOutputLevels().Volume, 70);
  const std::string log = testenv::ReadErrorLog();
  EXPECT_NE(log.find("Settings not saved: no settings folder"), std::string::npos) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
}

TEST(SettingsStore, ProblemsReachTheLogAfterStartUp) {
  const std::string folder = testenv::MakeDir("logged");
  std::string text = "[audio]\nvolume = -3\n[keys]\nplayer1.fire = Spcae\n";
  for (int i = 0; i < 30; ++i) text += "extra" + std::to_string(i) + " = 1\n";
  testenv::WriteFile(folder + "/settings.ini", text);
  LoadPlayerSettings(folder);
  DeleteErrorLog();
  StartPlayerSettings();
  const std::string log = testenv::ReadErrorLog();
  EXPECT_NE(log.find(folder + "/settings.ini:2: [audio] volume = -3"), std::string::npos) << log;
  EXPECT_NE(log.find(folder + "/settings.ini:4: [keys] player1.fire = Spcae"), std::string::npos);
  // 32 problems: 20 lines and one that counts the rest.
  EXPECT_NE(log.find("12 more problems in " + folder + "/settings.ini"), std::string::npos) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 21);
  // The bad values were not taken.
  EXPECT_EQ(CurrentOutputLevels().Volume, 100);
  EXPECT_EQ(CurrentControlBinding(0, PlayerControl::kFire),
            DefaultControlBinding(0, PlayerControl::kFire));
}

TEST(SettingsStore, VerticalSyncOnlyAtTheGameRateUnlessAsked) {
  EXPECT_EQ(SwapIntervalFor(-1, 60), 1);
  EXPECT_EQ(SwapIntervalFor(-1, 59), 1);
  EXPECT_EQ(SwapIntervalFor(-1, 61), 1);
  EXPECT_EQ(SwapIntervalFor(-1, 75), 0);
  EXPECT_EQ(SwapIntervalFor(-1, 144), 0);
  EXPECT_EQ(SwapIntervalFor(-1, 0), 0);  // unknown refresh: our own pacing
  EXPECT_EQ(SwapIntervalFor(1, 144), 1);
  EXPECT_EQ(SwapIntervalFor(0, 60), 0);
}

}  // namespace
