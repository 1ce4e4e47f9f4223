// The game file writer: every block the loader reads, in the same order and
// widths, with the version's rules. Values that would not survive the trip
// (too wide for their field, colours outside the palette) are refused with a
// message rather than written wrong.
#include "game/game_file_writer.h"

#include <string_view>

#include "game/palette.h"

namespace {

void Put(std::string& bytes, uint32_t value, int width) {
  for (int i = 0; i < width; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

class Writer {
 public:
  explicit Writer(int32_t version) : version_(version) {}

  bool Fail(const std::string& message) {
    if (error_.empty()) error_ = message;
    return false;
  }

  // A field of `bits` bits; signed fields take -2^(bits-1) .. 2^(bits-1)-1.
  bool Field(std::string_view name, int32_t value, int bits, bool isSigned = true) {
    if (bits < 32) {
      const int64_t low = isSigned ? -(int64_t{1} << (bits - 1)) : 0;
      const int64_t high = isSigned ? (int64_t{1} << (bits - 1)) - 1 : (int64_t{1} << bits) - 1;
      if (value < low || value > high) {
        return Fail(std::string(name) + " = " + std::to_string(value) + " does not fit in " +
                    std::to_string(bits) + " bits");
      }
    }
    switch (bits) {
      case 8: bytes_.U8(value & 0xFF); break;
      case 16: bytes_.I16(value); break;
      default: bytes_.I32(value); break;
    }
    return true;
  }

  bool Image(const std::string& where, const ImageRecord& image) {
    const int32_t width = image.Pixels.DimSize(0);
    const int32_t height = width > 0 ? image.Pixels.DimSize(1) : 0;
    bytes_.I32(width).I32(height);
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        const int32_t colour = image.Pixels(x, y);
        const int32_t index = PaletteIndexOf(colour);
        if (index < 0) {
          return Fail(where + " pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                      ") has colour " + std::to_string(colour) + ", which is not in the palette");
        }
        bytes_.U8(index);
      }
    }
    return true;
  }

  bool Animation(const std::string& where, const AnimationRecord& animation) {
    bytes_.I32(animation.Frames.DimSize(0));
    for (int32_t frame : animation.Frames) bytes_.I32(frame);
    bytes_.I32(animation.Mode).I32(animation.Speed);
    if (version_ >= 4) {
      bytes_.I32(animation.Sound);
    } else if (animation.Sound != 0) {
      return Fail(where + " has a sound, which version " + std::to_string(version_) +
                  " files cannot store");
    }
    return true;
  }

  bool Object(const std::string& where, const ObjectRecord& o) {
    bool ok = Field(where + " AnimationBase", o.AnimationBase, 32) &&
              Field(where + " Hits", o.Hits, 16) && Field(where + " PathSpeed", o.PathSpeed, 8) &&
              Field(where + " FireAim", o.FireAim, 8) &&
              Field(where + " BlocksLevelEnd", o.BlocksLevelEnd, 16);
    if (ok && version_ >= 3) ok = Field(where + " LoopPath", o.LoopPath, 8);
    ok = ok && Field(where + " Points", o.Points, 32) && Field(where + " FireRate", o.FireRate, 8) &&
         Field(where + " BulletSpeed", o.BulletSpeed, 32) &&
         Field(where + " BulletLife", o.BulletLife, 32) &&
         Field(where + " Shootable", o.Shootable, 32) && Field(where + " Solid", o.Solid, 32) &&
         Field(where + " HarmsOnContact", o.HarmsOnContact, 32) &&
         Field(where + " DiesOnContact", o.DiesOnContact, 32);
    if (ok && version_ >= 7) {
      ok = Field(where + " OffsetX", o.OffsetX, 16) && Field(where + " OffsetY", o.OffsetY, 16);
    }
    return ok;
  }

  bool Wave(const std::string& where, const WaveRecord& wave) {
    bytes_.I32(wave.SpawnPositions.DimSize(0));
    for (int32_t position : wave.SpawnPositions) bytes_.I32(position);
    if (!Field(where + " path point count", wave.Path.DimSize(0), 16)) return false;
    for (int32_t k = 0; k < wave.Path.DimSize(0); ++k) {
      const std::string point = where + " path point " + std::to_string(k);
      if (!Field(point + " X", wave.Path[k].X, 16) || !Field(point + " Y", wave.Path[k].Y, 16)) {
        return false;
      }
    }
    const int32_t count = wave.Objects.DimSize(0);
    if (version_ >= 7) {
      bytes_.I32(count);
    } else if (count != 1) {
      return Fail(where + " has " + std::to_string(count) + " objects; version " +
                  std::to_string(version_) + " files store exactly one per wave");
    }
    for (int32_t k = 0; k < count; ++k) {
      if (!Object(where + " object " + std::to_string(k), wave.Objects[k])) return false;
    }
    return true;
  }

  bool Level(const std::string& where, const LevelRecord& level) {
    const int32_t layers = level.Layers.DimSize(0);
    if (layers > 2) return Fail(where + " has " + std::to_string(layers) + " layers; at most 2 load");
    bytes_.I32(layers);
    for (int32_t l = 0; l < layers; ++l) {
      const RtArray<int32_t>& layer = level.Layers[l];
      const int32_t width = layer.DimSize(0);
      const int32_t height = width > 0 ? layer.DimSize(1) : 0;
      bytes_.I32(width).I32(height);
      for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
          const std::string cell =
              where + " layer " + std::to_string(l) + " cell (" + std::to_string(x) + ", " +
              std::to_string(y) + ")";
          if (!Field(cell, layer(x, y), 16)) return false;
        }
      }
    }
    bytes_.I32(level.TileCollision).I32(level.ScrollMode).I32(level.ScrollSpeed).I32(level.Duration);
    bytes_.I32(level.Waves.DimSize(0));
    for (int32_t w = 0; w < level.Waves.DimSize(0); ++w) {
      if (!Wave(where + " wave " + std::to_string(w), level.Waves[w])) return false;
    }
    return true;
  }

  bool Player(const std::string& where, const ObjectRecord& p) {
    bool ok = Field(where + " Hits", p.Hits, 8) && Field(where + " FireAim", p.FireAim, 8) &&
              Field(where + " PathSpeed", p.PathSpeed, 8) &&
              Field(where + " FireRate", p.FireRate, 8) &&
              Field(where + " BulletSpeed", p.BulletSpeed, 8) &&
              Field(where + " BulletLife", p.BulletLife, 32) &&
              Field(where + " Shootable", p.Shootable, 8);
    if (ok && version_ >= 6) ok = Field(where + " Solid", p.Solid, 8);
    return ok;
  }

  bool Game(const GameRecord& game) {
    bytes_.I32(version_);
    bytes_.I32(game.Sprites.DimSize(0));
    for (int32_t i = 0; i < game.Sprites.DimSize(0); ++i) {
      if (!Image("sprite image " + std::to_string(i), game.Sprites[i])) return false;
    }
    bytes_.I32(game.Tiles.DimSize(0));
    for (int32_t i = 0; i < game.Tiles.DimSize(0); ++i) {
      if (!Image("tile image " + std::to_string(i), game.Tiles[i])) return false;
    }
    bytes_.I32(game.Animations.DimSize(0));
    for (int32_t i = 0; i < game.Animations.DimSize(0); ++i) {
      if (!Animation("animation " + std::to_string(i), game.Animations[i])) return false;
    }
    bytes_.I32(game.Levels.DimSize(0));
    for (int32_t i = 0; i < game.Levels.DimSize(0); ++i) {
      if (!Level("level " + std::to_string(i), game.Levels[i])) return false;
    }
    if (version_ >= 2) {
      if (!Field("player count", game.Players.DimSize(0), 8)) return false;
      for (int32_t i = 0; i < game.Players.DimSize(0); ++i) {
        if (!Player("player " + std::to_string(i + 1), game.Players[i])) return false;
      }
    }
    if (version_ >= 5) {
      bytes_.I32(static_cast<int32_t>(game.TitleText.Length()));
      bytes_.Text(game.TitleText.Std());
    }
    return true;
  }

  const std::string& Bytes() const { return bytes_.Bytes(); }
  const std::string& Error() const { return error_; }

 private:
  int32_t version_;
  GameFileBytes bytes_;
  std::string error_;
};

}  // namespace

GameFileBytes& GameFileBytes::I8(int32_t value) {
  Put(bytes_, static_cast<uint32_t>(value), 1);
  return *this;
}
GameFileBytes& GameFileBytes::U8(int32_t value) { return I8(value); }
GameFileBytes& GameFileBytes::I16(int32_t value) {
  Put(bytes_, static_cast<uint32_t>(value), 2);
  return *this;
}
GameFileBytes& GameFileBytes::I32(int32_t value) {
  Put(bytes_, static_cast<uint32_t>(value), 4);
  return *this;
}
GameFileBytes& GameFileBytes::Text(const std::string& bytes) {
  bytes_ += bytes;
  return *this;
}

bool WriteGameFile(const GameRecord& game, int32_t version, std::string& out, std::string& error) {
  if (version < 0 || version > kHighestGameFileVersion) {
    error = "version " + std::to_string(version) + " is not one of 0 to 7";
    return false;
  }
  Writer writer(version);
  if (!writer.Game(game)) {
    error = writer.Error();
    return false;
  }
  out = writer.Bytes();
  error.clear();
  return true;
}
