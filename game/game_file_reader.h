// The one reader of game file blocks, shared by the loader and the checker so
// that the two never drift apart. The loader's source reads channel 1 and
// ends the program at the first fault, exactly where reading it field by
// field would; the checker's source reads bytes, reports and carries on.
//
// A file is untrusted: every count is weighed against the bytes the file
// still holds before anything is sized to it. When the file cannot hold the
// items a count announces, the items are read into one scratch record: the
// read then fails where the plain reading would (out of bytes, or at an
// earlier bad pixel), without the allocation. What the record takes in memory
// is estimated and held to a budget that grows with the file's size.
//
// A source provides:
//   bool I8/U8/I16/I32(int32_t& out, const GameFilePlace&, const char* field)
//   bool Text(RtString& out, int32_t length, const GameFilePlace&, const char* field)
//        read one field; false only when a reporting source ran out of bytes
//   int64_t BytesLeft()  bytes still unread; negative when unknown
//   bool PixelOutsidePalette(place, x, y, byte)  the loader ends with error 9
//   bool LayerBeyondTwo(place, layer)            the loader ends with error 9
//   bool OutOfMemory(place, what, bytes)         the loader ends with error 7
//   bool FileEndsEarly(place, field)             the loader ends with error 3
//   the last four return false to stop reading, true to go on
#pragma once

#include <cstdint>
#include <type_traits>

#include "game/palette.h"
#include "game/records.h"

// Where the reader is in the file: the nested items it is inside, for
// messages ("level 2, wave 0, object 1").
struct GameFilePlace {
  static constexpr int kDepth = 4;
  const char* Kinds[kDepth] = {};
  int32_t Indexes[kDepth] = {};
  int Depth = 0;
};

// The memory a game file may make the record take: 64 MiB plus 8 bytes per
// byte of the file (pixels take 4 per byte); a file of unknown size gets 1 GiB.
// The authoring tool's games stay far below it. Past it the load ends with
// error 7, as when memory runs out, instead of taking the machine's memory
// for one-row images billions wide or millions of default waves.
inline constexpr int64_t kGameFileMemoryBase = int64_t{64} << 20;
inline constexpr int64_t kGameFileMemoryPerByte = 8;
inline constexpr int64_t kGameFileMemoryUnknownSize = int64_t{1} << 30;

template <typename Source>
class GameFileReader {
 public:
  GameFileReader(Source& in, int32_t version) : in_(in), version_(version) {
    const int64_t size = in_.BytesLeft();
    budget_ =
        size < 0 ? kGameFileMemoryUnknownSize : kGameFileMemoryBase + kGameFileMemoryPerByte * size;
  }

  // Reads every block after the version into game; false when the source
  // stopped (only a reporting source ever does).
  bool ReadBlocks(GameRecord& game) {
    int32_t count = 0;
    if (!in_.I32(count, place_, "sprite image count")) return false;
    if (!Images(game.Sprites, count, false, "sprite image")) return false;
    if (!in_.I32(count, place_, "tile image count")) return false;
    if (!Images(game.Tiles, count, true, "tile image")) return false;
    if (!in_.I32(count, place_, "animation count")) return false;
    if (!Counted(game.Animations, count, version_ >= 4 ? 16 : 12, "animation",
                 [this](AnimationRecord& a) { return Animation(a); })) {
      return false;
    }
    if (!in_.I32(count, place_, "level count")) return false;
    if (!Counted(game.Levels, count, 24, "level", [this](LevelRecord& l) { return Level(l); })) {
      return false;
    }
    if (version_ >= 2) {
      if (!in_.I8(count, place_, "player count")) return false;
      if (!Counted(game.Players, count, version_ >= 6 ? 11 : 10, "player",
                   [this](ObjectRecord& p) { return Player(p); })) {
        return false;
      }
    }
    if (version_ >= 5) {
      int32_t length = 0;
      if (!in_.I32(length, place_, "title length")) return false;
      if (!in_.Text(game.TitleText, length, place_, "title text")) return false;
    }
    return true;
  }

 private:
  // Memory each record of these types takes when an array is sized to it:
  // the record and the blocks its defaults allocate (estimates).
  template <typename T>
  static constexpr int64_t Footprint() {
    if constexpr (std::is_same_v<T, LevelRecord>) {
      return sizeof(LevelRecord) + 64 * sizeof(RtArray<int32_t>);
    } else if constexpr (std::is_same_v<T, WaveRecord>) {
      return sizeof(WaveRecord) + 64 * sizeof(ObjectRecord);
    } else {
      return sizeof(T);
    }
  }

  void Enter(const char* kind, int32_t index) {
    if (place_.Depth < GameFilePlace::kDepth) {
      place_.Kinds[place_.Depth] = kind;
      place_.Indexes[place_.Depth] = index;
    }
    ++place_.Depth;
  }
  void Leave() { --place_.Depth; }

  // True when count items of at least minBytes each cannot fit in the rest of the file.
  bool CannotHold(int64_t count, int64_t minBytes) {
    const int64_t left = in_.BytesLeft();
    return left >= 0 && count * minBytes > left;
  }

  bool Charge(int64_t bytes, const char* what) {
    spent_ += bytes;
    if (spent_ <= budget_) return true;
    return in_.OutOfMemory(place_, what, bytes);
  }

  // A count followed by that many items: the array is dimensioned to the
  // count (every element takes its defaults) and the items read in order.
  template <typename T, typename ReadItem>
  bool Counted(RtArray<T>& array, int32_t count, int64_t minBytes, const char* kind,
               ReadItem readItem) {
    if (count <= 0) {
      array.Dimension(count);
      return true;
    }
    if (CannotHold(count, minBytes)) {
      // Too many for the rest of the file: read them into one scratch item,
      // which runs out of bytes (or meets a bad pixel) as the plain reading
      // would. A file that grew meanwhile is still refused, never half-read.
      T scratch;
      for (int32_t i = 0; i < count; ++i) {
        Enter(kind, i);
        const bool ok = readItem(scratch);
        Leave();
        if (!ok) return false;
      }
      return in_.FileEndsEarly(place_, kind);
    }
    if (!Charge(count * Footprint<T>(), kind)) return false;
    array.Dimension(count);
    for (int32_t i = 0; i < count; ++i) {
      Enter(kind, i);
      const bool ok = readItem(array[i]);
      Leave();
      if (!ok) return false;
    }
    return true;
  }

  bool Images(RtArray<ImageRecord>& images, int32_t count, bool signedBytes, const char* kind) {
    return Counted(images, count, 8, kind,
                   [this, signedBytes](ImageRecord& image) { return Image(image, signedBytes); });
  }

  bool Image(ImageRecord& image, bool signedBytes) {
    int32_t width = 0;
    int32_t height = 0;
    if (!in_.I32(width, place_, "width") || !in_.I32(height, place_, "height")) return false;
    const bool hasRows = width > 0 && height > 0;
    const int64_t elements = width > 0 ? int64_t{width} * (height > 0 ? height : 1) : 0;
    // More elements than an array holds (the product of two widths can pass
    // any integer width, so it is reported, not multiplied further).
    if (elements > INT32_MAX) return in_.OutOfMemory(place_, "image pixels", INT64_MAX);
    const bool doomed = hasRows && CannotHold(elements, 1);
    int32_t* pixels = nullptr;
    if (!doomed) {
      if (!Charge(elements * 4, "image pixels")) return false;
      image.Pixels.Dimension(width, height);
      pixels = image.Pixels.Data();
    }
    if (!hasRows) return true;
    for (int32_t y = 0; y < height; ++y) {
      Enter("row", y);
      for (int32_t x = 0; x < width; ++x) {
        int32_t byte = 0;
        const bool read =
            signedBytes ? in_.I8(byte, place_, "pixel byte") : in_.U8(byte, place_, "pixel byte");
        if (!read) return false;
        // A negative byte counts from the end of the palette, as any index does.
        const int32_t index = byte < 0 ? byte + kPaletteSize : byte;
        int32_t colour = kTransparentColour;
        if (index >= 0 && index < kPaletteSize) {
          colour = kPalette[index];
        } else if (!in_.PixelOutsidePalette(place_, x, y, byte)) {
          return false;
        }
        if (pixels != nullptr) pixels[x + int64_t{y} * width] = colour;
      }
      Leave();
    }
    return true;
  }

  bool Animation(AnimationRecord& animation) {
    int32_t count = 0;
    if (!in_.I32(count, place_, "frame count")) return false;
    if (!Counted(animation.Frames, count, 4, "frame",
                 [this](int32_t& frame) { return in_.I32(frame, place_, "frame"); })) {
      return false;
    }
    if (!in_.I32(animation.Mode, place_, "mode") || !in_.I32(animation.Speed, place_, "speed")) {
      return false;
    }
    return version_ < 4 || in_.I32(animation.Sound, place_, "sound");
  }

  bool Layer(RtArray<int32_t>& layer) {
    int32_t width = 0;
    int32_t height = 0;
    if (!in_.I32(width, place_, "width") || !in_.I32(height, place_, "height")) return false;
    return LayerCells(layer, width, height);
  }

  bool LayerCells(RtArray<int32_t>& layer, int32_t width, int32_t height) {
    const bool hasRows = width > 0 && height > 0;
    const int64_t elements = width > 0 ? int64_t{width} * (height > 0 ? height : 1) : 0;
    if (elements > INT32_MAX) return in_.OutOfMemory(place_, "layer cells", INT64_MAX);
    const bool doomed = hasRows && CannotHold(elements, 2);
    int32_t* cells = nullptr;
    if (!doomed) {
      if (!Charge(elements * 4, "layer cells")) return false;
      layer.Dimension(width, height);
      cells = layer.Data();
    }
    if (!hasRows) return true;
    for (int32_t y = 0; y < height; ++y) {
      Enter("row", y);
      for (int32_t x = 0; x < width; ++x) {
        int32_t value = 0;
        if (!in_.I16(value, place_, "cell")) return false;
        if (cells != nullptr) cells[x + int64_t{y} * width] = value;
      }
      Leave();
    }
    return true;
  }

  bool Level(LevelRecord& level) {
    int32_t layers = 0;
    if (!in_.I32(layers, place_, "layer count")) return false;
    for (int32_t l = 0; l < layers; ++l) {
      Enter("layer", l);
      bool ok = true;
      if (l < level.Layers.DimSize(0)) {
        ok = Layer(level.Layers[l]);
      } else {
        // Only the two layers a level is built with can be filled.
        int32_t width = 0;
        int32_t height = 0;
        ok = in_.I32(width, place_, "width") && in_.I32(height, place_, "height") &&
             in_.LayerBeyondTwo(place_, l);
        RtArray<int32_t> scratch;
        ok = ok && LayerCells(scratch, width, height);
      }
      Leave();
      if (!ok) return false;
    }
    if (!in_.I32(level.TileCollision, place_, "tile collision") ||
        !in_.I32(level.ScrollMode, place_, "scroll mode") ||
        !in_.I32(level.ScrollSpeed, place_, "scroll speed") ||
        !in_.I32(level.Duration, place_, "duration")) {
      return false;
    }
    int32_t waves = 0;
    if (!in_.I32(waves, place_, "wave count")) return false;
    const int64_t waveBytes = 6 + (version_ >= 7 ? 4 : ObjectBytes());
    return Counted(level.Waves, waves, waveBytes, "wave",
                   [this](WaveRecord& wave) { return Wave(wave); });
  }

  int64_t ObjectBytes() const { return version_ >= 7 ? 44 : (version_ >= 3 ? 40 : 39); }

  bool Wave(WaveRecord& wave) {
    int32_t count = 0;
    if (!in_.I32(count, place_, "spawn position count")) return false;
    if (!Counted(wave.SpawnPositions, count, 4, "spawn position",
                 [this](int32_t& p) { return in_.I32(p, place_, "spawn position"); })) {
      return false;
    }
    if (!in_.I16(count, place_, "path point count")) return false;
    if (!Counted(wave.Path, count, 4, "path point", [this](PathPoint& p) {
          return in_.I16(p.X, place_, "X") && in_.I16(p.Y, place_, "Y");
        })) {
      return false;
    }
    // Entries are read into one record that takes the defaults once per wave,
    // so fields a version does not store keep the defaults.
    ObjectRecord entry;
    if (version_ >= 7) {
      if (!in_.I32(count, place_, "object count")) return false;
      return Counted(wave.Objects, count, ObjectBytes(), "object", [this, &entry](ObjectRecord& o) {
        if (!Object(entry)) return false;
        o = entry;
        return true;
      });
    }
    wave.Objects.Dimension(0);
    Enter("object", 0);
    const bool ok = Object(entry);
    Leave();
    if (!ok) return false;
    wave.Objects.Append(entry);
    return true;
  }

  bool Object(ObjectRecord& o) {
    const GameFilePlace& at = place_;
    if (!in_.I32(o.AnimationBase, at, "AnimationBase") || !in_.I16(o.Hits, at, "Hits") ||
        !in_.I8(o.PathSpeed, at, "PathSpeed") || !in_.I8(o.FireAim, at, "FireAim") ||
        !in_.I16(o.BlocksLevelEnd, at, "BlocksLevelEnd")) {
      return false;
    }
    if (version_ >= 3 && !in_.I8(o.LoopPath, at, "LoopPath")) return false;
    if (!in_.I32(o.Points, at, "Points") || !in_.I8(o.FireRate, at, "FireRate") ||
        !in_.I32(o.BulletSpeed, at, "BulletSpeed") || !in_.I32(o.BulletLife, at, "BulletLife") ||
        !in_.I32(o.Shootable, at, "Shootable") || !in_.I32(o.Solid, at, "Solid") ||
        !in_.I32(o.HarmsOnContact, at, "HarmsOnContact") ||
        !in_.I32(o.DiesOnContact, at, "DiesOnContact")) {
      return false;
    }
    return version_ < 7 || (in_.I16(o.OffsetX, at, "OffsetX") && in_.I16(o.OffsetY, at, "OffsetY"));
  }

  // A player entry: other order and widths than an object entry.
  bool Player(ObjectRecord& p) {
    const GameFilePlace& at = place_;
    if (!in_.I8(p.Hits, at, "Hits") || !in_.I8(p.FireAim, at, "FireAim") ||
        !in_.I8(p.PathSpeed, at, "PathSpeed") || !in_.I8(p.FireRate, at, "FireRate") ||
        !in_.I8(p.BulletSpeed, at, "BulletSpeed") || !in_.I32(p.BulletLife, at, "BulletLife") ||
        !in_.I8(p.Shootable, at, "Shootable")) {
      return false;
    }
    return version_ < 6 || in_.I8(p.Solid, at, "Solid");
  }

  Source& in_;
  int32_t version_;
  GameFilePlace place_;
  int64_t spent_ = 0;
  int64_t budget_ = 0;
};
