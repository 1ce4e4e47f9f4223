// The replay file (.zrp): what it takes to play one game again exactly and
// to tell where a replay parts from it. docs/replay-format.md gives the
// bytes; in short: a header naming the player and the game file (size and
// SHA-256), the state the game started from (the random generator whole and
// the clocks that carry over from the games before), what every read of the
// controls returned frame by frame, and the end: frame count, how the game
// ended, each player's score and lives, and checksums of the game state.
//
// EncodeReplay        the file's bytes
// DecodeReplay        reads and checks a whole file; false with one line on
//                     what is wrong. Never allocates more than a small
//                     multiple of the file's size, whatever the file says.
// ReplayInputWriter   turns reads, frame by frame, into the input's delta form
// ReplayInputReader   walks the input frame by frame and read by read
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/controls.h"
#include "player/replays/sha256.h"
#include "runtime/values/maths.h"

inline constexpr uint16_t kReplayFormatVersion = 1;
inline constexpr size_t kMaxReplayBytes = size_t{64} << 20;
// A state checksum is stored after every this many frames.
inline constexpr uint32_t kReplayChecksumInterval = 60;
// Bounds a reader enforces on what a file claims.
// A frame reads each player once and Escape at most three times (see the
// recorder), the title screen each player once: 1024 is far beyond that.
inline constexpr uint32_t kMaxReplayReadsPerFrame = 1024;
inline constexpr int32_t kMaxReplayPlayer = 254;
inline constexpr size_t kMaxReplayPlayerVersion = 64;
inline constexpr size_t kMaxReplayGameName = 128;

// One read of the controls and what it returned; Reader is a player number
// or kEscapeReader.
struct ReplayRead {
  int32_t Reader = 0;
  Controls Value;
};

// What carries from one game to the next within a run, taken when the game
// starts (the fire press that leaves the title screen).
struct ReplayStartState {
  RandomGeneratorState Random{};
  int32_t GameClock = 0;
  int32_t TickCounter = 0;
  int32_t SlowScrollCount = 0;
  int32_t ScrollX = 0;
};

enum class ReplayEnd : uint8_t {
  kTitle = 0,         // the game went back to the title screen
  kProgramEnded = 1,  // the program ended during the game (Alt+F4, window closed, ...)
};

struct ReplayPlayerResult {
  int32_t Score = 0;
  int32_t Lives = 0;  // the player's Hits: -1 never joined, 0 out
};

struct ReplayFile {
  uint16_t Version = kReplayFormatVersion;
  std::string PlayerVersion;
  std::string GameName;
  uint64_t GameSize = 0;
  Sha256Digest GameSha256{};
  int64_t StartTime = 0;  // seconds since 1970-01-01 00:00 UTC
  int32_t UtcOffset = 0;  // seconds east of UTC of the local time at the start
  ReplayStartState Start;
  std::string Input;  // the reads in the delta form (ReplayInputWriter)
  uint32_t FrameCount = 0;
  ReplayEnd End = ReplayEnd::kTitle;
  std::vector<ReplayPlayerResult> Players;
  uint64_t FinalChecksum = 0;       // the state after the last frame
  std::vector<uint64_t> Checksums;  // the state after frames 59, 119, 179, ...
};

std::string EncodeReplay(const ReplayFile& replay);
bool DecodeReplay(std::string_view bytes, ReplayFile& replay, std::string& error);

class ReplayInputWriter {
 public:
  // Adds a read to the frame under way.
  void Add(int32_t reader, const Controls& value);
  // Closes the frame under way; the next Add starts the next frame.
  void EndFrame();
  // Frames closed so far.
  uint32_t Frames() const { return frames_; }
  // The input of every closed frame (reads of an unclosed frame are left out).
  std::string Input() const;

 private:
  std::string out_;
  std::string current_;   // encoded reads of the frame under way
  std::string previous_;  // encoded reads of the last frame written out
  uint32_t currentReads_ = 0;
  uint32_t run_ = 0;  // closed frames equal to previous_ not yet written out
  uint32_t frames_ = 0;
};

class ReplayInputReader {
 public:
  explicit ReplayInputReader(std::string_view input) : input_(input) {}
  // Moves to the next frame; false at the end of the input or at a damaged
  // place (Damaged() then tells which).
  bool NextFrame();
  // The next read of the current frame; false when it has no more.
  bool NextRead(ReplayRead& read);
  // As NextRead, without taking it.
  bool PeekRead(ReplayRead& read) const;
  // Reads of the current frame not taken yet.
  uint32_t ReadsLeft() const { return readsLeft_; }
  // Frames after the current one that read the same as it; SkipRepeats
  // passes over them at once (for counting frames quickly).
  uint64_t RepeatsLeft() const { return runLeft_; }
  void SkipRepeats() { runLeft_ = 0; }
  bool Damaged() const { return damaged_; }
  const std::string& Problem() const { return problem_; }

 private:
  bool Fail(const std::string& problem);

  std::string_view input_;
  size_t pos_ = 0;
  size_t frameStart_ = 0;  // the reads of the last frame listed in full
  uint32_t frameReads_ = 0;
  uint64_t runLeft_ = 0;  // frames still to repeat that frame
  size_t readPos_ = 0;
  uint32_t readsLeft_ = 0;
  bool damaged_ = false;
  std::string problem_;
};

// A read as one byte (and a number for players from 6 on), and back; Decode
// is false for a byte no writer makes.
void EncodeReplayRead(const ReplayRead& read, std::string& out);
bool DecodeReplayRead(std::string_view input, size_t& pos, ReplayRead& read);
