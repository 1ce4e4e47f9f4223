// Running the built programs as separate processes, headless, each in a fresh
// folder with its own $TMPDIR, and comparing the screenshots they save with
// the committed references.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

struct RunResult {
  bool Started = false;
  bool TimedOut = false;
  bool Exited = false;  // false: killed by a signal (or timed out)
  int ExitCode = -1;
  double Seconds = 0;
  std::string Stderr;
  std::string Stdout;
  std::string Log;  // the run's ErrorLog.txt
};

struct RunRequest {
  std::string Program;             // copied into Folder and started from there
  std::string Folder;              // made fresh and empty
  std::vector<std::string> Env;    // NAME=value added to the headless set
  std::vector<std::string> Files;  // source paths copied into Folder before the run
  std::vector<std::string> Args;   // the program's arguments
  bool NoDisplay = false;          // leave out the headless video driver: no display at all
  int TimeoutSeconds = 60;
};

// Starts the program with fork/exec in the folder and waits for its end (it
// is killed at the time-out). The environment holds only PATH, the headless
// SDL drivers, TMPDIR=<Folder>/tmp, XDG_CONFIG_HOME=<Folder>/tmp/config (no
// settings file) and the request's variables (which replace those defaults
// of the same name).
RunResult RunProgram(const RunRequest& request);

// The lines of a log, without line ends.
std::vector<std::string> Lines(const std::string& text);

struct Picture {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Rgba;
};

// A PNG or BMP file; false when it cannot be read.
bool ReadPicture(const std::string& path, Picture& picture);

// A channel may differ by this much without the pixel counting as changed,
// and this share of pixels may differ by more (a renderer update may move an
// edge by a pixel).
constexpr int32_t kChannelTolerance = 16;
constexpr double kDifferingShare = 0.002;

struct PictureDifference {
  bool SameSize = false;
  int64_t Pixels = 0;
  int64_t Differing = 0;  // pixels with a channel further apart than the tolerance
  int32_t Largest = 0;    // largest channel difference seen
  double Share() const;   // Differing out of all pixels
};

PictureDifference Compare(const Picture& a, const Picture& b,
                          int32_t channelTolerance = kChannelTolerance);

// True when the two pictures match within the tolerances the end-to-end
// tests use: a channel may be off by a little, and a few pixels by more.
bool CloseEnough(const PictureDifference& difference);

// ZORAX_UPDATE_REFERENCES=1: tests copy their screenshots over the references.
bool UpdatingReferences();

}  // namespace e2e
