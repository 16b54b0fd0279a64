// The resource tree of an executable (type, name, language, data) read into
// a flat list and written back as a section image at a given address.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/pack/pe_image.h"

// A type or name: a number, or a UTF-16 string stored as 16-bit units.
struct ResourceId {
  bool named = false;
  uint32_t number = 0;
  std::u16string text;
};
bool operator==(const ResourceId &a, const ResourceId &b);
// The order Windows looks entries up in: names first (by their upper-case
// units), then numbers ascending.
bool operator<(const ResourceId &a, const ResourceId &b);

struct ResourceItem {
  ResourceId type, name;
  uint32_t language = 0;
  uint32_t codePage = 0;
  std::string bytes;
};

// Every leaf of the resource tree of `bytes`, in tree order; false with a
// reason when the tree is damaged or leaves the image.
bool ReadResourceTree(const std::string &bytes, const PeImage &image, std::vector<ResourceItem> &items,
                      std::string &error);

// The section contents that hold these resources when loaded at `address`:
// directories, data entries, names, then the data, 8-byte aligned. Items are
// sorted as Windows expects; time stamps and versions are 0.
std::string WriteResourceTree(std::vector<ResourceItem> items, uint32_t address);

ResourceId NumberedId(uint32_t number);
