// Helpers shared by the test programs: each test process gets its own
// temporary folder (as $TMPDIR, and %TMP% on Windows), so that logs and
// unpacked files of tests running side by side never meet. Paths are UTF-8
// with "/" as everywhere in the runtime; the helpers reach files through the
// runtime's platform services, so they work on every platform.
#pragma once

#include <filesystem>
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

// A UTF-8 path for std::filesystem and back. A path made from a std::string
// would be read in the system's code page on Windows, not as UTF-8.
std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8Path(const std::filesystem::path& path);

// A built program of this build: BinDir()/name with the platform's suffix.
std::string Program(const std::string& name);

// Runs a program (arguments[0] is its path) with standard output sent to the
// file output_path and standard error to error_path (to the same file when
// that is ""), and waits for it. Returns its exit code, or -1 when it could
// not be started or did not exit normally. Each platform's test support
// implements it.
int RunProgram(const std::vector<std::string>& arguments, const std::string& output_path,
               const std::string& error_path = "");

// What a program wrote into a file as its output, with "\r\n" read as "\n"
// where the C runtime writes text that way (Windows).
std::string ProgramOutput(const std::string& path);

// Ends the test program with its result once every test has run. On
// Windows the process is ended without running the libraries' detach code
// (SDL's device threads can hold Wine's process end forever); elsewhere it
// returns the result for main to return.
int FinishTestProgram(int result);

// The words of a command line split at spaces, for commands whose parts hold none.
std::vector<std::string> Words(const std::string& line);

}  // namespace testenv
