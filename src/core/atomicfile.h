#pragma once
// Whole-file writes that never leave half a file: the bytes go to a temporary file beside
// the target, are flushed to the disk, and only then renamed over it.

#include <string>

// False on any failure, with errno's value in error; the old file is then untouched and
// the temporary one removed.
bool writeFileAtomically(const std::string& path, const std::string& bytes, int& error);
