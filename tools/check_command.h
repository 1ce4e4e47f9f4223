// zorax-tool's game file check.
//
//   check FILE   loads FILE as the player does, without running it, and prints its
//                version, its counts and every problem; exit 1 when any would stop
//                the player, else 0 (warnings alone do not fail)
#pragma once

#include <string>
#include <vector>

int CheckCommand(const std::vector<std::string>& args);
