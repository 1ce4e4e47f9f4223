// The private per-user folder on Windows: "ombrel" in the user's temporary
// folder, made with an access list that admits this user alone, and refused
// when it is a link, not a folder, or owned by someone else.
#include <windows.h>
// After windows.h, which they need.
#include <aclapi.h>
#include <sddl.h>

#include <cerrno>
#include <memory>

#include "runtime/core/system.h"
#include "runtime/platform/windows/wide_text.h"

namespace {

// The token's user and the owner it gives new objects (the Administrators
// group for an elevated program); either may own our folder.
struct Owners {
  std::unique_ptr<BYTE[]> User;
  std::unique_ptr<BYTE[]> Default;
};

std::unique_ptr<BYTE[]> TokenPart(HANDLE token, TOKEN_INFORMATION_CLASS part) {
  DWORD size = 0;
  GetTokenInformation(token, part, nullptr, 0, &size);
  if (size == 0) return nullptr;
  auto buffer = std::make_unique<BYTE[]>(size);
  if (!GetTokenInformation(token, part, buffer.get(), size, &size)) return nullptr;
  return buffer;
}

Owners CurrentOwners() {
  Owners owners;
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return owners;
  owners.User = TokenPart(token, TokenUser);
  owners.Default = TokenPart(token, TokenOwner);
  CloseHandle(token);
  return owners;
}

PSID UserSid(const Owners& owners) {
  return owners.User ? reinterpret_cast<TOKEN_USER*>(owners.User.get())->User.Sid : nullptr;
}

PSID DefaultOwnerSid(const Owners& owners) {
  return owners.Default ? reinterpret_cast<TOKEN_OWNER*>(owners.Default.get())->Owner : nullptr;
}

// Creates the folder with an access list that admits the user alone.
bool CreatePrivate(const std::wstring& path, PSID user) {
  LPWSTR userText = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (user != nullptr && ConvertSidToStringSidW(user, &userText)) {
    const std::wstring sddl = L"D:P(A;OICI;FA;;;" + std::wstring(userText) + L")";
    ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                         &descriptor, nullptr);
    LocalFree(userText);
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  const bool made = CreateDirectoryW(path.c_str(), descriptor != nullptr ? &attributes : nullptr);
  const DWORD error = GetLastError();
  if (descriptor != nullptr) LocalFree(descriptor);
  SetLastError(error);
  return made;
}

// False when the file system names an owner and it is neither of ours. A
// file system without owners (FAT on a stick) has nothing to refuse.
bool OwnedByUs(const std::wstring& path, const Owners& owners) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD status = GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT,
                                             OWNER_SECURITY_INFORMATION, &owner, nullptr,
                                             nullptr, nullptr, &descriptor);
  if (status != ERROR_SUCCESS || owner == nullptr) {
    if (descriptor != nullptr) LocalFree(descriptor);
    return true;
  }
  const PSID user = UserSid(owners);
  const PSID fallback = DefaultOwnerSid(owners);
  const bool ours = (user != nullptr && EqualSid(owner, user)) ||
                    (fallback != nullptr && EqualSid(owner, fallback)) ||
                    (user == nullptr && fallback == nullptr);
  LocalFree(descriptor);
  return ours;
}

}  // namespace

PrivateFolderChoice ChoosePrivateFolder() {
  PrivateFolderChoice choice;
  std::wstring temp(MAX_PATH + 1, L'\0');
  const DWORD n = GetTempPathW(static_cast<DWORD>(temp.size()), temp.data());
  FolderCandidate candidate{"%TEMP%/ombrel"};
  if (n == 0 || n > temp.size()) {
    candidate.Check = FolderCheck::kMissing;
    choice.Refused.push_back(candidate);
    return choice;
  }
  temp.resize(n);
  std::string folder = PathFromWide(temp);
  while (folder.size() > PathRootLength(folder) && folder.back() == '/') folder.pop_back();
  candidate.Path = folder + (folder.back() == '/' ? "" : "/") + "ombrel";

  std::wstring wide;
  if (!WidePath(candidate.Path, wide)) {
    candidate.Check = FolderCheck::kCannotCreate;
    candidate.Error = errno;
    choice.Refused.push_back(candidate);
    return choice;
  }
  const Owners owners = CurrentOwners();
  if (!CreatePrivate(wide, UserSid(owners)) && GetLastError() != ERROR_ALREADY_EXISTS) {
    candidate.Check = FolderCheck::kCannotCreate;
    candidate.Error = ErrnoFromWindowsError(GetLastError());
    choice.Refused.push_back(candidate);
    return choice;
  }
  FileInfo info;
  if (!LinkInfo(candidate.Path, info)) {
    candidate.Check = FolderCheck::kCannotCreate;
    candidate.Error = errno;
  } else if (info.Kind == FileKind::kLink) {
    candidate.Check = FolderCheck::kLink;
  } else if (info.Kind != FileKind::kFolder) {
    candidate.Check = FolderCheck::kNotAFolder;
  } else if (!OwnedByUs(wide, owners)) {
    candidate.Check = FolderCheck::kOtherOwner;
  }
  if (candidate.Check == FolderCheck::kUsable) {
    choice.Folder = candidate.Path;
  } else {
    choice.Refused.push_back(candidate);
  }
  return choice;
}
