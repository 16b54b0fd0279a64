// Payloads for tests: made with the pack tool's own writer, or crafted byte
// for byte, and put into the stand-in as resource 512/301 with its checksum.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/pack/archive_writer.h"  // ArchiveEntry

// The resource bytes (4-byte length + zlib stream) that the pack tool writes
// for these entries.
std::string BuildPayloadResource(const std::vector<ArchiveEntry> &entries);

// Raw variant: the resource for an archive given byte for byte, compressed
// with the pack tool's compressor, or with zlib at `zlibLevel` (0 stores the
// bytes, so the compressed size is predictable).
std::string BuildPayloadResourceFromArchive(const std::string &archive);
std::string BuildPayloadResourceFromArchive(const std::string &archive, int zlibLevel);

// The resource around any byte string taken as the zlib stream: the length
// field says exactly the stream's size unless `declaredLength` overrides it.
std::string PayloadResourceAround(const std::string &stream, std::optional<uint32_t> declaredLength = {});

// An archive of these entries with any name bytes (each written as its
// length + 1, the bytes and a zero), and the header's file count or total
// size replaced when given.
struct ArchiveHeaderOverride {
  std::optional<uint16_t> fileCount;
  std::optional<uint32_t> totalSize;
};
std::string BuildArchiveBytes(const std::vector<ArchiveEntry> &entries, const ArchiveHeaderOverride &header = {});

// One entry field by field, for lengths and sizes that do not match the bytes.
std::string RawEntryBytes(uint8_t nameLength, const std::string &nameBytes, uint32_t dataSize, const std::string &data);

// zlib stream of the bytes at a zlib level (-1 default .. 9).
std::string ZlibStream(const std::string &bytes, int zlibLevel);

// Puts the resource into the stand-in as type 512, name 301, language 1033,
// with its checksum as 512/302 as the pack tool writes it, or with none, as
// from a tool that writes none.
enum class PayloadChecksum { kMatching, kNone };
void InstallPayload(const std::string &resourceBytes, PayloadChecksum checksum = PayloadChecksum::kMatching);
// Puts these bytes in place of resource 512/302.
void InstallChecksumResource(const std::string &bytes);
// Takes resource 512/301 away.
void RemovePayload();
