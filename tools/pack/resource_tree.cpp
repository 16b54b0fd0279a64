#include "tools/pack/resource_tree.h"

#include <algorithm>
#include <map>

namespace {

constexpr uint32_t kHighBit = 0x80000000;
constexpr uint32_t kDirectoryHeaderSize = 16, kDirectoryEntrySize = 8, kDataEntrySize = 16;
constexpr uint32_t kDataAlignment = 8;
constexpr uint32_t kMaxEntriesPerDirectory = 0x10000;
constexpr size_t kMaxItems = 0x10000;  // a tree whose directories share children cannot multiply

char16_t Upper(char16_t unit) { return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 32) : unit; }

struct TreeReader {
  const std::string &bytes;
  size_t root;       // file offset of the root directory
  size_t available;  // bytes of the resource section from the root on
  const PeImage &image;
  std::vector<ResourceItem> &items;
  std::string &error;

  bool Fail(const std::string &what) {
    error = "damaged resource tree (" + what + ")";
    return false;
  }
  bool Inside(uint32_t offset, uint32_t size) const { return offset <= available && available - offset >= size; }

  bool ReadName(uint32_t field, ResourceId &id) {
    if (!(field & kHighBit)) {
      id = NumberedId(field);
      return true;
    }
    uint32_t at = field & ~kHighBit;
    if (!Inside(at, 2)) return Fail("a name outside the section");
    uint32_t length = Get16(bytes, root + at);
    if (!Inside(at + 2, 2 * length)) return Fail("a name outside the section");
    id.named = true;
    id.text.clear();
    for (uint32_t i = 0; i < length; ++i) id.text += static_cast<char16_t>(Get16(bytes, root + at + 2 + 2 * i));
    return true;
  }

  // Level 0 lists types, 1 names, 2 languages, whose entries lead to data.
  bool ReadDirectory(uint32_t at, int level, ResourceItem &path) {
    if (!Inside(at, kDirectoryHeaderSize)) return Fail("a directory outside the section");
    uint32_t count = Get16(bytes, root + at + 12) + Get16(bytes, root + at + 14);
    if (count > kMaxEntriesPerDirectory || !Inside(at + kDirectoryHeaderSize, kDirectoryEntrySize * count))
      return Fail("a directory outside the section");
    for (uint32_t i = 0; i < count; ++i) {
      size_t entry = root + at + kDirectoryHeaderSize + kDirectoryEntrySize * i;
      uint32_t nameField = Get32(bytes, entry), target = Get32(bytes, entry + 4);
      ResourceId id;
      if (!ReadName(nameField, id)) return false;
      bool isDirectory = (target & kHighBit) != 0;
      if (isDirectory != (level < 2)) return Fail("not three levels deep");
      if (level == 0) path.type = id;
      if (level == 1) path.name = id;
      if (level < 2) {
        if (!ReadDirectory(target & ~kHighBit, level + 1, path)) return false;
        continue;
      }
      if (id.named) return Fail("a named language");
      if (!Inside(target, kDataEntrySize)) return Fail("a data entry outside the section");
      if (items.size() >= kMaxItems) return Fail("too many resources");
      ResourceItem item = path;
      item.language = id.number;
      uint32_t dataAddress = Get32(bytes, root + target), dataSize = Get32(bytes, root + target + 4);
      item.codePage = Get32(bytes, root + target + 8);
      size_t dataOffset;
      if (!image.FileOffset(dataAddress, dataSize, dataOffset)) return Fail("data outside the image");
      item.bytes = bytes.substr(dataOffset, dataSize);
      items.push_back(item);
    }
    return true;
  }
};

void PutId(std::string &out, size_t at, const ResourceId &id, const std::map<std::u16string, uint32_t> &names) {
  Put32(out, at, id.named ? (names.at(id.text) | kHighBit) : id.number);
}

}  // namespace

ResourceId NumberedId(uint32_t number) {
  ResourceId id;
  id.number = number;
  return id;
}

bool operator==(const ResourceId &a, const ResourceId &b) {
  return a.named == b.named && (a.named ? a.text == b.text : a.number == b.number);
}

bool operator<(const ResourceId &a, const ResourceId &b) {
  if (a.named != b.named) return a.named;
  if (!a.named) return a.number < b.number;
  return std::lexicographical_compare(a.text.begin(), a.text.end(), b.text.begin(), b.text.end(),
                                      [](char16_t x, char16_t y) { return Upper(x) < Upper(y); });
}

bool ReadResourceTree(const std::string &bytes, const PeImage &image, std::vector<ResourceItem> &items,
                      std::string &error) {
  PeDirectory directory = image.Directory(bytes, kResourceDirectory);
  const PeSection *section = image.SectionAt(directory.address);
  size_t root;
  if (!directory.address || !section || !image.FileOffset(directory.address, kDirectoryHeaderSize, root)) {
    error = "the executable has no resource tree";
    return false;
  }
  uint32_t held = section->virtualSize && section->virtualSize < section->rawSize ? section->virtualSize : section->rawSize;
  size_t sectionEnd = static_cast<size_t>(section->rawOffset) + held;
  items.clear();
  ResourceItem path;
  TreeReader reader{bytes, root, sectionEnd - root, image, items, error};
  return reader.ReadDirectory(0, 0, path);
}

std::string WriteResourceTree(std::vector<ResourceItem> items, uint32_t address) {
  std::stable_sort(items.begin(), items.end(), [](const ResourceItem &a, const ResourceItem &b) {
    if (!(a.type == b.type)) return a.type < b.type;
    if (!(a.name == b.name)) return a.name < b.name;
    return a.language < b.language;
  });
  // The tree's shape: types, the names of each type, the items of each name.
  std::vector<std::vector<std::vector<size_t>>> shape;
  for (size_t i = 0; i < items.size(); ++i) {
    bool newType = i == 0 || !(items[i].type == items[i - 1].type);
    bool newName = newType || !(items[i].name == items[i - 1].name);
    if (newType) shape.emplace_back();
    if (newName) shape.back().emplace_back();
    shape.back().back().push_back(i);
  }

  uint32_t size = kDirectoryHeaderSize + kDirectoryEntrySize * static_cast<uint32_t>(shape.size());
  std::vector<uint32_t> typeDirectories, nameDirectories;
  for (const auto &names : shape) {
    typeDirectories.push_back(size);
    size += kDirectoryHeaderSize + kDirectoryEntrySize * static_cast<uint32_t>(names.size());
  }
  for (const auto &names : shape)
    for (const auto &languages : names) {
      nameDirectories.push_back(size);
      size += kDirectoryHeaderSize + kDirectoryEntrySize * static_cast<uint32_t>(languages.size());
    }
  uint32_t dataEntries = size;
  size += kDataEntrySize * static_cast<uint32_t>(items.size());
  std::map<std::u16string, uint32_t> names;
  for (const ResourceItem &item : items)
    for (const ResourceId *id : {&item.type, &item.name})
      if (id->named && !names.count(id->text)) {
        names[id->text] = size;
        size += 2 + 2 * static_cast<uint32_t>(id->text.size());
      }
  std::vector<uint32_t> dataOffsets;
  for (const ResourceItem &item : items) {
    size = AlignUp(size, kDataAlignment);
    dataOffsets.push_back(size);
    size += static_cast<uint32_t>(item.bytes.size());
  }

  std::string out(size, '\0');
  auto putDirectory = [&](uint32_t at, size_t named, size_t numbered) {
    Put16(out, at + 12, static_cast<uint32_t>(named));
    Put16(out, at + 14, static_cast<uint32_t>(numbered));
  };
  auto countNamed = [](const std::vector<const ResourceId *> &ids) {
    return static_cast<size_t>(std::count_if(ids.begin(), ids.end(), [](const ResourceId *id) { return id->named; }));
  };
  std::vector<const ResourceId *> typeIds;
  for (const auto &typeNames : shape) typeIds.push_back(&items[typeNames[0][0]].type);
  putDirectory(0, countNamed(typeIds), typeIds.size() - countNamed(typeIds));
  size_t nameIndex = 0;
  for (size_t t = 0; t < shape.size(); ++t) {
    uint32_t entry = kDirectoryHeaderSize + kDirectoryEntrySize * static_cast<uint32_t>(t);
    PutId(out, entry, *typeIds[t], names);
    Put32(out, entry + 4, typeDirectories[t] | kHighBit);
    std::vector<const ResourceId *> nameIds;
    for (const auto &languages : shape[t]) nameIds.push_back(&items[languages[0]].name);
    putDirectory(typeDirectories[t], countNamed(nameIds), nameIds.size() - countNamed(nameIds));
    for (size_t n = 0; n < shape[t].size(); ++n, ++nameIndex) {
      uint32_t nameEntry = typeDirectories[t] + kDirectoryHeaderSize + kDirectoryEntrySize * static_cast<uint32_t>(n);
      PutId(out, nameEntry, *nameIds[n], names);
      Put32(out, nameEntry + 4, nameDirectories[nameIndex] | kHighBit);
      const std::vector<size_t> &languages = shape[t][n];
      putDirectory(nameDirectories[nameIndex], 0, languages.size());
      for (size_t l = 0; l < languages.size(); ++l) {
        size_t item = languages[l];
        uint32_t languageEntry =
            nameDirectories[nameIndex] + kDirectoryHeaderSize + kDirectoryEntrySize * static_cast<uint32_t>(l);
        uint32_t dataEntry = dataEntries + kDataEntrySize * static_cast<uint32_t>(item);
        Put32(out, languageEntry, items[item].language);
        Put32(out, languageEntry + 4, dataEntry);
        Put32(out, dataEntry, address + dataOffsets[item]);
        Put32(out, dataEntry + 4, static_cast<uint32_t>(items[item].bytes.size()));
        Put32(out, dataEntry + 8, items[item].codePage);
        out.replace(dataOffsets[item], items[item].bytes.size(), items[item].bytes);
      }
    }
  }
  for (const auto &name : names) {
    Put16(out, name.second, static_cast<uint32_t>(name.first.size()));
    for (size_t i = 0; i < name.first.size(); ++i) Put16(out, name.second + 2 + 2 * i, name.first[i]);
  }
  return out;
}
