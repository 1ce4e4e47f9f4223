// Bitmap-font text.
#pragma once

#include <cstdint>

#include "runtime/values/rt_string.h"

void LoadFont(const RtString& path, int32_t font);
void SetFont(int32_t font);
void PrintText(const RtString& text, double x, double y);
void GetFontSize(int32_t& width, int32_t& height);
// Builds the built-in 8 x 8 font into a font slot.
void LoadBuiltinFont(int32_t font);
