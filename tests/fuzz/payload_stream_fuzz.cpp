// The payload reader and the whole extraction, fed the zlib stream as it
// stands: the input follows the resource's length field.
#include <cstddef>
#include <cstdint>
#include <string>

#include "extraction_check.h"
#include "scratch.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  LoadInstallerResources();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  uint32_t length = static_cast<uint32_t>(size);
  std::string resource;
  for (int shift = 0; shift < 32; shift += 8) resource += static_cast<char>(length >> shift & 0xFF);
  resource.append(reinterpret_cast<const char *>(data), size);
  ExtractAndCheck(resource);
  return 0;
}
