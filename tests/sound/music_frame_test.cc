// The frame loop keeps looping music going: a game that only presents frames
// hears its looping piece start again each time its length has passed.
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <string>

#include "runtime/core/frame.h"
#include "runtime/core/system.h"
#include "runtime/sound/music.h"
#include "runtime/sound/sound.h"
#include "tests/gfx2d/gl_test_util.h"
#include "tests/sound/wav_bytes.h"
#include "tests/support/test_env.h"

namespace {

TEST(MusicAndFrames, PresentFrameRestartsALoopingPiece) {
  ASSERT_TRUE(gltest::OpenWindow());
  CreateSoundDevice();
  OpenSoundDevice();
  ASSERT_TRUE(SoundMixerOpen());

  wavtest::WavShape shape;
  shape.Rate = 22050;
  shape.Samples = wavtest::Constant16(22050 * 300 / 1000, 1, 3000);  // 300 ms
  const std::string path = testenv::TempDir() + "/loop.wav";
  testenv::WriteFile(path, wavtest::MakeWav(shape));
  PlayMusic(path.c_str(), 1);
  const MusicRecord& music = CurrentMusic();
  ASSERT_TRUE(music.Loaded);

  // Frames until the 500 ms loop has come round twice (or five seconds pass).
  double lastLoopEnd = music.MusicLoopEnd;
  int restarts = 0;
  const double start = NowMs();
  while (restarts < 2 && NowMs() - start < 5000) {
    PresentFrame();
    if (music.MusicLoopEnd != lastLoopEnd) {
      ++restarts;
      EXPECT_EQ(Mix_PlayingMusic(), 1) << "restarted pieces play";
      lastLoopEnd = music.MusicLoopEnd;
    }
  }
  EXPECT_EQ(restarts, 2);
  EXPECT_GE(NowMs() - start, 950.0) << "never before the piece's length has passed";
  CloseSoundDevice();
}

}  // namespace
