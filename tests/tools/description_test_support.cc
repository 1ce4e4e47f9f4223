// Helpers of the description tests (see the header).
#include "tests/tools/description_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/test_env.h"

namespace descriptiontest {

std::string Folder() {
  static int count = 0;
  return testenv::MakeDir("description" + std::to_string(++count));
}

std::string Write(const std::string& folder, const std::string& name, const std::string& text) {
  const std::string path = folder + "/" + name;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  testenv::WriteFile(path, text);
  return path;
}

std::string Legend() {
  return R"("legend": {".": "transparent", "w": "#fcfcfc", "r": 21, "b": "#0058f8"})";
}

std::string Sprites() {
  return R"("sprites": {
    "ship": {"rows": [".w", "rw"]},
    "shot": {"rows": ["w.", ".."]}
  })";
}

std::string Tiles() {
  return R"("tiles": {"sea": {"rows": ["bb", "bb"]}, "rock": {"rows": ["r.", ".r"]}})";
}

std::string Players() {
  return R"("players": [
    {"lives": 2, "animations": {"move": "ship", "die": ["ship", "shot"], "bullet": "shot"}}
  ])";
}

std::string Level(const std::string& extra) {
  return R"({"scroll": "constant", "map_legend": {"~": "sea", "#": "rock"},
             "ground": ["~~~", "~~~"])" +
         (extra.empty() ? "" : ", " + extra) + "}";
}

std::string Game(const std::string& extra, const std::string& levelExtra) {
  return "{" + Legend() + ",\n" + Sprites() + ",\n" + Tiles() + ",\n" + Players() +
         ",\n\"levels\": [" + Level(levelExtra) + "]" + (extra.empty() ? "" : ",\n" + extra) + "}";
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

GameDescription Read(const std::string& path) {
  GameDescription description;
  std::string error;
  EXPECT_TRUE(ReadGameDescription(path, description, error)) << error;
  return description;
}

std::string Refusal(const std::string& path) {
  GameDescription description;
  std::string error;
  EXPECT_FALSE(ReadGameDescription(path, description, error)) << "accepted " << path;
  return error;
}

}  // namespace descriptiontest
