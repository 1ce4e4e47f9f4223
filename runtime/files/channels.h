// The eight numbered file channels. Every value that crosses a channel is
// little-endian with a fixed width; nothing is padded. A channel opened for
// reading finds its file through the media archive, so packed files read
// exactly like loose ones.
//
// Every command but ChannelAtEnd first checks the channel number: one above 7
// (a negative number counts as a large one) ends the program with runtime
// error 7. A read on a closed channel, a failed or short read, and a write on
// a closed channel or a short write end the program with runtime error 3.
#pragma once

#include <cstdint>

#include "runtime/values/rt_string.h"

inline constexpr int32_t kChannelCount = 8;

// Opens path on the channel (closing it first): mode 0 writes (a new, empty
// file), any other mode reads. Returns 1 when the file is open, else 0.
int32_t OpenChannel(int32_t channel, const RtString& path, int32_t mode);
// Closes the channel; closing a closed channel is allowed.
void CloseChannel(int32_t channel);
// 1 when the size taken at open is not above the position, else 0 (1 for a
// number outside 0..7; this command never ends the program).
int32_t ChannelAtEnd(int32_t channel);
// The channel's count of bytes consumed.
int32_t ChannelPosition(int32_t channel);
// Bytes between the read position and the end of the file, for a channel open
// on a regular file; -1 when that cannot be told (closed channel, a pipe). A
// reader checks a count taken from a file against it before sizing anything.
int64_t ChannelBytesLeft(int32_t channel);
// origin 0: from the start; above 0: from the current place; below 0: from the
// end. Sets the position without any range check.
void SeekChannel(int32_t channel, int32_t offset, int32_t origin);

// Binary reads (1, 1, 2, 4, n, 2, 4, 8 and 4 bytes).
void ReadInt8(int32_t channel, int32_t& out);   // sign-extended
void ReadUInt8(int32_t channel, int32_t& out);  // 0 .. 255
void ReadInt16(int32_t channel, int32_t& out);  // sign-extended
void ReadInt32(int32_t channel, int32_t& out);
// n raw bytes; the text ends at the first zero byte. n below 1: "" and nothing read.
void ReadFixedString(int32_t channel, RtString& out, int32_t n);
void ReadUInt16(int32_t channel, int32_t& out);  // 0 .. 65535
void ReadUInt32(int32_t channel, int32_t& out);  // same bits as ReadInt32
// A double truncated toward zero; NaN and values outside int32 give INT32_MIN.
void ReadFloat64AsInteger(int32_t channel, int32_t& out);
void ReadFloat32(int32_t channel, double& out);

// One text line of up to 1024 bytes, without its CR LF or LF. Reading a line
// at the end of the file ends the program with error 3.
void ReadLine(int32_t channel, RtString& out);
void ReadLineReal(int32_t channel, double& out);      // the line as a real (atof)
void ReadLineInteger(int32_t channel, int32_t& out);  // the line as an integer (atoi)

// Binary writes (1, 2, 4, 1, length, 2, 4, 8 and 4 bytes).
void WriteInt8(int32_t channel, int32_t value);   // low 8 bits
void WriteInt16(int32_t channel, int32_t value);  // low 16 bits
void WriteInt32(int32_t channel, int32_t value);
void WriteUInt8(int32_t channel, int32_t value);
void WriteString(int32_t channel, const RtString& value);  // no terminator, no length
void WriteUInt16(int32_t channel, int32_t value);
void WriteUInt32(int32_t channel, int32_t value);
void WriteFloat64(int32_t channel, double value);
void WriteFloat32(int32_t channel, double value);  // rounded to single precision

// Text lines, each followed by CR LF.
void WriteLine(int32_t channel, const RtString& value);
void WriteLineReal(int32_t channel, double value);      // NumberToText of the value
void WriteLineInteger(int32_t channel, int32_t value);  // decimal

// Program end: closes every open channel and clears all eight entries.
void CloseAllChannels();
