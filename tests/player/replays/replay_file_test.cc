// The replay file: what is written is read back whole, the input keeps every
// read of every frame in order, and a reader refuses broken and hostile files
// with a message, without crashing and without setting aside more than the
// file could hold.
#include "player/replays/replay_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "player/replays/sha256.h"

namespace {

using Frames = std::vector<std::vector<ReplayRead>>;

ReplayRead Read(int32_t reader, int32_t dx, int32_t dy, int32_t fire) {
  ReplayRead read;
  read.Reader = reader;
  read.Value.Dx = dx;
  read.Value.Dy = dy;
  read.Value.Fire = fire;
  return read;
}

std::string Encode(const Frames& frames) {
  ReplayInputWriter writer;
  for (const std::vector<ReplayRead>& frame : frames) {
    for (const ReplayRead& read : frame) writer.Add(read.Reader, read.Value);
    writer.EndFrame();
  }
  EXPECT_EQ(writer.Frames(), frames.size());
  return writer.Input();
}

Frames Decode(const std::string& input) {
  Frames frames;
  ReplayInputReader reader(input);
  while (reader.NextFrame()) {
    frames.emplace_back();
    ReplayRead read;
    while (reader.NextRead(read)) frames.back().push_back(read);
  }
  EXPECT_FALSE(reader.Damaged()) << reader.Problem();
  return frames;
}

bool Same(const Frames& a, const Frames& b) {
  if (a.size() != b.size()) return false;
  for (size_t f = 0; f < a.size(); ++f) {
    if (a[f].size() != b[f].size()) return false;
    for (size_t i = 0; i < a[f].size(); ++i) {
      const ReplayRead& x = a[f][i];
      const ReplayRead& y = b[f][i];
      if (x.Reader != y.Reader || x.Value.Dx != y.Value.Dx || x.Value.Dy != y.Value.Dy ||
          x.Value.Fire != y.Value.Fire) {
        return false;
      }
    }
  }
  return true;
}

// A complete replay of 130 frames: a title frame with player 1's fire, 128
// level frames of three reads, and an abandoning frame that holds Escape.
ReplayFile SampleReplay() {
  Frames frames;
  frames.push_back({Read(0, 0, 0, 0), Read(1, 0, 0, 1)});
  for (int f = 0; f < 128; ++f) {
    frames.push_back({Read(kEscapeReader, 0, 0, 0), Read(0, f / 40 - 1, 0, f % 2),
                      Read(1, 0, f < 64 ? -1 : 1, 0)});
  }
  frames.push_back(
      {Read(kEscapeReader, 0, 0, 1), Read(kEscapeReader, 0, 0, 1), Read(kEscapeReader, 0, 0, 0)});
  ReplayFile replay;
  replay.PlayerVersion = "zorax-player 0.1";
  replay.GameName = "whole-game";
  replay.GameSize = 12345;
  replay.GameSha256 = Sha256("a game");
  replay.StartTime = 1700000000;
  replay.UtcOffset = 3600;
  for (uint32_t i = 0; i < 256; ++i) {
    replay.Start.Random.Memory[i] = i * 2654435761u;
    replay.Start.Random.Results[i] = ~i;
  }
  replay.Start.Random.Accumulator = 11;
  replay.Start.Random.LastResult = 12;
  replay.Start.Random.Counter = 13;
  replay.Start.Random.ResultCount = 256;
  replay.Start.GameClock = 170017;
  replay.Start.TickCounter = -16;
  replay.Start.SlowScrollCount = 3;
  replay.Start.ScrollX = 48;
  replay.Input = Encode(frames);
  replay.FrameCount = static_cast<uint32_t>(frames.size());
  replay.End = ReplayEnd::kTitle;
  replay.Players = {{1250, 2}, {300, -1}};
  replay.FinalChecksum = 0x0123456789abcdefull;
  replay.Checksums = {1, 0xffffffffffffffffull};
  return replay;
}

// Rewrites the CRC-32 at the end, so that a deliberately changed file
// passes the damage check and meets the checks behind it. CRC-32 (IEEE) bit
// by bit, independent of the code under test.
std::string Resealed(std::string bytes) {
  uint32_t crc = 0xffffffffu;
  for (size_t i = 0; i + 4 < bytes.size(); ++i) {
    crc ^= static_cast<uint8_t>(bytes[i]);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  crc ^= 0xffffffffu;
  for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + i] = static_cast<char>(crc >> (8 * i));
  return bytes;
}

}  // namespace

TEST(ReplayInput, EveryReadOfEveryFrameComesBackInOrder) {
  Frames frames;
  // No reads at all, then reads of every kind: still and moving players,
  // players numbered past the one-byte range, and the Escape key.
  frames.push_back({});
  frames.push_back({Read(0, -1, -1, 1), Read(1, 1, 1, 0), Read(5, 0, 1, 1)});
  frames.push_back({Read(6, -1, 0, 1), Read(254, 1, -1, 0), Read(kEscapeReader, 0, 0, 1)});
  for (int i = 0; i < 300; ++i) frames.push_back(frames.back());  // a long run
  frames.push_back({Read(kEscapeReader, 0, 0, 0)});
  frames.push_back({Read(kEscapeReader, 0, 0, 0)});
  frames.push_back({});
  const std::string input = Encode(frames);
  EXPECT_TRUE(Same(Decode(input), frames));
  // The run of equal frames costs a couple of bytes, not 300 frames' reads.
  EXPECT_LT(input.size(), 40u);
}

TEST(ReplayInput, AWriterLeavesOutTheFrameUnderWay) {
  ReplayInputWriter writer;
  writer.Add(0, Controls{1, 0, 1});
  writer.EndFrame();
  writer.Add(0, Controls{0, 0, 0});  // never closed
  EXPECT_EQ(writer.Frames(), 1u);
  const Frames frames = Decode(writer.Input());
  ASSERT_EQ(frames.size(), 1u);
  ASSERT_EQ(frames[0].size(), 1u);
  EXPECT_EQ(frames[0][0].Value.Dx, 1);
}

TEST(ReplayFile, WhatIsWrittenIsReadBackWhole) {
  const ReplayFile replay = SampleReplay();
  const std::string bytes = EncodeReplay(replay);
  ReplayFile back;
  std::string error;
  ASSERT_TRUE(DecodeReplay(bytes, back, error)) << error;
  EXPECT_EQ(back.Version, kReplayFormatVersion);
  EXPECT_EQ(back.PlayerVersion, replay.PlayerVersion);
  EXPECT_EQ(back.GameName, replay.GameName);
  EXPECT_EQ(back.GameSize, replay.GameSize);
  EXPECT_EQ(back.GameSha256, replay.GameSha256);
  EXPECT_EQ(back.StartTime, replay.StartTime);
  EXPECT_EQ(back.UtcOffset, replay.UtcOffset);
  EXPECT_EQ(std::memcmp(&back.Start.Random, &replay.Start.Random, sizeof(RandomGeneratorState)), 0);
  EXPECT_EQ(back.Start.GameClock, replay.Start.GameClock);
  EXPECT_EQ(back.Start.TickCounter, replay.Start.TickCounter);
  EXPECT_EQ(back.Start.SlowScrollCount, replay.Start.SlowScrollCount);
  EXPECT_EQ(back.Start.ScrollX, replay.Start.ScrollX);
  EXPECT_TRUE(Same(Decode(back.Input), Decode(replay.Input)));
  EXPECT_EQ(back.FrameCount, 130u);
  EXPECT_EQ(back.End, ReplayEnd::kTitle);
  ASSERT_EQ(back.Players.size(), 2u);
  EXPECT_EQ(back.Players[0].Score, 1250);
  EXPECT_EQ(back.Players[1].Lives, -1);
  EXPECT_EQ(back.FinalChecksum, replay.FinalChecksum);
  EXPECT_EQ(back.Checksums, replay.Checksums);
  // The layout is fixed: the start state sits right after the header.
  EXPECT_EQ(bytes.substr(0, 8), std::string("ZRPL\r\n\x1a\n", 8));
  EXPECT_EQ(Resealed(bytes), bytes);
}

TEST(ReplayFile, EveryTruncationAndEveryFlippedByteIsRefused) {
  const std::string bytes = EncodeReplay(SampleReplay());
  ReplayFile replay;
  std::string error;
  for (size_t size = 0; size < bytes.size(); ++size) {
    EXPECT_FALSE(DecodeReplay(bytes.substr(0, size), replay, error)) << size;
    EXPECT_FALSE(error.empty());
  }
  // Past the magic and the version, any changed byte is damage the CRC finds.
  for (size_t at = 10; at < bytes.size(); at += 7) {
    std::string damaged = bytes;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
    ASSERT_FALSE(DecodeReplay(damaged, replay, error)) << at;
  }
  std::string flipped = bytes;
  flipped[bytes.size() / 2] ^= 1;
  EXPECT_FALSE(DecodeReplay(flipped, replay, error));
  EXPECT_NE(error.find("damaged"), std::string::npos) << error;
  // A refused file leaves nothing behind.
  EXPECT_TRUE(replay.Input.empty());
  EXPECT_EQ(replay.FrameCount, 0u);
}

// Files made on purpose, with a valid CRC: each lie is caught by what it
// contradicts, before anything is set aside for it.
TEST(ReplayFile, HostileFilesAreRefusedWithAReason) {
  const ReplayFile good = SampleReplay();
  const std::string bytes = EncodeReplay(good);
  // Offsets of the end section, counted from the end of the file.
  const size_t crc = bytes.size() - 4;
  const size_t checksums = crc - 8 * good.Checksums.size();
  const size_t checksumCount = checksums - 4;
  const size_t frameCount = checksumCount - 8 - 8 * good.Players.size() - 2 - 4;
  const size_t headerEnd = 8 + 2 + 1 + good.PlayerVersion.size() + 1 + good.GameName.size();

  auto put32 = [](std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
  };
  struct Case {
    const char* Name;
    std::string Bytes;
    const char* Says;
  };
  std::vector<Case> cases;

  std::string version = bytes;
  version[8] = 2;
  cases.push_back({"another version", Resealed(version), "version 2"});

  std::string huge = bytes;
  put32(huge, frameCount, 0xfffffff0u);
  cases.push_back({"a huge frame count", Resealed(huge), "state checksums"});

  std::string manyChecksums = bytes;
  put32(manyChecksums, checksumCount, 0x7fffffffu);
  cases.push_back({"a huge checksum count", Resealed(manyChecksums), "state checksums"});

  std::string moreFrames = bytes;
  put32(moreFrames, frameCount, good.FrameCount - 1);
  cases.push_back({"fewer frames counted than the input holds", Resealed(moreFrames), "input"});

  std::string end = bytes;
  end[frameCount + 4] = 7;
  cases.push_back({"an unknown end", Resealed(end), "end"});

  std::string players = bytes;
  players[frameCount + 5] = static_cast<char>(255);
  cases.push_back({"255 players in a short file", Resealed(players), "truncated"});

  std::string name = bytes;
  name[8 + 2 + 1 + good.PlayerVersion.size() + 1] = '\x1b';  // an escape code in the name
  cases.push_back({"a control character in the game name", Resealed(name), "game name"});

  std::string date = bytes;
  date[headerEnd + 8 + 32 + 7] = static_cast<char>(0x80);  // start time far before 1970
  cases.push_back({"a start before 1970", Resealed(date), "date"});

  ReplayFile scrolling = good;
  scrolling.Start.SlowScrollCount = 0x7fffffff;  // would overflow the game's counter
  cases.push_back({"a slow-scroll count past its cycle", EncodeReplay(scrolling), "start state"});
  ReplayFile left = good;
  left.Start.ScrollX = -1;
  cases.push_back({"a camera left of the map", EncodeReplay(left), "start state"});

  std::string trailing = bytes.substr(0, crc) + "x" + bytes.substr(crc);
  cases.push_back({"a byte after the end section", Resealed(trailing), "after"});

  // An input whose repeat count says four billion frames, in a file that
  // counts only as many as it holds checksums for.
  ReplayFile lying = good;
  lying.Input = std::string("\x01\x00\x00\xff\xff\xff\xff\x0f", 8);
  cases.push_back({"an input of four billion frames", EncodeReplay(lying), "more"});

  ReplayFile badRead = good;
  badRead.Input = std::string("\x01\x01\x03", 3);  // a direction code no writer makes
  cases.push_back({"an unknown read", EncodeReplay(badRead), "read"});

  ReplayFile badOp = good;
  badOp.Input = std::string("\x05", 1);
  cases.push_back({"an unknown input code", EncodeReplay(badOp), "input code"});

  ReplayFile longVarint = good;
  longVarint.Input = std::string("\x00\x80\x80\x80\x80\x80\x01", 7);
  cases.push_back({"an endless number", EncodeReplay(longVarint), "repeat"});

  ReplayFile manyReads = good;
  manyReads.Input = std::string("\x01\xff\xff\xff\xff\x0f", 6);  // 4 billion reads, none there
  cases.push_back({"a frame of four billion reads", EncodeReplay(manyReads), "read count"});

  cases.push_back({"not a replay", "GIF89a and so on, long enough to be a header", "not a replay"});
  cases.push_back({"too large", std::string(kMaxReplayBytes + 1, 'Z'), "too large"});

  for (const Case& c : cases) {
    ReplayFile replay;
    std::string error;
    EXPECT_FALSE(DecodeReplay(c.Bytes, replay, error)) << c.Name;
    EXPECT_NE(error.find(c.Says), std::string::npos) << c.Name << ": " << error;
  }
}

TEST(Sha256, KnownDigests) {
  EXPECT_EQ(Sha256Hex(Sha256("")),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex(Sha256("abc")),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex(Sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  // A million bytes fed in uneven pieces give the digest of the whole.
  Sha256Stream stream;
  const std::string piece(997, 'a');
  size_t fed = 0;
  while (fed + piece.size() <= 1000000) {
    stream.Add(piece);
    fed += piece.size();
  }
  stream.Add(std::string(1000000 - fed, 'a'));
  EXPECT_EQ(Sha256Hex(stream.Finish()),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  // Lengths on both sides of where the padding needs a second block.
  const std::pair<size_t, const char*> kAs[] = {
      {55, "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
      {56, "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
      {63, "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
      {64, "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
      {119, "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
      {120, "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"},
  };
  for (const auto& [length, digest] : kAs) {
    EXPECT_EQ(Sha256Hex(Sha256(std::string(length, 'a'))), digest) << length;
  }
}
