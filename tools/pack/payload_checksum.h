// The payload's checksum resource, 512/302: the CRC-32 of resource 512/301,
// which the installer checks before its first dialog.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The bytes of resource 512/302 for these payload resource bytes.
std::string ChecksumResourceFor(const unsigned char *resource, size_t size);
std::string ChecksumResourceFor(const std::string &resource);

// A stored checksum resource against the payload resource. True when it
// matches; `verdict` says so, or names the problem.
bool CheckStoredChecksum(const unsigned char *stored, size_t storedSize, const unsigned char *resource, size_t size,
                         std::string &verdict);
