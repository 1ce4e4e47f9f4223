// skylane-font: draws a font image from a font style and its glyph art. The
// demo's build makes "ingamefont.bmp" (PNG data, as the player's own font
// file is) and "smalfont.bmp" (a BMP) with it; see demo/fonts/.
//
//   skylane-font STYLE -o OUTPUT (--png | --bmp)
#include <cstdio>
#include <string>

#include "tools/font_sheet.h"
#include "runtime/gfx2d/image_write.h"
#include "tools/description_json.h"

int main(int argc, char** argv) {
  const std::string format = argc == 5 ? argv[4] : "";
  if (argc != 5 || std::string(argv[2]) != "-o" || (format != "--png" && format != "--bmp")) {
    std::fprintf(stderr, "usage: skylane-font STYLE -o OUTPUT (--png | --bmp)\n");
    return 2;
  }
  try {
    const FontImage image = RenderFont(ReadFontStyle(argv[1]));
    // Empty pixels are black in both formats: the colour fonts are keyed with.
    const bool written =
        format == "--png" ? WritePng(argv[3], image.Width, image.Height, image.Rgba.data(), false)
                          : WriteBmp(argv[3], image.Width, image.Height, image.Rgba.data(), 0);
    if (!written) {
      std::fprintf(stderr, "skylane-font: cannot write %s\n", argv[3]);
      return 1;
    }
  } catch (const DescriptionError& e) {
    std::fprintf(stderr, "skylane-font: %s\n", e.what());
    return 1;
  }
  return 0;
}
