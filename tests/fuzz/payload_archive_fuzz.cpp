// The payload reader and the whole extraction, fed a decompressed archive
// that is compressed here, so the fuzzer works on the archive's structure
// (header, names, sizes) rather than on deflate errors.
#include <zlib.h>

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
  uLongf streamSize = compressBound(static_cast<uLong>(size));
  std::string resource(4 + streamSize, '\0');
  int compressed = compress2(reinterpret_cast<Bytef *>(&resource[4]), &streamSize, data, static_cast<uLong>(size),
                             Z_BEST_SPEED);
  Require(compressed == Z_OK, "zlib compresses the archive");
  resource.resize(4 + streamSize);
  for (int i = 0; i < 4; ++i) resource[i] = static_cast<char>(streamSize >> (8 * i) & 0xFF);
  ExtractAndCheck(resource);
  return 0;
}
