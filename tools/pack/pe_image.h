// The headers of a Windows executable (PE32 or PE32+) that the pack tool
// reads and rewrites: the file and optional header fields it needs, the data
// directories and the section table. Every offset is checked on parsing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum DataDirectoryIndex : unsigned {
  kExportDirectory = 0,
  kResourceDirectory = 2,
  kCertificateDirectory = 4,
  kRelocationDirectory = 5,
};

struct PeSection {
  std::string name;  // up to 8 characters
  uint32_t virtualSize, virtualAddress, rawSize, rawOffset, characteristics;
  size_t headerOffset;  // of its 40-byte entry in the section table
};

struct PeDirectory {
  uint32_t address, size;
};

struct PeImage {
  bool pe32Plus = false;
  size_t optionalHeader = 0;   // file offset
  size_t directoryTable = 0;   // file offset of data directory 0
  uint32_t directoryCount = 0;
  uint32_t sectionAlignment = 0, fileAlignment = 0, sizeOfHeaders = 0;
  std::vector<PeSection> sections;  // in table order, which is address order

  PeDirectory Directory(const std::string &bytes, unsigned index) const;
  // The section holding this address, or nullptr.
  const PeSection *SectionAt(uint32_t address) const;
  // The file offset of `size` bytes at `address`, all inside one section's
  // file data; false when they are not.
  bool FileOffset(uint32_t address, uint32_t size, size_t &offset) const;
  // End of the last section's file data: where an overlay would begin.
  size_t EndOfSections() const;
};

// Parses the headers; false with a reason that names the problem.
bool ParsePeImage(const std::string &bytes, PeImage &image, std::string &error);

// Little-endian fields of a byte string.
uint32_t Get16(const std::string &bytes, size_t at);
uint32_t Get32(const std::string &bytes, size_t at);
void Put16(std::string &bytes, size_t at, uint32_t value);
void Put32(std::string &bytes, size_t at, uint32_t value);

// The checksum Windows computes for an image (the one in the optional
// header): 16-bit one's-complement sum with the field itself left out, plus
// the file length.
uint32_t PeChecksum(const std::string &bytes, size_t checksumField);
inline size_t ChecksumField(const PeImage &image) { return image.optionalHeader + 64; }
inline size_t SizeOfImageField(const PeImage &image) { return image.optionalHeader + 56; }
inline size_t SizeOfInitializedDataField(const PeImage &image) { return image.optionalHeader + 8; }

inline uint32_t AlignUp(uint32_t value, uint32_t alignment) { return (value + alignment - 1) / alignment * alignment; }
