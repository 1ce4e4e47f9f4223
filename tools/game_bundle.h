// A game with everything it reads, gathered from whatever form it comes in,
// ready to be packed into a player: a game file with its media beside it, a
// folder, a packed program of any platform, or a game description.
//
//   LoadGameBundle  reads INPUT: a description (a ".json" file) is built as
//                   `zorax-tool build` builds it, with the media its "media"
//                   names; a packed program gives every member of its
//                   archive; a game file (or a folder's) takes its sounds and
//                   fonts from beside it as the player looks them up. Loose
//                   files beside a packed program win over its members, as
//                   they do when the player plays it. false with a one-line
//                   reason when INPUT holds no game the player can load, or
//                   a packed program's archive is damaged.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct GameBundle {
  std::string FileName;   // the input's name without folder and extension ("skylane")
  std::string TitleText;  // the title screen's text
  // "game.ZORAX" first, then the media, each name once (letter case aside).
  std::vector<std::pair<std::string, std::string>> Members;
  std::vector<std::string> Notes;  // what was looked for and not found
};

bool LoadGameBundle(const std::string& input, GameBundle& bundle, std::string& error);
