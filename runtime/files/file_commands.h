// File-system commands on named files: existence, deletion and copying.
// These look at real files only, never into the media archive.
#pragma once

#include <cstdint>

#include "runtime/values/rt_string.h"

// 1.0 when the file can be opened for reading (a folder cannot), else 0.0.
double FileExists(const RtString& path);

// Deletes the file; 1 on success, 0 on failure.
int32_t RemoveFile(const RtString& path);

// Copies source to destination, replacing it. Nothing happens when the source
// cannot be opened, or when both name the same file (which a copy would
// destroy). A copy that fails part-way leaves the old destination as it was
// (and one log line when the destination could not be written).
void CopyFileTo(const RtString& source, const RtString& destination);
