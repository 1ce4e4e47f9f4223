// The window's caption names the game: the first line of the title screen's
// text ("Skylane" for the demo), or the name of the game's file or program
// while the game loads, when it failed to load, and for a game whose title
// text is blank. The runtime appends " <pause>" while the window is inactive,
// as before.
//
// CaptionFromTitle      the caption a title text gives: its first line that
//                       is not blank, trimmed, as UTF-8 (a title written in
//                       the Windows Latin code page is converted); "" for none.
//                       Letter-spaced capitals, as title screens set a name
//                       ("S K Y L A N E", words two spaces apart), read as
//                       the word they spell ("Skylane")
// InstallWindowCaption  captions the window with the run's game name now, and
//                       with the title's caption from the first title frame on
#pragma once

#include <string>
#include <string_view>

std::string CaptionFromTitle(std::string_view titleText);
void InstallWindowCaption();
