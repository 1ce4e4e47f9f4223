// Bitmap fonts (filled in by the graphics subsystem).
#include "runtime/gfx2d/text.h"

void LoadFont(const RtString&, int32_t) {}
void SetFont(int32_t) {}
void PrintText(const RtString&, double, double) {}
void GetFontSize(int32_t& width, int32_t& height) { width = height = 8; }
void LoadBuiltinFont(int32_t) {}
