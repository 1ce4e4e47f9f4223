// The user's folders in a browser. Settings and kept data (replays) live
// under /user, which the page mounts on the browser's storage (IndexedDB)
// and writes back while the game runs, so that they are there on the next
// visit. Pictures stay in memory: each one is offered as a download.
#include "runtime/core/system.h"

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

}  // namespace

std::string HomeFolder() {
  const std::string home = EnvironmentValue("HOME");
  return !home.empty() && home[0] == '/' ? home : "/home/web_user";
}

std::string ApplicationFolder(UserFolder kind, std::string_view application) {
  switch (kind) {
    case UserFolder::kSettings:
      return "/user/settings/" + Lower(application);
    case UserFolder::kData:
      return "/user/data/" + Lower(application);
    case UserFolder::kPictures:
      return HomeFolder() + "/Pictures/" + std::string(application);
  }
  return "";
}
