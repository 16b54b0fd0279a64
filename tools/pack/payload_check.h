// Reading a payload resource back in full: its entries for `list`, and every
// rule of the two formats for `verify`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ListedEntry {
  std::string name;
  uint32_t size;
};

struct PayloadReport {
  uint32_t compressedLength = 0;  // as the resource declares it
  bool highestLevelHeader = false;  // the stream starts with 78 DA
  bool headerRead = false;
  uint16_t fileCount = 0;
  uint32_t totalSize = 0;
  std::vector<ListedEntry> entries;
  std::vector<std::string> problems;  // empty when the payload is sound
};

// Inflates the resource bytes to the end (only a window at a time is held):
// the Adler-32 trailer, the total size, the entry rules, and that nothing
// follows the last entry or the stream.
PayloadReport CheckPayload(const unsigned char *resource, size_t size);
