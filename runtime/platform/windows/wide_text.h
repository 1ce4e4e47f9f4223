// The edge between this runtime's text and Windows's: paths and names are
// UTF-8 with "/" inside, wide characters with "\" in every call to Windows.
// Also the one place where Windows's error codes become errno values.
#pragma once

#include <string>
#include <string_view>

// UTF-8 to UTF-16; false for bytes that are not UTF-8.
bool WideFromUtf8(std::string_view text, std::wstring& wide);
// UTF-16 to UTF-8 (unpaired surrogates become U+FFFD).
std::string Utf8FromWide(std::wstring_view wide);

// A path for a wide Windows call: "/" becomes "\", and a long absolute path
// gets the "\\?\" form that lifts the 260-character limit. Sets errno to
// ENOENT and returns false for a path that is not UTF-8 (no file has such a name).
bool WidePath(const std::string& path, std::wstring& wide);

// A path Windows gave back, in this runtime's form ("\" becomes "/", the
// "\\?\" form undone).
std::string PathFromWide(std::wstring_view wide);

// errno for a Windows error code (GetLastError).
int ErrnoFromWindowsError(unsigned long error);
// Sets errno from GetLastError() and returns false, for `return Fail();`.
bool FailFromLastError();
