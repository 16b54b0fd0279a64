// Packs a mixed folder, then reads the payload back through the installer's
// reader in the extraction's pattern (name length, name, data size, then
// 2,048-byte chunks) and, in the same run, with one-shot inflate into memory.
// Also reports the reader's peak heap use for a 5 MB and a 50 MB payload.
#include <malloc.h>
#include <unistd.h>
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/bench_folder.h"
#include "payload/archive_format.h"
#include "payload/payload_reader.h"
#include "tools/pack/pack_payload.h"
#include "tools/pack/payload_source.h"
#include "win32sim/testapi.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

size_t HeapInUse() {
  struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

struct Packed {
  std::string resource;
  uint64_t archiveSize = 0;
  double seconds = 0;
};

bool PackFolder(const std::string &folder, const std::string &output, Packed &packed) {
  std::vector<SourceFile> files;
  std::string error;
  PackSummary summary;
  auto start = Clock::now();
  if (!CollectFolder(folder, files, error) || !OrderAndCheckSources(files, "lume32.exe", error) ||
      !PackPayload(files, output, false, summary, error)) {
    fprintf(stderr, "pack: %s\n", error.c_str());
    return false;
  }
  packed.seconds = SecondsSince(start);
  packed.archiveSize = summary.archiveSize;
  std::ifstream in(output, std::ios::binary);
  packed.resource.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

// Reads every entry as the extraction does; the bytes delivered, or 0 on a
// short read. peakHeap is the most heap in use, above the level before opening.
uint64_t ReadAsExtraction(const std::string &resource, size_t &peakHeap) {
  sim::Reset();
  sim::SetResource(kPayloadResourceType, kPayloadResourceName, resource);
  size_t baseline = HeapInUse();
  peakHeap = 0;
  auto sample = [&] {
    size_t inUse = HeapInUse();
    if (inUse > baseline && inUse - baseline > peakHeap) peakHeap = inUse - baseline;
  };
  if (OpenPayload(nullptr) != kPayloadOpened) return 0;
  sample();
  char chunk[2048];
  unsigned char nameLength;
  char name[256];
  DWORD size;
  bool complete = true;
  for (WORD entry = 0; entry < g_payloadFileCount && complete; ++entry) {
    complete = ReadPayload(&nameLength, 1) == 1 && ReadPayload(name, nameLength) == nameLength &&
               ReadPayload(&size, 4) == 4;
    for (DWORD left = complete ? size : 0; left > 0 && complete;) {
      DWORD piece = left < sizeof chunk ? left : sizeof chunk;
      complete = ReadPayload(chunk, piece) == static_cast<LONG>(piece);
      left -= piece;
      sample();
    }
  }
  uint64_t delivered = static_cast<DWORD>(g_payloadDelivered) + 6u;
  ClosePayload();
  return complete ? delivered : 0;
}

// Seconds of one-shot inflate into memory that is already allocated and
// touched, so that only decompression is timed; negative on failure.
double InflateAtOnceSeconds(const std::string &resource, uint64_t archiveSize) {
  std::vector<unsigned char> archive(archiveSize, 1);
  uLongf size = static_cast<uLongf>(archiveSize);
  auto start = Clock::now();
  int result = uncompress(archive.data(), &size, reinterpret_cast<const Bytef *>(resource.data()) + kCompressedLengthSize,
                          static_cast<uLong>(resource.size() - kCompressedLengthSize));
  double seconds = SecondsSince(start);
  return result == Z_OK && size == archiveSize ? seconds : -1;
}

size_t ZlibLevel9Size(const std::string &resource, uint64_t archiveSize) {
  std::vector<unsigned char> archive(archiveSize);
  uLongf size = static_cast<uLongf>(archiveSize);
  uncompress(archive.data(), &size, reinterpret_cast<const Bytef *>(resource.data()) + kCompressedLengthSize,
             static_cast<uLong>(resource.size() - kCompressedLengthSize));
  uLongf packedSize = compressBound(size);
  std::vector<unsigned char> packed(packedSize);
  compress2(packed.data(), &packedSize, archive.data(), size, 9);
  return packedSize;
}

double MegabytesPerSecond(uint64_t bytes, double seconds) { return bytes / 1e6 / seconds; }

}  // namespace

int main() {
  namespace fs = std::filesystem;
  fs::path work = fs::temp_directory_path() / ("payload_bench." + std::to_string(getpid()));
  fs::create_directories(work);
  int status = 1;
  Packed large, small;
  if (!MakeBenchFolder((work / "large").string(), 50000000) || !MakeBenchFolder((work / "small").string(), 5000000)) {
    fprintf(stderr, "cannot write the bench folders below %s\n", work.c_str());
  } else if (PackFolder((work / "large").string(), (work / "large.bin").string(), large) &&
             PackFolder((work / "small").string(), (work / "small.bin").string(), small)) {
    printf("packed %.1f MB into %.1f MB (libdeflate 12, %.1f s); zlib level 9 would give %.1f MB\n",
           large.archiveSize / 1e6, large.resource.size() / 1e6, large.seconds,
           ZlibLevel9Size(large.resource, large.archiveSize) / 1e6);

    // Best of three runs each, alternating, so neither gains from a warm cache alone.
    size_t peakLarge = 0, peakSmall = 0;
    uint64_t delivered = 0;
    double readerSeconds = 1e9, oneShotSeconds = 1e9;
    bool inflated = true;
    for (int run = 0; run < 3; ++run) {
      auto start = Clock::now();
      delivered = ReadAsExtraction(large.resource, peakLarge);
      readerSeconds = std::min(readerSeconds, SecondsSince(start));
      double seconds = InflateAtOnceSeconds(large.resource, large.archiveSize);
      inflated = inflated && seconds >= 0;
      oneShotSeconds = std::min(oneShotSeconds, seconds);
    }
    bool smallRead = ReadAsExtraction(small.resource, peakSmall) == small.archiveSize;

    if (delivered != large.archiveSize || !inflated || !smallRead) {
      fprintf(stderr, "the payload did not read back in full\n");
    } else {
      double reader = MegabytesPerSecond(delivered, readerSeconds);
      double oneShot = MegabytesPerSecond(large.archiveSize, oneShotSeconds);
      printf("payload reader, 2,048-byte reads: %8.1f MB/s\n", reader);
      printf("one-shot inflate into memory:     %8.1f MB/s\n", oneShot);
      printf("reader / one-shot:                %8.2f\n", reader / oneShot);
      if (HeapInUse() == 0)
        printf("peak heap of the reader: not measurable in this build (sanitizer allocator)\n");
      else
        printf("peak heap of the reader: %zu bytes for %.0f MB, %zu bytes for %.0f MB\n", peakSmall,
               small.archiveSize / 1e6, peakLarge, large.archiveSize / 1e6);
      status = 0;
    }
  }
  std::error_code ignored;
  fs::remove_all(work, ignored);
  return status;
}
