// What the WAV reader accepts, how it turns samples into 16-bit frames, and
// the malformed files it must refuse without reading past the data it has.
#include "runtime/sound/wav_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "tests/sound/wav_bytes.h"
#include "tests/support/test_env.h"

using wavtest::WavShape;

namespace {

bool Decode(const std::string& file, SoundSamples& out) {
  const auto bytes = wavtest::Bytes(file);
  return DecodeWav(bytes.data(), bytes.size(), out);
}

bool Decodes(const WavShape& shape) {
  SoundSamples out;
  return Decode(wavtest::MakeWav(shape), out);
}

WavShape Mono16(uint32_t frames = 100) {
  WavShape shape;
  shape.Samples = wavtest::Constant16(frames, 1, 1000);
  return shape;
}

}  // namespace

TEST(WavFile, EightBitMonoBecomesSignedSixteenBit) {
  WavShape shape;
  shape.Bits = 8;
  shape.Rate = 11025;
  shape.Samples = std::string("\x00\x80\xFF\xC8", 4);
  SoundSamples out;
  ASSERT_TRUE(Decode(wavtest::MakeWav(shape), out));
  EXPECT_EQ(out.Channels, 1);
  EXPECT_EQ(out.Rate, 11025u);
  ASSERT_EQ(out.Frames, 4u);
  EXPECT_EQ(out.Data, (std::vector<int16_t>{-32768, 0, 32512, 18432}));
}

TEST(WavFile, SixteenBitStereoKeepsChannelOrderAndDropsAPartialFrame) {
  WavShape shape;
  shape.Channels = 2;
  shape.Rate = 44100;
  std::string samples;
  for (int v : {100, -200, 300, -400}) wavtest::Put16(samples, static_cast<uint16_t>(v));
  samples += "\x01\x02";  // half a frame at the end
  shape.Samples = samples;
  SoundSamples out;
  ASSERT_TRUE(Decode(wavtest::MakeWav(shape), out));
  EXPECT_EQ(out.Channels, 2);
  EXPECT_EQ(out.Frames, 2u);
  EXPECT_EQ(out.Data, (std::vector<int16_t>{100, -200, 300, -400}));
}

TEST(WavFile, ChunksAroundFormatAreSkippedAndLongFormatsAccepted) {
  WavShape shape = Mono16();
  shape.BeforeFormat = wavtest::Chunk("LIST", "INFOabcd") + wavtest::Chunk("junk", "");
  shape.BeforeData = wavtest::Chunk("fact", "wxyz");
  for (uint32_t formatSize : {16u, 18u, 40u}) {
    shape.FormatSize = formatSize;
    SoundSamples out;
    ASSERT_TRUE(Decode(wavtest::MakeWav(shape), out)) << formatSize;
    EXPECT_EQ(out.Frames, 100u);
    EXPECT_EQ(out.Data[99], 1000);
  }
}

TEST(WavFile, FormatTagIsNotCheckedAndRatesWithinRangeLoad) {
  WavShape shape = Mono16();
  shape.FormatTag = 0xFFFE;
  EXPECT_TRUE(Decodes(shape));
  for (uint32_t rate : {kWavMinRate, 8000u, 11025u, 31337u, 96000u, kWavMaxRate}) {
    shape.Rate = rate;
    EXPECT_TRUE(Decodes(shape)) << rate;
  }
}

TEST(WavFile, MoreThanTwoChannelsNeedAStereoBlock) {
  // Any count above one is played as stereo: the block must hold two samples.
  WavShape shape = Mono16();
  shape.Channels = 4;
  shape.Samples = wavtest::Constant16(10, 2, 5);
  shape.BlockAlign = 4;
  EXPECT_TRUE(Decodes(shape));
  shape.BlockAlign = 8;
  EXPECT_FALSE(Decodes(shape));
}

TEST(WavFile, MalformedHeadersAreRefused) {
  struct Case {
    const char* what;
    void (*spoil)(WavShape&);
  };
  const Case cases[] = {
      {"no fmt chunk", [](WavShape& s) { s.WithFormat = false; }},
      {"no data chunk", [](WavShape& s) { s.WithData = false; }},
      {"zero channels",
       [](WavShape& s) {
         s.Channels = 0;
         s.BlockAlign = 2;
       }},
      {"zero rate", [](WavShape& s) { s.Rate = 0; }},
      {"rate below 100", [](WavShape& s) { s.Rate = 99; }},
      {"absurd rate", [](WavShape& s) { s.Rate = 0xFFFFFFFF; }},
      {"block align 0", [](WavShape& s) { s.BlockAlign = 0; }},
      {"block align off", [](WavShape& s) { s.BlockAlign = 3; }},
      {"4-bit samples",
       [](WavShape& s) {
         s.Bits = 4;
         s.BlockAlign = 1;
       }},
      {"24-bit samples", [](WavShape& s) { s.Bits = 24; }},
      {"32-bit samples", [](WavShape& s) { s.Bits = 32; }},
      {"format chunk of 14 bytes", [](WavShape& s) { s.FormatSize = 14; }},
      {"data shorter than stated", [](WavShape& s) { s.DataSizeField = 201; }},
      {"data size past 4 GB", [](WavShape& s) { s.DataSizeField = 0xFFFFFFFF; }},
      {"empty data", [](WavShape& s) { s.Samples.clear(); }},
      {"data smaller than a frame", [](WavShape& s) { s.Samples = "x"; }},
      {"chunk size past the end",
       [](WavShape& s) { s.BeforeFormat = std::string("LIST\xF0\xFF\xFF\x7F", 8); }},
  };
  ASSERT_TRUE(Decodes(Mono16()));
  for (const Case& c : cases) {
    WavShape shape = Mono16();
    c.spoil(shape);
    SoundSamples out;
    EXPECT_FALSE(Decode(wavtest::MakeWav(shape), out)) << c.what;
    EXPECT_EQ(out.Frames, 0u) << c.what;
    EXPECT_TRUE(out.Data.empty()) << c.what;
  }
}

TEST(WavFile, WrongTagsAndEveryTruncationAreRefused) {
  const std::string good = wavtest::MakeWav(Mono16(8));
  SoundSamples out;
  EXPECT_FALSE(Decode("RIFX" + good.substr(4), out));
  EXPECT_FALSE(Decode(good.substr(0, 8) + "WAVX" + good.substr(12), out));
  EXPECT_FALSE(DecodeWav(nullptr, 0, out));
  // Cut anywhere before the end of the data, the file must fail cleanly.
  for (size_t cut = 0; cut < good.size(); ++cut) {
    EXPECT_FALSE(Decode(good.substr(0, cut), out)) << cut;
  }
}

TEST(WavFile, ZeroSizeChunksEndAtTheFileEnd) {
  // A run of empty chunks and no "fmt ": the walk must finish, not spin.
  std::string body = "WAVE";
  for (int i = 0; i < 10000; ++i) body += wavtest::Chunk("zero", "");
  std::string file = "RIFF";
  wavtest::Put32(file, static_cast<uint32_t>(body.size()));
  SoundSamples out;
  EXPECT_FALSE(Decode(file + body, out));
}

TEST(WavFile, ReadsFilesAndRefusesWhatIsNotOne) {
  const std::string dir = testenv::MakeDir("wav");
  testenv::WriteFile(dir + "/good.wav", wavtest::MakeWav(Mono16(50)));
  SoundSamples out;
  ASSERT_TRUE(ReadWavFile(dir + "/good.wav", out));
  EXPECT_EQ(out.Frames, 50u);

  EXPECT_FALSE(ReadWavFile(dir + "/missing.wav", out));
  EXPECT_FALSE(ReadWavFile(dir, out));  // a folder
  testenv::WriteFile(dir + "/empty.wav", "");
  EXPECT_FALSE(ReadWavFile(dir + "/empty.wav", out));
  ASSERT_EQ(mkfifo((dir + "/pipe.wav").c_str(), 0600), 0);
  EXPECT_FALSE(ReadWavFile(dir + "/pipe.wav", out));  // must not block
}
