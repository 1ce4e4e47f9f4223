// Test folder set-up and file helpers.
#include "tests/support/test_env.h"

#include <algorithm>

#include "runtime/core/program_end.h"
#include "runtime/core/system.h"

namespace testenv {

std::string TempDir() {
  const std::string dir = EnvironmentValue("TMPDIR");
  return dir.empty() ? "/tmp" : dir;
}

std::string MakeDir(const std::string& name) {
  const std::string path = TempDir() + "/" + name;
  std::error_code ignored;
  std::filesystem::remove_all(FsPath(path), ignored);
  MakeFolders(path, 0755);
  return path;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  if (!ListFolder(folder, names)) names.clear();
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadFile(const std::string& path) {
  const int file = OpenFileForReading(path);
  if (file < 0) return "";
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const int64_t n = ReadFromFile(file, buffer, sizeof buffer);
    if (n <= 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  CloseFile(file);
  return bytes;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  const int file = OpenFileForWriting(path, FileCreation::kReadWrite);
  if (file < 0) return;
  size_t done = 0;
  while (done < bytes.size()) {
    const int64_t n = WriteToFile(file, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  CloseFile(file);
}

bool FileExists(const std::string& path) {
  FileInfo info;
  return PathInfo(path, info);
}

std::string ReadErrorLog() {
  return ReadFile(ErrorLogPath());
}

std::string SourceDir() {
  const std::string dir = EnvironmentValue("OMBREL_SOURCE_DIR");
  return dir.empty() ? "." : dir;
}

std::string BinDir() {
  const std::string dir = EnvironmentValue("OMBREL_BIN_DIR");
  return dir.empty() ? "." : dir;
}

std::filesystem::path FsPath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Path(const std::filesystem::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

std::string Program(const std::string& name) {
  return BinDir() + "/" + name + std::string(ProgramFileSuffix());
}

std::string ProgramOutput(const std::string& path) {
  std::string text = ReadFile(path);
  if (ProgramFileSuffix() != ".exe") return text;
  std::string lines;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i];
  }
  return lines;
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  size_t at = 0;
  while (at < line.size()) {
    const size_t end = std::min(line.find(' ', at), line.size());
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

}  // namespace testenv
