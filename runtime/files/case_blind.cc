// The case-blind lookup walks the path one component at a time and reads a
// folder only where a component is missing as written, so a path that exists
// costs one lstat and nothing more.
#include "runtime/files/case_blind.h"

#include <vector>

#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/files/archive_index.h"

namespace {

// Folders with more entries than this are not searched: the lookup must stay
// quick whatever folder a game names.
constexpr size_t kMaxEntriesSearched = 100000;

bool Exists(const std::string& path) {
  FileInfo info;
  return LinkInfo(path, info);
}

// The entry of `folder` spelt like `name` but for case; "" when none.
std::string MatchInFolder(const std::string& folder, const std::string& name) {
  std::vector<std::string> names;
  if (!ListFolder(folder.empty() ? "." : folder, names, kMaxEntriesSearched)) return "";
  std::vector<std::string> matches;
  for (const std::string& entry : names) {
    if (SameMemberName(entry, name)) matches.push_back(entry);
  }
  if (matches.empty()) return "";
  std::string chosen = matches[0];
  for (const std::string& match : matches) {
    if (match < chosen) chosen = match;
  }
  if (matches.size() > 1) {
    std::string line = "Case-blind lookup: \"" + name + "\" matches " +
                       std::to_string(matches.size()) + " files in \"" +
                       (folder.empty() ? std::string(".") : folder) + "\"; using \"" + chosen +
                       "\"";
    AppendErrorLog(line.c_str());
  }
  return chosen;
}

}  // namespace

std::string FindCaseBlind(const std::string& hostPath) {
  if (hostPath.empty()) return "";
  if (Exists(hostPath)) return hostPath;

  // Rebuilt component by component: `done` always names something that exists.
  std::string done = hostPath.substr(0, PathRootLength(hostPath));
  size_t start = done.size();
  while (start <= hostPath.size()) {
    size_t end = hostPath.find('/', start);
    if (end == std::string::npos) end = hostPath.size();
    const std::string part = hostPath.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;  // doubled or trailing "/"

    const bool needsSlash = !done.empty() && done.back() != '/';
    std::string next = done + (needsSlash ? "/" : "") + part;
    if (part != "." && part != ".." && !Exists(next)) {
      const std::string match = MatchInFolder(done, part);
      if (match.empty()) return "";
      next = done + (needsSlash ? "/" : "") + match;
    }
    done = next;
  }
  return done;
}
