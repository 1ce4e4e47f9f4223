// Helpers shared by the test programs: each test process gets its own
// temporary folder (as $TMPDIR), so that logs and unpacked files of tests
// running side by side never meet.
#pragma once

#include <string>
#include <vector>

namespace testenv {

// This process's private test folder (also $TMPDIR), ending without "/".
std::string TempDir();

// A fresh empty subfolder of TempDir() with the given name.
std::string MakeDir(const std::string& name);

// Whole-file helpers; ReadFile returns "" for a missing file.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// The names in a folder, sorted; empty for a folder that is not there.
std::vector<std::string> FolderEntries(const std::string& folder);

// Contents of the runtime's error log of this test process.
std::string ReadErrorLog();

// The repository's root folder and the build's bin folder.
std::string SourceDir();
std::string BinDir();

}  // namespace testenv
