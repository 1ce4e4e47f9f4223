// zorax-tool build: a game file from a game description.
//
//   build DESCRIPTION -o OUTPUT [--preview DIR]
//       reads DESCRIPTION (and the files it includes) and writes the game file
//       OUTPUT; with --preview also PNG sheets of the images and every level's
//       map with its wave paths into DIR. Nothing is written when the
//       description has an error.
#pragma once

#include <string>
#include <vector>

int BuildCommand(const std::vector<std::string>& args);
