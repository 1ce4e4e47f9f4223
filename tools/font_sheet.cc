// The font generator's reading and drawing. A glyph's art is centred across
// its cell and starts at the style's top row; every art row has its own
// colour, which gives the letters a gradient; the outline is drawn in the
// empty pixels next to the glyph (also diagonally) and never in black, which
// would be keyed out like the background.
#include "tools/font_sheet.h"

#include <algorithm>
#include <memory>

#include "tools/description_json.h"

namespace {

constexpr int32_t kColumns = 16;
constexpr int32_t kRows = 8;

uint32_t Colour(const Node& node) {
  const std::string text = node.String();
  uint32_t value = 0;
  bool valid = text.size() == 7 && text[0] == '#';
  for (size_t i = 1; valid && i < 7; ++i) {
    const char c = text[i];
    const int digit = (c >= '0' && c <= '9')   ? c - '0'
                      : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                      : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                               : -1;
    valid = digit >= 0;
    value = value * 16 + static_cast<uint32_t>(digit);
  }
  if (!valid) node.Fail("should be a colour \"#rrggbb\"");
  if (value == 0) node.Fail("black is the transparent colour of fonts; use a very dark grey");
  return value;
}

int32_t GlyphCode(const Node& where, const std::string& key) {
  if (key.size() == 1) return static_cast<unsigned char>(key[0]);
  if (key.rfind("code ", 0) == 0) {
    const std::string digits = key.substr(5);
    int32_t code = 0;
    bool valid = !digits.empty() && digits.size() <= 3;
    for (char c : digits) {
      valid = valid && c >= '0' && c <= '9';
      code = code * 10 + (c - '0');
    }
    if (valid) return code;
  }
  where.Fail("glyph key \"" + key + "\" should be one character or \"code N\"");
}

}  // namespace

FontStyle ReadFontStyle(const std::string& path) {
  const auto file = LoadDescriptionFile(path);
  const Node root = Node::Root(file);
  root.ExpectObject("a font style (an object)");
  root.OnlyKeys({"cell", "scale", "top", "colours", "accent", "outline", "glyphs"});
  FontStyle style;
  if (root.Has("cell")) style.Cell = static_cast<int32_t>(root.Member("cell").Integer(4, 64));
  if (root.Has("scale")) style.Scale = static_cast<int32_t>(root.Member("scale").Integer(1, 8));
  if (root.Has("top"))
    style.Top = static_cast<int32_t>(root.Member("top").Integer(0, style.Cell - 1));
  for (const Node& colour : root.Member("colours").Elements())
    style.Colours.push_back(Colour(colour));
  if (style.Colours.empty()) root.Member("colours").Fail("needs at least one colour");
  if (root.Has("accent")) style.Accent = Colour(root.Member("accent"));
  if (root.Has("outline")) {
    const Node outline = root.Member("outline");
    style.Outline = outline.Value().is_null() ? 0 : Colour(outline);
  }

  // The glyphs are inline, or in a file of their own shared between styles.
  std::shared_ptr<const DescriptionFile> glyphFile;
  Node glyphs = root.Member("glyphs");
  if (glyphs.IsString()) {
    const std::string glyphPath = JoinPath(root.Folder(), glyphs.String());
    try {
      glyphFile = LoadDescriptionFile(glyphPath);
    } catch (const DescriptionError& e) {
      glyphs.Fail(e.what());
    }
    glyphs = Node::Root(glyphFile);
  }
  const int32_t room = style.Cell / style.Scale;
  for (const auto& [key, rows] : glyphs.Members()) {
    const int32_t code = GlyphCode(rows, key);
    if (code >= kColumns * kRows)
      rows.Fail("character code " + std::to_string(code) + " is above 127");
    if (style.Glyphs.count(code))
      rows.Fail("character code " + std::to_string(code) + " is given twice");
    FontGlyph glyph;
    for (const Node& row : rows.Elements()) {
      const std::string text = row.String();
      if (!glyph.Rows.empty() && text.size() != glyph.Rows[0].size()) {
        row.Fail("rows of a glyph must be equally long");
      }
      if (static_cast<int32_t>(text.size()) > room) {
        row.Fail("is wider than the " + std::to_string(room) + " art pixels a cell holds");
      }
      if (text.find_first_not_of(".#+") != std::string::npos) {
        row.Fail("glyph rows use '#' (body), '+' (accent) and '.' (empty) only");
      }
      glyph.Rows.push_back(text);
    }
    if (style.Top + static_cast<int32_t>(glyph.Rows.size()) * style.Scale > style.Cell) {
      rows.Fail("is taller than its cell");
    }
    style.Glyphs[code] = glyph;
  }
  return style;
}

FontImage RenderFont(const FontStyle& style) {
  FontImage image;
  image.Width = kColumns * style.Cell;
  image.Height = kRows * style.Cell;
  image.Rgba.assign(static_cast<size_t>(image.Width) * image.Height * 4, 0);
  auto set = [&](int32_t x, int32_t y, uint32_t rgb) {
    uint8_t* p = &image.Rgba[(static_cast<size_t>(y) * image.Width + x) * 4];
    p[0] = rgb >> 16;
    p[1] = (rgb >> 8) & 0xFF;
    p[2] = rgb & 0xFF;
    p[3] = 255;
  };
  for (const auto& [code, glyph] : style.Glyphs) {
    const int32_t cellX = (code % kColumns) * style.Cell;
    const int32_t cellY = (code / kColumns) * style.Cell;
    const int32_t artWidth = glyph.Rows.empty() ? 0 : static_cast<int32_t>(glyph.Rows[0].size());
    const int32_t left = (style.Cell - artWidth * style.Scale) / 2;
    // Which cell pixels the glyph covers, so the outline can go around them.
    std::vector<char> lit(static_cast<size_t>(style.Cell) * style.Cell, 0);
    for (int32_t row = 0; row < static_cast<int32_t>(glyph.Rows.size()); ++row) {
      const uint32_t body = style.Colours[std::min<size_t>(row, style.Colours.size() - 1)];
      for (int32_t column = 0; column < artWidth; ++column) {
        const char c = glyph.Rows[row][column];
        if (c == '.') continue;
        for (int32_t dy = 0; dy < style.Scale; ++dy) {
          for (int32_t dx = 0; dx < style.Scale; ++dx) {
            const int32_t x = left + column * style.Scale + dx;
            const int32_t y = style.Top + row * style.Scale + dy;
            lit[y * style.Cell + x] = 1;
            set(cellX + x, cellY + y, c == '+' ? style.Accent : body);
          }
        }
      }
    }
    if (style.Outline == 0) continue;
    for (int32_t y = 0; y < style.Cell; ++y) {
      for (int32_t x = 0; x < style.Cell; ++x) {
        if (lit[y * style.Cell + x]) continue;
        bool near = false;
        for (int32_t dy = -1; dy <= 1 && !near; ++dy) {
          for (int32_t dx = -1; dx <= 1 && !near; ++dx) {
            const int32_t nx = x + dx, ny = y + dy;
            near = nx >= 0 && ny >= 0 && nx < style.Cell && ny < style.Cell &&
                   lit[ny * style.Cell + nx];
          }
        }
        if (near) set(cellX + x, cellY + y, style.Outline);
      }
    }
  }
  return image;
}
