// Writing and reading replay files. The reader trusts nothing it reads: every
// count is checked against what the rest of the file can still hold before
// anything is set aside for it, and the checksum at the end tells a damaged
// file from a replay that no longer matches its game.
#include "player/replays/replay_file.h"

#include <zlib.h>

#include <cstring>

namespace {

constexpr char kMagic[8] = {'Z', 'R', 'P', 'L', '\r', '\n', '\x1a', '\n'};
constexpr uint8_t kOpRepeat = 0x00;  // varint n: n frames that read what the last one read
constexpr uint8_t kOpFrame = 0x01;   // varint k, k reads: one frame
// Read byte: bits 0-1 Dx, 2-3 Dy (0 still, 1 negative, 2 positive), bit 4
// Fire, bits 5-7 the reader: 0-5 that player, 6 a player number that follows
// as a varint, 7 the Escape key (Fire: held).
constexpr uint8_t kReaderExtended = 6;
constexpr uint8_t kReaderEscape = 7;
constexpr int64_t kLatestStartTime = 253402300800;  // the year 10000
constexpr int32_t kMaxUtcOffset = 18 * 3600;
constexpr int32_t kMaxSlowScrollCount = 5;

// ------------------------------------------------------------ plain values

void PutU8(std::string& out, uint8_t v) {
  out += static_cast<char>(v);
}

void PutU16(std::string& out, uint16_t v) {
  for (int i = 0; i < 2; ++i) PutU8(out, static_cast<uint8_t>(v >> (8 * i)));
}

void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) PutU8(out, static_cast<uint8_t>(v >> (8 * i)));
}

void PutU64(std::string& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) PutU8(out, static_cast<uint8_t>(v >> (8 * i)));
}

void PutI32(std::string& out, int32_t v) {
  PutU32(out, static_cast<uint32_t>(v));
}

void PutVarint(std::string& out, uint64_t v) {
  while (v >= 0x80) {
    PutU8(out, static_cast<uint8_t>(v | 0x80));
    v >>= 7;
  }
  PutU8(out, static_cast<uint8_t>(v));
}

// An unsigned LEB128 number of at most 32 bits in its shortest form.
bool GetVarint(std::string_view in, size_t& pos, uint32_t& value) {
  uint64_t v = 0;
  for (int shift = 0; shift < 35; shift += 7) {
    if (pos >= in.size()) return false;
    const uint8_t byte = static_cast<uint8_t>(in[pos++]);
    v |= uint64_t{byte & 0x7fu} << shift;
    if ((byte & 0x80) == 0) {
      // A last byte of 0 after others is a longer form than needed.
      if (byte == 0 && shift > 0) return false;
      if (v > UINT32_MAX) return false;
      value = static_cast<uint32_t>(v);
      return true;
    }
  }
  return false;
}

uint8_t DirectionCode(int32_t d) {
  return d < 0 ? 1 : (d > 0 ? 2 : 0);
}

// Reads fixed-size little-endian values; once anything runs past the end,
// every later read fails too.
struct ByteReader {
  std::string_view In;
  size_t Pos = 0;
  bool Ok = true;

  size_t Left() const { return In.size() - Pos; }
  bool Take(size_t n, const uint8_t*& p) {
    if (!Ok || Left() < n) {
      Ok = false;
      return false;
    }
    p = reinterpret_cast<const uint8_t*>(In.data()) + Pos;
    Pos += n;
    return true;
  }
  uint64_t Unsigned(int bytes) {
    const uint8_t* p = nullptr;
    if (!Take(static_cast<size_t>(bytes), p)) return 0;
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint64_t{p[i]} << (8 * i);
    return v;
  }
  uint8_t U8() { return static_cast<uint8_t>(Unsigned(1)); }
  uint16_t U16() { return static_cast<uint16_t>(Unsigned(2)); }
  uint32_t U32() { return static_cast<uint32_t>(Unsigned(4)); }
  uint64_t U64() { return Unsigned(8); }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  int64_t I64() { return static_cast<int64_t>(U64()); }
  std::string Text(size_t n) {
    const uint8_t* p = nullptr;
    if (!Take(n, p)) return "";
    return std::string(reinterpret_cast<const char*>(p), n);
  }
};

bool Printable(const std::string& text) {
  for (char c : text) {
    if (c < 0x20 || c > 0x7e) return false;
  }
  return true;
}

uint32_t Crc32(std::string_view bytes) {
  uLong crc = crc32(0L, Z_NULL, 0);
  size_t done = 0;
  while (done < bytes.size()) {
    const size_t piece = std::min<size_t>(bytes.size() - done, size_t{1} << 30);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data() + done), static_cast<uInt>(piece));
    done += piece;
  }
  return static_cast<uint32_t>(crc);
}

bool Fail(std::string& error, const std::string& problem) {
  error = problem;
  return false;
}

}  // namespace

// ------------------------------------------------------------------ reads

void EncodeReplayRead(const ReplayRead& read, std::string& out) {
  if (read.Reader == kEscapeReader) {
    PutU8(out, static_cast<uint8_t>(kReaderEscape << 5 | (read.Value.Fire != 0 ? 0x10 : 0)));
    return;
  }
  const uint8_t value =
      static_cast<uint8_t>(DirectionCode(read.Value.Dx) | DirectionCode(read.Value.Dy) << 2 |
                           (read.Value.Fire != 0 ? 0x10 : 0));
  if (read.Reader >= 0 && read.Reader < kReaderExtended) {
    PutU8(out, static_cast<uint8_t>(read.Reader << 5 | value));
  } else {
    PutU8(out, static_cast<uint8_t>(kReaderExtended << 5 | value));
    PutVarint(out, static_cast<uint32_t>(read.Reader));
  }
}

bool DecodeReplayRead(std::string_view input, size_t& pos, ReplayRead& read) {
  if (pos >= input.size()) return false;
  const uint8_t byte = static_cast<uint8_t>(input[pos++]);
  const uint8_t dx = byte & 3;
  const uint8_t dy = (byte >> 2) & 3;
  const uint8_t reader = byte >> 5;
  if (dx == 3 || dy == 3) return false;
  read.Value.Dx = dx == 1 ? -1 : (dx == 2 ? 1 : 0);
  read.Value.Dy = dy == 1 ? -1 : (dy == 2 ? 1 : 0);
  read.Value.Fire = (byte >> 4) & 1;
  if (reader == kReaderEscape) {
    if (dx != 0 || dy != 0) return false;
    read.Reader = kEscapeReader;
    return true;
  }
  if (reader < kReaderExtended) {
    read.Reader = reader;
    return true;
  }
  uint32_t number = 0;
  if (!GetVarint(input, pos, number)) return false;
  if (number < kReaderExtended || number > static_cast<uint32_t>(kMaxReplayPlayer)) return false;
  read.Reader = static_cast<int32_t>(number);
  return true;
}

// ------------------------------------------------------------ input writer

void ReplayInputWriter::Add(int32_t reader, const Controls& value) {
  ReplayRead read;
  read.Reader = reader;
  read.Value = value;
  EncodeReplayRead(read, current_);
  ++currentReads_;
}

void ReplayInputWriter::EndFrame() {
  ++frames_;
  if (current_ == previous_ && run_ < UINT32_MAX) {
    ++run_;
  } else {
    if (run_ > 0) {
      PutU8(out_, kOpRepeat);
      PutVarint(out_, run_);
      run_ = 0;
    }
    PutU8(out_, kOpFrame);
    PutVarint(out_, currentReads_);
    out_ += current_;
    previous_.swap(current_);
  }
  current_.clear();
  currentReads_ = 0;
}

std::string ReplayInputWriter::Input() const {
  std::string input = out_;
  if (run_ > 0) {
    PutU8(input, kOpRepeat);
    PutVarint(input, run_);
  }
  return input;
}

// ------------------------------------------------------------ input reader

bool ReplayInputReader::Fail(const std::string& problem) {
  damaged_ = true;
  problem_ = problem;
  readsLeft_ = 0;
  return false;
}

bool ReplayInputReader::NextFrame() {
  if (damaged_) return false;
  if (runLeft_ == 0) {
    if (pos_ >= input_.size()) {
      readsLeft_ = 0;
      return false;
    }
    const uint8_t op = static_cast<uint8_t>(input_[pos_++]);
    uint32_t count = 0;
    if (op == kOpRepeat) {
      if (!GetVarint(input_, pos_, count) || count == 0) {
        return Fail("a frame repeat without a proper count");
      }
      runLeft_ = count;
    } else if (op == kOpFrame) {
      if (!GetVarint(input_, pos_, count) || count > kMaxReplayReadsPerFrame) {
        return Fail("a frame without a proper read count");
      }
      // Every read is checked now, so that NextRead cannot meet a bad one.
      const size_t start = pos_;
      ReplayRead read;
      for (uint32_t i = 0; i < count; ++i) {
        if (!DecodeReplayRead(input_, pos_, read)) return Fail("a read no player writes");
      }
      frameStart_ = start;
      frameReads_ = count;
      runLeft_ = 1;
    } else {
      return Fail("an unknown input code");
    }
  }
  --runLeft_;
  readPos_ = frameStart_;
  readsLeft_ = frameReads_;
  return true;
}

bool ReplayInputReader::PeekRead(ReplayRead& read) const {
  size_t pos = readPos_;
  return readsLeft_ > 0 && DecodeReplayRead(input_, pos, read);
}

bool ReplayInputReader::NextRead(ReplayRead& read) {
  if (readsLeft_ == 0) return false;
  --readsLeft_;
  return DecodeReplayRead(input_, readPos_, read);
}

// ------------------------------------------------------------------- file

std::string EncodeReplay(const ReplayFile& r) {
  std::string out(kMagic, sizeof kMagic);
  PutU16(out, r.Version);
  const std::string version = r.PlayerVersion.substr(0, kMaxReplayPlayerVersion);
  PutU8(out, static_cast<uint8_t>(version.size()));
  out += version;
  const std::string name = r.GameName.substr(0, kMaxReplayGameName);
  PutU8(out, static_cast<uint8_t>(name.size()));
  out += name;
  PutU64(out, r.GameSize);
  out.append(reinterpret_cast<const char*>(r.GameSha256.data()), r.GameSha256.size());
  PutU64(out, static_cast<uint64_t>(r.StartTime));
  PutI32(out, r.UtcOffset);

  const RandomGeneratorState& random = r.Start.Random;
  for (uint32_t word : random.Memory) PutU32(out, word);
  for (uint32_t word : random.Results) PutU32(out, word);
  for (uint32_t word :
       {random.Accumulator, random.LastResult, random.Counter, random.ResultCount}) {
    PutU32(out, word);
  }
  for (int32_t value :
       {r.Start.GameClock, r.Start.TickCounter, r.Start.SlowScrollCount, r.Start.ScrollX}) {
    PutI32(out, value);
  }

  PutU32(out, static_cast<uint32_t>(r.Input.size()));
  out += r.Input;

  PutU32(out, r.FrameCount);
  PutU8(out, static_cast<uint8_t>(r.End));
  PutU8(out, static_cast<uint8_t>(r.Players.size()));
  for (const ReplayPlayerResult& player : r.Players) {
    PutI32(out, player.Score);
    PutI32(out, player.Lives);
  }
  PutU64(out, r.FinalChecksum);
  PutU32(out, static_cast<uint32_t>(r.Checksums.size()));
  for (uint64_t checksum : r.Checksums) PutU64(out, checksum);
  PutU32(out, Crc32(out));
  return out;
}

bool DecodeReplay(std::string_view bytes, ReplayFile& replay, std::string& error) {
  replay = ReplayFile{};
  if (bytes.size() > kMaxReplayBytes) {
    return Fail(error, "too large for a replay (more than " +
                           std::to_string(kMaxReplayBytes >> 20) + " MiB)");
  }
  if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
    return Fail(error, "not a replay file");
  }
  ByteReader in{bytes, sizeof kMagic};
  ReplayFile r;
  r.Version = in.U16();
  if (!in.Ok) return Fail(error, "truncated (the file ends inside its header)");
  if (r.Version != kReplayFormatVersion) {
    return Fail(error, "replay format version " + std::to_string(r.Version) +
                           " is not supported (this player reads version " +
                           std::to_string(kReplayFormatVersion) + ")");
  }
  // The checksum first: past this point a problem means a writer's mistake
  // or a deliberately made file, not a damaged one.
  if (bytes.size() < sizeof kMagic + 2 + 4) return Fail(error, "truncated");
  const std::string_view body = bytes.substr(0, bytes.size() - 4);
  ByteReader tail{bytes, bytes.size() - 4};
  if (tail.U32() != Crc32(body)) {
    return Fail(error, "damaged or truncated (its CRC-32 does not match its contents)");
  }
  in.In = body;

  r.PlayerVersion = in.Text(in.U8());
  r.GameName = in.Text(in.U8());
  r.GameSize = in.U64();
  const uint8_t* sha = nullptr;
  if (in.Take(r.GameSha256.size(), sha)) std::memcpy(r.GameSha256.data(), sha, r.GameSha256.size());
  r.StartTime = in.I64();
  r.UtcOffset = in.I32();
  if (!in.Ok) return Fail(error, "truncated (the file ends inside its header)");
  if (r.PlayerVersion.size() > kMaxReplayPlayerVersion || !Printable(r.PlayerVersion) ||
      r.GameName.size() > kMaxReplayGameName || !Printable(r.GameName)) {
    return Fail(error, "a header with a bad player version or game name");
  }
  if (r.StartTime < 0 || r.StartTime >= kLatestStartTime || r.UtcOffset < -kMaxUtcOffset ||
      r.UtcOffset > kMaxUtcOffset) {
    return Fail(error, "a header with an impossible start date");
  }

  RandomGeneratorState& random = r.Start.Random;
  for (uint32_t& word : random.Memory) word = in.U32();
  for (uint32_t& word : random.Results) word = in.U32();
  random.Accumulator = in.U32();
  random.LastResult = in.U32();
  random.Counter = in.U32();
  random.ResultCount = in.U32();
  r.Start.GameClock = in.I32();
  r.Start.TickCounter = in.I32();
  r.Start.SlowScrollCount = in.I32();
  r.Start.ScrollX = in.I32();
  if (!in.Ok) return Fail(error, "truncated (the file ends inside the start state)");
  // The slow-scroll counter runs from 0 to 5 and the camera never goes left
  // of the map: a start state beyond these no game reaches.
  if (r.Start.SlowScrollCount < 0 || r.Start.SlowScrollCount > kMaxSlowScrollCount ||
      r.Start.ScrollX < 0) {
    return Fail(error, "a start state no game reaches");
  }

  const uint32_t inputSize = in.U32();
  if (!in.Ok || inputSize > in.Left())
    return Fail(error, "truncated (the file ends inside the input)");
  r.Input = in.Text(inputSize);

  r.FrameCount = in.U32();
  const uint8_t end = in.U8();
  const uint8_t players = in.U8();
  if (!in.Ok) return Fail(error, "truncated (the file ends before its end section)");
  if (end > static_cast<uint8_t>(ReplayEnd::kProgramEnded)) {
    return Fail(error, "an unknown way for the game to end (" + std::to_string(end) + ")");
  }
  r.End = static_cast<ReplayEnd>(end);
  if (players > in.Left() / 8) return Fail(error, "truncated (the file ends inside the scores)");
  r.Players.resize(players);
  for (ReplayPlayerResult& player : r.Players) {
    player.Score = in.I32();
    player.Lives = in.I32();
  }
  r.FinalChecksum = in.U64();
  const uint32_t checksums = in.U32();
  if (!in.Ok) return Fail(error, "truncated (the file ends inside its end section)");
  if (checksums != r.FrameCount / kReplayChecksumInterval) {
    return Fail(error, std::to_string(r.FrameCount) + " frames need " +
                           std::to_string(r.FrameCount / kReplayChecksumInterval) +
                           " state checksums, the file holds " + std::to_string(checksums));
  }
  if (checksums > in.Left() / 8)
    return Fail(error, "truncated (the file ends inside the checksums)");
  r.Checksums.resize(checksums);
  for (uint64_t& checksum : r.Checksums) checksum = in.U64();
  if (!in.Ok) return Fail(error, "truncated (the file ends inside the checksums)");
  if (in.Left() != 0) return Fail(error, "bytes after the end section");

  // The input must hold exactly the frames counted: walked once, allocating nothing.
  ReplayInputReader frames(r.Input);
  uint64_t count = 0;
  while (frames.NextFrame()) {
    count += 1 + frames.RepeatsLeft();
    frames.SkipRepeats();
    if (count > r.FrameCount) break;
  }
  if (frames.Damaged()) return Fail(error, "damaged input: " + frames.Problem());
  if (count != r.FrameCount) {
    return Fail(error, "the input holds " + std::string(count > r.FrameCount ? "more" : "fewer") +
                           " frames than the " + std::to_string(r.FrameCount) + " counted");
  }
  replay = std::move(r);
  return true;
}
