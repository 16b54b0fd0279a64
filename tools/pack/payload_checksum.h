// The payload's checksum resource, 512/302: the CRC-32 of resource 512/301,
// which the installer checks before its first dialog.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The bytes of resource 512/302 for these payload resource bytes: the
// CRC-32, little-endian, then the number of the ANSI code page the names are
// stored in (2 bytes, little-endian), which the installer does not read but
// list and verify do. Code page 0: none recorded, the CRC-32 alone.
std::string ChecksumResourceFor(const unsigned char *resource, size_t size, unsigned codePage);
std::string ChecksumResourceFor(const std::string &resource, unsigned codePage = 0);
// The code page a stored checksum resource records, or 0 (an installer
// packed before it was recorded).
unsigned RecordedCodePage(const unsigned char *stored, size_t storedSize);

// A stored checksum resource against the payload resource. True when it
// matches; `verdict` says so, or names the problem.
bool CheckStoredChecksum(const unsigned char *stored, size_t storedSize, const unsigned char *resource, size_t size,
                         std::string &verdict);
