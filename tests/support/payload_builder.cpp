#include "support/payload_builder.h"

#include <zlib.h>

#include "payload/archive_format.h"
#include "tools/pack/payload_checksum.h"
#include "win32sim/testapi.h"

std::string BuildPayloadResource(const std::vector<ArchiveEntry> &entries) {
  return BuildPayloadResourceFromArchive(BuildArchive(entries));
}

std::string BuildPayloadResourceFromArchive(const std::string &archive) {
  std::string stream;
  if (!CompressArchive(archive, stream)) return "";
  return PayloadResourceBytes(stream);
}

std::string BuildPayloadResourceFromArchive(const std::string &archive, int zlibLevel) {
  return PayloadResourceBytes(ZlibStream(archive, zlibLevel));
}

std::string PayloadResourceAround(const std::string &stream, std::optional<uint32_t> declaredLength) {
  std::string resource = PayloadResourceBytes(stream);
  if (declaredLength) {
    std::string length;
    AppendDataSize(length, *declaredLength);  // the same little-endian 32-bit field
    resource.replace(0, kCompressedLengthSize, length);
  }
  return resource;
}

std::string BuildArchiveBytes(const std::vector<ArchiveEntry> &entries, const ArchiveHeaderOverride &header) {
  uint64_t total = 0;
  for (const ArchiveEntry &entry : entries) total += EntryTotalSize(entry.name.size(), entry.data.size());
  std::string archive;
  AppendArchiveHeader(archive, header.fileCount.value_or(static_cast<uint16_t>(entries.size())),
                      header.totalSize.value_or(static_cast<uint32_t>(total)));
  for (const ArchiveEntry &entry : entries) {
    AppendEntryName(archive, entry.name);
    AppendDataSize(archive, static_cast<uint32_t>(entry.data.size()));
    archive += entry.data;
  }
  return archive;
}

std::string RawEntryBytes(uint8_t nameLength, const std::string &nameBytes, uint32_t dataSize, const std::string &data) {
  std::string entry(1, static_cast<char>(nameLength));
  entry += nameBytes;
  AppendDataSize(entry, dataSize);
  entry += data;
  return entry;
}

std::string ZlibStream(const std::string &bytes, int zlibLevel) {
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  std::string stream(size, '\0');
  if (compress2(reinterpret_cast<Bytef *>(&stream[0]), &size, reinterpret_cast<const Bytef *>(bytes.data()),
                static_cast<uLong>(bytes.size()), zlibLevel) != Z_OK)
    return "";
  stream.resize(size);
  return stream;
}

void InstallPayload(const std::string &resourceBytes, PayloadChecksum checksum) {
  sim::SetResource(kPayloadResourceType, kPayloadResourceName, resourceBytes);
  if (checksum == PayloadChecksum::kMatching)
    InstallChecksumResource(ChecksumResourceFor(resourceBytes));
  else
    sim::RemoveResource(kPayloadResourceType, kChecksumResourceName);
}

void InstallChecksumResource(const std::string &bytes) {
  sim::SetResource(kPayloadResourceType, kChecksumResourceName, bytes);
}

void RemovePayload() { sim::RemoveResource(kPayloadResourceType, kPayloadResourceName); }
