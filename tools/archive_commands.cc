// pack, list and extract: zorax-tool's commands for the media archive
// appended to a program file. They use the runtime's own archive writer and
// bounds-checked reader, so what pack writes is what the player reads.
#include "tools/archive_commands.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <span>

#include "runtime/core/system.h"
#include "runtime/files/archive_index.h"
#include "runtime/files/archive_writer.h"
#include "runtime/files/file_io.h"
#include "runtime/files/lzo_member.h"
#include "tools/tool_support.h"

namespace {

const char kPackHelp[] =
    "usage: zorax-tool pack PROGRAM FILE... -o OUTPUT\n"
    "\n"
    "Writes OUTPUT: a copy of PROGRAM with a media archive of the FILEs appended.\n"
    "Each FILE becomes a member named by its last path component (at most 255\n"
    "bytes, unique regardless of letter case, at most 256 MiB), compressed with\n"
    "LZO1X. The program finds members by name when no loose file of that name\n"
    "exists. OUTPUT keeps PROGRAM's permissions; PROGRAM must not carry an\n"
    "archive already.\n";

const char kListHelp[] =
    "usage: zorax-tool list PROGRAM\n"
    "\n"
    "Prints each member of PROGRAM's media archive, in directory order, with its\n"
    "stored (compressed) size and its unpacked size in bytes.\n";

const char kExtractHelp[] =
    "usage: zorax-tool extract PROGRAM [MEMBER...] -d DIR\n"
    "\n"
    "Unpacks the named MEMBERs of PROGRAM's media archive (all of them when none\n"
    "is named; names match regardless of letter case) into DIR, which is created\n"
    "when missing. Existing files of the same names are replaced.\n";

std::string SystemError() {
  return std::strerror(errno);
}

// Positional arguments and the value of one option ("-o" or "-d").
struct Arguments {
  std::vector<std::string> Positional;
  std::string OptionValue;
  bool HasOption = false;
};

// Splits args; returns "" or what is wrong with them.
std::string SplitArguments(const std::vector<std::string>& args, const std::string& option,
                           Arguments& out) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && !option.empty() && arg == option) {
      if (out.HasOption) return option + " is given twice";
      if (i + 1 >= args.size()) return option + " needs a value";
      out.OptionValue = args[++i];
      out.HasOption = true;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      return "unknown option '" + arg + "'";
    } else {
      out.Positional.push_back(arg);
    }
  }
  return "";
}

// A name as it may be shown on a terminal: control bytes become "?".
std::string Printable(const std::string& name) {
  std::string shown = name;
  for (char& c : shown) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte == 127) c = '?';
  }
  return shown;
}

class FileCloser {
 public:
  explicit FileCloser(int fd) : fd_(fd) {}
  ~FileCloser() {
    if (fd_ >= 0) CloseFile(fd_);
  }
  FileCloser(const FileCloser&) = delete;
  FileCloser& operator=(const FileCloser&) = delete;

 private:
  int fd_;
};

struct LoadedArchive {
  ArchiveDirectory Directory;
  std::vector<ArchiveEntry> Entries;
  std::vector<uint32_t> UnpackedSizes;
};

// Reads and checks the whole directory of program (open as fd); returns "" or the problem.
std::string LoadArchive(int fd, const std::string& program, LoadedArchive& archive) {
  switch (ReadArchiveTrailer(fd, archive.Directory)) {
    case TrailerStatus::kUnreadable:
      return program + " is too short, or unreadable, to carry a media archive";
    case TrailerStatus::kNoTag:
      return program + " carries no media archive";
    case TrailerStatus::kFound:
      break;
  }
  ArchiveEntry entry;
  while (NextArchiveEntry(fd, archive.Directory, entry)) archive.Entries.push_back(entry);
  if (!archive.Directory.Ended) return program + ": the archive directory is damaged";
  for (const ArchiveEntry& member : archive.Entries) {
    uint64_t start = 0;
    if (!MemberDataPosition(archive.Directory, member, start)) {
      return program + ": member " + Printable(member.Name) + " lies outside the file";
    }
    uint8_t header[4] = {};
    if (member.StoredSize < 4 || ReadUpToAt(fd, header, 4, start) != 4) {
      return program + ": member " + Printable(member.Name) + " has no size header";
    }
    archive.UnpackedSizes.push_back(DeclaredUnpackedSize(header));
  }
  return "";
}

}  // namespace

int PackCommand(const std::vector<std::string>& args) {
  const std::string command = "pack";
  if (WantsHelp(args)) {
    std::fputs(kPackHelp, stdout);
    return kToolOk;
  }
  Arguments parsed;
  if (std::string problem = SplitArguments(args, "-o", parsed); !problem.empty()) {
    return ToolUsageError(command, problem);
  }
  if (parsed.Positional.empty()) return ToolUsageError(command, "PROGRAM is missing");
  if (parsed.Positional.size() < 2) return ToolUsageError(command, "no FILE to pack");
  if (!parsed.HasOption || parsed.OptionValue.empty()) {
    return ToolUsageError(command, "-o OUTPUT is missing");
  }
  const std::string& program = parsed.Positional[0];
  const std::vector<std::string> files(parsed.Positional.begin() + 1, parsed.Positional.end());
  const std::string& output = parsed.OptionValue;

  const int in = OpenForReading(program);
  if (in < 0) return ToolFailure(command, "cannot read " + program + ": " + SystemError());
  FileCloser closeIn(in);
  FileInfo programInfo;
  if (!HandleInfo(in, programInfo) || programInfo.Kind != FileKind::kFile) {
    return ToolFailure(command, program + " is not a regular file");
  }
  ArchiveDirectory existing;
  if (ReadArchiveTrailer(in, existing) == TrailerStatus::kFound) {
    return ToolFailure(command,
                       program + " already carries a media archive; pack the bare program");
  }

  // Writing over an input would destroy it before it is read.
  FileInfo outputInfo;
  if (PathInfo(output, outputInfo)) {
    if (outputInfo.Kind == FileKind::kFolder) return ToolFailure(command, output + " is a folder");
    if (SameFile(outputInfo, programInfo)) {
      return ToolFailure(command, output + " is PROGRAM itself");
    }
    for (const std::string& file : files) {
      FileInfo fileInfo;
      if (PathInfo(file, fileInfo) && SameFile(outputInfo, fileInfo)) {
        return ToolFailure(command, output + " is also one of the FILEs");
      }
    }
  }

  // The output appears only when it is complete.
  std::string temporary = output + ".XXXXXX";
  const int out = CreateUniqueFile(temporary);
  if (out < 0) return ToolFailure(command, "cannot create " + output + ": " + SystemError());
  auto abandon = [&](const std::string& message) {
    CloseFile(out);
    EraseFile(temporary);
    return ToolFailure(command, message);
  };

  std::vector<char> block(size_t{1} << 16);
  uint64_t programSize = 0;
  for (;;) {
    const int64_t n = ReadUpTo(in, block.data(), block.size());
    if (n < 0) return abandon("cannot read " + program + ": " + SystemError());
    if (n > 0 && !WriteAll(out, block.data(), static_cast<size_t>(n))) {
      return abandon("cannot write " + output + ": " + SystemError());
    }
    programSize += static_cast<uint64_t>(n);
    if (static_cast<size_t>(n) < block.size()) break;
  }

  ArchiveWriter writer;
  writer.BaseSize = programSize;
  uint64_t unpackedTotal = 0;
  for (const std::string& file : files) {
    FileInfo fileInfo;
    if (PathInfo(file, fileInfo) && fileInfo.Kind == FileKind::kFile &&
        fileInfo.Size > kMaxMemberSize) {
      return abandon(file + " is larger than 256 MiB");
    }
    std::string bytes;
    errno = 0;
    if (!ReadWholeFile(file, kMaxMemberSize, bytes)) {
      return abandon("cannot read " + file + (errno != 0 ? ": " + SystemError() : ""));
    }
    const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()),
                                        bytes.size());
    if (!AddArchiveMember(writer, BaseName(file), data)) return abandon(file + ": " + writer.Error);
    unpackedTotal += bytes.size();
    if (!WriteAll(out, writer.Pending.data(), writer.Pending.size())) {
      return abandon("cannot write " + output + ": " + SystemError());
    }
    writer.Pending.clear();
  }
  if (!FinishArchive(writer)) return abandon(writer.Error);
  if (!WriteAll(out, writer.Pending.data(), writer.Pending.size())) {
    return abandon("cannot write " + output + ": " + SystemError());
  }
  if (!SetFileMode(out, programInfo.Mode & 07777)) {
    return abandon("cannot set the permissions of " + output + ": " + SystemError());
  }
  if (!CloseFile(out) || !RenameReplacing(temporary, output)) {
    const std::string reason = SystemError();
    EraseFile(temporary);
    return ToolFailure(command, "cannot write " + output + ": " + reason);
  }
  std::printf("%s: %zu members, %llu bytes packed into %llu\n", output.c_str(),
              writer.Entries.size(), static_cast<unsigned long long>(unpackedTotal),
              static_cast<unsigned long long>(writer.Produced));
  return kToolOk;
}

int ListCommand(const std::vector<std::string>& args) {
  const std::string command = "list";
  if (WantsHelp(args)) {
    std::fputs(kListHelp, stdout);
    return kToolOk;
  }
  Arguments parsed;
  if (std::string problem = SplitArguments(args, "", parsed); !problem.empty()) {
    return ToolUsageError(command, problem);
  }
  if (parsed.Positional.size() != 1) return ToolUsageError(command, "give exactly one PROGRAM");
  const std::string& program = parsed.Positional[0];

  const int fd = OpenForReading(program);
  if (fd < 0) return ToolFailure(command, "cannot read " + program + ": " + SystemError());
  FileCloser closeFd(fd);
  LoadedArchive archive;
  if (std::string problem = LoadArchive(fd, program, archive); !problem.empty()) {
    return ToolFailure(command, problem);
  }

  int width = 4;
  for (const ArchiveEntry& entry : archive.Entries) {
    width = std::max(width, static_cast<int>(entry.Name.size()));
  }
  std::printf("%-*s %10s %10s\n", width, "NAME", "STORED", "UNPACKED");
  for (size_t i = 0; i < archive.Entries.size(); ++i) {
    std::printf("%-*s %10u %10u\n", width, Printable(archive.Entries[i].Name).c_str(),
                archive.Entries[i].StoredSize, archive.UnpackedSizes[i]);
  }
  return kToolOk;
}

int ExtractCommand(const std::vector<std::string>& args) {
  const std::string command = "extract";
  if (WantsHelp(args)) {
    std::fputs(kExtractHelp, stdout);
    return kToolOk;
  }
  Arguments parsed;
  if (std::string problem = SplitArguments(args, "-d", parsed); !problem.empty()) {
    return ToolUsageError(command, problem);
  }
  if (parsed.Positional.empty()) return ToolUsageError(command, "PROGRAM is missing");
  if (!parsed.HasOption || parsed.OptionValue.empty()) {
    return ToolUsageError(command, "-d DIR is missing");
  }
  const std::string& program = parsed.Positional[0];
  const std::string& folder = parsed.OptionValue;

  const int fd = OpenForReading(program);
  if (fd < 0) return ToolFailure(command, "cannot read " + program + ": " + SystemError());
  FileCloser closeFd(fd);
  LoadedArchive archive;
  if (std::string problem = LoadArchive(fd, program, archive); !problem.empty()) {
    return ToolFailure(command, problem);
  }

  // The members to unpack, as the player would find them: the first of a name.
  std::vector<size_t> chosen;
  auto firstNamed = [&archive](const std::string& name) {
    for (size_t i = 0; i < archive.Entries.size(); ++i) {
      if (SameMemberName(archive.Entries[i].Name, name)) return i;
    }
    return archive.Entries.size();
  };
  if (parsed.Positional.size() > 1) {
    for (size_t p = 1; p < parsed.Positional.size(); ++p) {
      const size_t i = firstNamed(parsed.Positional[p]);
      if (i == archive.Entries.size()) {
        return ToolFailure(command, program + " has no member named " + parsed.Positional[p]);
      }
      if (std::find(chosen.begin(), chosen.end(), i) == chosen.end()) chosen.push_back(i);
    }
  } else {
    for (size_t i = 0; i < archive.Entries.size(); ++i) {
      if (firstNamed(archive.Entries[i].Name) == i) chosen.push_back(i);
    }
  }
  for (size_t i : chosen) {
    if (!IsSafeMemberName(archive.Entries[i].Name)) {
      return ToolFailure(command, "member name " + Printable(archive.Entries[i].Name) +
                                      " is not a safe file name; nothing extracted");
    }
  }

  if (!MakeFolders(folder, 0777)) {
    return ToolFailure(command, "cannot create the folder " + folder);
  }
  for (size_t i : chosen) {
    const ArchiveEntry& entry = archive.Entries[i];
    std::vector<uint8_t> stored;
    if (!ReadStoredMember(fd, archive.Directory, entry, stored)) {
      return ToolFailure(command, "cannot read member " + entry.Name + " of " + program);
    }
    UnpackedMember member;
    if (UnpackMember(stored, member) != UnpackStatus::kOk) {
      return ToolFailure(command, "member " + entry.Name + " of " + program + " is damaged");
    }
    const std::string target = folder + "/" + entry.Name;
    const std::string_view bytes(reinterpret_cast<const char*>(member.Data.get()), member.Size);
    if (!ReplaceFileContents(target, bytes)) {
      return ToolFailure(command, "cannot write " + target + ": " + SystemError());
    }
  }
  return kToolOk;
}
