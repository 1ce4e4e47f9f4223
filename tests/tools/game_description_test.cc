// What the game description reader promises: names resolve into the indexes
// and groups the game file stores, images arrive exactly as drawn, and every
// refusal names the file, the place and the problem.
#include "tools/game_description.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/game_file_writer.h"
#include "game/palette.h"
#include "runtime/gfx2d/image_write.h"
#include "tests/tools/description_test_support.h"

namespace {

using namespace descriptiontest;

constexpr int32_t kWhite = 0xFCFCFC;
constexpr int32_t kRed = 0x0038F8;   // "#f83800" packed as red + green x 256 + blue x 65536
constexpr int32_t kBlue = 0xF85800;  // "#0058f8"

TEST(GameDescription, NamesBecomeIndexesAndGroups) {
  const std::string folder = Folder();
  const std::string path = Write(folder, "game.json",
                                 Game(R"(
    "title": ["ONE", "TWO"],
    "sounds": {"pew": 3, "boom": 7},
    "enemies": {
      "blob": {"hits": 4, "fire_aim": ["down", "diagonals"], "loop_path": true,
               "animations": {"move": {"frames": ["shot", "ship"], "speed": 5},
                              "shoot": {"frames": ["ship"], "sound": "pew"},
                              "die": {"frames": ["ship"], "sound": "boom"},
                              "bullet": "shot"}},
      "drifter": {"fire_aim": "none", "animations": {"move": "ship", "die": "shot"}}
    })",
                                      R"("waves": [
      {"enemy": "blob", "formation": [[0, 0], [40, -8]], "spawn": {"from": 90, "step": -30, "count": 3},
       "path_origin": "spawn", "path": [[10, -20], [10, 400]]},
      {"objects": [{"enemy": "drifter", "offset": [5, 6], "hits": 9}], "spawn": 5, "path": [[1, 2]]}
    ])"));
  const GameDescription d = Read(path);
  const GameRecord& game = d.Game;
  EXPECT_EQ(game.TitleText.Std(), "ONE\nTWO");

  // Groups: players 0 and 1 (a one-player game repeats player 1), then one per enemy kind.
  ASSERT_EQ(game.Animations.DimSize(0), 16);
  EXPECT_EQ(game.Animations[0].Mode, 1);  // one frame
  EXPECT_EQ(game.Animations[2].Frames.DimSize(0), 2);
  EXPECT_EQ(game.Animations[1].Frames[0], game.Animations[0].Frames[0]);  // shoot repeats move
  EXPECT_EQ(game.Animations[4].Frames[0], game.Animations[0].Frames[0]);
  const AnimationRecord& blobMove = game.Animations[8];
  EXPECT_EQ(blobMove.Mode, 2);
  EXPECT_EQ(blobMove.Speed, 5);
  EXPECT_EQ(blobMove.Frames[0], 1);  // "shot" is the second sprite
  EXPECT_EQ(game.Animations[9].Sound, 3);
  EXPECT_EQ(game.Animations[10].Sound, 7);
  EXPECT_EQ(game.Animations[13].Sound, 0);      // drifter's shoot: move without a sound
  EXPECT_EQ(game.Animations[15].Frames[0], 0);  // drifter never fires: bullet repeats move

  // Waves: a formation shares the path, spawn positions step, paths start at the spawn.
  const LevelRecord& level = game.Levels[0];
  ASSERT_EQ(level.Waves.DimSize(0), 2);
  const WaveRecord& blobs = level.Waves[0];
  ASSERT_EQ(blobs.SpawnPositions.DimSize(0), 3);
  EXPECT_EQ(blobs.SpawnPositions[2], 30);
  EXPECT_EQ(blobs.Path[0].Y, 70);
  EXPECT_EQ(blobs.Path[1].Y, 490);
  ASSERT_EQ(blobs.Objects.DimSize(0), 2);
  EXPECT_EQ(blobs.Objects[1].OffsetX, 40);
  EXPECT_EQ(blobs.Objects[1].OffsetY, -8);
  EXPECT_EQ(blobs.Objects[0].AnimationBase, 8);
  EXPECT_EQ(blobs.Objects[0].FireAim, 8 + 16);
  EXPECT_EQ(blobs.Objects[0].LoopPath, 1);
  EXPECT_EQ(blobs.Objects[0].Hits, 4);
  const ObjectRecord& drifter = level.Waves[1].Objects[0];
  EXPECT_EQ(drifter.AnimationBase, 12);
  EXPECT_EQ(drifter.Hits, 9);      // the wave's own value wins over the kind's
  EXPECT_EQ(drifter.Points, 100);  // unset fields keep the record's defaults

  // The foreground, when not given, is an empty layer as large as the ground.
  EXPECT_EQ(level.Layers[1].DimSize(0), 3);
  EXPECT_EQ(level.Layers[1].DimSize(1), 2);
  EXPECT_EQ(level.Layers[1](2, 1), -1);
  EXPECT_EQ(game.Players.DimSize(0), 1);
  EXPECT_EQ(game.Players[0].Hits, 2);
}

TEST(GameDescription, DirectionAnimationsFollowTheDirectionNumbers) {
  const std::string dirs = R"("right": %, "up-right": %, "up": %, "up-left": %, "left": %,
                              "down-left": %, "down": %, "down-right": %)";
  auto fill = [&](const std::string& value) {
    std::string text = dirs;
    for (size_t at; (at = text.find('%')) != std::string::npos;) text.replace(at, 1, value);
    return text;
  };
  const std::string folder = Folder();
  const std::string path = Write(folder, "game.json",
                                 Game(R"("enemies": {
        "a": {"fire_aim": 0, "animations": {
          "move": {"mode": "directions", "frames": {)" +
                                      fill("\"ship\"") + R"(, "still": "shot"}},
          "die": {"mode": "direction-pairs", "frames": {)" +
                                      fill("[\"shot\", \"ship\"]") + R"(}}}}})"));
  const GameDescription d = Read(path);
  const AnimationRecord& move = d.Game.Animations[8];
  EXPECT_EQ(move.Mode, 0);
  ASSERT_EQ(move.Frames.DimSize(0), 9);
  EXPECT_EQ(move.Frames[7], 0);
  EXPECT_EQ(move.Frames[8], 1);  // still
  const AnimationRecord& die = d.Game.Animations[10];
  EXPECT_EQ(die.Mode, -1);
  ASSERT_EQ(die.Frames.DimSize(0), 16);
  EXPECT_EQ(die.Frames[14], 1);
  EXPECT_EQ(die.Frames[15], 0);
}

TEST(GameDescription, DerivedImagesAreExact) {
  const std::string folder = Folder();
  const std::string path = Write(folder, "game.json", Game(R"(
    "include": ["art.json"])"));
  Write(folder, "art.json", R"({"sprites": {
    "base": {"rows": ["wr.", "...", "..b"]},
    "turned": {"from": "base", "turn": 90},
    "flipped": {"from": "base", "flip": "x"},
    "recoloured": {"from": "base", "recolour": {"w": "b", "#f83800": "transparent"}},
    "big": {"from": "base", "scale": 2}
  }})");
  const GameDescription d = Read(path);
  const RtArray<ImageRecord>& s = d.Game.Sprites;
  ASSERT_EQ(s.DimSize(0), 7);
  EXPECT_EQ(d.SpriteNames[2], "base");
  const RtArray<int32_t>& base = s[2].Pixels;
  EXPECT_EQ(base(0, 0), kWhite);
  EXPECT_EQ(base(1, 0), kRed);
  EXPECT_EQ(base(2, 2), kBlue);
  EXPECT_EQ(base(1, 1), kTransparentColour);
  // A clockwise quarter turn takes the top-left pixel to the top-right.
  EXPECT_EQ(s[3].Pixels(2, 0), kWhite);
  EXPECT_EQ(s[3].Pixels(2, 1), kRed);
  EXPECT_EQ(s[3].Pixels(0, 2), kBlue);
  EXPECT_EQ(s[4].Pixels(2, 0), kWhite);
  EXPECT_EQ(s[4].Pixels(0, 2), kBlue);
  EXPECT_EQ(s[5].Pixels(0, 0), kBlue);
  EXPECT_EQ(s[5].Pixels(1, 0), kTransparentColour);
  ASSERT_EQ(s[6].Pixels.DimSize(0), 6);
  EXPECT_EQ(s[6].Pixels(1, 1), kWhite);
  EXPECT_EQ(s[6].Pixels(3, 0), kRed);
  EXPECT_EQ(s[6].Pixels(5, 5), kBlue);
  // The writer stores the size warning-free images it is given; the mixed
  // sizes here are reported.
  EXPECT_FALSE(d.Warnings.empty());
}

TEST(GameDescription, PngImagesMapOntoThePaletteExactly) {
  const std::string folder = Folder();
  // 2 x 2: white, transparent / palette entry 55, the transparent colour itself.
  const uint8_t rgba[] = {252, 252, 252, 255, 9,   9, 9,   0,  //
                          0,   252, 252, 255, 255, 0, 128, 255};
  ASSERT_TRUE(WritePng(folder + "/good.png", 2, 2, rgba, true));
  uint8_t offPalette[sizeof rgba];
  std::copy(std::begin(rgba), std::end(rgba), offPalette);
  offPalette[12] = 1;  // pixel (1, 1) becomes #0100 80
  ASSERT_TRUE(WritePng(folder + "/bad.png", 2, 2, offPalette, true));
  uint8_t halfSeen[sizeof rgba];
  std::copy(std::begin(rgba), std::end(rgba), halfSeen);
  halfSeen[11] = 128;
  ASSERT_TRUE(WritePng(folder + "/half.png", 2, 2, halfSeen, true));

  const std::string good = Write(folder, "good.json", Game(R"("include": ["art/png.json"])"));
  Write(folder, "art/png.json", R"({"sprites": {"picture": {"png": "../good.png"}}})");
  const RtArray<int32_t> pixels = Read(good).Game.Sprites[2].Pixels;
  EXPECT_EQ(pixels(0, 0), kWhite);
  EXPECT_EQ(pixels(1, 0), kTransparentColour);
  EXPECT_EQ(pixels(0, 1), kPalette[55]);
  EXPECT_EQ(pixels(1, 1), kTransparentColour);

  const std::string bad = Write(folder, "bad.json", Game(R"("include": ["bad-art.json"])"));
  Write(folder, "bad-art.json", R"({"sprites": {"picture": {"png": "bad.png"}}})");
  const std::string error = Refusal(bad);
  EXPECT_NE(error.find("bad.png: pixel (1, 1) has colour #010080"), std::string::npos) << error;
  EXPECT_NE(error.find("bad-art.json: /sprites/picture/png"), std::string::npos) << error;

  Write(folder, "bad-art.json", R"({"sprites": {"picture": {"png": "half.png"}}})");
  EXPECT_NE(Refusal(bad).find("pixel (0, 1) is partly transparent"), std::string::npos);
}

// Each case: members added to (or replacing parts of) the valid game, and the
// pieces its error must contain: the place and the problem.
struct RefusalCase {
  const char* Name;
  std::string Text;
  std::vector<std::string> Expected;
};

TEST(GameDescription, RefusalsNameThePlaceAndTheProblem) {
  const std::vector<RefusalCase> cases = {
      {"syntax", "{\"legend\": {,}}", {"game.json: parse error at line 1, column 13"}},
      {"repeated key", "{\"a\": {\"x\": 1, \"x\": 2}}", {"key \"x\" is given twice in /a"}},
      {"misspelt field",
       Game("", "\"scrol\": \"still\""),
       {"/levels/0: unknown field \"scrol\"", "scroll_speed"}},
      {"no players",
       "{" + Legend() + "," + Sprites() + "," + Tiles() + ", \"levels\": []}",
       {"game.json: /: \"players\" is missing"}},
      {"unknown pixel",
       Replace(Game(""), "\"rw\"", "\"rZ\""),
       {"/sprites/ship/rows/1: character 'Z' at column 1 is not in the legend"}},
      {"ragged image", Replace(Game(""), "\"rw\"", "\"rww\""), {"/sprites/ship/rows/1: row is 3"}},
      {"not square",
       Replace(Game(""), "[\".w\", \"rw\"]", "[\".w\", \"rw\", \"ww\"]"),
       {"/sprites/ship: is 2 x 3 pixels; images must be square"}},
      {"colour outside the palette",
       Replace(Game(""), "\"#fcfcfc\"", "\"#123456\""),
       {"/legend/w: colour #123456 is not in the palette"}},
      {"unknown sprite",
       Replace(Game(""), "\"move\": \"ship\"", "\"move\": \"sihp\""),
       {"/players/0/animations/move: no sprite image is named \"sihp\""}},
      {"tile used as sprite",
       Replace(Game(""), "\"move\": \"ship\"", "\"move\": \"sea\""),
       {"\"sea\" is a tile image, not a sprite image"}},
      {"too many hits",
       Game(
           R"("enemies": {"e": {"hits": 40000, "fire_aim": 0, "animations": {"move": "ship", "die": "ship"}}})"),
       {"/enemies/e/hits: 40000 is outside 1 to 32767"}},
      {"firing without a bullet",
       Game(
           R"("enemies": {"e": {"fire_aim": "all", "animations": {"move": "ship", "die": "ship"}}})"),
       {"/enemies/e/animations: \"bullet\" is missing (this actor fires)"}},
      {"dying by directions",
       Game(R"("enemies": {"e": {"fire_aim": 0, "animations": {"move": "ship",
             "die": {"mode": "directions", "frames": {}}}}})"),
       {"/enemies/e/animations/die/mode: a die animation by directions never ends"}},
      {"missing direction",
       Game(R"("enemies": {"e": {"fire_aim": 0, "animations": {"die": "ship",
             "move": {"mode": "directions", "frames": {"right": "ship"}}}}})"),
       {"/enemies/e/animations/move/frames: \"up-right\" is missing"}},
      {"unknown sound",
       Replace(Game(""), "\"bullet\": \"shot\"",
               "\"bullet\": {\"frames\": \"shot\", \"sound\": \"bang\"}"),
       {"/players/0/animations/bullet/sound: no sound is named \"bang\""}},
      {"unknown map character",
       Replace(Game(""), "\"~~~\", \"~~~\"", "\"~~~\", \"~x~\""),
       {"/levels/0/ground/1: character 'x' at column 1 is not in the map legend"}},
      {"foreground of another size",
       Game("", "\"foreground\": [\"##\"]"),
       {"/levels/0/foreground: is 2 x 1 cells; the ground is 3 x 2"}},
      {"unknown enemy",
       Game("", R"("waves": [{"enemy": "ghost", "spawn": 1, "path": [[0, 0]]}])"),
       {"/levels/0/waves/0/enemy: no enemy kind is named \"ghost\""}},
      {"path leaving 16 bits",
       Game(
           R"("enemies": {"e": {"fire_aim": 0, "animations": {"move": "ship", "die": "ship"}}})",
           R"("waves": [{"enemy": "e", "spawn": 30000, "path_origin": "spawn", "path": [[0, 0], [0, 3000]]}])"),
       {"/levels/0/waves/0/path/1: lies at map y 33000"}},
      {"wave without spawn",
       Game(R"("enemies": {"e": {"fire_aim": 0, "animations": {"move": "ship", "die": "ship"}}})",
            R"("waves": [{"enemy": "e", "spawn": [], "path": [[0, 0]]}])"),
       {"/levels/0/waves/0/spawn: a wave without spawn positions never appears"}},
      {"missing include",
       Game(R"("include": ["nowhere.json"])"),
       {"/include/0: ", "nowhere.json: cannot be read"}},
  };
  for (const RefusalCase& c : cases) {
    const std::string folder = Folder();
    const std::string error = Refusal(Write(folder, "game.json", c.Text));
    EXPECT_EQ(error.find(folder + "/game.json"), 0u) << c.Name << ": " << error;
    for (const std::string& piece : c.Expected) {
      EXPECT_NE(error.find(piece), std::string::npos) << c.Name << ": " << error;
    }
  }
}

TEST(GameDescription, AnErrorInAnIncludedFileNamesThatFile) {
  const std::string folder = Folder();
  const std::string path = Write(folder, "game.json", Game(R"("include": ["levels/two.json"])"));
  Write(folder, "levels/two.json",
        R"({"levels": [{"map_legend": {"~": "sea"}, "ground": ["~~"], "waves": [{"spawn": 1}]}]})");
  const std::string error = Refusal(path);
  EXPECT_EQ(error.rfind(folder + "/levels/two.json: /levels/0/waves/0: ", 0), 0u) << error;
}

// A version 7 image entry read back from the writer's bytes.
TEST(GameDescription, ImagesSurviveTheGameFileUnchanged) {
  const std::string folder = Folder();
  const GameDescription d = Read(Write(folder, "game.json", Game()));
  std::string bytes, error;
  ASSERT_TRUE(WriteGameFile(d.Game, d.Version, bytes, error)) << error;
  auto i32 = [&](size_t at) {
    return static_cast<int32_t>(static_cast<uint8_t>(bytes[at]) |
                                static_cast<uint8_t>(bytes[at + 1]) << 8 |
                                static_cast<uint8_t>(bytes[at + 2]) << 16 |
                                static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24);
  };
  ASSERT_EQ(i32(0), 7);
  ASSERT_EQ(i32(4), d.Game.Sprites.DimSize(0));
  size_t at = 8;
  for (int32_t i = 0; i < d.Game.Sprites.DimSize(0); ++i) {
    const RtArray<int32_t>& pixels = d.Game.Sprites[i].Pixels;
    ASSERT_EQ(i32(at), pixels.DimSize(0));
    ASSERT_EQ(i32(at + 4), pixels.DimSize(1));
    at += 8;
    for (int32_t y = 0; y < pixels.DimSize(1); ++y) {
      for (int32_t x = 0; x < pixels.DimSize(0); ++x) {
        EXPECT_EQ(kPalette[static_cast<uint8_t>(bytes[at++])], pixels(x, y))
            << i << " " << x << "," << y;
      }
    }
  }
  EXPECT_EQ(i32(at), d.Game.Tiles.DimSize(0));
}

}  // namespace
