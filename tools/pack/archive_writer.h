// Writing the payload: the archive, its zlib stream and the resource bytes.
// Shared by the pack tool, the benchmark and the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ArchiveEntry {
  std::string name;  // as stored, without the terminating zero: "quick.txt", "DEFSCR!SCRIPTS"
  std::string data;
};

inline bool operator==(const ArchiveEntry &a, const ArchiveEntry &b) { return a.name == b.name && a.data == b.data; }

// What the format cannot carry about a stored name, or "" when it is fine:
// empty, longer than kMaxEntryNameLength - 1 bytes, a '\' or '/', more than
// one '!', an empty side of the '!', a character Windows refuses in names, or
// what the installed-file records could not carry back (a '$', a top-level
// DEF.TVD); then anything else the installer would refuse.
std::string EntryNameProblem(const std::string &name);

// The total size field: every byte of the entries except the data-size fields.
uint64_t EntryTotalSize(size_t nameBytes, uint64_t dataSize);

// Little-endian fields, appended.
void AppendArchiveHeader(std::string &archive, uint16_t fileCount, uint32_t totalSize);
void AppendEntryName(std::string &archive, const std::string &name);  // length byte, name, zero
void AppendDataSize(std::string &archive, uint32_t dataSize);

// The archive of these entries, header included. Checks nothing: the caller
// has vetted names and sizes (see EntryNameProblem).
std::string BuildArchive(const std::vector<ArchiveEntry> &entries);

// zlib stream of the archive at the highest level (libdeflate 12, header
// 78 DA). False only when memory runs out.
bool CompressArchive(const std::string &archive, std::string &stream);

// The resource: the stream's length as 4 bytes, then the stream.
std::string PayloadResourceBytes(const std::string &stream);
