// The payload's two formats, shared by the reader, the extraction and the
// pack tool (which is built without <windows.h>, hence the plain types).
//
// Resource 512/301: a 4-byte little-endian compressed length, then a zlib
// stream of exactly that many bytes. Decompressed, the archive is a 2-byte
// file count, a 4-byte total size, then per entry: a 1-byte name length
// (terminating zero included), the name, a 4-byte data size and the data.
//
// Resource 512/302, beside it in the same language: the little-endian CRC-32
// (zlib's crc32) of every byte of 512/301 as SizeofResource gives them, so
// that a damaged installer is refused before anything is written. Later
// fields may follow the first 4 bytes and are not read; a 512/302 shorter
// than 4 bytes is damaged. A payload without one (made by another tool) is
// installed unchecked.
#pragma once

#include <cstdint>

constexpr int kPayloadResourceType = 512;
constexpr int kPayloadResourceName = 301;
constexpr int kChecksumResourceName = 302;
constexpr uint32_t kChecksumSize = 4;
constexpr unsigned kMaxEntryNameLength = 52;  // name bytes, terminating zero included
constexpr uint32_t kInputWindowSize = 65528;  // 0xFFF8: compressed bytes handed to zlib at a time

constexpr uint32_t kCompressedLengthSize = 4;
constexpr uint32_t kArchiveHeaderSize = 6;           // file count and total size
constexpr uint32_t kMaxArchiveSize = 0x7FFFFFFF;     // data sizes and the total stay below 2^31
constexpr uint32_t kMaxFileCount = 0xFFFF;
constexpr char kSubdirectoryMark = '!';              // "file!subdirectory"
