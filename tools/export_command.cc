// The export: the game is gathered once, packed into each platform's player,
// and every output is made in a staging folder inside OUTDIR before it takes
// its name, so that a failure part-way leaves OUTDIR as it was.
#include "tools/export_command.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "player/display/window_caption.h"
#include "runtime/core/system.h"
#include "runtime/files/archive_index.h"
#include "runtime/files/archive_writer.h"
#include "runtime/files/file_io.h"
#include "tools/game_bundle.h"
#include "tools/release_archives.h"
#include "tools/release_players.h"
#include "tools/tool_support.h"

namespace {

const char kHelp[] =
    "usage: zorax-tool export INPUT OUTDIR [--for linux,windows,web] [--name NAME] [--force]\n"
    "\n"
    "Makes a game's downloads in OUTDIR:\n"
    "  NAME-linux-x64.tar.gz    the game packed into the Linux player, with a README\n"
    "  NAME-windows-x64.zip     the game packed into the Windows player, with a README\n"
    "                           and the licences of the libraries in it\n"
    "  NAME-web.zip, NAME-web/  the game in the web player's page, for any static\n"
    "                           web server\n"
    "INPUT is a game file (its sounds and fonts beside it), a folder holding a\n"
    "game, a packed program of any platform, or a game description (.json), which\n"
    "is built first with the media its \"media\" names. NAME defaults to the\n"
    "game's title. The players are those of the builds beside zorax-tool or of\n"
    "its installation; a platform whose player is missing is named and skipped.\n"
    "Existing outputs are replaced only with --force. The same INPUT always gives\n"
    "the same bytes.\n"
    "\n"
    "Exit codes: 0 exported; 1 an output could not be written, or no player was\n"
    "found; 2 bad arguments, an INPUT without a game or an unusable OUTDIR.\n";

const std::string kCommand = "export";

// The game archive the web player's page loads from beside itself.
constexpr const char* kWebGameFile = "game.zpk";

struct Request {
  std::string Input;
  std::string OutDir;
  std::string Name;
  bool Force = false;
  std::vector<ReleasePlatform> Platforms;
};

// The problem with the arguments, or "".
std::string ParseArguments(const std::vector<std::string>& args, Request& request) {
  std::vector<std::string> positional;
  bool optionsEnded = false;
  bool platformsGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg == "--force") {
      request.Force = true;
    } else if (!optionsEnded && (arg == "--name" || arg.rfind("--name=", 0) == 0)) {
      if (arg == "--name" && !value(request.Name)) return "--name needs a value";
      if (arg != "--name") request.Name = arg.substr(7);
      if (!UsableExportName(request.Name)) {
        return "--name \"" + request.Name +
               "\" cannot name files: it must not be empty, hold \"/\", \"\\\" or control "
               "characters, or be only dots";
      }
    } else if (!optionsEnded && (arg == "--for" || arg.rfind("--for=", 0) == 0)) {
      std::string list;
      if (arg == "--for" && !value(list)) return "--for needs a list of platforms";
      if (arg != "--for") list = arg.substr(6);
      platformsGiven = true;
      request.Platforms.clear();
      for (size_t start = 0; start <= list.size();) {
        const size_t end = std::min(list.find(',', start), list.size());
        const std::string item = list.substr(start, end - start);
        start = end + 1;
        bool known = false;
        for (ReleasePlatform platform :
             {ReleasePlatform::kLinux, ReleasePlatform::kWindows, ReleasePlatform::kWeb}) {
          if (item != PlatformName(platform)) continue;
          known = true;
          bool listed = false;
          for (ReleasePlatform chosen : request.Platforms) listed = listed || chosen == platform;
          if (!listed) request.Platforms.push_back(platform);
        }
        if (!known) return "--for takes linux, windows and web, not \"" + item + "\"";
      }
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      return "unknown option '" + arg + "'";
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.empty()) return "INPUT is missing";
  if (positional.size() < 2) return "OUTDIR is missing";
  if (positional.size() > 2) return "one INPUT and one OUTDIR, not " + std::to_string(positional.size()) + " paths";
  request.Input = positional[0];
  request.OutDir = positional[1];
  if (!platformsGiven) {
    request.Platforms = {ReleasePlatform::kLinux, ReleasePlatform::kWindows, ReleasePlatform::kWeb};
  }
  return "";
}

std::string LinuxReadme(const std::string& title, const std::string& name) {
  return title + "\n" + std::string(title.size(), '=') +
         "\n\n"
         "A vertically scrolling shoot-'em-up, packed into the zorax player for\n"
         "64-bit Linux. Start it with\n\n    ./" +
         name +
         "\n\n"
         "from this folder, or give its path to your desktop. It needs SDL2 and\n"
         "SDL2_mixer, libpng and LZO (on Debian and Ubuntu: apt install\n"
         "libsdl2-2.0-0 libsdl2-mixer-2.0-0 libpng16-16 liblzo2-2).\n\n"
         "Keys: player 1 arrow keys and right Ctrl, player 2 W, A, S, D and left\n"
         "Ctrl; game pads work too. F1 options, F11 or Alt+Enter full screen, F12\n"
         "screenshot, Escape back to the title, Escape on the title quits.\n"
         "./" +
         name + " --help lists every option.\n";
}

std::string WindowsReadme(const std::string& title, const std::string& name) {
  std::string text = title + "\n" + std::string(title.size(), '=') +
                     "\n\n"
                     "A vertically scrolling shoot-'em-up, packed into the zorax player for\n"
                     "64-bit Windows 10 and 11. Double-click " +
                     name +
                     ".exe to play; nothing needs\n"
                     "to be installed.\n\n"
                     "Keys: player 1 arrow keys and right Ctrl, player 2 W, A, S, D and left\n"
                     "Ctrl; game pads work too. F1 options, F11 or Alt+Enter full screen, F12\n"
                     "screenshot (into Pictures\\Zorax), Escape back to the title, Escape on\n"
                     "the title quits.\n\n"
                     "The licences of the libraries built into the program are in licenses\\.\n";
  std::string crlf;
  for (const char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return crlf;
}

bool ReadProgram(const std::string& path, std::string& bytes, std::string& error) {
  errno = 0;
  if (!ReadWholeFile(path, uint64_t{1} << 30, bytes)) {
    error = "cannot read the player " + path + (errno != 0 ? std::string(": ") + std::strerror(errno) : "");
    return false;
  }
  return true;
}

// The player with the game's archive appended.
bool PackedPlayer(const PlayerFiles& player, const GameBundle& game, std::string& packed,
                  std::string& error) {
  if (!ReadProgram(player.Program, packed, error)) return false;
  // A player that carries a game already would hide the new one.
  if (packed.size() >= kArchiveTrailerSize &&
      packed.compare(packed.size() - kArchiveTrailerSize, 3, "doZ") == 0) {
    error = "the player " + player.Program + " carries a game already";
    return false;
  }
  const std::string archive = BuildArchive(game.Members, &error, false, packed.size());
  if (archive.empty()) {
    error = "cannot pack the game: " + error;
    return false;
  }
  packed += archive;
  return true;
}

// The player's other files (licences, page files) under prefix.
bool AddPlayerFiles(const PlayerFiles& player, const std::string& prefix,
                    std::vector<ReleaseFile>& files, std::string& error) {
  for (const std::string& relative : player.Others) {
    ReleaseFile file{prefix + relative, "", false};
    if (!ReadProgram(player.Folder + relative, file.Bytes, error)) return false;
    files.push_back(std::move(file));
  }
  return true;
}

std::string HtmlText(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// The web player's page, made the game's: its title, and the game archive
// as the file it fetches. The page names its game on the one line that sets
// zoraxGame.
bool PageForGame(std::string& page, const std::string& title, std::string& error) {
  const size_t games = page.find("var zoraxGame = ");
  const size_t titleStart = page.find("<title>");
  const size_t titleEnd = page.find("</title>", titleStart);
  if (games == std::string::npos || titleStart == std::string::npos ||
      titleEnd == std::string::npos) {
    error = "the web player's index.html names no game to replace";
    return false;
  }
  page.replace(titleStart + 7, titleEnd - titleStart - 7, HtmlText(title));
  const size_t line = page.find("var zoraxGame = ");
  const size_t lineEnd = page.find('\n', line);
  page.replace(line, lineEnd == std::string::npos ? std::string::npos : lineEnd - line,
               std::string("var zoraxGame = { files: ['") + kWebGameFile + "'] };");
  return true;
}

// What each platform's export writes, before it is written.
struct Output {
  std::string Name;                 // in OUTDIR
  std::string Bytes;                // a file's bytes
  std::vector<ReleaseFile> Folder;  // or a folder's files (Bytes unused)
  bool IsFolder = false;
};

bool MakeOutputs(ReleasePlatform platform, const PlayerFiles& player, const GameBundle& game,
                 const std::string& name, const std::string& title, std::vector<Output>& outputs,
                 std::string& error) {
  std::vector<ReleaseFile> files;
  switch (platform) {
    case ReleasePlatform::kLinux: {
      ReleaseFile program{name + "/" + name, "", true};
      if (!PackedPlayer(player, game, program.Bytes, error)) return false;
      files.push_back(std::move(program));
      files.push_back({name + "/README.txt", LinuxReadme(title, name), false});
      if (!AddPlayerFiles(player, name + "/", files, error)) return false;
      Output out;
      out.Name = name + "-linux-x64.tar.gz";
      if (!TarGz(files, out.Bytes, error)) return false;
      outputs.push_back(std::move(out));
      return true;
    }
    case ReleasePlatform::kWindows: {
      ReleaseFile program{name + "/" + name + ".exe", "", true};
      if (!PackedPlayer(player, game, program.Bytes, error)) return false;
      files.push_back(std::move(program));
      files.push_back({name + "/README.txt", WindowsReadme(title, name), false});
      if (!AddPlayerFiles(player, name + "/", files, error)) return false;
      Output out;
      out.Name = name + "-windows-x64.zip";
      if (!Zip(files, out.Bytes, error)) return false;
      outputs.push_back(std::move(out));
      return true;
    }
    case ReleasePlatform::kWeb: {
      // The page plays the game archive it finds beside it, a packed program
      // with no program in front.
      const std::string folder = name + "-web/";
      ReleaseFile data{folder + kWebGameFile, BuildArchive(game.Members, &error), false};
      if (data.Bytes.empty()) {
        error = "cannot pack the game: " + error;
        return false;
      }
      files.push_back(std::move(data));
      if (!AddPlayerFiles(player, folder, files, error)) return false;
      for (ReleaseFile& file : files) {
        if (file.Name == folder + "index.html" && !PageForGame(file.Bytes, title, error)) {
          return false;
        }
      }
      Output zip;
      zip.Name = name + "-web.zip";
      if (!Zip(files, zip.Bytes, error)) return false;
      Output unpacked;
      unpacked.Name = name + "-web";
      unpacked.IsFolder = true;
      for (ReleaseFile& file : files) file.Name.erase(0, folder.size());
      unpacked.Folder = std::move(files);
      outputs.push_back(std::move(zip));
      outputs.push_back(std::move(unpacked));
      return true;
    }
  }
  return false;
}

// Removes a file or a folder with everything in it; links are removed, not followed.
void RemoveTree(const std::string& path) {
  FileInfo info;
  if (!LinkInfo(path, info)) return;
  if (info.Kind == FileKind::kFolder) {
    std::vector<std::string> names;
    ListFolder(path, names);
    for (const std::string& name : names) RemoveTree(path + "/" + name);
    RemoveFolder(path);
  } else {
    EraseFile(path);
  }
}

// A fresh folder in OUTDIR for the outputs in the making; "" (errno set) when
// none can be made.
std::string MakeStagingFolder(const std::string& outDir, const std::string& name) {
  std::random_device seed;
  std::mt19937 pick(seed());
  for (int attempt = 0; attempt < 50; ++attempt) {
    const std::string folder = outDir + "/." + name + ".export-" + std::to_string(pick() % 1000000);
    if (MakeFolder(folder, 0755)) return folder;
    if (errno != EEXIST) return "";
  }
  return "";
}

bool WriteOutput(const std::string& staging, const Output& output, std::string& error) {
  auto write = [&](const std::string& path, const ReleaseFile& file) {
    const FileWriteResult result =
        WriteFileAtomically(path, file.Bytes, FilePlacement::kReplace);
    if (result.Status != FileWriteStatus::kWritten) {
      error = "cannot write " + path + ": " + std::strerror(result.Error != 0 ? result.Error : EIO);
      return false;
    }
    return true;
  };
  const std::string path = staging + "/" + output.Name;
  if (!output.IsFolder) return write(path, ReleaseFile{output.Name, output.Bytes, false});
  for (const ReleaseFile& file : output.Folder) {
    const std::string target = path + "/" + file.Name;
    if (!MakeFolders(target.substr(0, target.rfind('/')), 0755)) {
      error = "cannot make the folder " + target.substr(0, target.rfind('/')) + ": " +
              std::strerror(errno);
      return false;
    }
    if (!write(target, file)) return false;
  }
  return true;
}

std::string WithSize(const std::string& path, const Output& output) {
  if (output.IsFolder) return path + "/ (" + std::to_string(output.Folder.size()) + " files)";
  return path + " (" + std::to_string(output.Bytes.size()) + " bytes)";
}

}  // namespace

bool UsableExportName(const std::string& name) {
  if (name.empty() || name.size() > 128) return false;
  bool onlyDots = true;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F) return false;
    onlyDots = onlyDots && c == '.';
  }
  return !onlyDots;
}

std::string ExportNameFrom(const std::string& text) {
  std::string name;
  bool gap = false;
  for (const char c : text) {
    const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '.' || c == '_' || c == '-';
    if (!kept) {
      gap = !name.empty();
      continue;
    }
    if (gap) name += '-';
    gap = false;
    name += c;
    if (name.size() >= 64) break;
  }
  while (!name.empty() && (name.front() == '.' || name.front() == '-')) name.erase(0, 1);
  return UsableExportName(name) ? name : "";
}

int ExportCommand(const std::vector<std::string>& args) {
  if (WantsHelp(args)) {
    std::fputs(kHelp, stdout);
    return kToolOk;
  }
  Request request;
  if (const std::string problem = ParseArguments(args, request); !problem.empty()) {
    return ToolUsageError(kCommand, problem);
  }

  // OUTDIR: an existing folder, or one to make.
  std::string outDir = PathFromPlatform(request.OutDir);
  while (outDir.size() > PathRootLength(outDir) && outDir.back() == '/') outDir.pop_back();
  FileInfo outInfo;
  const bool outExists = PathInfo(outDir, outInfo);
  if (outExists && outInfo.Kind != FileKind::kFolder) {
    std::fprintf(stderr, "zorax-tool export: %s is not a folder\n", request.OutDir.c_str());
    return kToolBadUsage;
  }

  GameBundle game;
  std::string error;
  if (!LoadGameBundle(request.Input, game, error)) {
    std::fprintf(stderr, "zorax-tool export: %s\n", error.c_str());
    return kToolBadUsage;
  }
  std::string title = CaptionFromTitle(game.TitleText);
  std::string name = request.Name;
  if (name.empty()) name = ExportNameFrom(title);
  if (name.empty()) name = ExportNameFrom(game.FileName);
  if (name.empty()) name = "game";
  if (title.empty()) title = name;

  // Which platforms can be made, and what each will be called.
  std::vector<std::pair<ReleasePlatform, PlayerFiles>> players;
  for (ReleasePlatform platform : request.Platforms) {
    PlayerFiles player;
    std::string looked;
    if (FindPlayer(platform, player, looked)) {
      players.emplace_back(platform, std::move(player));
    } else {
      std::fprintf(stderr, "zorax-tool export: no %s player found (looked in %s); not exported\n",
                   PlatformName(platform), looked.c_str());
    }
  }
  if (players.empty()) {
    std::fprintf(stderr, "zorax-tool export: nothing exported\n");
    return kToolFailed;
  }
  std::vector<Output> outputs;
  for (const auto& [platform, player] : players) {
    if (!MakeOutputs(platform, player, game, name, title, outputs, error)) {
      std::fprintf(stderr, "zorax-tool export: %s: %s\n", PlatformName(platform), error.c_str());
      return kToolFailed;
    }
  }
  if (!request.Force) {
    std::string taken;
    for (const Output& output : outputs) {
      FileInfo info;
      if (LinkInfo(outDir + "/" + output.Name, info)) taken += (taken.empty() ? "" : ", ") + output.Name;
    }
    if (!taken.empty()) {
      std::fprintf(stderr, "zorax-tool export: %s already holds %s; --force replaces it\n",
                   request.OutDir.c_str(), taken.c_str());
      return kToolBadUsage;
    }
  }

  // Everything is made in a staging folder, then given its name.
  if (!outExists && !MakeFolders(outDir, 0777)) {
    std::fprintf(stderr, "zorax-tool export: cannot make the folder %s: %s\n",
                 request.OutDir.c_str(), std::strerror(errno));
    return kToolBadUsage;
  }
  const std::string staging = MakeStagingFolder(outDir, name);
  if (staging.empty()) {
    std::fprintf(stderr, "zorax-tool export: cannot write into %s: %s\n", request.OutDir.c_str(),
                 std::strerror(errno));
    if (!outExists) RemoveFolder(outDir);
    return kToolBadUsage;
  }
  auto abandon = [&](const std::string& message) {
    std::fprintf(stderr, "zorax-tool export: %s\n", message.c_str());
    RemoveTree(staging);
    if (!outExists) RemoveFolder(outDir);
    return kToolFailed;
  };
  for (const Output& output : outputs) {
    if (!WriteOutput(staging, output, error)) return abandon(error);
  }
  for (size_t i = 0; i < outputs.size(); ++i) {
    const std::string target = outDir + "/" + outputs[i].Name;
    FileInfo info;
    if (LinkInfo(target, info)) {
      // --force: the old output moves aside and goes with the staging folder.
      if (!RenameReplacing(target, staging + "/.old-" + std::to_string(i))) {
        return abandon("cannot replace " + target + ": " + std::strerror(errno));
      }
    }
    if (!RenameReplacing(staging + "/" + outputs[i].Name, target)) {
      return abandon("cannot write " + target + ": " + std::strerror(errno));
    }
  }
  RemoveTree(staging);
  for (const std::string& note : game.Notes) std::fprintf(stderr, "note: %s\n", note.c_str());
  for (const Output& output : outputs) {
    std::printf("%s\n", WithSize(outDir + "/" + output.Name, output).c_str());
  }
  return kToolOk;
}
