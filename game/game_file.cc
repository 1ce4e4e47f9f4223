// The game file loader. The blocks are read by the reader the checker shares,
// from channel 1, so every fault ends the program where reading the file
// field by field ends it. Images are then built into their slots in one
// texture upload each, which leaves exactly what drawing them pixel by pixel
// through an off-screen screen leaves.
#include "game/game_file.h"

#include <cstdint>

#include "game/game_file_reader.h"
#include "game/game_file_writer.h"
#include "runtime/core/program_end.h"
#include "runtime/files/channels.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/gfx2d/text.h"

namespace {

// Reads channel 1. Every read either delivers or ends the program (error 3),
// so nothing here ever reports a stop.
class ChannelSource {
 public:
  bool I8(int32_t& out, const GameFilePlace&, const char*) {
    ReadInt8(kGameFileChannel, out);
    return true;
  }
  bool U8(int32_t& out, const GameFilePlace&, const char*) {
    ReadUInt8(kGameFileChannel, out);
    return true;
  }
  bool I16(int32_t& out, const GameFilePlace&, const char*) {
    ReadInt16(kGameFileChannel, out);
    return true;
  }
  bool I32(int32_t& out, const GameFilePlace&, const char*) {
    ReadInt32(kGameFileChannel, out);
    return true;
  }
  bool Text(RtString& out, int32_t length, const GameFilePlace&, const char*) {
    ReadFixedString(kGameFileChannel, out, length);
    return true;
  }
  int64_t BytesLeft() { return ChannelBytesLeft(kGameFileChannel); }
  // The palette lookup and the layer slot are index errors of their arrays.
  bool PixelOutsidePalette(const GameFilePlace&, int32_t, int32_t, int32_t) {
    RaiseRuntimeError(kErrorIndex);
  }
  bool LayerBeyondTwo(const GameFilePlace&, int32_t) { RaiseRuntimeError(kErrorIndex); }
  bool OutOfMemory(const GameFilePlace&, const char*, int64_t) {
    RaiseRuntimeError(kErrorOutOfRange);
  }
  bool FileEndsEarly(const GameFilePlace&, const char*) { RaiseRuntimeError(kErrorChannel); }
};

// An empty image becomes a transparent square of the default size.
bool MakePlaceholder(ImageRecord& image, int32_t defaultSize) {
  if (image.Pixels.DimSize(0) != 0) return false;
  image.Pixels.Dimension(defaultSize, defaultSize);
  for (int32_t& pixel : image.Pixels) pixel = kTransparentColour;
  return true;
}

}  // namespace

int32_t ImageRows(const ImageRecord& image) {
  const int32_t height = image.Pixels.DimSize(1);
  // A one-dimensional array answers to the second index 0 only: one row.
  return image.Pixels.DimSize(0) > 0 && height == 0 ? 1 : height;
}

int32_t ReadGameFile(GameRecord& game, const RtString& path) {
  if (OpenChannel(kGameFileChannel, path, 1) == 0) return 0;
  int32_t version = 0;
  ReadInt32(kGameFileChannel, version);
  // Refused before anything is stored; the caller ends the program.
  if (version > kHighestGameFileVersion) return 0;
  ChannelSource source;
  GameFileReader<ChannelSource> reader(source, version);
  reader.ReadBlocks(game);
  CloseChannel(kGameFileChannel);
  return 1;
}

void BuildGameImages(GameRecord& game) {
  for (int32_t i = 0; i < game.Sprites.DimSize(0); ++i) {
    game.Sprites[i].SpriteId = i;
    BuildImageSprite(game.Sprites[i], kSpriteImageSize);
  }
  for (int32_t i = 0; i < game.Tiles.DimSize(0); ++i) {
    game.Tiles[i].SpriteId = kFirstTileSlot + i;
    BuildImageSprite(game.Tiles[i], kTileImageSize);
  }
  NameAnimations(game.Animations, game.Animations.DimSize(0));
}

int32_t LoadGame(GameRecord& game, const RtString& path) {
  if (ReadGameFile(game, path) == 0) return 0;
  BuildGameImages(game);
  return 1;
}

void BuildImageSprite(ImageRecord& image, int32_t defaultSize) {
  const int32_t width = image.Pixels.DimSize(0);
  // Placeholders print their number, which only drawing can do; they are few.
  if (width == 0) {
    DrawImageSprite(image, defaultSize);
    return;
  }
  // Drawing column by column would reach row H of a short image and stop there.
  if (ImageRows(image) < width) RaiseRuntimeError(kErrorIndex);
  // The top W x W square, x fastest, is the start of the [x][y] storage. A
  // size the store cannot hold leaves the slot alone.
  BuildSpriteFromPixels(image.SpriteId, width, width, image.Pixels.Data());
}

void DrawImageSprite(ImageRecord& image, int32_t defaultSize) {
  const bool placeholder = MakePlaceholder(image, defaultSize);
  const int32_t width = image.Pixels.DimSize(0);
  const int32_t id = image.SpriteId;
  GrabSprite(id, 0, 0, width, width);
  CreateScreen(0, id, width, width);
  DrawSprite(id, 0, 0);
  UseScreen(0);
  DrawRect(0, 0, 500, 500, kTransparentColour);
  if (placeholder) {
    // Its pixels are all transparent, as the rectangle already is: setting
    // them would erase the number again (the key colour writes alpha 0).
    PrintText(NumberToText(id), 8, 8);
  } else {
    for (int32_t x = 0; x < width; ++x) {
      for (int32_t y = 0; y < width; ++y) SetPixel(x, y, image.Pixels(x, y));
    }
  }
  UseScreen(-1);
}

void NameAnimations(RtArray<AnimationRecord>& animations, int32_t count) {
  static const char* const kActions[] = {"Move", "Shoot", "Die", "Bullet"};
  // Always one whole group more than the count fills.
  const int64_t target = (int64_t{count} & ~int64_t{3}) + 4;
  if (target > INT32_MAX) RaiseRuntimeError(kErrorOutOfRange);
  if (animations.DimSize(0) != target) animations.Redimension(static_cast<int32_t>(target));
  for (int32_t g = 0; g < target / 4; ++g) {
    const RtString actor = g < 2 ? RtString("Player ") + (g + 1) : RtString("Enemy ") + (g - 1);
    for (int32_t k = 0; k < 4; ++k) animations[g * 4 + k].Name = actor + ", " + kActions[k];
  }
}
