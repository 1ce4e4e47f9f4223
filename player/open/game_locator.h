// Finding the game a PATH on the command line names: a game file of any
// name, a packed program of any platform (a player with a media archive
// appended; read, never run), or a folder holding one of these. Everything
// is decided before any window opens, so that a PATH without a game is
// reported in one line even with no display.
//
// LocateGame        fills `where` for a PATH; false with a one-line reason
// CarriesPackedGame true when the file ends in a media archive with a
//                   "game.ZORAX" member
// GameNameOf        the name files made from a game are called after: the
//                   base name of its file or program, without its extension
#pragma once

#include <string>
#include <vector>

struct GameLocation {
  std::string Folder;              // absolute; becomes the current folder, so that the
                                   // game's own relative names resolve there
  std::string GameFile;            // the game file's name, relative to Folder
  std::string ArchiveFile;         // absolute path of the packed program read, "" for none
  std::string Name;                // see GameNameOf
  std::vector<std::string> Notes;  // lines for the log, once it is there
};

bool LocateGame(const std::string& path, GameLocation& where, std::string& error);
bool CarriesPackedGame(const std::string& path);
std::string GameNameOf(const std::string& path);
