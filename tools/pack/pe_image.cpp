#include "tools/pack/pe_image.h"

namespace {

constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr uint32_t kPe32Magic = 0x10B, kPe32PlusMagic = 0x20B;
constexpr size_t kFileHeaderSize = 20, kSectionHeaderSize = 40;

bool Fits(const std::string &bytes, size_t at, size_t size) { return at <= bytes.size() && bytes.size() - at >= size; }

bool IsPowerOfTwo(uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

}  // namespace

uint32_t Get16(const std::string &bytes, size_t at) {
  return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}

uint32_t Get32(const std::string &bytes, size_t at) {
  return Get16(bytes, at) | static_cast<uint32_t>(Get16(bytes, at + 2)) << 16;
}

void Put16(std::string &bytes, size_t at, uint32_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string &bytes, size_t at, uint32_t value) {
  Put16(bytes, at, value & 0xFFFF);
  Put16(bytes, at + 2, value >> 16);
}

PeDirectory PeImage::Directory(const std::string &bytes, unsigned index) const {
  if (index >= directoryCount) return PeDirectory{0, 0};
  return PeDirectory{Get32(bytes, directoryTable + 8 * index), Get32(bytes, directoryTable + 8 * index + 4)};
}

const PeSection *PeImage::SectionAt(uint32_t address) const {
  for (const PeSection &section : sections) {
    uint32_t extent = section.virtualSize ? section.virtualSize : section.rawSize;
    if (address >= section.virtualAddress && address - section.virtualAddress < extent) return &section;
  }
  return nullptr;
}

bool PeImage::FileOffset(uint32_t address, uint32_t size, size_t &offset) const {
  const PeSection *section = SectionAt(address);
  if (!section) return false;
  uint32_t within = address - section->virtualAddress;
  uint32_t held = section->rawSize < section->virtualSize || section->virtualSize == 0 ? section->rawSize
                                                                                       : section->virtualSize;
  if (within > held || held - within < size) return false;
  offset = static_cast<size_t>(section->rawOffset) + within;
  return true;
}

size_t PeImage::EndOfSections() const {
  size_t end = sizeOfHeaders;
  for (const PeSection &section : sections)
    if (section.rawSize && static_cast<size_t>(section.rawOffset) + section.rawSize > end)
      end = static_cast<size_t>(section.rawOffset) + section.rawSize;
  return end;
}

bool ParsePeImage(const std::string &bytes, PeImage &image, std::string &error) {
  if (!Fits(bytes, 0, 0x40) || bytes[0] != 'M' || bytes[1] != 'Z') {
    error = "not a Windows executable (no MZ header)";
    return false;
  }
  size_t peOffset = Get32(bytes, 0x3C);
  if (!Fits(bytes, peOffset, 4 + kFileHeaderSize) || Get32(bytes, peOffset) != kPeSignature) {
    error = "not a PE executable";
    return false;
  }
  size_t fileHeader = peOffset + 4;
  uint32_t sectionCount = Get16(bytes, fileHeader + 2), optionalSize = Get16(bytes, fileHeader + 16);
  image.optionalHeader = fileHeader + kFileHeaderSize;
  if (!Fits(bytes, image.optionalHeader, optionalSize) || optionalSize < 2) {
    error = "damaged PE headers (optional header)";
    return false;
  }
  uint32_t magic = Get16(bytes, image.optionalHeader);
  if (magic != kPe32Magic && magic != kPe32PlusMagic) {
    error = "damaged PE headers (unknown optional header magic)";
    return false;
  }
  image.pe32Plus = magic == kPe32PlusMagic;
  size_t countField = image.pe32Plus ? 108 : 92;
  if (optionalSize < countField + 4) {
    error = "damaged PE headers (optional header too short)";
    return false;
  }
  image.directoryCount = Get32(bytes, image.optionalHeader + countField);
  image.directoryTable = image.optionalHeader + countField + 4;
  if (image.directoryCount > 16 || image.directoryTable + 8 * image.directoryCount > image.optionalHeader + optionalSize) {
    error = "damaged PE headers (data directories)";
    return false;
  }
  image.sectionAlignment = Get32(bytes, image.optionalHeader + 32);
  image.fileAlignment = Get32(bytes, image.optionalHeader + 36);
  image.sizeOfHeaders = Get32(bytes, image.optionalHeader + 60);
  if (!IsPowerOfTwo(image.sectionAlignment) || !IsPowerOfTwo(image.fileAlignment) ||
      image.fileAlignment > image.sectionAlignment) {
    error = "damaged PE headers (alignments)";
    return false;
  }
  size_t table = image.optionalHeader + optionalSize;
  if (sectionCount == 0 || !Fits(bytes, table, kSectionHeaderSize * sectionCount)) {
    error = "damaged section table";
    return false;
  }
  image.sections.clear();
  for (uint32_t i = 0; i < sectionCount; ++i) {
    size_t at = table + kSectionHeaderSize * i;
    PeSection section;
    section.name = bytes.substr(at, 8);
    section.name.resize(section.name.find('\0') == std::string::npos ? 8 : section.name.find('\0'));
    section.virtualSize = Get32(bytes, at + 8);
    section.virtualAddress = Get32(bytes, at + 12);
    section.rawSize = Get32(bytes, at + 16);
    section.rawOffset = Get32(bytes, at + 20);
    section.characteristics = Get32(bytes, at + 36);
    section.headerOffset = at;
    if (section.rawSize && !Fits(bytes, section.rawOffset, section.rawSize)) {
      error = "section " + section.name + " lies outside the file";
      return false;
    }
    if (!image.sections.empty() && section.virtualAddress <= image.sections.back().virtualAddress) {
      error = "damaged section table (sections out of address order)";
      return false;
    }
    image.sections.push_back(section);
  }
  return true;
}

uint32_t PeChecksum(const std::string &bytes, size_t checksumField) {
  uint64_t sum = 0;
  for (size_t at = 0; at < bytes.size(); at += 2) {
    if (at == checksumField || at == checksumField + 2) continue;
    uint32_t word = static_cast<unsigned char>(bytes[at]);
    if (at + 1 < bytes.size()) word |= static_cast<unsigned char>(bytes[at + 1]) << 8;
    sum += word;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint32_t>(sum + bytes.size());
}
