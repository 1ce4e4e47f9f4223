// The game file checker: the loader's own block reader over the file's bytes,
// with a source that reports where the player would stop and keeps reading
// while it can, then the rules the player applies after reading (image
// shapes, empty arrays, slot numbers, animation references).
#include "game/game_check.h"

#include <cerrno>
#include <cstring>
#include <sstream>

#include "game/game_file.h"
#include "game/game_file_reader.h"
#include "game/game_file_writer.h"
#include "runtime/core/system.h"
#include "runtime/files/file_io.h"
#include "runtime/gfx2d/sprite_store.h"

namespace {

// Larger files are not game files anyone made; checking one would only fill memory.
constexpr uint64_t kMaxCheckedBytes = uint64_t{1} << 30;

std::string DescribePlace(const GameFilePlace& place) {
  std::string text;
  const int depth = std::min(place.Depth, GameFilePlace::kDepth);
  for (int i = 0; i < depth; ++i) {
    if (!text.empty()) text += ", ";
    text += place.Kinds[i];
    text += " " + std::to_string(place.Indexes[i]);
  }
  return text;
}

std::string InPlace(const GameFilePlace& place) {
  const std::string where = DescribePlace(place);
  return where.empty() ? "" : " in " + where;
}

// Pixel bytes outside the palette, gathered per image.
struct BadPixels {
  std::string Image;
  int32_t X = 0, Y = 0, Byte = 0;
  int64_t Count = 0;
};

class ByteSource {
 public:
  ByteSource(const std::string& bytes, size_t start, GameCheck& check)
      : bytes_(bytes), at_(start), check_(check) {}

  bool I8(int32_t& out, const GameFilePlace& place, const char* field) {
    if (!Have(1, place, field)) return false;
    out = static_cast<int8_t>(bytes_[at_++]);
    return true;
  }
  bool U8(int32_t& out, const GameFilePlace& place, const char* field) {
    if (!Have(1, place, field)) return false;
    out = static_cast<uint8_t>(bytes_[at_++]);
    return true;
  }
  bool I16(int32_t& out, const GameFilePlace& place, const char* field) {
    if (!Have(2, place, field)) return false;
    out = static_cast<int16_t>(Little(2));
    return true;
  }
  bool I32(int32_t& out, const GameFilePlace& place, const char* field) {
    if (!Have(4, place, field)) return false;
    out = static_cast<int32_t>(Little(4));
    return true;
  }
  bool Text(RtString& out, int32_t length, const GameFilePlace& place, const char* field) {
    if (length < 1) {
      out = "";
      return true;
    }
    if (!Have(static_cast<size_t>(length), place, field)) return false;
    const std::string_view raw(bytes_.data() + at_, static_cast<size_t>(length));
    out = RtString(raw.substr(0, raw.find('\0')));
    at_ += static_cast<size_t>(length);
    return true;
  }
  int64_t BytesLeft() { return static_cast<int64_t>(bytes_.size() - at_); }

  bool PixelOutsidePalette(const GameFilePlace& place, int32_t x, int32_t y, int32_t byte) {
    GameFilePlace image = place;
    image.Depth = std::min(image.Depth, 1);
    const std::string name = DescribePlace(image);
    if (badPixels_.empty() || badPixels_.back().Image != name) {
      badPixels_.push_back({name, x, y, byte, 0});
    }
    ++badPixels_.back().Count;
    return true;
  }
  bool LayerBeyondTwo(const GameFilePlace& place, int32_t layer) {
    GameFilePlace level = place;
    level.Depth = std::min(level.Depth, 1);
    if (level.Depth == 1 && layersReported_ != DescribePlace(level)) {
      layersReported_ = DescribePlace(level);
      check_.Errors.push_back(layersReported_ + " has more than 2 layers (layer " +
                              std::to_string(layer) +
                              " is the first extra one): a level holds 2, so the player stops "
                              "with runtime error 9");
    }
    return true;
  }
  bool OutOfMemory(const GameFilePlace& place, const char* what, int64_t bytes) {
    const std::string amount = bytes == INT64_MAX
                                   ? "more than an array holds"
                                   : "about " + std::to_string(bytes >> 20) + " MiB more";
    check_.Errors.push_back("the file asks for " + amount + " for " + what + InPlace(place) +
                            ", beyond what a game file of its size may use: the player stops "
                            "with runtime error 7");
    return false;
  }
  bool FileEndsEarly(const GameFilePlace& place, const char* kind) {
    check_.Errors.push_back(std::string("the file ends before every ") + kind + InPlace(place) +
                            " is read: the player stops with runtime error 3");
    return false;
  }

  size_t At() const { return at_; }

  // One error per image with bad pixel bytes, naming the first.
  void ReportBadPixels() {
    for (const BadPixels& bad : badPixels_) {
      std::string line = bad.Image + ": pixel (" + std::to_string(bad.X) + ", " +
                         std::to_string(bad.Y) + ") has byte " + std::to_string(bad.Byte & 0xFF) +
                         ", outside the 56-colour palette";
      if (bad.Count > 1) line += " (" + std::to_string(bad.Count) + " such bytes in this image)";
      check_.Errors.push_back(line + ": the player stops with runtime error 9");
    }
  }

 private:
  bool Have(size_t width, const GameFilePlace& place, const char* field) {
    if (bytes_.size() - at_ >= width) return true;
    check_.Errors.push_back("the file ends at byte " + std::to_string(bytes_.size()) +
                            InPlace(place) + ": " + field + " needs " + std::to_string(width) +
                            " bytes, " + std::to_string(bytes_.size() - at_) +
                            " left; the player stops with runtime error 3");
    at_ = bytes_.size();
    return false;
  }

  uint32_t Little(int width) {
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
      value = (value << 8) | static_cast<uint8_t>(bytes_[at_ + i]);
    at_ += static_cast<size_t>(width);
    return value;
  }

  const std::string& bytes_;
  size_t at_;
  GameCheck& check_;
  std::vector<BadPixels> badPixels_;
  std::string layersReported_;
};

// Index i is inside an array of n elements, a negative one counting from the end.
bool Inside(int64_t i, int64_t n) {
  return i < n && i >= -n;
}

void CheckImages(const RtArray<ImageRecord>& images, const char* kind, int32_t firstSlot,
                 GameCheck& check) {
  for (int32_t i = 0; i < images.DimSize(0); ++i) {
    const ImageRecord& image = images[i];
    const int32_t width = image.Pixels.DimSize(0);
    if (width == 0) continue;  // shown as a placeholder with its slot number
    const int32_t rows = ImageRows(image);
    const std::string name = std::string(kind) + " " + std::to_string(i);
    if (rows < width) {
      check.Errors.push_back(name + " is " + std::to_string(width) + " wide but " +
                             std::to_string(image.Pixels.DimSize(1)) +
                             " tall: building it stops the player with runtime error 9");
    } else if (rows > width) {
      check.Warnings.push_back(name + " is " + std::to_string(width) + " wide and " +
                               std::to_string(rows) + " tall: only its top " +
                               std::to_string(width) + " x " + std::to_string(width) +
                               " square shows");
    }
  }
  const int64_t lastSlot = int64_t{firstSlot} + images.DimSize(0) - 1;
  if (images.DimSize(0) == 0) return;
  if (lastSlot >= kSpriteSlotCount) {
    check.Errors.push_back(std::string(kind) + " " + std::to_string(kSpriteSlotCount - firstSlot) +
                           " would go into sprite slot " + std::to_string(kSpriteSlotCount) +
                           ", beyond the last slot 65535: the player stops with runtime error 7");
  } else if (lastSlot >= kEmulatedScreenSlot) {
    check.Warnings.push_back(std::string(kind) + "s reach sprite slot " + std::to_string(lastSlot) +
                             ": slots from " + std::to_string(kEmulatedScreenSlot) +
                             " on belong to the runtime's fonts and screens");
  }
}

void CheckAnimations(const GameRecord& game, const RtArray<AnimationRecord>& named,
                     GameCheck& check) {
  const int32_t sprites = game.Sprites.DimSize(0);
  for (int32_t i = 0; i < named.DimSize(0); ++i) {
    const AnimationRecord& animation = named[i];
    int32_t outside = 0;
    int32_t first = -1;
    for (int32_t k = 0; k < animation.Frames.DimSize(0); ++k) {
      if (Inside(animation.Frames[k], sprites)) continue;
      if (outside++ == 0) first = k;
    }
    if (outside == 0) continue;
    std::string line = "animation " + std::to_string(i) + " (" + animation.Name.Std() + ") frame " +
                       std::to_string(first) + " shows sprite image " +
                       std::to_string(animation.Frames[first]) + ", outside the " +
                       std::to_string(sprites) + " sprite images";
    if (outside > 1) line += " (" + std::to_string(outside) + " such frames)";
    check.Warnings.push_back(line + ": showing it stops the player with runtime error 9");
  }
  const int32_t entries = named.DimSize(0);
  for (int32_t p = 1; p < game.Players.DimSize(0); ++p) {
    if (4 * p + 3 < entries) continue;
    check.Warnings.push_back("player " + std::to_string(p + 1) + " has no animation group (" +
                             std::to_string(entries) +
                             " animation entries): the player stops with runtime error 9 when "
                             "player " +
                             std::to_string(p + 1) + " joins");
  }
  for (int32_t l = 0; l < game.Levels.DimSize(0); ++l) {
    const LevelRecord& level = game.Levels[l];
    for (int32_t w = 0; w < level.Waves.DimSize(0); ++w) {
      const WaveRecord& wave = level.Waves[w];
      for (int32_t k = 0; k < wave.Objects.DimSize(0); ++k) {
        const int64_t base = wave.Objects[k].AnimationBase;
        // Move, Die and Bullet entries of its group.
        if (Inside(base, entries) && Inside(base + 2, entries) && Inside(base + 3, entries)) {
          continue;
        }
        check.Warnings.push_back("level " + std::to_string(l) + ", wave " + std::to_string(w) +
                                 ", object " + std::to_string(k) + " uses the animations from " +
                                 std::to_string(base) + ", outside the " + std::to_string(entries) +
                                 " entries: the player stops with runtime error 9 when it is "
                                 "launched");
      }
    }
  }
}

// What the player meets after reading: every rule that stops it, and what looks wrong.
void CheckRecord(const GameRecord& game, GameCheck& check) {
  RtArray<AnimationRecord> named = game.Animations;
  NameAnimations(named, named.DimSize(0));
  check.SpriteImages = game.Sprites.DimSize(0);
  check.TileImages = game.Tiles.DimSize(0);
  check.Animations = named.DimSize(0);
  check.Levels = game.Levels.DimSize(0);
  check.Players = game.Players.DimSize(0);
  for (const LevelRecord& level : game.Levels) {
    check.Waves += level.Waves.DimSize(0);
    for (const WaveRecord& wave : level.Waves) check.Enemies += wave.Objects.DimSize(0);
  }

  if (check.Levels == 0) {
    check.Errors.push_back(
        "there are no levels: starting a game stops the player with runtime error 9");
  }
  if (check.TileImages == 0) {
    check.Errors.push_back(
        "there are no tile images: the first level stops the player with runtime error 9");
  }
  if (check.SpriteImages == 0) {
    check.Errors.push_back(
        "there are no sprite images: the first level stops the player with runtime error 9");
  }
  CheckImages(game.Sprites, "sprite image", 0, check);
  CheckImages(game.Tiles, "tile image", kFirstTileSlot, check);
  if (check.SpriteImages > kFirstTileSlot && check.TileImages > 0) {
    check.Warnings.push_back(std::to_string(check.SpriteImages) +
                             " sprite images: those from 1024 on share their sprite slots with "
                             "the tile images, which replace them");
  }
  CheckAnimations(game, named, check);
}

}  // namespace

GameCheck CheckGameBytes(const std::string& bytes, GameRecord* read) {
  GameCheck check;
  ByteSource source(bytes, 0, check);
  GameFilePlace top;
  if (!source.I32(check.Version, top, "version")) return check;
  check.VersionRead = true;
  if (check.Version > kHighestGameFileVersion) {
    check.Errors.push_back("version " + std::to_string(check.Version) +
                           " is above 7: the player shows \"Load Error!\" and ends");
    return check;
  }
  if (check.Version < 0) {
    check.Warnings.push_back("version " + std::to_string(check.Version) +
                             " is below 0: the player reads it as the oldest files");
  }
  GameRecord game;
  GameFileReader<ByteSource> reader(source, check.Version);
  check.ReadToEnd = reader.ReadBlocks(game);
  source.ReportBadPixels();
  if (!check.ReadToEnd) return check;
  check.UnreadBytes = static_cast<int64_t>(bytes.size() - source.At());
  CheckRecord(game, check);
  if (read != nullptr) *read = std::move(game);
  return check;
}

GameCheck CheckGameFile(const std::string& path) {
  FileInfo info;
  const bool folder = PathInfo(path, info) && info.Kind == FileKind::kFolder;
  std::string bytes;
  errno = 0;
  if (folder || !ReadWholeFile(path, kMaxCheckedBytes, bytes)) {
    const int problem = errno != 0 ? errno : EFBIG;
    GameCheck check;
    check.Errors.push_back("cannot read " + path + ": " +
                           (folder ? std::string("it is a folder") : std::strerror(problem)) +
                           "; the player shows \"Load Error!\" and ends");
    return check;
  }
  return CheckGameBytes(bytes);
}
