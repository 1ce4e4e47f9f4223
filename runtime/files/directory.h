// Folder commands: the current folder, listing it, and the wildcard match
// the listing uses.
#pragma once

#include <cstdint>

#include "runtime/values/rt_array.h"
#include "runtime/values/rt_string.h"

// The current folder with "/" separators and exactly one "/" at its end ("" if unknown).
RtString CurrentDirectory();

// 1.0 when the current folder could be changed to path, else 0.0.
double ChangeDirectory(const RtString& path);

// Turns every "\" of text into "/"; returns the text's length.
int32_t ToForwardSlashes(RtString& text);

// Fills out with the current folder's subfolders (".", ".." included), then
// its other entries whose names match pattern, each group in the order the
// system lists them. Returns folders x 65536 + files.
double ListDirectory(const RtString& pattern, RtArray<RtString>& out);

// 1 when name matches pattern, else 0. Letters match either case; "*" matches
// any run of characters; "?" matches one character other than ".".
int32_t MatchWildcard(const RtString& pattern, const RtString& name);
