// Sprite, pixel and rectangle drawing.
#pragma once

// Discards the background image and clears the current target to black.
void ClearScreen();
