// zorax-tool's media-archive commands.
//
//   pack PROGRAM FILE... -o OUTPUT    copy PROGRAM with an archive of the FILEs appended
//   list PROGRAM                      each member's name, stored and unpacked size
//   extract PROGRAM [MEMBER...] -d DIR  unpack all members, or the ones named, into DIR
#pragma once

#include <string>
#include <vector>

int PackCommand(const std::vector<std::string>& args);
int ListCommand(const std::vector<std::string>& args);
int ExtractCommand(const std::vector<std::string>& args);
