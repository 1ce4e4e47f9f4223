// The icon generator: a scaled sprite comes back to its own art pixels
// whatever padding surrounds it, icons multiply those pixels by whole
// numbers and centre them, the SVG paints exactly the art, and the demo's
// ship is read the right way up from its description.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "demo/tools/ship_icon.h"
#include "tests/support/test_env.h"

namespace {

// Art from rows of characters: '.' transparent, other letters colours.
IconArt Art(const std::vector<std::string>& rows) {
  IconArt art{static_cast<int32_t>(rows[0].size()), static_cast<int32_t>(rows.size()), {}};
  for (const std::string& row : rows) {
    for (const char c : row) {
      const bool opaque = c != '.';
      art.Rgba.insert(
          art.Rgba.end(),
          {static_cast<uint8_t>(opaque ? c * 3 : 0), static_cast<uint8_t>(opaque ? 255 - c : 0),
           static_cast<uint8_t>(opaque ? c : 0), static_cast<uint8_t>(opaque ? 255 : 0)});
    }
  }
  return art;
}

// art drawn at scale factor with pad transparent pixels around it; the
// transparent pixels carry a stray colour, as decoded images may.
IconArt Padded(const IconArt& art, int32_t factor, int32_t padLeft, int32_t padTop) {
  IconArt out{art.Width * factor + padLeft + 3, art.Height * factor + padTop + 2, {}};
  out.Rgba.assign(static_cast<size_t>(out.Width) * out.Height * 4, 0);
  for (size_t i = 0; i < out.Rgba.size(); i += 4) out.Rgba[i] = 77;  // hidden colour
  for (int32_t y = 0; y < art.Height * factor; ++y) {
    for (int32_t x = 0; x < art.Width * factor; ++x) {
      const uint8_t* from = &art.Rgba[((y / factor) * art.Width + x / factor) * 4];
      std::copy(from, from + 4, &out.Rgba[((padTop + y) * out.Width + padLeft + x) * 4]);
    }
  }
  return out;
}

std::vector<uint8_t> Pixel(const IconArt& art, int32_t x, int32_t y) {
  const uint8_t* p = &art.Rgba[(static_cast<size_t>(y) * art.Width + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

const std::vector<uint8_t> kClear = {0, 0, 0, 0};

TEST(ShipIcon, ScaledPaddedSpritesComeBackToTheirArt) {
  const IconArt ship = Art({"..a..", ".bab.", "ccacc", "c.d.c"});
  struct Case {
    int32_t Factor, PadLeft, PadTop;
  };
  for (const Case c : {Case{1, 0, 0}, Case{2, 1, 3}, Case{3, 5, 0}, Case{4, 2, 2}}) {
    const IconArt padded = Padded(ship, c.Factor, c.PadLeft, c.PadTop);
    const IconArt art = ArtFromRgba(padded.Width, padded.Height, padded.Rgba);
    EXPECT_EQ(art.Width, 5) << "factor " << c.Factor;
    EXPECT_EQ(art.Height, 4) << "factor " << c.Factor;
    EXPECT_EQ(art.Rgba, ship.Rgba) << "factor " << c.Factor;
  }
  // One pixel off the 2 x 2 grid keeps every pixel.
  IconArt uneven = Padded(ship, 2, 0, 0);
  uneven.Rgba[(1 * uneven.Width + 5) * 4] ^= 1;
  EXPECT_EQ(ArtFromRgba(uneven.Width, uneven.Height, uneven.Rgba).Width, 10);
  // A single colour block is one pixel; nothing opaque is nothing.
  const IconArt block = Padded(Art({"a"}), 6, 0, 0);
  EXPECT_EQ(ArtFromRgba(block.Width, block.Height, block.Rgba).Width, 1);
  EXPECT_EQ(ArtFromRgba(4, 1, std::vector<uint8_t>(16, 0)).Width, 0);
  EXPECT_EQ(ArtFromRgba(block.Width + 1, block.Height, block.Rgba).Width, 0);  // sizes lie
}

TEST(ShipIcon, IconsMultiplyTheArtAndCentreIt) {
  const IconArt ship = Art({"a.b..", ".c.d.", "eeeee"});  // 5 x 3
  struct Case {
    int32_t Size, Scale, Left, Top;
  };
  for (const Case c : {Case{32, 6, 1, 7}, Case{5, 1, 0, 1}, Case{256, 51, 0, 51}}) {
    const IconArt icon = RenderIcon(ship, c.Size);
    ASSERT_EQ(icon.Width, c.Size);
    ASSERT_EQ(icon.Height, c.Size);
    for (int32_t y = 0; y < c.Size; ++y) {
      for (int32_t x = 0; x < c.Size; ++x) {
        const int32_t ax = x - c.Left, ay = y - c.Top;
        const bool inside = ax >= 0 && ay >= 0 && ax < 5 * c.Scale && ay < 3 * c.Scale;
        ASSERT_EQ(Pixel(icon, x, y), inside ? Pixel(ship, ax / c.Scale, ay / c.Scale) : kClear)
            << "size " << c.Size << " at " << x << "," << y;
      }
    }
  }
  // Art larger than the icon is shrunk with its aspect kept, not cut.
  const IconArt wide = Padded(Art({"ab", "cd"}), 10, 0, 0);  // 20 x 20 inside 23 x 22
  const IconArt small = RenderIcon(wide, 8);                 // drawn 8 x 7
  EXPECT_EQ(Pixel(small, 0, 0), Pixel(wide, 0, 0));
  EXPECT_EQ(Pixel(small, 0, 6), Pixel(wide, 0, 19));
  EXPECT_EQ(Pixel(small, 6, 6), Pixel(wide, 19, 19));
  EXPECT_EQ(Pixel(small, 7, 0), kClear);  // the transparent border, shrunk
  EXPECT_EQ(Pixel(small, 3, 7), kClear);  // below the drawn rows
}

TEST(ShipIcon, SvgPaintsExactlyTheArt) {
  const IconArt ship = Art({"aab..", ".bbbb", "c...c"});
  const std::string svg = IconSvg(ship, 128);
  EXPECT_NE(svg.find("width=\"128\" height=\"128\" viewBox=\"0 0 5 5\""), std::string::npos);
  // Paint the rectangles back into a picture and compare it with the art.
  IconArt painted{5, 3, std::vector<uint8_t>(5 * 3 * 4, 0)};
  // The rectangles are read with sscanf: <regex> makes GCC 12 warn at -O1.
  int32_t rects = 0;
  for (size_t at = svg.find("<rect "); at != std::string::npos; at = svg.find("<rect ", at + 1)) {
    int x = 0, width = 0;
    double top = 0;
    unsigned rgb = 0;
    ASSERT_EQ(std::sscanf(svg.c_str() + at,
                          "<rect x=\"%d\" y=\"%lf\" width=\"%d\" height=\"1\" fill=\"#%6x\"/>", &x,
                          &top, &width, &rgb),
              4)
        << svg.substr(at, 80);
    ++rects;
    const int32_t y = static_cast<int32_t>(top - 1);  // centred: 1 from the top
    for (int32_t i = 0; i < width; ++i) {
      uint8_t* p = &painted.Rgba[(static_cast<size_t>(y) * 5 + x + i) * 4];
      ASSERT_EQ(p[3], 0) << "painted twice at " << x + i << "," << y;
      p[0] = rgb >> 16, p[1] = (rgb >> 8) & 0xFF, p[2] = rgb & 0xFF, p[3] = 255;
    }
  }
  EXPECT_EQ(painted.Rgba, ship.Rgba);
  EXPECT_EQ(rects, 5);  // runs of one colour make one rectangle each
}

TEST(ShipIcon, DemoShipIsReadUprightFromItsDescription) {
  const std::string demo = testenv::SourceDir() + "/demo/skylane.json";
  IconArt art;
  std::string error;
  ASSERT_TRUE(ReadIconArt(demo, "p1_idle", art, error)) << error;
  // Drawn at scale 2 in the description; the art is its 16 x 16 rows.
  ASSERT_EQ(art.Width, 16);
  ASSERT_EQ(art.Height, 16);
  EXPECT_EQ(Pixel(art, 7, 0), (std::vector<uint8_t>{0xfc, 0xfc, 0xfc, 255}));   // 'w', nose
  EXPECT_EQ(Pixel(art, 1, 10), (std::vector<uint8_t>{0x00, 0x78, 0xf8, 255}));  // 'N', wing
  EXPECT_EQ(Pixel(art, 10, 1), kClear);

  EXPECT_FALSE(ReadIconArt(demo, "no_such_ship", art, error));
  EXPECT_NE(error.find("no sprite named \"no_such_ship\""), std::string::npos) << error;
  EXPECT_FALSE(ReadIconArt(testenv::TempDir() + "/missing.json", "p1_idle", art, error));
  EXPECT_NE(error.find("missing.json"), std::string::npos) << error;
}

}  // namespace
