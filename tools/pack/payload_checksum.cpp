#include "tools/pack/payload_checksum.h"

#include <zlib.h>

#include <cstdio>

#include "payload/archive_format.h"

namespace {

uint32_t PayloadChecksum(const unsigned char *resource, size_t size) {
  return static_cast<uint32_t>(crc32_z(0, resource, size));
}

std::string Hex(uint32_t value) {
  char text[9];
  snprintf(text, sizeof text, "%08x", value);
  return text;
}

}  // namespace

std::string ChecksumResourceFor(const unsigned char *resource, size_t size, unsigned codePage) {
  uint32_t crc = PayloadChecksum(resource, size);
  std::string bytes(kChecksumSize, '\0');
  for (uint32_t i = 0; i < kChecksumSize; ++i) bytes[i] = static_cast<char>(crc >> (8 * i));
  if (codePage != 0) {
    bytes += static_cast<char>(codePage & 0xFF);
    bytes += static_cast<char>((codePage >> 8) & 0xFF);
  }
  return bytes;
}

std::string ChecksumResourceFor(const std::string &resource, unsigned codePage) {
  return ChecksumResourceFor(reinterpret_cast<const unsigned char *>(resource.data()), resource.size(), codePage);
}

unsigned RecordedCodePage(const unsigned char *stored, size_t storedSize) {
  if (storedSize < kChecksumSize + 2) return 0;
  return stored[kChecksumSize] | static_cast<unsigned>(stored[kChecksumSize + 1]) << 8;
}

bool CheckStoredChecksum(const unsigned char *stored, size_t storedSize, const unsigned char *resource, size_t size,
                         std::string &verdict) {
  if (storedSize < kChecksumSize) {
    verdict = "checksum resource 512/302 holds " + std::to_string(storedSize) + " bytes, fewer than " +
              std::to_string(kChecksumSize) + ": the installer is damaged";
    return false;
  }
  uint32_t kept = 0;
  for (uint32_t i = 0; i < kChecksumSize; ++i) kept |= static_cast<uint32_t>(stored[i]) << (8 * i);
  uint32_t actual = PayloadChecksum(resource, size);
  if (kept != actual) {
    verdict = "checksum mismatch: resource 512/302 holds CRC-32 " + Hex(kept) + ", the payload's is " + Hex(actual) +
              ": the installer is damaged";
    return false;
  }
  verdict = "checksum " + Hex(actual) + " matches (resource 512/302)";
  return true;
}
