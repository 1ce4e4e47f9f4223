// Test folder set-up and file helpers.
#include "tests/support/test_env.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "runtime/core/program_end.h"

namespace testenv {

std::string TempDir() {
  const char* dir = std::getenv("TMPDIR");
  return dir != nullptr ? dir : "/tmp";
}

std::string MakeDir(const std::string& name) {
  std::filesystem::path path = std::filesystem::path(TempDir()) / name;
  std::filesystem::remove_all(path);
  std::filesystem::create_directories(path);
  return path.string();
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code missing;
  for (const auto& entry : std::filesystem::directory_iterator(folder, missing)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "";
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) {
  return std::filesystem::exists(path);
}

std::string ReadErrorLog() {
  return ReadFile(ErrorLogPath());
}

std::string SourceDir() {
  const char* dir = std::getenv("OMBREL_SOURCE_DIR");
  return dir != nullptr ? dir : ".";
}

std::string BinDir() {
  const char* dir = std::getenv("OMBREL_BIN_DIR");
  return dir != nullptr ? dir : ".";
}

}  // namespace testenv
