// Writing small game descriptions for the tests: a folder of JSON files with
// a valid minimal game that each test bends into the case it checks.
#pragma once

#include <string>

#include "tools/game_description.h"

namespace descriptiontest {

// A fresh folder for one test's files.
std::string Folder();

// Writes a file into folder and returns its path.
std::string Write(const std::string& folder, const std::string& name, const std::string& text);

// The members of a valid one-level game, as the text of a JSON object's
// members (without braces), so a test can replace or add members.
std::string Legend();
std::string Sprites();
std::string Tiles();
std::string Players();
std::string Level(const std::string& extra = "");

// {Legend, Sprites, Tiles, Players, levels: [Level(levelExtra)]} with extra members.
std::string Game(const std::string& extra = "", const std::string& levelExtra = "");

// text with the first occurrence of from replaced by to (from must occur).
std::string Replace(std::string text, const std::string& from, const std::string& to);

// Reads the description; fails the test with the error when it is refused.
GameDescription Read(const std::string& path);
// The error of a description that must be refused.
std::string Refusal(const std::string& path);

}  // namespace descriptiontest
