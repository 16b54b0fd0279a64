// The files the pack tool writes: whole or not at all, and only ever a
// regular file or a name not yet taken.
#pragma once

#include <string>

// Refuses an output that is anything but a regular file or a free name (a
// device, a folder, a FIFO, a symbolic link), with the reason; then writes
// `bytes` to a new file beside `path` and renames it there, so that a failure
// leaves neither a half file nor the temporary one.
bool WriteWholeFile(const std::string &path, const std::string &bytes, std::string &error);
// Reads a whole input file; the error names it and the system's reason.
bool ReadWholeFile(const std::string &path, std::string &contents, std::string &error);
