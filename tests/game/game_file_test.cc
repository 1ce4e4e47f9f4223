// What the game file loader promises: each version's layout read into the
// record, the palette with its negative-index rule, the failures where the
// plain field-by-field reading would fail (and no sooner, and no allocation
// that the file cannot back), images built exactly as drawn, and the names
// of the animation entries.
#include "game/game_file.h"

#include <gtest/gtest.h>

#include <chrono>

#include "game/game_file_writer.h"
#include "game/palette.h"
#include "runtime/gfx2d/collision.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/gfx2d/text.h"
#include "tests/game/game_builders.h"
#include "tests/gfx2d/gl_test_util.h"
#include "tests/support/program_end_checks.h"
#include "tests/support/test_env.h"

namespace {

std::string Save(const std::string& bytes) {
  const std::string path = testenv::TempDir() + "/game.ZORAX";
  testenv::WriteFile(path, bytes);
  return path;
}

// Reads bytes as the loader does, without building images.
int32_t Read(GameRecord& game, const std::string& bytes) {
  return ReadGameFile(game, Save(bytes).c_str());
}

// The smallest complete version 7 file: one 1 x 1 transparent sprite, no
// tiles, no animations, one level with no layers, two players, no title.
GameFileBytes SmallestVersion7() {
  GameFileBytes f;
  f.I32(7).I32(1).I32(1).I32(1).U8(42).I32(0).I32(0);
  f.I32(1).I32(0).I32(0).I32(1).I32(3).I32(30).I32(0);
  f.I8(2);
  f.I8(5).I8(1).I8(3).I8(4).I8(6).I32(1500).I8(0).I8(0);
  f.I8(2).I8(0).I8(2).I8(2).I8(2).I32(2000).I8(1).I8(1);
  f.I32(0);
  return f;
}

using testgame::EmptyGame;
using testgame::Written;

TEST(GameFile, SmallestFilesOfVersions7And1) {
  ASSERT_TRUE(gltest::OpenWindow());
  const std::string bytes = SmallestVersion7().Bytes();
  ASSERT_EQ(bytes.size(), 80u);
  GameRecord game;
  ASSERT_EQ(LoadGame(game, Save(bytes).c_str()), 1);
  ASSERT_EQ(game.Sprites.DimSize(0), 1);
  EXPECT_EQ(game.Sprites[0].Pixels(0, 0), kTransparentColour);
  EXPECT_EQ(game.Sprites[0].SpriteId, 0);
  EXPECT_EQ(SpriteSlot(0).Width, 1);
  EXPECT_EQ(gltest::ImageTexel(0, 0, 0).A, 0);
  EXPECT_EQ(game.Tiles.DimSize(0), 0);
  ASSERT_EQ(game.Animations.DimSize(0), 4);
  EXPECT_EQ(game.Animations[3].Name.Std(), "Player 1, Bullet");
  ASSERT_EQ(game.Levels.DimSize(0), 1);
  EXPECT_EQ(game.Levels[0].Layers.DimSize(0), 2);
  EXPECT_EQ(game.Levels[0].ScrollSpeed, 3);
  ASSERT_EQ(game.Players.DimSize(0), 2);
  const ObjectRecord& p1 = game.Players[0];
  EXPECT_EQ((std::vector<int32_t>{p1.Hits, p1.FireAim, p1.PathSpeed, p1.FireRate, p1.BulletSpeed,
                                  p1.BulletLife, p1.Shootable, p1.Solid, p1.AnimationBase}),
            (std::vector<int32_t>{5, 1, 3, 4, 6, 1500, 0, 0, 0}));
  EXPECT_EQ(game.TitleText.Std(), "");

  // Version 1: the version and four zero counts; the players and the title
  // keep their defaults.
  GameRecord old;
  ASSERT_EQ(LoadGame(old, Save(GameFileBytes().I32(1).I32(0).I32(0).I32(0).I32(0).Bytes()).c_str()),
            1);
  EXPECT_EQ(old.Sprites.DimSize(0), 0);
  EXPECT_EQ(old.Tiles.DimSize(0), 0);
  EXPECT_EQ(old.Levels.DimSize(0), 0);
  ASSERT_EQ(old.Players.DimSize(0), 2);
  EXPECT_EQ(old.Players[1].BulletLife, 2000);
  EXPECT_EQ(old.TitleText.Std(), "Your Game\nPress fire to start");
  ASSERT_EQ(old.Animations.DimSize(0), 4);
  EXPECT_EQ(old.Animations[0].Name.Std(), "Player 1, Move");
}

TEST(GameFile, RefusedFilesLeaveTheRecordAlone) {
  GameRecord game;
  EXPECT_EQ(ReadGameFile(game, (testenv::TempDir() + "/missing.ZORAX").c_str()), 0);
  EXPECT_EQ(Read(game, GameFileBytes().I32(8).Bytes()), 0);
  EXPECT_EQ(Read(game, GameFileBytes().I32(8).I32(0).I32(-1).Bytes()), 0);
  EXPECT_EQ(game.Sprites.DimSize(0), 20);
  EXPECT_EQ(game.TitleText.Std(), "Your Game\nPress fire to start");
}

TEST(GameFile, ShortFilesEndWithTheChannelError) {
  GameRecord game;
  EXPECT_RUNTIME_ERROR(Read(game, GameFileBytes().I32(7).Bytes()), 3);
  // Cut anywhere inside a complete file.
  const std::string whole = SmallestVersion7().Bytes();
  for (size_t cut : {2u, 17u, 40u, 60u, 79u}) {
    EXPECT_RUNTIME_ERROR(Read(game, whole.substr(0, cut)), 3);
  }
  // A title longer than the file.
  std::string title = whole.substr(0, 76) + GameFileBytes().I32(1 << 30).Text("ab").Bytes();
  EXPECT_RUNTIME_ERROR(Read(game, title), 3);
}

// Counts in the millions (and images of billions of pixels) in a few bytes:
// the outcome reading reaches, at once, with no allocation to match.
TEST(GameFile, HugeCountsInShortFilesEndAtOnce) {
  const std::string cases[] = {
      GameFileBytes().I32(7).I32(50'000'000).I32(1).Bytes(),
      GameFileBytes().I32(7).I32(1).I32(40'000).I32(40'000).U8(1).Bytes(),
      GameFileBytes().I32(7).I32(0).I32(0).I32(0).I32(1).I32(1).I32(30'000).I32(30'000).Bytes(),
      GameFileBytes()
          .I32(7)
          .I32(0)
          .I32(0)
          .I32(0)
          .I32(1)
          .I32(0)
          .I32(0)
          .I32(0)
          .I32(0)
          .I32(0)
          .I32(20'000'000)
          .I32(0)
          .I16(0)
          .I32(0)
          .Bytes(),
      GameFileBytes().I32(7).I32(0).I32(0).I32(2'000'000'000).I32(3).Bytes(),
  };
  for (const std::string& bytes : cases) {
    const auto start = std::chrono::steady_clock::now();
    GameRecord game;
    EXPECT_RUNTIME_ERROR(Read(game, bytes), 3);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  }
  // A pixel byte outside the palette before the bytes run out still stops
  // the reading first, as it would field by field.
  GameRecord game;
  EXPECT_RUNTIME_ERROR(
      Read(game, GameFileBytes().I32(7).I32(1'000'000).I32(1).I32(1).U8(77).Bytes()), 9);
  // A one-row image needs no bytes per pixel: a width in the millions is
  // memory no file of a few bytes may ask for.
  EXPECT_RUNTIME_ERROR(Read(game, GameFileBytes().I32(7).I32(1).I32(20'000'000).I32(0).Bytes()), 7);
}

TEST(GameFile, PixelBytesIndexThePalette) {
  GameFileBytes f;
  // A 2 x 2 sprite, then one tile row of the signed bytes 255 and 200.
  f.I32(7).I32(1).I32(2).I32(2).U8(0).U8(1).U8(15).U8(42);
  f.I32(1).I32(2).I32(1).U8(255).U8(200);
  f.I32(0).I32(0).I8(0).I32(0);
  GameRecord game;
  ASSERT_EQ(Read(game, f.Bytes()), 1);
  const RtArray<int32_t>& sprite = game.Sprites[0].Pixels;
  EXPECT_EQ(sprite(0, 0), 0x000000);
  EXPECT_EQ(sprite(1, 0), 0x7C7C7C);
  EXPECT_EQ(sprite(0, 1), 0xBCBCBC);
  EXPECT_EQ(sprite(1, 1), 0x8000FF);
  EXPECT_EQ(game.Tiles[0].Pixels(0, 0), 0xFCFC00);  // -1: the last entry
  EXPECT_EQ(game.Tiles[0].Pixels(1, 0), 0x000000);  // -56: the first

  // Sprite bytes 56 and up, tile bytes 56 to 199, are out of range.
  EXPECT_RUNTIME_ERROR(Read(game, GameFileBytes().I32(7).I32(1).I32(1).I32(1).U8(56).Bytes()), 9);
  EXPECT_RUNTIME_ERROR(
      Read(game, GameFileBytes().I32(7).I32(0).I32(1).I32(1).I32(1).U8(199).Bytes()), 9);
  EXPECT_RUNTIME_ERROR(
      Read(game, GameFileBytes().I32(7).I32(0).I32(1).I32(1).I32(1).U8(56).Bytes()), 9);
}

TEST(GameFile, VersionsDifferInEntriesAndBlocks) {
  GameRecord game = EmptyGame();
  game.Animations.Dimension(1);
  game.Animations[0].Frames.AssignList({3, 1, 4});
  game.Levels.Dimension(1);
  game.Levels[0].Waves.Dimension(1);
  ObjectRecord& object = game.Levels[0].Waves[0].Objects[0];
  object.AnimationBase = 8;
  object.Hits = 7;
  object.LoopPath = 1;
  object.Points = 250;
  object.OffsetX = -12;
  object.OffsetY = 34;
  game.Levels[0].Waves[0].SpawnPositions.AssignList({900, 500});
  game.Levels[0].Waves[0].Path.Dimension(2);
  game.Levels[0].Waves[0].Path[1] = PathPoint{40, -5};
  game.Players[1].Solid = 0;
  game.Players[1].FireAim = 3;
  game.TitleText = "Title";

  for (int32_t version = 0; version <= 7; ++version) {
    GameRecord loaded;
    GameRecord kept = game;
    if (version < 4) kept.Animations[0].Sound = 0;
    if (version >= 4) kept.Animations[0].Sound = 6;
    ASSERT_EQ(Read(loaded, Written(kept, version)), 1) << version;
    const ObjectRecord& o = loaded.Levels[0].Waves[0].Objects[0];
    EXPECT_EQ(loaded.Levels[0].Waves[0].Objects.DimSize(0), 1);
    EXPECT_EQ(o.AnimationBase, 8);
    EXPECT_EQ(o.Points, 250);
    EXPECT_EQ(o.LoopPath, version >= 3 ? 1 : 0) << version;
    EXPECT_EQ(o.OffsetX, version >= 7 ? -12 : 0) << version;
    EXPECT_EQ(o.OffsetY, version >= 7 ? 34 : 0) << version;
    EXPECT_EQ(loaded.Levels[0].Waves[0].SpawnPositions[1], 500);
    EXPECT_EQ(loaded.Levels[0].Waves[0].Path[1].Y, -5);
    EXPECT_EQ(loaded.Animations[0].Frames[2], 4);
    EXPECT_EQ(loaded.Animations[0].Sound, version >= 4 ? 6 : 0) << version;
    // Players come with version 2, their Solid with 6; the title with 5.
    EXPECT_EQ(loaded.Players[1].FireAim, version >= 2 ? 3 : 0) << version;
    EXPECT_EQ(loaded.Players[1].Solid, version >= 6 ? 0 : 1) << version;
    EXPECT_EQ(loaded.TitleText.Std(), version >= 5 ? "Title" : "Your Game\nPress fire to start");
  }

  // Version 7 stores a count of objects per wave.
  game.Levels[0].Waves[0].Objects.Dimension(3);
  game.Levels[0].Waves[0].Objects[2].Hits = 9;
  GameRecord loaded;
  ASSERT_EQ(Read(loaded, Written(game, 7)), 1);
  ASSERT_EQ(loaded.Levels[0].Waves[0].Objects.DimSize(0), 3);
  EXPECT_EQ(loaded.Levels[0].Waves[0].Objects[2].Hits, 9);
  EXPECT_EQ(loaded.Levels[0].Waves[0].Objects[0].Hits, 3);
}

TEST(GameFile, LevelsHoldTwoLayersAndKeepTheirCells) {
  GameFileBytes f;
  f.I32(7).I32(0).I32(0).I32(0).I32(1);
  f.I32(2).I32(3).I32(2).I16(0).I16(-1).I16(5).I16(7).I16(-300).I16(2);  // layer 0: 3 x 2
  f.I32(1).I32(1).I16(4);                                                // layer 1: 1 x 1
  f.I32(1).I32(2).I32(6).I32(45).I32(0).I8(0).I32(4).Text(std::string("Hi\0\0", 4));
  GameRecord game;
  ASSERT_EQ(Read(game, f.Bytes()), 1);
  const RtArray<int32_t>& layer = game.Levels[0].Layers[0];
  EXPECT_EQ(layer.DimSize(0), 3);
  EXPECT_EQ(layer.DimSize(1), 2);
  EXPECT_EQ(layer(1, 0), -1);
  EXPECT_EQ(layer(1, 1), -300);
  EXPECT_EQ(game.Levels[0].Layers[1](0, 0), 4);
  EXPECT_EQ(game.Levels[0].ScrollMode, 2);
  EXPECT_EQ(game.Players.DimSize(0), 0);
  EXPECT_EQ(game.TitleText.Std(), "Hi");

  GameFileBytes three;
  three.I32(7).I32(0).I32(0).I32(0).I32(1).I32(3);
  for (int l = 0; l < 3; ++l) three.I32(1).I32(1).I16(0);
  EXPECT_RUNTIME_ERROR(Read(game, three.Bytes()), 9);
}

TEST(GameFile, AnimationsAreSizedToWholeGroupsAndNamed) {
  RtArray<AnimationRecord> animations;
  animations.Dimension(8);
  animations[7].Mode = -1;
  NameAnimations(animations, 8);
  ASSERT_EQ(animations.DimSize(0), 12);
  EXPECT_EQ(animations[7].Mode, -1);
  EXPECT_EQ(animations[5].Name.Std(), "Player 2, Shoot");
  EXPECT_EQ(animations[8].Name.Std(), "Enemy 1, Move");
  EXPECT_EQ(animations[11].Name.Std(), "Enemy 1, Bullet");
  EXPECT_EQ(animations[11].Mode, 2);
  EXPECT_EQ(animations[11].Frames.DimSize(0), 2);
  animations.Dimension(9);
  NameAnimations(animations, 9);
  EXPECT_EQ(animations.DimSize(0), 12);
  animations.Dimension(0);
  NameAnimations(animations, 0);
  EXPECT_EQ(animations.DimSize(0), 4);
  animations.Dimension(40);
  NameAnimations(animations, 40);
  EXPECT_EQ(animations[43].Name.Std(), "Enemy 9, Bullet");
}

// Deterministic palette pictures, the key colour among them.
ImageRecord Picture(int32_t width, int32_t height, uint32_t seed) {
  ImageRecord image;
  image.Pixels.Dimension(width, height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      image.Pixels(x, y) = kPalette[(x * 7 + y * 13 + seed) % kPaletteSize];
    }
  }
  return image;
}

void ExpectSameSlots(int32_t a, int32_t b, const std::string& where) {
  EXPECT_EQ(SpriteSlot(a).TextureWidth, SpriteSlot(b).TextureWidth) << where;
  EXPECT_EQ(SpriteSlot(a).Width, SpriteSlot(b).Width) << where;
  EXPECT_EQ(SpriteSlot(a).Height, SpriteSlot(b).Height) << where;
  EXPECT_EQ(gltest::ReadTexture(a), gltest::ReadTexture(b)) << where;
  const CollisionMask* ma = CollisionMaskOf(a);
  const CollisionMask* mb = CollisionMaskOf(b);
  ASSERT_TRUE(ma != nullptr && mb != nullptr) << where;
  EXPECT_EQ(ma->Bits, mb->Bits) << where;
}

TEST(GameFile, BuiltImagesEqualImagesDrawnPixelByPixel) {
  ASSERT_TRUE(gltest::OpenWindow());
  LoadBuiltinFont(0);
  for (bool framebuffers : {true, false}) {
    SetFramebufferObjectsAllowed(framebuffers);
    const std::string way = framebuffers ? "framebuffer" : "emulated";
    for (auto [w, h] : {std::pair{32, 32}, std::pair{48, 48}, std::pair{5, 9}, std::pair{1, 0}}) {
      ImageRecord built = Picture(w, h, static_cast<uint32_t>(w + h));
      ImageRecord drawn = built;
      built.SpriteId = 300;
      drawn.SpriteId = 301;
      BuildImageSprite(built, 32);
      DrawImageSprite(drawn, 32);
      ExpectSameSlots(300, 301, way + " " + std::to_string(w) + " x " + std::to_string(h));
    }
    // An empty image: a transparent square that shows its slot number.
    ImageRecord empty;
    empty.SpriteId = 1029;
    BuildImageSprite(empty, 48);
    ASSERT_EQ(empty.Pixels.DimSize(0), 48);
    EXPECT_EQ(empty.Pixels(47, 47), kTransparentColour);
    ASSERT_EQ(SpriteSlot(1029).Width, 48);
    CreateScreen(1, 400, 48, 48);
    UseScreen(1);
    DrawRect(0, 0, 48, 48, kTransparentColour);
    PrintText("1029", 8, 8);
    UseScreen(-1);
    EXPECT_EQ(gltest::ReadTexture(1029), gltest::ReadTexture(400)) << way;
    int opaque = 0;
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 48; ++x) opaque += gltest::ImageTexel(1029, x, y).A != 0;
    }
    EXPECT_GT(opaque, 20) << way << ": the number shows";
  }
  // Shorter than wide: drawing reaches a row that is not there.
  ImageRecord shorter = Picture(4, 3, 1);
  EXPECT_RUNTIME_ERROR(BuildImageSprite(shorter, 32), 9);
}

}  // namespace
