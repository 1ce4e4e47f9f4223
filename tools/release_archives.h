// The archives a game's downloads come in: a gzip-compressed tar file for
// Linux and a zip file for Windows and the web. Both are written by our own
// code so that the same files always give the same bytes: members sorted by
// name, every date fixed (1 January 2000), owners 0, no host or time in the
// gzip header. The folders above each file get entries of their own.
//
//   ReleaseFile  one file of an archive: its name inside ("Game/README.txt"),
//                its bytes, and whether it is a program (mode 0755, else 0644)
//   TarGz        the tar file (ustar) of the files, gzip-compressed
//   Zip          the zip file of the files, each deflated (or stored when
//                deflating does not make it smaller)
// Names are relative with "/" between folders, at most 255 bytes, and may not
// hold "..", a leading "/" or a name twice; false (with a reason) otherwise.
#pragma once

#include <string>
#include <vector>

struct ReleaseFile {
  std::string Name;
  std::string Bytes;
  bool Program = false;
};

bool TarGz(std::vector<ReleaseFile> files, std::string& archive, std::string& error);
bool Zip(std::vector<ReleaseFile> files, std::string& archive, std::string& error);
