// Screenshots: the logical screen (640 x 480, whatever the window's size) as
// a PNG in the user's pictures folder, under Zorax/, named after the game
// (the run's GameName) and the time. A file is never overwritten; a failure is logged and the game
// goes on.
//
// ScreenshotFileName   "<game>-<YYYYMMDD-HHMMSS>.png" for n 0, with "-<n>" before ".png" after
// WriteScreenshot      RGBA rows from the top as a PNG into folder (made when missing) under
//                      the first free name for that time; the path, or "" with the problem
// TakeScreenshot       reads the logical screen and writes it into the screenshot folder,
//                      logging one line: where it went, or why it did not; false on failure
// SetScreenshotFolder  where screenshots go; "" (the default): Zorax in the pictures folder
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

std::string ScreenshotFileName(const std::string& game, const std::tm& time, int n);
std::string WriteScreenshot(const std::string& folder, const std::string& game, const std::tm& time,
                            int32_t width, int32_t height, const std::vector<uint8_t>& rgba,
                            std::string& problem);
bool TakeScreenshot(const std::string& game);
void SetScreenshotFolder(const std::string& folder);
