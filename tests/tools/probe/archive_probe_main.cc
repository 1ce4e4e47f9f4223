// A test program that reads files through the media archive appended to its
// own program file: for each name on its command line it opens a channel,
// reads the file byte by byte and prints "name=" and the bytes in hexadecimal
// (text survives any platform's line-end translation). The tool tests pack
// it with zorax-tool and run it.
#include <cstdio>

#include "runtime/core/system.h"
#include "runtime/files/archive.h"
#include "runtime/files/channels.h"

int main(int argc, char** argv) {
  OpenArchiveReaders(ProgramPath());
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    if (OpenChannel(0, RtString(argv[i]), 1) != 1) {
      std::printf("%s: not found\n", argv[i]);
      status = 1;
      continue;
    }
    std::printf("%s=", argv[i]);
    while (ChannelAtEnd(0) == 0) {
      int32_t byte = 0;
      ReadUInt8(0, byte);
      std::printf("%02x", static_cast<unsigned>(byte));
    }
    std::putchar('\n');
    CloseChannel(0);
  }
  CloseArchiveReaders();
  return status;
}
