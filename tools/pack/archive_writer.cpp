#include "tools/pack/archive_writer.h"

#include <libdeflate.h>

#include <cstring>

#include "payload/archive_format.h"
#include "payload/entry_name.h"

namespace {

constexpr int kHighestLevel = 12;

void AppendLittleEndian(std::string &out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Characters that no Windows file or folder name may hold.
bool IsForbiddenInWindowsName(unsigned char c) { return c < 0x20 || strchr("<>:\"|?*", c) != nullptr; }

}  // namespace

std::string EntryNameProblem(const std::string &name) {
  if (name.empty()) return "an empty name";
  if (name.size() > kMaxEntryNameLength - 1)
    return "a name of " + std::to_string(name.size()) + " bytes (at most " + std::to_string(kMaxEntryNameLength - 1) +
           " can be stored)";
  size_t marks = 0;
  for (unsigned char c : name) {
    if (c == '\\' || c == '/') return "a '\\' or '/' in a name";
    if (c == '$') return "a '$' in a name (the installed-file records read it back as a folder separator)";
    if (c == static_cast<unsigned char>(kSubdirectoryMark)) ++marks;
    else if (IsForbiddenInWindowsName(c)) return "a character that Windows does not allow in file names";
  }
  if (marks == 0 && IsUnextractedRecordName(name.data(), name.size()))
    return "a top-level file named DEF.TVD (the installed-file records use that name for a marker naming no file)";
  if (marks > 1) return "a '!' in a file or folder name";
  if (marks == 1 && (name.front() == kSubdirectoryMark || name.back() == kSubdirectoryMark))
    return "an empty file or folder name around '!'";
  if (!IsSafeEntryName(name.c_str(), name.size() + 1))
    return "a name that Windows would not write as given (a device name such as CON or NUL, or a name ending in a "
           "dot or blank)";
  return "";
}

uint64_t EntryTotalSize(size_t nameBytes, uint64_t dataSize) { return 1 + (nameBytes + 1) + dataSize; }

void AppendArchiveHeader(std::string &archive, uint16_t fileCount, uint32_t totalSize) {
  AppendLittleEndian(archive, fileCount, 2);
  AppendLittleEndian(archive, totalSize, 4);
}

void AppendEntryName(std::string &archive, const std::string &name) {
  archive += static_cast<char>(static_cast<unsigned char>(name.size() + 1));
  archive += name;
  archive += '\0';
}

void AppendDataSize(std::string &archive, uint32_t dataSize) { AppendLittleEndian(archive, dataSize, 4); }

std::string BuildArchive(const std::vector<ArchiveEntry> &entries) {
  uint64_t total = 0;
  size_t bytes = kArchiveHeaderSize;
  for (const ArchiveEntry &entry : entries) {
    total += EntryTotalSize(entry.name.size(), entry.data.size());
    bytes += 1 + entry.name.size() + 1 + 4 + entry.data.size();
  }
  std::string archive;
  archive.reserve(bytes);
  AppendArchiveHeader(archive, static_cast<uint16_t>(entries.size()), static_cast<uint32_t>(total));
  for (const ArchiveEntry &entry : entries) {
    AppendEntryName(archive, entry.name);
    AppendDataSize(archive, static_cast<uint32_t>(entry.data.size()));
    archive += entry.data;
  }
  return archive;
}

bool CompressArchive(const std::string &archive, std::string &stream) {
  libdeflate_compressor *compressor = libdeflate_alloc_compressor(kHighestLevel);
  if (!compressor) return false;
  size_t bound = libdeflate_zlib_compress_bound(compressor, archive.size());
  stream.assign(bound, '\0');
  size_t written = libdeflate_zlib_compress(compressor, archive.data(), archive.size(), &stream[0], bound);
  libdeflate_free_compressor(compressor);
  stream.resize(written);
  return written != 0;
}

std::string PayloadResourceBytes(const std::string &stream) {
  std::string resource;
  resource.reserve(kCompressedLengthSize + stream.size());
  AppendLittleEndian(resource, static_cast<uint32_t>(stream.size()), 4);
  resource += stream;
  return resource;
}
