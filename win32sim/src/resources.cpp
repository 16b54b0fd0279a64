// Module resources read from a compiled .res file: a list of entries, each a
// header (sizes, type, name, flags, language) and its data, 4-byte aligned.
#include <windows.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>

#include "internal.h"
#include "win32sim/testapi.h"

namespace {

std::list<sim::Resource> g_resources;
std::string g_resourceFile;
std::set<HGLOBAL> g_loaded;
bool g_failLock = false;

uint32_t Read32(const std::string &bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

uint16_t Read16(const std::string &bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

// An ordinal (0xFFFF, id) or a NUL-terminated UTF-16 name; advances `at`.
bool ReadNameOrOrdinal(const std::string &bytes, size_t &at, size_t end, std::string &out) {
  if (at + 2 > end) return false;
  if (Read16(bytes, at) == 0xFFFF) {
    if (at + 4 > end) return false;
    out = "#" + std::to_string(Read16(bytes, at + 2));
    at += 4;
    return true;
  }
  out.clear();
  while (at + 2 <= end) {
    uint16_t c = Read16(bytes, at);
    at += 2;
    if (c == 0) return true;
    out += static_cast<char>(toupper(c & 0xFF));
  }
  return false;
}

std::string KeyOf(LPCSTR nameOrOrdinal) {
  if (IS_INTRESOURCE(nameOrOrdinal)) return "#" + std::to_string(reinterpret_cast<uintptr_t>(nameOrOrdinal));
  std::string key;
  for (const char *c = nameOrOrdinal; *c; ++c) key += static_cast<char>(toupper(static_cast<unsigned char>(*c)));
  if (key.size() > 1 && key[0] == '#') key = "#" + std::to_string(atoi(key.c_str() + 1));
  return key;
}

}  // namespace

HRSRC WINAPI FindResourceA(HMODULE, LPCSTR name, LPCSTR type) {
  std::string nameKey = KeyOf(name), typeKey = KeyOf(type);
  bool typeFound = false;
  for (sim::Resource &resource : g_resources) {
    if (resource.type != typeKey) continue;
    if (resource.name == nameKey) return reinterpret_cast<HRSRC>(&resource);
    typeFound = true;
  }
  SetLastError(typeFound ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
  return nullptr;
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC resource) {
  if (!resource) return nullptr;
  HGLOBAL loaded = reinterpret_cast<HGLOBAL>(resource);
  g_loaded.insert(loaded);
  return loaded;
}

LPVOID WINAPI LockResource(HGLOBAL loaded) {
  if (!loaded || g_failLock) return nullptr;
  return const_cast<char *>(reinterpret_cast<sim::Resource *>(loaded)->bytes.data());
}

DWORD WINAPI SizeofResource(HMODULE, HRSRC resource) {
  return resource ? static_cast<DWORD>(reinterpret_cast<sim::Resource *>(resource)->bytes.size()) : 0;
}

BOOL WINAPI FreeResource(HGLOBAL loaded) {
  g_loaded.erase(loaded);
  return FALSE;
}

namespace sim {

bool LoadResourceFile(const std::string &hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return false;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::list<Resource> parsed;
  size_t at = 0;
  while (at + 8 <= bytes.size()) {
    uint32_t dataSize = Read32(bytes, at), headerSize = Read32(bytes, at + 4);
    size_t headerEnd = at + headerSize;
    if (headerSize < 8 || headerEnd > bytes.size() || headerEnd + dataSize > bytes.size()) return false;
    size_t cursor = at + 8;
    Resource resource;
    if (!ReadNameOrOrdinal(bytes, cursor, headerEnd, resource.type) ||
        !ReadNameOrOrdinal(bytes, cursor, headerEnd, resource.name))
      return false;
    cursor = (cursor + 3) & ~static_cast<size_t>(3);
    if (cursor + 16 > headerEnd) return false;
    resource.language = Read16(bytes, cursor + 6);  // after DataVersion and MemoryFlags
    resource.bytes = bytes.substr(headerEnd, dataSize);
    // The leading empty entry of every .res file has type and name 0.
    if (!(dataSize == 0 && resource.type == "#0")) parsed.push_back(resource);
    at = (headerEnd + dataSize + 3) & ~static_cast<size_t>(3);
  }
  g_resources = parsed;
  g_resourceFile = hostPath;
  return true;
}

void ResetResources() {
  g_loaded.clear();
  g_failLock = false;
  if (g_resourceFile.empty() || !LoadResourceFile(g_resourceFile)) g_resources.clear();
}

std::list<Resource> &Resources() { return g_resources; }

void SetResource(int type, int name, const std::string &bytes, unsigned language) {
  RemoveResource(type, name);
  g_resources.push_back(Resource{"#" + std::to_string(type), "#" + std::to_string(name), language, bytes});
}

void RemoveResource(int type, int name) {
  std::string typeKey = "#" + std::to_string(type), nameKey = "#" + std::to_string(name);
  for (auto it = g_resources.begin(); it != g_resources.end();)
    it = (it->type == typeKey && it->name == nameKey) ? g_resources.erase(it) : std::next(it);
}

const Resource *FindResource(int type, int name) {
  return reinterpret_cast<const Resource *>(
      FindResourceA(nullptr, MAKEINTRESOURCEA(name), MAKEINTRESOURCEA(type)));
}

void FailResourceLock(bool fail) { g_failLock = fail; }
int LoadedResources() { return static_cast<int>(g_loaded.size()); }

}  // namespace sim
