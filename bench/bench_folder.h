// A deterministic folder of mixed files to pack: text, bytes that look
// already compressed, and repetitive binary, about a third of each.
#pragma once

#include <cstdint>
#include <string>

// Creates the folder (which must not exist) with about `bytes` bytes of
// files, lume32.exe among them, and one subfolder. False on a write error.
bool MakeBenchFolder(const std::string &folder, uint64_t bytes);
