// Music on the (dummy) audio device: playing once or looping, the loop that
// the frame loop drives, volume, stopping, files that cannot play, and the
// program end with music still open.
#include "runtime/sound/music.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <string>

#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/sound/sound.h"
#include "tests/sound/wav_bytes.h"
#include "tests/support/program_end_checks.h"
#include "tests/support/test_env.h"

namespace {

// A 16-bit mono piece of the given length in milliseconds.
std::string WritePiece(const std::string& name, uint32_t ms) {
  wavtest::WavShape shape;
  shape.Rate = 22050;
  shape.Samples = wavtest::Constant16(22050 * ms / 1000, 1, 3000);
  const std::string path = testenv::TempDir() + "/" + name;
  testenv::WriteFile(path, wavtest::MakeWav(shape));
  return path;
}

// Waits up to five seconds for the mixer to finish the piece.
bool WaitForPieceEnd() {
  const double start = NowMs();
  while (Mix_PlayingMusic() != 0) {
    if (NowMs() - start > 5000) return false;
    SleepWholeMs(10);
  }
  return true;
}

class MusicOnDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateSoundDevice();
    OpenSoundDevice();
    ASSERT_TRUE(SoundMixerOpen());
  }
  void TearDown() override { CloseSoundDevice(); }
};

}  // namespace

TEST_F(MusicOnDevice, ALoopingShortPieceRestartsEveryHalfSecond) {
  const std::string path = WritePiece("loop.wav", 300);
  const double before = NowMs();
  PlayMusic(path.c_str(), 1);
  const MusicRecord& music = CurrentMusic();
  ASSERT_TRUE(music.Loaded);
  EXPECT_DOUBLE_EQ(music.LengthMs, 500);  // 300 ms counts as the 500 ms minimum
  EXPECT_GE(music.MusicLoopEnd, before + 500);
  EXPECT_LE(music.MusicLoopEnd, NowMs() + 500);
  EXPECT_EQ(MusicPlaying(), 1);

  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(WaitForPieceEnd());
    EXPECT_EQ(MusicPlaying(), 1) << "a looping piece counts as playing between rounds";
    const double loopEnd = music.MusicLoopEnd;
    if (NowMs() < loopEnd) {
      MusicLoopTick();  // too early: nothing happens
      EXPECT_EQ(Mix_PlayingMusic(), 0);
      EXPECT_EQ(music.MusicLoopEnd, loopEnd);
      SleepWholeMs(static_cast<int>(loopEnd - NowMs()) + 1);
    }
    const double tick = NowMs();
    MusicLoopTick();
    EXPECT_EQ(Mix_PlayingMusic(), 1) << round;
    EXPECT_GE(music.MusicLoopEnd, tick + 500);
    EXPECT_LE(music.MusicLoopEnd, NowMs() + 500);
  }
}

TEST_F(MusicOnDevice, APieceWithoutLoopEndsAndStops) {
  const std::string path = WritePiece("once.wav", 200);
  PlayMusic(path.c_str(), 0);
  EXPECT_EQ(CurrentMusic().MusicLoopEnd, 0);
  EXPECT_EQ(MusicPlaying(), 1);
  ASSERT_TRUE(WaitForPieceEnd());
  EXPECT_EQ(MusicPlaying(), 0);
  MusicLoopTick();
  EXPECT_EQ(MusicPlaying(), 0);

  RestartMusic();
  EXPECT_EQ(MusicPlaying(), 1);

  StopMusic();
  EXPECT_EQ(MusicPlaying(), 0);
  EXPECT_FALSE(CurrentMusic().Loaded);
  EXPECT_EQ(CurrentMusic().MusicVolume, -1);
  EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(MusicOnDevice, VolumeIsSentOnlyWhenItChanges) {
  const std::string path = WritePiece("volume.wav", 2000);
  PlayMusic(path.c_str(), 1);
  EXPECT_EQ(CurrentMusic().MusicVolume, 1);
  EXPECT_EQ(Mix_VolumeMusic(-1), MIX_MAX_VOLUME);

  Mix_VolumeMusic(7);  // a change behind the command's back shows what it sends
  SetMusicVolume(1);
  EXPECT_EQ(Mix_VolumeMusic(-1), 7);
  SetMusicVolume(0.5);
  EXPECT_EQ(Mix_VolumeMusic(-1), MIX_MAX_VOLUME / 2);
  SetMusicVolume(3);
  EXPECT_EQ(Mix_VolumeMusic(-1), MIX_MAX_VOLUME);
  SetMusicVolume(-1);
  EXPECT_EQ(Mix_VolumeMusic(-1), 0);

  // A new piece starts at full volume again.
  PlayMusic(path.c_str(), 0);
  EXPECT_EQ(Mix_VolumeMusic(-1), MIX_MAX_VOLUME);
}

TEST_F(MusicOnDevice, FilesThatCannotPlayLeaveTheMusicStopped) {
  const std::string good = WritePiece("good.wav", 2000);
  const std::string junk = testenv::TempDir() + "/junk.wav";
  testenv::WriteFile(junk, "RIFF\x10\x00\x00\x00WAVEjunk\x02\x00\x00\x00zz");
  for (const std::string& path : {junk, testenv::TempDir() + "/missing.ogg"}) {
    PlayMusic(good.c_str(), 1);
    ASSERT_EQ(MusicPlaying(), 1);
    PlayMusic(path.c_str(), 1);
    EXPECT_EQ(MusicPlaying(), 0) << path;
    EXPECT_EQ(CurrentMusic().MusicLoopEnd, 0) << path;
    EXPECT_EQ(CurrentMusic().MusicPath, path.c_str());
    EXPECT_EQ(Mix_PlayingMusic(), 0) << path;
    MusicLoopTick();
    RestartMusic();
    SetMusicVolume(0.3);
    EXPECT_EQ(MusicPlaying(), 0) << path;
  }
}

TEST_F(MusicOnDevice, ProgramEndClosesMusicBeforeTheDevice) {
  const std::string path = WritePiece("end.wav", 2000);
  PlayMusic(path.c_str(), 1);
  EXPECT_PROGRAM_END(EndProgram());
}

TEST(Music, WithoutASoundDeviceNothingPlays) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  CreateSoundDevice();
  const std::string path = WritePiece("silent.wav", 300);
  PlayMusic(path.c_str(), 1);
  EXPECT_EQ(MusicPlaying(), 0);
  EXPECT_FALSE(CurrentMusic().Loaded);
  MusicLoopTick();
  RestartMusic();
  SetMusicVolume(0.5);
  StopMusic();
  EXPECT_EQ(MusicPlaying(), 0);
}
