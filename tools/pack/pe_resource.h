// Finding the payload's resources, 512/301 and its checksum 512/302, inside a
// Windows executable (PE32 or PE32+).
#pragma once

#include <cstddef>
#include <string>

// True when `image` starts like a PE file ("MZ").
bool LooksLikeExecutable(const std::string &image);

// The offset and size of the bytes of resource 512/`name` (its first
// language) within the image. Every offset is checked against the image;
// false with a reason otherwise.
bool FindResourceInExecutable(const std::string &image, int name, size_t &offset, size_t &size, std::string &error);
// The same for the payload resource, 512/301.
bool FindPayloadInExecutable(const std::string &image, size_t &offset, size_t &size, std::string &error);
