#include "payload/payload_reader.h"

#include <zlib.h>

#include <cstring>

#include "core/global_block.h"
#include "core/install_log.h"
#include "payload/archive_format.h"
#include "payload/inflate_ahead.h"

WORD g_payloadFileCount = 0;
DWORD g_payloadTotalSize = 0;
LONG g_payloadDelivered = 0;

namespace {

HGLOBAL g_resource = nullptr;           // loaded and locked while open
const BYTE *g_compressedData = nullptr;  // first byte of the zlib stream
DWORD g_compressedRemaining = 0;        // not yet moved into the window
DWORD g_readOffset = 0;                 // next byte of the compressed data to move
BYTE *g_inputWindow = nullptr;
z_stream g_stream;
bool g_streamReady = false;  // inflateInit succeeded and inflateEnd is due

DWORD ReadLittleEndian32(const BYTE *bytes) {
  return static_cast<DWORD>(bytes[0]) | static_cast<DWORD>(bytes[1]) << 8 | static_cast<DWORD>(bytes[2]) << 16 |
         static_cast<DWORD>(bytes[3]) << 24;
}

bool ReadExactly(void *buffer, DWORD count) { return ReadPayload(buffer, count) == static_cast<LONG>(count); }

// Whether the payload's bytes are those its checksum resource was made of:
// one pass over the locked resource, before a byte of it is inflated. True
// when there is no checksum resource (a payload another tool made).
bool MatchesItsChecksum(HINSTANCE instance, const BYTE *payload, DWORD size) {
  HRSRC found =
      FindResourceA(instance, MAKEINTRESOURCEA(kChecksumResourceName), MAKEINTRESOURCEA(kPayloadResourceType));
  if (!found) {
    LogLine("Payload integrity: no checksum in the installer, not checked");
    return true;
  }
  HGLOBAL loaded = LoadResource(instance, found);
  const BYTE *stored = loaded ? static_cast<const BYTE *>(LockResource(loaded)) : nullptr;
  bool matches = stored && SizeofResource(instance, found) >= kChecksumSize &&
                 ReadLittleEndian32(stored) == crc32(0, payload, size);
  if (loaded) FreeResource(loaded);
  LogLine("Payload integrity: %s", matches ? "the checksum matches" : "the checksum does not match");
  return matches;
}

PayloadOpenResult FailOpening(PayloadOpenResult result) {
  ClosePayload();
  return result;
}

}  // namespace

PayloadOpenResult OpenPayload(HINSTANCE instance) {
  ClosePayload();  // a second opening starts afresh instead of leaking the first
  HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(kPayloadResourceName), MAKEINTRESOURCEA(kPayloadResourceType));
  if (!found) {
    LogLine("Payload: not found in the installer");
    return kPayloadNotFound;
  }

  g_resource = LoadResource(instance, found);
  const BYTE *resourceBytes = g_resource ? static_cast<const BYTE *>(LockResource(g_resource)) : nullptr;
  if (!resourceBytes) return FailOpening(kPayloadCorrupt);

  DWORD resourceSize = SizeofResource(instance, found);
  if (!MatchesItsChecksum(instance, resourceBytes, resourceSize)) return FailOpening(kPayloadCorrupt);
  // The length must describe exactly the bytes that follow it: nothing is
  // ever read beyond the resource.
  if (resourceSize < kCompressedLengthSize) return FailOpening(kPayloadCorrupt);
  DWORD compressedLength = ReadLittleEndian32(resourceBytes);
  if (compressedLength > resourceSize - kCompressedLengthSize) return FailOpening(kPayloadCorrupt);
  g_compressedData = resourceBytes + kCompressedLengthSize;
  g_compressedRemaining = compressedLength;
  g_readOffset = 0;

  memset(&g_stream, 0, sizeof g_stream);  // zlib's own allocators
  g_inputWindow = static_cast<BYTE *>(AllocLocked(kInputWindowSize));
  if (!g_inputWindow) return FailOpening(kPayloadOutOfMemory);
  // zlib fails here only for want of memory; such a stream is never read.
  if (inflateInit(&g_stream) != Z_OK) return FailOpening(kPayloadOutOfMemory);
  g_streamReady = true;

  BYTE fileCount[2];
  BYTE totalSize[4];
  if (!ReadExactly(fileCount, sizeof fileCount) || !ReadExactly(totalSize, sizeof totalSize))
    return FailOpening(kPayloadCorrupt);
  // No archive holds 2^31 bytes or more: such a header is damaged.
  if (ReadLittleEndian32(totalSize) > kMaxArchiveSize) return FailOpening(kPayloadCorrupt);
  g_payloadFileCount = static_cast<WORD>(fileCount[0] | fileCount[1] << 8);
  g_payloadTotalSize = ReadLittleEndian32(totalSize);
  g_payloadDelivered = 0;
  LogLine("Payload: %u files, %u bytes", static_cast<unsigned>(g_payloadFileCount),
          static_cast<unsigned>(g_payloadTotalSize));
  return kPayloadOpened;
}

DWORD InflatePayload(void *buffer, DWORD count) {
  if (!g_streamReady) return 0;
  g_stream.next_out = static_cast<Bytef *>(buffer);
  g_stream.avail_out = count;
  for (;;) {
    if (g_stream.avail_in == 0) {
      DWORD moved = g_compressedRemaining < kInputWindowSize ? g_compressedRemaining : kInputWindowSize;
      if (moved == 0) break;
      memcpy(g_inputWindow, g_compressedData + g_readOffset, moved);
      g_compressedRemaining -= moved;
      g_readOffset += moved;
      g_stream.next_in = g_inputWindow;
      g_stream.avail_in = moved;
    }
    int result = inflate(&g_stream, Z_PARTIAL_FLUSH);
    // A full buffer succeeds whatever inflate said in the same call.
    if (g_stream.avail_out == 0 || result != Z_OK) break;
  }
  return count - g_stream.avail_out;
}

LONG ReadPayload(void *buffer, DWORD count) {
  if (!g_streamReady) return 0;
  // The result is signed 32-bit: larger requests are served in part.
  if (count > static_cast<DWORD>(kMaxArchiveSize)) count = kMaxArchiveSize;
  DWORD delivered = ReadsComeFromAhead() ? TakeInflatedAhead(buffer, count) : InflatePayload(buffer, count);
  // A hostile archive may deliver more than 2^31 bytes in all: wrap, never overflow.
  g_payloadDelivered = static_cast<LONG>(static_cast<DWORD>(g_payloadDelivered) + delivered);
  return static_cast<LONG>(delivered);
}

void ClosePayload() {
  // The thread works on the stream: it ends before anything is let go.
  StopInflatingAhead();
  ForgetInflatingAhead();
  if (g_streamReady) inflateEnd(&g_stream);
  g_streamReady = false;
  memset(&g_stream, 0, sizeof g_stream);
  FreeLocked(g_inputWindow);
  g_inputWindow = nullptr;
  if (g_resource) FreeResource(g_resource);
  g_resource = nullptr;
  g_compressedData = nullptr;
  g_compressedRemaining = 0;
  g_readOffset = 0;
}
