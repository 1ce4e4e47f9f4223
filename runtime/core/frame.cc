// Frame loop (filled in by the graphics subsystem).
#include "runtime/core/frame.h"

void PresentFrame() {}
int SwapAndPace() { return 1; }
void ResetFrameTiming() {}
