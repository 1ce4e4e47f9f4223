// The channel table and its commands. Reads go through a small buffer per
// channel, so that the many narrow reads of a file loader and the line
// reader's step back after each line cost no system call each; the buffer is
// dropped (and the file pointer put back where the program expects it)
// before every seek and write.
#include "runtime/files/channels.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/files/archive.h"
#include "runtime/files/file_io.h"
#include "runtime/files/files_teardown.h"

namespace {

constexpr size_t kReadBufferSize = 8192;
constexpr uint32_t kLineBytes = 1024;
constexpr uint32_t kLineChunk = 64;

struct ChannelEntry {
  int Handle = -1;              // -1 when the channel is closed
  int32_t Size = 0;             // file size taken when opened for reading; 0 for writing
  int32_t Position = 0;         // bytes consumed, as counted by the channel commands
  std::vector<uint8_t> Buffer;  // read-ahead; Buffer[Next..Length) not yet handed out
  size_t Length = 0;
  size_t Next = 0;
};

std::array<ChannelEntry, kChannelCount>& ChannelTable() {
  static std::array<ChannelEntry, kChannelCount> table;
  return table;
}

ChannelEntry& CheckedChannel(int32_t channel) {
  if (static_cast<uint32_t>(channel) >= static_cast<uint32_t>(kChannelCount)) {
    RaiseRuntimeError(kErrorOutOfRange);
  }
  return ChannelTable()[static_cast<size_t>(channel)];
}

// The position is a 32-bit count that wraps like the one it mirrors.
void AddToPosition(ChannelEntry& entry, int64_t amount) {
  entry.Position =
      static_cast<int32_t>(static_cast<uint32_t>(entry.Position) + static_cast<uint32_t>(amount));
}

void ReleaseEntry(ChannelEntry& entry) {
  if (entry.Handle >= 0) CloseFile(entry.Handle);
  entry.Handle = -1;
  entry.Size = 0;
  entry.Position = 0;
  entry.Length = 0;
  entry.Next = 0;
}

// Puts the file pointer where the program believes it is and empties the buffer.
void DropReadAhead(ChannelEntry& entry) {
  if (entry.Next < entry.Length && entry.Handle >= 0) {
    SeekFile(entry.Handle, -static_cast<int64_t>(entry.Length - entry.Next), SeekFrom::kCurrent);
  }
  entry.Length = 0;
  entry.Next = 0;
}

// Reads up to count bytes, fewer only at the end of the file; -1 on failure.
int64_t BufferedRead(ChannelEntry& entry, void* to, size_t count) {
  uint8_t* out = static_cast<uint8_t*>(to);
  size_t got = 0;
  while (got < count) {
    if (entry.Next < entry.Length) {
      const size_t take = std::min(count - got, entry.Length - entry.Next);
      std::memcpy(out + got, entry.Buffer.data() + entry.Next, take);
      entry.Next += take;
      got += take;
      continue;
    }
    if (count - got >= kReadBufferSize) {
      const int64_t n = ReadFromFile(entry.Handle, out + got, count - got);
      if (n < 0) return -1;
      if (n == 0) break;
      got += static_cast<size_t>(n);
      continue;
    }
    if (entry.Buffer.size() != kReadBufferSize) entry.Buffer.resize(kReadBufferSize);
    const int64_t n = ReadFromFile(entry.Handle, entry.Buffer.data(), kReadBufferSize);
    entry.Length = 0;
    entry.Next = 0;
    if (n < 0) return -1;
    if (n == 0) break;
    entry.Length = static_cast<size_t>(n);
  }
  return static_cast<int64_t>(got);
}

// Moves the file pointer relative to the current place, inside the buffer when it can.
void MoveFilePointer(ChannelEntry& entry, int64_t offset) {
  const int64_t target = static_cast<int64_t>(entry.Next) + offset;
  if (entry.Length > 0 && target >= 0 && target <= static_cast<int64_t>(entry.Length)) {
    entry.Next = static_cast<size_t>(target);
    return;
  }
  DropReadAhead(entry);
  SeekFile(entry.Handle, offset, SeekFrom::kCurrent);
}

// The width is counted before the read, which either delivers all of it or ends the program.
void ReadExactly(int32_t channel, void* to, uint32_t width) {
  ChannelEntry& entry = CheckedChannel(channel);
  AddToPosition(entry, width);
  if (entry.Handle < 0) RaiseRuntimeError(kErrorChannel);
  if (BufferedRead(entry, to, width) != static_cast<int64_t>(width)) {
    RaiseRuntimeError(kErrorChannel);
  }
}

uint32_t Little(const uint8_t* bytes, int width) {
  uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

void WriteBytes(int32_t channel, const void* data, size_t count) {
  ChannelEntry& entry = CheckedChannel(channel);
  if (entry.Handle < 0) RaiseRuntimeError(kErrorChannel);
  DropReadAhead(entry);
  if (count > 0 && !WriteAll(entry.Handle, data, count)) RaiseRuntimeError(kErrorChannel);
}

void WriteLittle(int32_t channel, uint32_t value, int width) {
  uint8_t bytes[4];
  for (int i = 0; i < width; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
  WriteBytes(channel, bytes, static_cast<size_t>(width));
}

// True when a read of count bytes from the current place must come up short,
// judged from the size of a regular file (other files cannot tell).
bool ReadWouldPassEnd(const ChannelEntry& entry, uint64_t count) {
  FileInfo info;
  if (!HandleInfo(entry.Handle, info) || info.Kind != FileKind::kFile) return false;
  const int64_t place = SeekFile(entry.Handle, 0, SeekFrom::kCurrent);
  if (place < 0) return false;
  const uint64_t here = static_cast<uint64_t>(place) - (entry.Length - entry.Next);
  const uint64_t size = info.Size;
  return here > size || count > size - here;
}

int32_t TruncateToInt32(double value) {
  // Out of range and NaN give the "integer indefinite" value, as the hardware
  // conversion this mirrors does.
  if (!(value > -2147483649.0 && value < 2147483648.0)) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

}  // namespace

int32_t OpenChannel(int32_t channel, const RtString& path, int32_t mode) {
  ChannelEntry& entry = CheckedChannel(channel);
  EnsureFilesTeardown();
  ReleaseEntry(entry);

  if (mode != 0) {
    RtString resolved = path;
    ResolveMediaPath(MediaArchive(), path, resolved);
    const int fd = OpenForReading(ToHostPath(resolved.View()));
    if (fd < 0) return 0;
    FileInfo info;
    const int64_t size = HandleInfo(fd, info) ? static_cast<int64_t>(info.Size) : 0;
    entry.Handle = fd;
    entry.Size = static_cast<int32_t>(std::min<int64_t>(size, INT32_MAX));
    return 1;
  }

  const std::string host = ToHostPath(path.View());
  if (host.empty()) return 0;
  EraseFile(host);
  const int fd = OpenFileForWriting(host, FileCreation::kReadWrite);
  if (fd < 0) return 0;
  entry.Handle = fd;
  return 1;
}

void CloseChannel(int32_t channel) {
  ReleaseEntry(CheckedChannel(channel));
}

int32_t ChannelAtEnd(int32_t channel) {
  if (static_cast<uint32_t>(channel) >= static_cast<uint32_t>(kChannelCount)) return 1;
  const ChannelEntry& entry = ChannelTable()[static_cast<size_t>(channel)];
  return entry.Size <= entry.Position ? 1 : 0;
}

int32_t ChannelPosition(int32_t channel) {
  return CheckedChannel(channel).Position;
}

int64_t ChannelBytesLeft(int32_t channel) {
  const ChannelEntry& entry = CheckedChannel(channel);
  if (entry.Handle < 0) return -1;
  FileInfo info;
  if (!HandleInfo(entry.Handle, info) || info.Kind != FileKind::kFile) return -1;
  const int64_t place = SeekFile(entry.Handle, 0, SeekFrom::kCurrent);
  if (place < 0) return -1;
  const int64_t here = place - static_cast<int64_t>(entry.Length - entry.Next);
  return std::max<int64_t>(0, static_cast<int64_t>(info.Size) - here);
}

void SeekChannel(int32_t channel, int32_t offset, int32_t origin) {
  ChannelEntry& entry = CheckedChannel(channel);
  if (origin == 0) {
    entry.Position = offset;
  } else if (origin > 0) {
    AddToPosition(entry, offset);
  } else {
    entry.Position = entry.Size;
    AddToPosition(entry, offset);
  }
  if (entry.Handle < 0) return;
  if (origin > 0) {
    MoveFilePointer(entry, offset);
  } else {
    DropReadAhead(entry);
    SeekFile(entry.Handle, offset, origin == 0 ? SeekFrom::kStart : SeekFrom::kEnd);
  }
}

void ReadInt8(int32_t channel, int32_t& out) {
  uint8_t byte = 0;
  ReadExactly(channel, &byte, 1);
  out = static_cast<int8_t>(byte);
}

void ReadUInt8(int32_t channel, int32_t& out) {
  uint8_t byte = 0;
  ReadExactly(channel, &byte, 1);
  out = byte;
}

void ReadInt16(int32_t channel, int32_t& out) {
  uint8_t bytes[2];
  ReadExactly(channel, bytes, 2);
  out = static_cast<int16_t>(Little(bytes, 2));
}

void ReadInt32(int32_t channel, int32_t& out) {
  uint8_t bytes[4];
  ReadExactly(channel, bytes, 4);
  out = static_cast<int32_t>(Little(bytes, 4));
}

void ReadUInt16(int32_t channel, int32_t& out) {
  uint8_t bytes[2];
  ReadExactly(channel, bytes, 2);
  out = static_cast<int32_t>(Little(bytes, 2));
}

void ReadUInt32(int32_t channel, int32_t& out) {
  ReadInt32(channel, out);
}

void ReadFloat64AsInteger(int32_t channel, int32_t& out) {
  uint8_t bytes[8];
  ReadExactly(channel, bytes, 8);
  const uint64_t bits = static_cast<uint64_t>(Little(bytes + 4, 4)) << 32 | Little(bytes, 4);
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  out = TruncateToInt32(value);
}

void ReadFloat32(int32_t channel, double& out) {
  uint8_t bytes[4];
  ReadExactly(channel, bytes, 4);
  const uint32_t bits = Little(bytes, 4);
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  out = static_cast<double>(value);
}

void ReadFixedString(int32_t channel, RtString& out, int32_t n) {
  if (n < 1) {
    out = "";
    return;
  }
  ChannelEntry& entry = CheckedChannel(channel);
  const uint32_t count = static_cast<uint32_t>(n);
  // A length taken from a hostile file must not make us allocate what the
  // file cannot hold: such a read would come up short and end the program anyway.
  if (count > 4096 && entry.Handle >= 0 && ReadWouldPassEnd(entry, count)) {
    AddToPosition(entry, count);
    RaiseRuntimeError(kErrorChannel);
  }
  char* bytes = nullptr;
  try {
    bytes = out.WritableBuffer(count + 32);
  } catch (const std::bad_alloc&) {
    RaiseRuntimeError(kErrorOutOfRange);
  }
  std::memset(bytes, 0, count + 33);
  ReadExactly(channel, bytes, count);
  out.SyncLength();
}

void ReadLine(int32_t channel, RtString& out) {
  ChannelEntry& entry = CheckedChannel(channel);
  char* line = out.WritableBuffer(kLineBytes);
  std::memset(line, 0, kLineBytes + 1);
  if (entry.Handle < 0) RaiseRuntimeError(kErrorChannel);

  uint32_t filled = 0;
  while (filled < kLineBytes) {
    const uint32_t ask = std::min(kLineChunk, kLineBytes - filled);
    const int64_t n = BufferedRead(entry, line + filled, ask);
    if (n < 0) RaiseRuntimeError(kErrorChannel);
    // Nothing left: at the start of a line that is the end of the file; after
    // some bytes of it (a last line filling whole chunks) it ends the line.
    if (n == 0 && filled == 0) RaiseRuntimeError(kErrorChannel);
    if (n == 0) {
      // The end of the file ends the line here as the line feed placed behind
      // a short read does elsewhere: a CR that was the file's last byte goes
      // too, whatever the line's length.
      if (line[filled - 1] == '\r') line[filled - 1] = '\0';
      break;
    }
    const uint32_t got = static_cast<uint32_t>(n);
    AddToPosition(entry, got);
    const uint32_t end = filled + got;
    uint32_t searchEnd = end;
    if (got < ask) line[searchEnd++] = '\n';  // the end of the file ends the line
    const void* feed = std::memchr(line + filled, '\n', searchEnd - filled);
    if (feed != nullptr) {
      const uint32_t at = static_cast<uint32_t>(static_cast<const char*>(feed) - line);
      // Step back over what was read past the line feed, so that the next
      // line starts right behind it.
      const int64_t back = static_cast<int64_t>(at) + 1 - static_cast<int64_t>(end);
      if (back < 0) {
        AddToPosition(entry, back);
        MoveFilePointer(entry, back);
      }
      line[at] = '\0';
      if (at > 0 && line[at - 1] == '\r') line[at - 1] = '\0';
      break;
    }
    filled = end;
  }
  out.SyncLength();
}

void ReadLineReal(int32_t channel, double& out) {
  RtString line;
  ReadLine(channel, line);
  out = TextToReal(line);
}

void ReadLineInteger(int32_t channel, int32_t& out) {
  RtString line;
  ReadLine(channel, line);
  out = TextToInteger(line);
}

void WriteInt8(int32_t channel, int32_t value) {
  WriteLittle(channel, static_cast<uint32_t>(value), 1);
}
void WriteInt16(int32_t channel, int32_t value) {
  WriteLittle(channel, static_cast<uint32_t>(value), 2);
}
void WriteInt32(int32_t channel, int32_t value) {
  WriteLittle(channel, static_cast<uint32_t>(value), 4);
}
void WriteUInt8(int32_t channel, int32_t value) {
  WriteInt8(channel, value);
}
void WriteUInt16(int32_t channel, int32_t value) {
  WriteInt16(channel, value);
}
void WriteUInt32(int32_t channel, int32_t value) {
  WriteInt32(channel, value);
}

void WriteString(int32_t channel, const RtString& value) {
  WriteBytes(channel, value.CStr(), value.Length());
}

void WriteFloat64(int32_t channel, double value) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  uint8_t bytes[8];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
  WriteBytes(channel, bytes, sizeof bytes);
}

void WriteFloat32(int32_t channel, double value) {
  const float single = static_cast<float>(value);
  uint32_t bits = 0;
  std::memcpy(&bits, &single, sizeof bits);
  WriteLittle(channel, bits, 4);
}

void WriteLine(int32_t channel, const RtString& value) {
  // One write per line: text and line end together.
  std::string bytes(value.View());
  bytes += "\r\n";
  WriteBytes(channel, bytes.data(), bytes.size());
}

void WriteLineReal(int32_t channel, double value) {
  WriteLine(channel, NumberToText(value));
}

void WriteLineInteger(int32_t channel, int32_t value) {
  WriteLine(channel, NumberToText(value));
}

void CloseAllChannels() {
  for (ChannelEntry& entry : ChannelTable()) {
    ReleaseEntry(entry);
    entry.Buffer = {};
  }
}
