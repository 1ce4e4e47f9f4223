// Runs the player's option parser on the words after the program name, as
// main() gets them.
#pragma once

#include <string>
#include <vector>

#include "player/options.h"

namespace playertest {

inline bool ParseCommandLine(std::vector<std::string> words, PlayerOptions& options,
                             std::string& error) {
  words.insert(words.begin(), "zorax-player");
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return ParsePlayerOptions(static_cast<int>(words.size()), argv.data(), options, error);
}

}  // namespace playertest
