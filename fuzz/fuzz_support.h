// Shared plumbing of the fuzz targets. A bad file is allowed to end the
// program with a runtime error; in a fuzzing build the end path hands control
// back to the harness through an exception, and the harness then puts the
// runtime back into its start state so that the next input starts clean.
// Only crashes, leaks, hangs and undefined behaviour are findings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Thrown by the program end's exit handler; caught by RunGuarded.
struct ProgramEnded {};

// Installs the exit handler and a private scratch folder (as $TMPDIR) once.
void Setup();

// This process's scratch folder, without a trailing "/".
const std::string& ScratchDir();

// Writes the bytes to ScratchDir()/name and returns the full path.
std::string WriteScratch(const std::string& name, const uint8_t* data, size_t size);

// Closes every channel, forgets the line and initialisation files without
// writing them back, disables the archive readers, clears the error state
// and deletes the error log.
void ResetRuntime();

// Runs body; a program end inside it returns here. The runtime is reset afterwards.
template <typename Body>
void RunGuarded(Body&& body) {
  try {
    body();
  } catch (const ProgramEnded&) {
  }
  ResetRuntime();
}

// Stops the fuzzer with a crash when a property of the result does not hold.
[[noreturn]] void Violation(const char* what);
inline void Require(bool condition, const char* what) {
  if (!condition) Violation(what);
}

}  // namespace fuzz
