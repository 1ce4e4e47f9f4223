// The media archive appended to the program file.
#pragma once

#include <string>

// Start-up: points both archive readers at the program's own file.
void OpenArchiveReaders(const std::string& programPath);
