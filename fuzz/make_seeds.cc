// Writes the seed corpus of every fuzz target from our own writers: game
// files of each version, BMP and PNG images of each kind, sounds of each
// form, small archives, initialisation, settings and line files. Files of
// the demo game are added when its build folder is given.
//
//   make_seeds <output folder> [demo build folder]
//
// Each target gets <output folder>/<target>/ with numbered seed files.
#include <dirent.h>
#include <png.h>
#include <sys/stat.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "game/game_file_writer.h"
#include "game/palette.h"
#include "player/replays/replay_file.h"
#include "runtime/files/archive_writer.h"

namespace {

std::string g_out;
std::map<std::string, int> g_counts;

void MakeFolder(const std::string& path) {
  mkdir(path.c_str(), 0755);
}

void Seed(const std::string& target, const std::string& label, const std::string& bytes) {
  MakeFolder(g_out + "/" + target);
  const int number = g_counts[target]++;
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%03d-", number);
  std::ofstream file(g_out + "/" + target + "/" + prefix + label, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) {
    std::fprintf(stderr, "make_seeds: cannot write a seed of %s\n", target.c_str());
    std::exit(1);
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

void Put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// ---- Game files ----------------------------------------------------------

void FillImage(ImageRecord& image, int32_t width, int32_t height, int32_t shift) {
  image.Pixels.Dimension(width, height);
  for (int32_t x = 0; x < width; ++x) {
    for (int32_t y = 0; y < height; ++y) {
      image.Pixels(x, y) = kPalette[(x + y * 3 + shift) % kPaletteSize];
    }
  }
}

GameRecord SampleGame(int32_t version, bool manyObjects) {
  GameRecord game;
  game.Sprites.Dimension(3);
  FillImage(game.Sprites[0], 4, 4, 0);
  FillImage(game.Sprites[1], 3, 5, 7);
  game.Sprites[2].Pixels.Dimension(0);  // empty: a placeholder when built
  game.Tiles.Dimension(2);
  FillImage(game.Tiles[0], 4, 4, 11);
  FillImage(game.Tiles[1], 2, 2, 20);
  game.Animations.Dimension(4);
  for (int32_t i = 0; i < 4; ++i) {
    game.Animations[i].Frames.Dimension(2);
    game.Animations[i].Frames[0] = i % 3;
    game.Animations[i].Frames[1] = (i + 1) % 3;
    game.Animations[i].Mode = i - 1;
    game.Animations[i].Speed = i;
    game.Animations[i].Sound = version >= 4 ? i : 0;
  }
  game.Levels.Dimension(1);
  LevelRecord& level = game.Levels[0];
  level.Layers.Dimension(2);
  for (int32_t l = 0; l < 2; ++l) {
    level.Layers[l].Dimension(3, 4);
    for (int32_t x = 0; x < 3; ++x) {
      for (int32_t y = 0; y < 4; ++y) level.Layers[l](x, y) = (x + y + l) % 3 - 1;
    }
  }
  level.Waves.Dimension(1);
  WaveRecord& wave = level.Waves[0];
  wave.SpawnPositions.Dimension(2);
  wave.SpawnPositions[0] = 10;
  wave.SpawnPositions[1] = 200;
  wave.Path.Dimension(3);
  wave.Path[1].X = 40;
  wave.Path[1].Y = 60;
  wave.Path[2].X = -20;
  wave.Path[2].Y = 300;
  wave.Objects.Dimension(manyObjects ? 2 : 1);
  wave.Objects[0].AnimationBase = 0;
  if (manyObjects) wave.Objects[1].OffsetX = 16;
  game.Players.Dimension(2);
  game.TitleText = "Seed game";
  game.ProjectPath = "projects/Seed.ZORAX";
  return game;
}

void GameFileSeeds() {
  for (int32_t version = 0; version <= kHighestGameFileVersion; ++version) {
    for (bool many : {false, true}) {
      if (many && version < 7) continue;
      std::string bytes;
      std::string error;
      if (!WriteGameFile(SampleGame(version, many), version, bytes, error)) {
        std::fprintf(stderr, "make_seeds: game file version %d: %s\n", version, error.c_str());
        std::exit(1);
      }
      Seed("game_file_load", "version" + std::to_string(version) + ".ZORAX", bytes);
    }
  }
  GameRecord empty;
  empty.Sprites.Dimension(0);
  empty.Tiles.Dimension(0);
  empty.Levels.Dimension(0);
  std::string bytes;
  std::string error;
  if (WriteGameFile(empty, 7, bytes, error)) Seed("game_file_load", "empty.ZORAX", bytes);
}

// ---- Images --------------------------------------------------------------

// A BMP of the given depth and header size, with a palette for depths up to 8.
std::string Bmp(int32_t width, int32_t height, uint32_t bits, bool coreHeader, bool topDown) {
  const uint32_t infoSize = coreHeader ? 12 : 40;
  const uint32_t paletteCount = bits <= 8 ? (1u << bits) : 0;
  const uint32_t entrySize = coreHeader ? 3 : 4;
  const uint32_t offset = 14 + infoSize + paletteCount * entrySize;
  const uint32_t stride = (static_cast<uint32_t>(width) * bits + 31) / 32 * 4;
  std::string out = "BM";
  Put32(out, offset + stride * static_cast<uint32_t>(height));
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, infoSize);
  if (coreHeader) {
    Put16(out, static_cast<uint32_t>(width));
    Put16(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, bits);
  } else {
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(topDown ? -height : height));
    Put16(out, 1);
    Put16(out, bits);
    Put32(out, 0);
    Put32(out, stride * static_cast<uint32_t>(height));
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, paletteCount);
    Put32(out, 0);
  }
  for (uint32_t i = 0; i < paletteCount; ++i) {
    out += static_cast<char>(i * 37);
    out += static_cast<char>(i * 91);
    out += static_cast<char>(255 - i);
    if (!coreHeader) out += '\0';
  }
  for (int32_t y = 0; y < height; ++y) {
    std::string row(stride, '\0');
    for (uint32_t i = 0; i < stride; ++i) row[i] = static_cast<char>((y * 29 + i * 13) & 0xFF);
    out += row;
  }
  return out;
}

// A BMP behind an info header of any size (12-byte core headers aside):
// masks go inside the header as far as it has room and after it for the
// rest; pixel data as given (plain, bit-field or run-length rows).
std::string BmpForm(uint32_t infoSize, int32_t width, int32_t height, uint32_t bits,
                    uint32_t compression, const std::vector<uint32_t>& masks, uint32_t paletteCount,
                    const std::string& pixels) {
  std::string info;
  Put32(info, infoSize);
  Put32(info, static_cast<uint32_t>(width));
  Put32(info, static_cast<uint32_t>(height));
  Put16(info, 1);
  Put16(info, bits);
  Put32(info, compression);
  Put32(info, static_cast<uint32_t>(pixels.size()));
  Put32(info, 2835);
  Put32(info, 2835);
  Put32(info, paletteCount);
  Put32(info, 0);
  size_t mask = 0;
  for (; mask < masks.size() && info.size() + 4 <= infoSize; ++mask) Put32(info, masks[mask]);
  info.resize(infoSize, '\0');
  for (; mask < masks.size(); ++mask) Put32(info, masks[mask]);
  for (uint32_t i = 0; i < paletteCount; ++i) Put32(info, 0x10203 * i + 0x405060);
  const uint32_t offset = 14 + static_cast<uint32_t>(info.size());
  std::string out = "BM";
  Put32(out, offset + static_cast<uint32_t>(pixels.size()));
  Put32(out, 0);
  Put32(out, offset);
  return out + info + pixels;
}

// Rows of a given stride filled with varied bytes.
std::string SomeRows(uint32_t stride, int32_t height) {
  std::string out;
  for (uint32_t i = 0; i < stride * static_cast<uint32_t>(height); ++i) {
    out += static_cast<char>((i * 53 + 7) & 0xFF);
  }
  return out;
}

void BmpFormSeeds() {
  // Bit-field rows: the masks editors write, and odd widths.
  struct Masked {
    const char* Label;
    uint32_t InfoSize;
    uint32_t Bits;
    uint32_t Compression;
    std::vector<uint32_t> Masks;
  };
  const Masked masked[] = {
      {"rgb565-40.bmp", 40, 16, 3, {0xF800, 0x07E0, 0x001F}},
      {"rgb555-v5.bmp", 124, 16, 3, {0x7C00, 0x03E0, 0x001F, 0}},
      {"argb1555-v5.bmp", 124, 16, 3, {0x7C00, 0x03E0, 0x001F, 0x8000}},
      {"argb4444-v4.bmp", 108, 16, 3, {0x0F00, 0x00F0, 0x000F, 0xF000}},
      {"argb8888-v5.bmp", 124, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
      {"xrgb8888-v4.bmp", 108, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0}},
      {"rgba-alphabitfields-40.bmp", 40, 32, 6, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
      {"rgb-v2-52.bmp", 52, 32, 3, {0xFF000000, 0xFF0000, 0xFF00}},
      {"argb-v3-56.bmp", 56, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
      {"a2rgb10-v5.bmp", 124, 32, 3, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000}},
      {"rgb7-18-7-v5.bmp", 124, 32, 3, {0xFE000000, 0x1FFFF80, 0x7F, 0}},
      {"rgb231-v5.bmp", 124, 16, 3, {0x30, 0x0E, 0x01, 0}},
  };
  for (const Masked& m : masked) {
    const uint32_t stride = (5 * m.Bits + 31) / 32 * 4;
    Seed("bmp_decode", m.Label,
         BmpForm(m.InfoSize, 5, m.InfoSize == 124 ? -3 : 3, m.Bits, m.Compression, m.Masks, 0,
                 SomeRows(stride, 3)));
  }
  Seed("bmp_decode", "rgb32-plain-v5.bmp",
       BmpForm(124, 5, 3, 32, 0, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 0, SomeRows(20, 3)));
  Seed("bmp_decode", "pal8-v4.bmp", BmpForm(108, 5, 3, 8, 0, {}, 256, SomeRows(8, 3)));
  Seed("bmp_decode", "pal4-os2v2.bmp", BmpForm(64, 5, 3, 4, 0, {}, 16, SomeRows(4, 3)));

  // Run-length rows through every escape: runs, literal stretches with
  // their padding, jumps, early ends of line and of bitmap.
  const std::string rle8{3, 2, 0, 3, 1, 9, 2, 0, 0, 0, 0, 2, 2, 0,
                         2, 3, 0, 0, 4, 2, 0, 2, 0, 1, 4, 3, 0, 1};
  Seed("bmp_decode", "rle8.bmp", BmpForm(40, 6, 4, 8, 1, {}, 4, rle8));
  Seed("bmp_decode", "rle8-os2v2.bmp", BmpForm(64, 6, 4, 8, 1, {}, 4, rle8));
  const std::string rle4{5, 0x12, 0, 0, 0,    5,    0x23, 0x10, 0x30, 0, 1, 0x20,
                         0, 0,    0, 3, 0x31, 0x20, 0,    2,    1,    0, 2, static_cast<char>(0xF3),
                         0, 1};
  Seed("bmp_decode", "rle4-v5.bmp", BmpForm(124, 6, 3, 4, 2, {}, 16, rle4));
}

void AppendToString(png_structp png, png_bytep data, png_size_t count) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), count);
}

void NoFlush(png_structp) {}

// A PNG of the given colour type and depth through libpng, in memory.
std::string Png(uint32_t width, uint32_t height, int colourType, int depth, bool interlaced,
                bool transparency) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    std::fprintf(stderr, "make_seeds: libpng could not write a seed\n");
    std::exit(1);
  }
  png_set_write_fn(png, &out, AppendToString, NoFlush);
  png_set_IHDR(png, info, width, height, depth, colourType,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_color palette[256];
  png_byte alphas[256];
  for (int i = 0; i < 256; ++i) {
    palette[i] = png_color{static_cast<png_byte>(i), static_cast<png_byte>(255 - i),
                           static_cast<png_byte>(i * 7)};
    alphas[i] = static_cast<png_byte>(i * 5);
  }
  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    png_set_PLTE(png, info, palette, 1 << depth);
    if (transparency) png_set_tRNS(png, info, alphas, 1 << depth, nullptr);
  } else if (transparency) {
    png_color_16 key{};
    key.gray = 3;
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  png_text text{};
  text.compression = PNG_TEXT_COMPRESSION_NONE;
  text.key = const_cast<char*>("Comment");
  text.text = const_cast<char*>("seed");
  png_set_text(png, info, &text, 1);
  png_write_info(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  std::vector<png_byte> pixels(rowBytes * height);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<png_byte>(i * 41 + 3);
  std::vector<png_bytep> rows(height);
  for (uint32_t y = 0; y < height; ++y) rows[y] = pixels.data() + y * rowBytes;
  png_write_image(png, rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

void ImageSeeds() {
  for (uint32_t bits : {1u, 4u, 8u, 24u, 32u}) {
    for (bool core : {false, true}) {
      Seed("bmp_decode", "bits" + std::to_string(bits) + (core ? "-core.bmp" : ".bmp"),
           Bmp(5, 3, bits, core, false));
    }
  }
  Seed("bmp_decode", "top-down.bmp", Bmp(4, 4, 24, false, true));
  Seed("bmp_decode", "wide.bmp", Bmp(33, 2, 1, false, false));
  BmpFormSeeds();

  // PNG kinds: every colour type and depth the decoder meets, interlaced too.
  struct Kind {
    const char* Label;
    int ColourType;
    int Depth;
    bool Interlaced;
    bool Transparency;
  };
  const Kind kinds[] = {
      {"grey1", PNG_COLOR_TYPE_GRAY, 1, false, false},
      {"grey8-trns", PNG_COLOR_TYPE_GRAY, 8, false, true},
      {"grey16", PNG_COLOR_TYPE_GRAY, 16, false, false},
      {"grey2-trns", PNG_COLOR_TYPE_GRAY, 2, false, true},
      {"grey16-trns", PNG_COLOR_TYPE_GRAY, 16, false, true},
      {"grey-alpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false},
      {"grey-alpha16-interlaced", PNG_COLOR_TYPE_GRAY_ALPHA, 16, true, false},
      {"palette4", PNG_COLOR_TYPE_PALETTE, 4, false, false},
      {"palette8-trns", PNG_COLOR_TYPE_PALETTE, 8, false, true},
      {"rgb8", PNG_COLOR_TYPE_RGB, 8, false, false},
      {"rgb8-interlaced", PNG_COLOR_TYPE_RGB, 8, true, false},
      {"rgb16", PNG_COLOR_TYPE_RGB, 16, false, false},
      {"rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false},
      {"rgba16-interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 16, true, false},
  };
  for (const Kind& kind : kinds) {
    Seed("png_decode", std::string(kind.Label) + ".png",
         Png(9, 5, kind.ColourType, kind.Depth, kind.Interlaced, kind.Transparency));
  }
}

// ---- Sounds --------------------------------------------------------------

std::string Wav(uint16_t channels, uint16_t bits, uint32_t rate, uint32_t frames,
                const std::string& extraChunk) {
  std::string fmt;
  Put16(fmt, 1);
  Put16(fmt, channels);
  Put32(fmt, rate);
  const uint32_t align = channels * bits / 8u;
  Put32(fmt, rate * align);
  Put16(fmt, align);
  Put16(fmt, bits);
  std::string samples;
  for (uint32_t i = 0; i < frames * align; ++i) samples += static_cast<char>((i * 31) & 0xFF);
  std::string body = "WAVE";
  body += "fmt ";
  Put32(body, static_cast<uint32_t>(fmt.size()));
  body += fmt;
  body += extraChunk;
  body += "data";
  Put32(body, static_cast<uint32_t>(samples.size()));
  body += samples;
  if (samples.size() % 2 != 0) body += '\0';
  std::string out = "RIFF";
  Put32(out, static_cast<uint32_t>(body.size()));
  return out + body;
}

void SoundSeeds() {
  for (uint16_t bits : {8, 16}) {
    for (uint16_t channels : {1, 2}) {
      Seed("wav_parse",
           std::to_string(bits) + "bit-" + (channels == 1 ? "mono" : "stereo") + ".wav",
           Wav(channels, bits, 22050, 9, ""));
    }
  }
  Seed("wav_parse", "list-chunk.wav", Wav(1, 16, 11025, 4, std::string("LIST\4\0\0\0INFO")));
  Seed("wav_parse", "odd-data.wav", Wav(1, 8, 8000, 3, ""));
}

// ---- Archives ------------------------------------------------------------

void ArchiveSeeds() {
  const std::string program(256, '\x7f');
  const std::vector<std::pair<std::string, std::string>> members = {
      {"game.ZORAX", std::string(300, 'z')},
      {"Seed.ZORAX1.wav", Wav(1, 8, 8000, 12, "")},
      {"smalfont.bmp", Bmp(4, 2, 8, false, false)},
      {"empty.txt", ""},
  };
  for (bool fromStart : {false, true}) {
    std::string error;
    const std::string archive = BuildArchive(members, &error, fromStart, program.size());
    if (archive.empty()) {
      std::fprintf(stderr, "make_seeds: archive: %s\n", error.c_str());
      std::exit(1);
    }
    Seed("archive_lookup", fromStart ? "from-start.bin" : "from-end.bin", program + archive);
  }
  std::string error;
  // The original's way of shipping a game: a Windows program image ("MZ")
  // with the archive appended.
  std::string windows = "MZ" + std::string(510, '\x90');
  Seed("archive_lookup", "foreign-host.bin",
       windows + BuildArchive(members, &error, false, windows.size()));
  Seed("archive_lookup", "one-member.bin", BuildArchive({{"a", "alpha"}}, &error));
  Seed("archive_lookup", "no-members.bin", program + BuildArchive({}, &error));
}

// ---- Text files ----------------------------------------------------------

void TextSeeds() {
  const std::string ini =
      "; settings\r\n[Display]\r\nWidth=640\r\nHeight = 480\r\n\r\n[Sound]\nVolume=80\n"
      "Muted=0\n[]\nKept=1\n[Empty]\n  [ Keys ]\r\nFire=Space\r\nLeft=\tArrow\r\n";
  Seed("ini_file", "settings.ini", ini);
  Seed("ini_file", "no-end.ini", "[a]\nb=c");
  // The player's settings file: every key, bad values, what it does not know.
  Seed("settings_file", "every-key.ini",
       "[video]\nscale = 2\nfullscreen = 1\nscale-mode = fit\nfilter = linear\nvsync = auto\n"
       "[audio]\nvolume = 80\neffects = 70\nmusic = 60\nmute = 0\n"
       "[keys]\nplayer1.left = Left, Keypad 4\nplayer1.right = Right\nplayer1.up = Up\n"
       "player1.down = Down\nplayer1.fire = Space, Pad RightShoulder\nplayer2.left = A\n"
       "player2.right = D\nplayer2.up = W\nplayer2.down = S\nplayer2.fire = Left Ctrl\n"
       "[pad]\ndeadzone = 0.35\nplayer1 = auto\nplayer2 = 030000005e0400008e02000014010000\n"
       "[paths]\nscreenshots = ~/Pictures/shots\n");
  Seed("settings_file", "bad-values.ini",
       "\xEF\xBB\xBF; written by hand\r\n[video]\r\nscale = 99\r\n[audio]\r\nvolume = -3\r\n"
       "[keys]\r\nplayer1.fire = Spcae,,Escape\r\n[pad]\r\ndeadzone = nan\r\n");
  Seed("settings_file", "unknown.ini",
       "loose = 1\n[replays]\nrecord = 0\n[audio]\nvolume = 10\nVOLUME = 20\nbass = 3\n[AUDIO]\n"
       "mute = yes\n[paths]\nscreenshots = /a\nscreenshots = /b\n");
  const std::string lines = "first line\r\nsecond\r\n42\r\n3.25\r\n\r\nlast";
  for (const char* target : {"line_file", "read_line"}) {
    Seed(target, "crlf.txt", lines);
    Seed(target, "lf.txt", "one\ntwo\n\nfour\n");
    Seed(target, "long-line.txt", std::string(1500, 'x') + "\r\nshort\r\n");
    Seed(target, "ends-in-cr.txt", "a\r\nb\r");
    Seed(target, "chunk-line.txt", std::string(63, 'y') + "\r" + "\n" + std::string(64, 'w'));
  }
}

// ---- Files of the demo game ----------------------------------------------

bool EndsWith(const std::string& name, const std::string& tail) {
  if (name.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    char a = name[name.size() - tail.size() + i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != tail[i]) return false;
  }
  return true;
}

void DemoSeeds(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) {
    std::fprintf(stderr, "make_seeds: no demo files in %s (skipped)\n", folder.c_str());
    return;
  }
  std::vector<std::pair<std::string, std::string>> members;
  while (dirent* item = readdir(dir)) {
    const std::string name = item->d_name;
    const std::string path = folder + "/" + name;
    if (EndsWith(name, ".zorax")) {
      Seed("game_file_load", "demo-" + name, ReadFile(path));
    } else if (EndsWith(name, ".wav")) {
      // One or two of the demo's sounds are enough for the forms they show.
      if (members.size() < 2) Seed("wav_parse", "demo-" + name, ReadFile(path));
    } else if (EndsWith(name, ".bmp")) {
      const std::string bytes = ReadFile(path);
      // The in-game font is PNG data under a BMP name.
      Seed(bytes.rfind("BM", 0) == 0 ? "bmp_decode" : "png_decode", "demo-" + name, bytes);
    } else {
      continue;
    }
    const std::string bytes = ReadFile(path);
    if (bytes.size() <= 64 * 1024) members.emplace_back(name, bytes);
  }
  closedir(dir);
  std::string error;
  const std::string archive = BuildArchive(members, &error);
  if (!archive.empty() && archive.size() <= (1u << 20)) {
    Seed("archive_lookup", "demo-members.bin", std::string(128, '\x7f') + archive);
  }
}

}  // namespace

// Replays for the small game of the replay target: player 2 starts, player
// 1 joins, both move and fire; one gives the game up with a held Escape,
// one is cut off by the end of the program, one has a single frame.
std::string Replay(uint32_t frames, bool abandon) {
  ReplayInputWriter input;
  input.Add(0, Controls{});
  input.Add(1, Controls{0, 0, 1});
  input.EndFrame();
  for (uint32_t f = 1; f < frames; ++f) {
    const bool last = abandon && f + 1 == frames;
    input.Add(kEscapeReader, Controls{0, 0, last ? 1 : 0});
    if (last) {
      input.Add(kEscapeReader, Controls{0, 0, 1});
      input.Add(kEscapeReader, Controls{});
    } else {
      input.Add(0, Controls{static_cast<int32_t>(f / 30 % 3) - 1, 0, f > 20 && f % 5 == 0});
      input.Add(1, Controls{0, f % 40 < 20 ? -1 : 1, f % 7 == 0});
    }
    input.EndFrame();
  }
  ReplayFile replay;
  replay.PlayerVersion = "make_seeds";
  replay.GameName = "fuzz";
  replay.StartTime = 1700000000;
  replay.Start.GameClock = 1700;
  replay.Start.Random.Memory[0] = 1;
  replay.Input = input.Input();
  replay.FrameCount = frames;
  replay.End = abandon ? ReplayEnd::kTitle : ReplayEnd::kProgramEnded;
  replay.Players = {{100, 3}, {50, 2}};
  replay.Checksums.assign(frames / kReplayChecksumInterval, 0);
  return EncodeReplay(replay);
}

void ReplaySeeds() {
  Seed("replay_read", "abandoned.zrp", Replay(150, true));
  Seed("replay_read", "cut-off.zrp", Replay(200, false));
  Seed("replay_read", "one-frame.zrp", Replay(1, false));
}

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: make_seeds <output folder> [demo build folder]\n");
    return 2;
  }
  g_out = argv[1];
  MakeFolder(g_out);
  GameFileSeeds();
  ImageSeeds();
  SoundSeeds();
  ArchiveSeeds();
  TextSeeds();
  ReplaySeeds();
  if (argc == 3) DemoSeeds(argv[2]);
  for (const auto& [target, count] : g_counts) {
    std::printf("%-16s %d seeds\n", target.c_str(), count);
  }
  return 0;
}
