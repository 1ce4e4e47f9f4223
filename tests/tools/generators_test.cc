// The demo's sound and font generators: the WAV files decode in the
// runtime's own reader with the recipe's length, pitch and peak, the same
// recipe gives the same bytes, and glyphs land in their cells with their
// colours and outline on a black, keyed-out ground.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "tools/font_sheet.h"
#include "tools/sound_recipe.h"
#include "runtime/sound/wav_file.h"
#include "tests/support/test_env.h"
#include "tools/description_json.h"

namespace {

std::string Write(const std::string& name, const std::string& text) {
  const std::string path = testenv::TempDir() + "/" + name;
  testenv::WriteFile(path, text);
  return path;
}

TEST(SoundGenerator, RecipesBecomePlayableWaveFiles) {
  const std::string path = Write("tone.json", R"({"rate": 11025, "volume": 0.5, "layers": [
      {"wave": "sine", "length": 1.0, "pitch": 441, "envelope": [[0, 1], [1.0, 1]]}]})");
  const SoundRecipe recipe = ReadSoundRecipe(path);
  const std::string bytes = WaveFileBytes(RenderSound(recipe), recipe.Rate);
  EXPECT_EQ(bytes, WaveFileBytes(RenderSound(ReadSoundRecipe(path)), recipe.Rate));

  SoundSamples samples;
  ASSERT_TRUE(DecodeWav(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), samples));
  EXPECT_EQ(samples.Rate, 11025u);
  EXPECT_EQ(samples.Channels, 1u);
  EXPECT_EQ(samples.Frames, 11025u);
  int peak = 0, rises = 0;
  for (size_t i = 0; i < samples.Data.size(); ++i) {
    peak = std::max(peak, std::abs(static_cast<int>(samples.Data[i])));
    if (i > 0 && samples.Data[i - 1] < 0 && samples.Data[i] >= 0) ++rises;
  }
  EXPECT_NEAR(peak, 16384, 2);  // normalised to half scale
  EXPECT_NEAR(rises, 441, 2);   // one upward zero crossing per period
}

TEST(SoundGenerator, LayersStartLateAndFadeOut) {
  const std::string path = Write("late.json", R"({"layers": [
      {"wave": "square", "start": 0.5, "length": 0.5, "pitch": [800, 200]},
      {"wave": "noise", "length": 0.1, "pitch": 5000, "lowpass": [3000, 300], "volume": 0.0}]})");
  const std::vector<int16_t> samples = RenderSound(ReadSoundRecipe(path));
  ASSERT_EQ(samples.size(), 22050u);
  for (size_t i = 0; i < 11025; ++i) ASSERT_EQ(samples[i], 0) << i;  // silent until 0.5 s
  EXPECT_NE(samples[11100], 0);
  EXPECT_LT(std::abs(samples.back()), 200);  // the default envelope ends at 0
}

TEST(SoundGenerator, BadRecipesNameThePlace) {
  const std::string path = Write("bad.json", R"({"layers": [{"wave": "sine", "length": 0.1,
      "pitch": 440, "envelope": [[0.05, 1], [0.01, 0]]}]})");
  try {
    ReadSoundRecipe(path);
    FAIL() << "accepted";
  } catch (const DescriptionError& e) {
    EXPECT_EQ(std::string(e.what()),
              path + ": /layers/0/envelope/1: envelope points must come in time order");
  }
}

// Cell of character c in a 16-pixel font: column c % 16, row c / 16.
const uint8_t* Pixel(const FontImage& image, int code, int x, int y) {
  const int px = (code % 16) * 16 + x, py = (code / 16) * 16 + y;
  return &image.Rgba[(static_cast<size_t>(py) * image.Width + px) * 4];
}

TEST(FontGenerator, GlyphsLandInTheirCellsWithColourAndOutline) {
  const std::string path = Write("font.json", R"({"cell": 16, "scale": 2, "top": 1,
      "colours": ["#ff0000", "#00ff00"], "accent": "#0000ff", "outline": "#101010",
      "glyphs": {"A": ["#+", "##"], "code 1": ["#"]}})");
  const FontImage image = RenderFont(ReadFontStyle(path));
  ASSERT_EQ(image.Width, 256);
  ASSERT_EQ(image.Height, 128);
  // 'A' (65): art 2 wide, doubled and centred: columns 6 to 9, rows 1 to 4.
  EXPECT_EQ(Pixel(image, 65, 6, 1)[0], 0xFF);  // first art row: red
  EXPECT_EQ(Pixel(image, 65, 7, 2)[0], 0xFF);
  EXPECT_EQ(Pixel(image, 65, 8, 1)[2], 0xFF);  // '+' accent: blue
  EXPECT_EQ(Pixel(image, 65, 9, 4)[1], 0xFF);  // second row: green
  EXPECT_EQ(Pixel(image, 65, 5, 0)[0], 0x10);  // outline, diagonally next to the glyph
  EXPECT_EQ(Pixel(image, 65, 10, 5)[3], 255);
  EXPECT_EQ(Pixel(image, 65, 11, 1)[3], 0);   // beyond the outline: empty
  EXPECT_EQ(Pixel(image, 1, 7, 1)[0], 0xFF);  // code 1 drawn in cell 1
  EXPECT_EQ(Pixel(image, 66, 7, 2)[3], 0);    // 'B' has no art
}

TEST(FontGenerator, RefusesWhatWouldNotShow) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {R"({"colours": ["#000000"], "glyphs": {}})", "/colours/0: black is the transparent colour"},
      {R"({"colours": ["#ffffff"], "glyphs": {"A": ["#########"]}})",
       "/glyphs/A/0: is wider than the 8 art pixels a cell holds"},
      {R"({"colours": ["#ffffff"], "glyphs": {"code 200": ["#"]}})",
       "/glyphs/code 200: character code 200 is above 127"},
      {R"({"colours": ["#ffffff"], "glyphs": {"AB": ["#"]}})",
       "should be one character or \"code N\""},
  };
  for (const auto& [text, expected] : cases) {
    try {
      ReadFontStyle(Write("bad-font.json", text));
      ADD_FAILURE() << "accepted " << text;
    } catch (const DescriptionError& e) {
      EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
    }
  }
}

}  // namespace
