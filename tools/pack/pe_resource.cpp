#include "tools/pack/pe_resource.h"

#include <cstdint>
#include <vector>

#include "payload/archive_format.h"

namespace {

constexpr uint32_t kSubdirectoryFlag = 0x80000000;
constexpr int kMaxDirectoryEntries = 0x10000;

// Little-endian reads that fail instead of leaving the image.
struct Image {
  const std::string &bytes;
  bool Read16(size_t at, uint32_t &value) const {
    if (at > bytes.size() || bytes.size() - at < 2) return false;
    value = Byte(at) | Byte(at + 1) << 8;
    return true;
  }
  bool Read32(size_t at, uint32_t &value) const {
    if (at > bytes.size() || bytes.size() - at < 4) return false;
    value = Byte(at) | Byte(at + 1) << 8 | Byte(at + 2) << 16 | static_cast<uint32_t>(Byte(at + 3)) << 24;
    return true;
  }
  uint32_t Byte(size_t at) const { return static_cast<unsigned char>(bytes[at]); }
};

struct Section {
  uint32_t address, virtualSize, rawSize, rawOffset;
};

// The entry with this numeric id in a resource directory at `directory`
// (an offset within the image); its value is returned as is.
bool FindDirectoryEntry(const Image &image, size_t directory, uint32_t id, bool firstAny, uint32_t &value) {
  uint32_t named, numbered;
  if (!image.Read16(directory + 12, named) || !image.Read16(directory + 14, numbered)) return false;
  uint32_t count = named + numbered;
  if (count > kMaxDirectoryEntries) return false;
  for (uint32_t i = 0; i < count; ++i) {
    size_t at = directory + 16 + 8 * static_cast<size_t>(i);
    uint32_t name, offset;
    if (!image.Read32(at, name) || !image.Read32(at + 4, offset)) return false;
    if (firstAny || (!(name & kSubdirectoryFlag) && name == id)) {
      value = offset;
      return true;
    }
  }
  return false;
}

}  // namespace

bool LooksLikeExecutable(const std::string &image) { return image.size() >= 2 && image[0] == 'M' && image[1] == 'Z'; }

bool FindResourceInExecutable(const std::string &bytes, int name, size_t &offset, size_t &size, std::string &error) {
  const uint32_t nameId = static_cast<uint32_t>(name);
  const std::string resource = "resource " + std::to_string(kPayloadResourceType) + "/" + std::to_string(name);
  Image image{bytes};
  uint32_t peOffset, signature, sectionCount, optionalSize, magic;
  if (!image.Read32(0x3C, peOffset) || !image.Read32(peOffset, signature) || signature != 0x00004550) {
    error = "not a PE executable";
    return false;
  }
  size_t fileHeader = static_cast<size_t>(peOffset) + 4, optional = fileHeader + 20;
  if (!image.Read16(fileHeader + 2, sectionCount) || !image.Read16(fileHeader + 16, optionalSize) ||
      !image.Read16(optional, magic) || (magic != 0x10B && magic != 0x20B)) {
    error = "damaged PE headers";
    return false;
  }
  // The resource directory is data directory 2; its table starts at 96 (PE32) or 112 (PE32+).
  size_t directories = optional + (magic == 0x10B ? 96 : 112);
  uint32_t directoryCount, resourceAddress;
  if (!image.Read32(directories - 4, directoryCount) || directoryCount < 3 ||
      !image.Read32(directories + 16, resourceAddress) || resourceAddress == 0) {
    error = "the executable has no resources";
    return false;
  }
  std::vector<Section> sections;
  size_t sectionTable = optional + optionalSize;
  for (uint32_t i = 0; i < sectionCount; ++i) {
    size_t at = sectionTable + 40 * static_cast<size_t>(i);
    Section s;
    if (!image.Read32(at + 8, s.virtualSize) || !image.Read32(at + 12, s.address) || !image.Read32(at + 16, s.rawSize) ||
        !image.Read32(at + 20, s.rawOffset)) {
      error = "damaged section table";
      return false;
    }
    sections.push_back(s);
  }
  auto fileOffsetOf = [&](uint32_t address, uint64_t &fileOffset) {
    for (const Section &s : sections) {
      uint32_t extent = s.rawSize < s.virtualSize || s.virtualSize == 0 ? s.rawSize : s.virtualSize;
      if (address >= s.address && address - s.address < extent) {
        fileOffset = static_cast<uint64_t>(s.rawOffset) + (address - s.address);
        return fileOffset < bytes.size();
      }
    }
    return false;
  };
  uint64_t root;
  if (!fileOffsetOf(resourceAddress, root)) {
    error = "the resource directory lies outside the file";
    return false;
  }
  uint32_t typeEntry, nameEntry, languageEntry;
  if (!FindDirectoryEntry(image, root, kPayloadResourceType, false, typeEntry) || !(typeEntry & kSubdirectoryFlag) ||
      !FindDirectoryEntry(image, root + (typeEntry & ~kSubdirectoryFlag), nameId, false, nameEntry) ||
      !(nameEntry & kSubdirectoryFlag) ||
      !FindDirectoryEntry(image, root + (nameEntry & ~kSubdirectoryFlag), 0, true, languageEntry) ||
      (languageEntry & kSubdirectoryFlag)) {
    error = "the executable has no " + resource;
    return false;
  }
  uint32_t dataAddress, dataSize;
  uint64_t dataOffset;
  if (!image.Read32(root + languageEntry, dataAddress) || !image.Read32(root + languageEntry + 4, dataSize) ||
      !fileOffsetOf(dataAddress, dataOffset) || dataSize > bytes.size() - dataOffset) {
    error = resource + " lies outside the file";
    return false;
  }
  offset = static_cast<size_t>(dataOffset);
  size = dataSize;
  return true;
}

bool FindPayloadInExecutable(const std::string &image, size_t &offset, size_t &size, std::string &error) {
  return FindResourceInExecutable(image, kPayloadResourceName, offset, size, error);
}
