// The user's folders on Windows, from the known-folder call: settings in the
// roaming application data, kept data in the local one, screenshots in the
// Pictures library's folder.
#include <windows.h>
// After windows.h, which they need.
#include <knownfolders.h>
#include <shlobj.h>

#include "runtime/core/system.h"
#include "runtime/platform/windows/wide_text.h"

namespace {

std::string KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)) && path != nullptr) {
    folder = PathFromWide(path);
  }
  CoTaskMemFree(path);
  while (folder.size() > PathRootLength(folder) && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string Under(const std::string& base, std::string_view application) {
  if (base.empty()) return "";
  return base + (base.back() == '/' ? "" : "/") + std::string(application);
}

}  // namespace

std::string HomeFolder() {
  std::string home = KnownFolder(FOLDERID_Profile);
  if (home.empty()) home = PathFromPlatform(EnvironmentValue("USERPROFILE"));
  return home;
}

std::string ApplicationFolder(UserFolder kind, std::string_view application) {
  switch (kind) {
    case UserFolder::kSettings:
      return Under(KnownFolder(FOLDERID_RoamingAppData), application);
    case UserFolder::kData:
      return Under(KnownFolder(FOLDERID_LocalAppData), application);
    case UserFolder::kPictures:
      return Under(KnownFolder(FOLDERID_Pictures), application);
  }
  return "";
}
