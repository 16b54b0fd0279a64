// Finding resource 512/301 inside a Windows executable (PE32 or PE32+).
#pragma once

#include <cstddef>
#include <string>

// True when `image` starts like a PE file ("MZ").
bool LooksLikeExecutable(const std::string &image);

// The offset and size of the payload resource's bytes within the image.
// Every offset is checked against the image; false with a reason otherwise.
bool FindPayloadInExecutable(const std::string &image, size_t &offset, size_t &size, std::string &error);
