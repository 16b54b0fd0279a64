#include "tools/pack/stub_installer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "payload/archive_format.h"
#include "tools/pack/payload_checksum.h"
#include "tools/pack/pe_image.h"
#include "tools/pack/resource_tree.h"

namespace {

constexpr size_t kMaxModuleName = 256;

// The payload and its checksum, which come and go together.
bool IsPayloadOrChecksum(const ResourceItem &item) {
  return item.type == NumberedId(kPayloadResourceType) &&
         (item.name == NumberedId(kPayloadResourceName) || item.name == NumberedId(kChecksumResourceName));
}

ResourceItem PayloadItem(int name, const std::string &bytes) {
  ResourceItem item;
  item.type = NumberedId(kPayloadResourceType);
  item.name = NumberedId(static_cast<uint32_t>(name));
  item.language = kPayloadLanguage;
  item.bytes = bytes;
  return item;
}

uint32_t LoadedSize(const PeSection &section) { return section.virtualSize ? section.virtualSize : section.rawSize; }

// The resource section's index when it can be rebuilt in place: it holds the
// tree alone, and only the base relocations follow it, which nothing but
// their data directory refers to.
bool FindRebuildableResources(const std::string &bytes, const PeImage &image, size_t &index, std::string &error) {
  PeDirectory resources = image.Directory(bytes, kResourceDirectory);
  const PeSection *section = image.SectionAt(resources.address);
  if (!resources.address || !section) {
    error = "the stub has no resources (its dialogs are missing)";
    return false;
  }
  index = static_cast<size_t>(section - image.sections.data());
  if (resources.address != section->virtualAddress) {
    error = "the resources share section " + section->name + " with other data";
    return false;
  }
  uint32_t relocations = image.Directory(bytes, kRelocationDirectory).address;
  for (size_t i = index + 1; i < image.sections.size(); ++i)
    if (!relocations || image.sections[i].virtualAddress != relocations) {
      error = "section " + image.sections[i].name + " follows the resources and cannot be moved";
      return false;
    }
  for (unsigned d = 0; d < image.directoryCount; ++d) {
    if (d == kResourceDirectory || d == kRelocationDirectory) continue;
    const PeSection *holder = image.SectionAt(image.Directory(bytes, d).address);
    if (image.Directory(bytes, d).address && holder && holder >= section) {
      error = "data directory " + std::to_string(d) + " points into the resources or what follows them";
      return false;
    }
  }
  const PeSection *entry = image.SectionAt(Get32(bytes, image.optionalHeader + 16));
  if (entry && entry >= section) {
    error = "the entry point lies in the resources or what follows them";
    return false;
  }
  for (size_t i = 0; i < index; ++i)
    if (image.sections[i].rawSize && image.sections[i].rawOffset + image.sections[i].rawSize > section->rawOffset) {
      error = "the file data of section " + image.sections[i].name + " lies after the resources";
      return false;
    }
  return true;
}

std::string Padded(std::string bytes, uint32_t alignment) {
  bytes.resize(AlignUp(static_cast<uint32_t>(bytes.size()), alignment), '\0');
  return bytes;
}

}  // namespace

std::string ExportModuleName(const std::string &bytes) {
  PeImage image;
  std::string ignored;
  if (!ParsePeImage(bytes, image, ignored)) return "";
  PeDirectory exports = image.Directory(bytes, kExportDirectory);
  size_t table, name;
  if (!exports.address || !image.FileOffset(exports.address, 40, table) ||
      !image.FileOffset(Get32(bytes, table + 12), 1, name))
    return "";
  size_t end = bytes.find('\0', name);
  if (end == std::string::npos || end - name > kMaxModuleName) return "";
  return bytes.substr(name, end - name);
}

bool BuildInstallerFromStub(const std::string &stub, const std::string &payloadResource, bool replace, unsigned codePage,
                            std::string &installer, std::string &error) {
  PeImage image;
  if (!ParsePeImage(stub, image, error)) return false;
  std::string module = ExportModuleName(stub);
  if (module != kStubModuleName) {
    error = "not an installer stub (export module name " + (module.empty() ? "missing" : "\"" + module + "\"") +
            ", expected \"" + kStubModuleName + "\")";
    return false;
  }
  if (image.Directory(stub, kCertificateDirectory).address) {
    error = "the stub is signed; adding the payload would break its signature";
    return false;
  }
  if (image.EndOfSections() != stub.size()) {
    error = std::to_string(stub.size() - std::min(stub.size(), image.EndOfSections())) +
            " bytes follow the last section (symbols or appended data); give a stripped stub";
    return false;
  }
  if (ChecksumField(image) % 2 != 0) {
    error = "damaged PE headers (checksum field not on a 16-bit boundary)";
    return false;
  }
  size_t resourceIndex;
  if (!FindRebuildableResources(stub, image, resourceIndex, error)) return false;

  std::vector<ResourceItem> items;
  if (!ReadResourceTree(stub, image, items, error)) return false;
  bool present = std::any_of(items.begin(), items.end(), IsPayloadOrChecksum);
  if (present && !replace) {
    error = "the stub already carries a payload (resource 512/301 or 512/302); give --replace to replace it";
    return false;
  }
  items.erase(std::remove_if(items.begin(), items.end(), IsPayloadOrChecksum), items.end());
  items.push_back(PayloadItem(kPayloadResourceName, payloadResource));
  items.push_back(PayloadItem(kChecksumResourceName, ChecksumResourceFor(payloadResource, codePage)));

  PeSection resources = image.sections[resourceIndex];
  std::string tree = WriteResourceTree(items, resources.virtualAddress);
  if (tree.size() > 0x7FFFFFFF - resources.virtualAddress) {
    error = "the payload is too large for an executable";
    return false;
  }

  installer = stub.substr(0, resources.rawOffset);
  uint32_t oldRaw = resources.rawSize;
  std::vector<PeSection> placed(image.sections.begin() + static_cast<long>(resourceIndex), image.sections.end());
  placed[0].virtualSize = static_cast<uint32_t>(tree.size());
  placed[0].rawSize = AlignUp(static_cast<uint32_t>(tree.size()), image.fileAlignment);
  placed[0].rawOffset = static_cast<uint32_t>(installer.size());
  installer += Padded(tree, image.fileAlignment);
  uint32_t relocationShift = 0;
  for (size_t i = 1; i < placed.size(); ++i) {
    const PeSection &previous = placed[i - 1];
    uint32_t address = AlignUp(previous.virtualAddress + LoadedSize(previous), image.sectionAlignment);
    relocationShift = address - placed[i].virtualAddress;
    std::string raw = stub.substr(placed[i].rawOffset, placed[i].rawSize);
    placed[i].virtualAddress = address;
    placed[i].rawOffset = placed[i].rawSize ? static_cast<uint32_t>(installer.size()) : 0;
    installer += Padded(raw, image.fileAlignment);
  }
  for (const PeSection &section : placed) {
    Put32(installer, section.headerOffset + 8, section.virtualSize);
    Put32(installer, section.headerOffset + 12, section.virtualAddress);
    Put32(installer, section.headerOffset + 16, section.rawSize);
    Put32(installer, section.headerOffset + 20, section.rawOffset);
  }
  Put32(installer, image.directoryTable + 8 * kResourceDirectory + 4, static_cast<uint32_t>(tree.size()));
  if (placed.size() > 1) {
    size_t field = image.directoryTable + 8 * kRelocationDirectory;
    Put32(installer, field, Get32(installer, field) + relocationShift);
  }
  const PeSection &last = placed.back();
  Put32(installer, SizeOfImageField(image), AlignUp(last.virtualAddress + LoadedSize(last), image.sectionAlignment));
  Put32(installer, SizeOfInitializedDataField(image),
        Get32(installer, SizeOfInitializedDataField(image)) - oldRaw + placed[0].rawSize);
  Put32(installer, ChecksumField(image), PeChecksum(installer, ChecksumField(image)));
  return true;
}
