// zorax-tool export: a game's downloads for Linux, Windows and the web in one
// command.
//
//   export INPUT OUTDIR [--for linux,windows,web] [--name NAME] [--force]
//       INPUT is a game file (its media beside it), a folder, a packed
//       program of any platform, or a game description (built first). Writes
//       OUTDIR/NAME-linux-x64.tar.gz, OUTDIR/NAME-windows-x64.zip,
//       OUTDIR/NAME-web.zip and the folder OUTDIR/NAME-web/. NAME defaults to
//       the game's title made safe for a file name. Existing outputs are kept
//       unless --force; a failed export leaves nothing behind; the same INPUT
//       gives the same bytes. A platform whose player is not found is named
//       and skipped. Exit codes: 0 exported, 1 a file could not be written or
//       no player was found, 2 bad arguments or an INPUT without a game.
#pragma once

#include <string>
#include <vector>

int ExportCommand(const std::vector<std::string>& args);

// NAME as given or made from a title: false when it cannot name files.
bool UsableExportName(const std::string& name);
// A title (or file name) made into a NAME: letters, digits, ".", "_" and
// "-" kept, runs of anything else one "-"; "" when nothing is left.
std::string ExportNameFrom(const std::string& text);
