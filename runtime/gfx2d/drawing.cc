// Drawing commands (filled in by the graphics subsystem).
#include "runtime/gfx2d/drawing.h"

void ClearScreen() {}
