// The built-in font's glyphs: printable ASCII in 5 x 6 pixels, drawn here as
// six rows of five characters ('#' lit) and packed into one word per glyph
// when the program is compiled. Capitals and digits use rows 0-4; lower case
// letters with descenders reach into row 5.
#include "runtime/gfx2d/text.h"

namespace {

constexpr uint32_t Pack(const char (&rows)[31]) {
  uint32_t bits = 0;
  for (int i = 0; i < 30; ++i) {
    if (rows[i] == '#') bits |= uint32_t{1} << i;
  }
  return bits;
}

// Characters 32 to 127, one line each: rows 0..5 from the top, 5 columns each.
constexpr uint32_t kGlyphs[96] = {
    Pack("                              "),  // space
    Pack("  #    #    #         #       "),  // !
    Pack(" # #  # #                     "),  // "
    Pack(" # # ##### # # ##### # #      "),  // #
    Pack(" ##### #   ###   # #####   #  "),  // $
    Pack("##  ### #   #   # ###  ##     "),  // %
    Pack(" #   # #   #   # # ##  #  ## #"),  // &
    Pack("  #    #                      "),  // '
    Pack("   #   #    #    #     #      "),  // (
    Pack(" #     #    #    #   #        "),  // )
    Pack("     # # # ### # # #          "),  // *
    Pack("       #  #####  #            "),  // +
    Pack("                      #   #   "),  // ,
    Pack("           ###                "),  // -
    Pack("                      #       "),  // .
    Pack("    #   #   #   #   #         "),  // /
    Pack(" ### #  ### # ###  # ###      "),  // 0
    Pack("  #   ##    #    #   ###      "),  // 1
    Pack(" ### #   #  ##  #   #####     "),  // 2
    Pack("####     # ###     #####      "),  // 3
    Pack("#  # #  # #####   #    #      "),  // 4
    Pack("######    ####     #####      "),  // 5
    Pack(" ### #    #### #   # ###      "),  // 6
    Pack("#####    #   #   #    #       "),  // 7
    Pack(" ### #   # ### #   # ###      "),  // 8
    Pack(" ### #   # ####    # ###      "),  // 9
    Pack("       #         #            "),  // :
    Pack("       #         #   #        "),  // ;
    Pack("   #   #   #     #     #      "),  // <
    Pack("     #####     #####          "),  // =
    Pack(" #     #     #   #   #        "),  // >
    Pack(" ### #   #  ##        #       "),  // ?
    Pack(" ### # #### # ## ####     ### "),  // @
    Pack(" ### #   #######   ##   #     "),  // A
    Pack("#### #   ##### #   #####      "),  // B
    Pack(" #####    #    #     ####     "),  // C
    Pack("#### #   ##   ##   #####      "),  // D
    Pack("######    #### #    #####     "),  // E
    Pack("######    #### #    #         "),  // F
    Pack(" #####    # ####   # ###      "),  // G
    Pack("#   ##   #######   ##   #     "),  // H
    Pack(" ###   #    #    #   ###      "),  // I
    Pack("  ###   #    # #  #  ##       "),  // J
    Pack("#  # # #  ##   # #  #  #      "),  // K
    Pack("#    #    #    #    #####     "),  // L
    Pack("#   ### ### # ##   ##   #     "),  // M
    Pack("#   ###  ## # ##  ###   #     "),  // N
    Pack(" ### #   ##   ##   # ###      "),  // O
    Pack("#### #   ##### #    #         "),  // P
    Pack(" ### #   ##   ##  #  ## #     "),  // Q
    Pack("#### #   ##### #  # #   #     "),  // R
    Pack(" #####     ###     #####      "),  // S
    Pack("#####  #    #    #    #       "),  // T
    Pack("#   ##   ##   ##   # ###      "),  // U
    Pack("#   ##   ##   # # #   #       "),  // V
    Pack("#   ##   ## # ### ###   #     "),  // W
    Pack("#   # # #   #   # # #   #     "),  // X
    Pack("#   # # #   #    #    #       "),  // Y
    Pack("#####   #   #   #   #####     "),  // Z
    Pack(" ###  #    #    #    ###      "),  // [
    Pack("#     #     #     #     #     "),  // backslash
    Pack(" ###    #    #    #  ###      "),  // ]
    Pack("  #   # # #   #               "),  // ^
    Pack("                         #####"),  // _
    Pack(" #     #                      "),  // `
    Pack("      ### #  # #  #  ## #     "),  // a
    Pack("#    ###  #  # #  # ###       "),  // b
    Pack("      ### #    #     ###      "),  // c
    Pack("   #  ### #  # #  #  ###      "),  // d
    Pack("      ##  #### #     ###      "),  // e
    Pack("  ##  #   ###   #    #        "),  // f
    Pack("      ### #  #  ###    #  ##  "),  // g
    Pack("#    ###  #  # #  # #  #      "),  // h
    Pack("  #        ##    #   ###      "),  // i
    Pack("   #        ##    #    #  ##  "),  // j
    Pack("#    #  # ###  # #  #  #      "),  // k
    Pack(" ##    #    #    #   ###      "),  // l
    Pack("     ## # # # ## # ## # #     "),  // m
    Pack("     ###  #  # #  # #  #      "),  // n
    Pack("      ##  #  # #  #  ##       "),  // o
    Pack("     ###  #  # ###  #    #    "),  // p
    Pack("      ### #  #  ###    #    # "),  // q
    Pack("     # ## ##   #    #         "),  // r
    Pack("      ### ##     ## ###       "),  // s
    Pack(" #   ###   #    #     ##      "),  // t
    Pack("     #  # #  # #  #  ###      "),  // u
    Pack("     #   ##   # # #   #       "),  // v
    Pack("     #   ## # ## # # # #      "),  // w
    Pack("     #  #  ##   ##  #  #      "),  // x
    Pack("     #  # #  #  ###    #  ##  "),  // y
    Pack("     ####   #   #   ####      "),  // z
    Pack("  ##  #   ##    #     ##      "),  // {
    Pack("  #    #    #    #    #    #  "),  // |
    Pack(" ##     #    ##   #  ##       "),  // }
    Pack("      #   # # #   #           "),  // ~
    Pack("######   ##   ##   ######     "),  // delete: a hollow box

};

}  // namespace

uint32_t BuiltinGlyph(int32_t character) {
  if (character < 32 || character > 127) return 0;
  return kGlyphs[character - 32];
}
