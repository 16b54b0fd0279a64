// SDDL text parsed into descriptors kept by the stand-in, and the rights each
// folder was given, by full path. Nothing is enforced: the tests read back
// what the product asked for.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <sys/stat.h>

#include "internal.h"
#include "win32sim/testapi.h"

namespace {

struct Descriptor {
  bool hasOwner = false, hasGroup = false, hasDacl = false;
  std::string owner, group, dacl;  // SDDL of each part, the DACL with its flags
  ULONG size = 20;                 // of the self-relative form
};

struct FolderRights {
  bool hasOwner = false, hasDacl = false;
  std::string owner, dacl;
};

std::set<Descriptor *> g_descriptors;
std::map<std::string, FolderRights> g_folders;  // by PathKey
std::set<std::string> g_failSetting;

template <typename T>
T Fail(DWORD error, T result) {
  SetLastError(error);
  return result;
}

struct Alias {
  const char *name;
  int subAuthorities;
};
const Alias kAliases[] = {{"SY", 1}, {"BA", 2}, {"BU", 2}, {"BG", 2}, {"PU", 2}, {"WD", 1}, {"AU", 1}, {"AN", 1},
                          {"IU", 1}, {"LS", 1}, {"NS", 1}, {"CO", 1}, {"CG", 1}, {"OW", 1}};

// One SID, an alias or S-1-<authority>-<sub>...; its SDDL and byte size.
bool ParseSid(const std::string &text, std::string &sid, ULONG &size, DWORD &error) {
  for (const Alias &alias : kAliases)
    if (text == alias.name) {
      sid = text;
      size = 8 + 4 * alias.subAuthorities;
      return true;
    }
  error = ERROR_INVALID_SID;
  if (text.size() < 2 || text.compare(0, 2, "S-") != 0) {
    if (text.size() == 2) error = ERROR_NONE_MAPPED;
    return false;
  }
  int parts = 0;
  size_t at = 2;
  while (at <= text.size()) {
    size_t end = text.find('-', at);
    if (end == std::string::npos) end = text.size();
    if (end == at) return false;
    for (size_t i = at; i < end; ++i)
      if (!isdigit(static_cast<unsigned char>(text[i]))) return false;
    ++parts;
    at = end + 1;
  }
  // Revision 1, an authority, then 1 to 15 sub-authorities.
  if (parts < 3 || parts > 17 || text.compare(2, 2, "1-") != 0) return false;
  sid = text;
  size = 8 + 4 * (parts - 2);
  return true;
}

struct Right {
  const char *name;
  DWORD mask;
};
const Right kRights[] = {{"GA", 0x10000000}, {"GR", 0x80000000}, {"GW", 0x40000000}, {"GX", 0x20000000},
                         {"RC", 0x00020000}, {"SD", 0x00010000}, {"WD", 0x00040000}, {"WO", 0x00080000},
                         {"FA", 0x001F01FF}, {"FR", 0x00120089}, {"FW", 0x00120116}, {"FX", 0x001200A0},
                         {"KA", 0x000F003F}, {"KR", 0x00020019}, {"KW", 0x00020006}, {"KX", 0x00020019}};

bool ParseRights(const std::string &text, DWORD &mask) {
  mask = 0;
  if (text.empty()) return false;
  if (isdigit(static_cast<unsigned char>(text[0]))) {
    char *end = nullptr;
    unsigned long value = strtoul(text.c_str(), &end, 0);
    if (*end != '\0' || value > 0xFFFFFFFFul) return false;
    mask = static_cast<DWORD>(value);
    return true;
  }
  for (size_t at = 0; at < text.size(); at += 2) {
    bool known = false;
    for (const Right &right : kRights)
      if (text.compare(at, 2, right.name) == 0 && at + 2 <= text.size()) {
        mask |= right.mask;
        known = true;
      }
    if (!known) return false;
  }
  return true;
}

std::string RightsText(DWORD mask) {
  for (const Right &right : kRights)
    if (right.mask == mask && right.name[0] == 'F') return right.name;
  char text[16];
  snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(mask));
  return text;
}

// ACE flags in the order Windows writes them.
bool ParseAceFlags(const std::string &text, std::string &flags) {
  static const char *const kOrder[] = {"OI", "CI", "NP", "IO", "ID", "SA", "FA"};
  unsigned seen = 0;
  for (size_t at = 0; at < text.size(); at += 2) {
    bool known = false;
    for (unsigned i = 0; i < 7; ++i)
      if (at + 2 <= text.size() && text.compare(at, 2, kOrder[i]) == 0) {
        seen |= 1u << i;
        known = true;
      }
    if (!known) return false;
  }
  flags.clear();
  for (unsigned i = 0; i < 7; ++i)
    if (seen & (1u << i)) flags += kOrder[i];
  return true;
}

// "(type;flags;rights;;;sid)" without its parentheses.
bool ParseAce(const std::string &text, std::string &ace, ULONG &size, DWORD &error) {
  std::string field[6];
  size_t at = 0;
  for (int i = 0; i < 6; ++i) {
    size_t end = i < 5 ? text.find(';', at) : text.size();
    if (end == std::string::npos) return false;
    field[i] = text.substr(at, end - at);
    at = end + 1;
  }
  if (field[5].find(';') != std::string::npos) return false;
  if (field[0] != "A" && field[0] != "D") return false;
  std::string flags, sid;
  DWORD mask = 0;
  ULONG sidSize = 0;
  if (!ParseAceFlags(field[1], flags) || !ParseRights(field[2], mask) || !field[3].empty() || !field[4].empty())
    return false;
  if (!ParseSid(field[5], sid, sidSize, error)) return false;
  ace = "(" + field[0] + ";" + flags + ";" + RightsText(mask) + ";;;" + sid + ")";
  size = 8 + sidSize;
  return true;
}

bool ParseDacl(const std::string &text, Descriptor &descriptor, DWORD &error) {
  // Flags in any order before the first ACE, written back in Windows' order.
  static const char *const kFlags[] = {"P", "AR", "AI", "NO_ACCESS_CONTROL"};
  unsigned seen = 0;
  size_t at = 0;
  while (at < text.size() && text[at] != '(') {
    bool known = false;
    for (unsigned i = 0; i < 4 && !known; ++i)
      if (text.compare(at, strlen(kFlags[i]), kFlags[i]) == 0) {
        seen |= 1u << i;
        at += strlen(kFlags[i]);
        known = true;
      }
    if (!known) return false;
  }
  std::string flags;
  for (unsigned i = 0; i < 4; ++i)
    if (seen & (1u << i)) flags += kFlags[i];
  bool nullDacl = flags.find("NO_ACCESS_CONTROL") != std::string::npos;
  std::string aces;
  ULONG size = 8;
  while (at < text.size()) {
    size_t end = text.find(')', at);
    if (text[at] != '(' || end == std::string::npos || nullDacl) return false;
    std::string ace;
    ULONG aceSize = 0;
    if (!ParseAce(text.substr(at + 1, end - at - 1), ace, aceSize, error)) return false;
    aces += ace;
    size += aceSize;
    at = end + 1;
  }
  descriptor.hasDacl = true;
  descriptor.dacl = flags + aces;
  if (!nullDacl) descriptor.size += size;
  return true;
}

bool ParseDescriptor(const std::string &text, Descriptor &descriptor, DWORD &error) {
  error = ERROR_INVALID_PARAMETER;
  size_t at = 0;
  while (at < text.size()) {
    if (at + 1 >= text.size() || text[at + 1] != ':') return false;
    char part = text[at];
    // The part runs to the next "X:" outside an ACE.
    size_t end = at + 2;
    int depth = 0;
    while (end < text.size()) {
      if (text[end] == '(') ++depth;
      if (text[end] == ')') --depth;
      if (depth == 0 && end + 1 < text.size() && text[end + 1] == ':' && strchr("OGDS", text[end])) break;
      ++end;
    }
    std::string body = text.substr(at + 2, end - at - 2);
    ULONG sidSize = 0;
    if (part == 'O' && !descriptor.hasOwner) {
      if (!ParseSid(body, descriptor.owner, sidSize, error)) return false;
      descriptor.hasOwner = true;
      descriptor.size += sidSize;
    } else if (part == 'G' && !descriptor.hasGroup) {
      if (!ParseSid(body, descriptor.group, sidSize, error)) return false;
      descriptor.hasGroup = true;
      descriptor.size += sidSize;
    } else if (part == 'D' && !descriptor.hasDacl) {
      // Whatever is wrong inside a DACL, as under Wine.
      if (!ParseDacl(body, descriptor, error)) {
        error = ERROR_INVALID_ACL;
        return false;
      }
    } else {
      return false;
    }
    at = end;
  }
  return true;
}

Descriptor *LiveDescriptor(const void *pointer) {
  auto found = g_descriptors.find(static_cast<Descriptor *>(const_cast<void *>(pointer)));
  return found == g_descriptors.end() ? nullptr : *found;
}

}  // namespace

BOOL WINAPI ConvertStringSecurityDescriptorToSecurityDescriptorA(LPCSTR text, DWORD revision,
                                                                 PSECURITY_DESCRIPTOR *descriptor, PULONG size) {
  if (!text || !descriptor) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (revision != SDDL_REVISION_1) return Fail(ERROR_UNKNOWN_REVISION, FALSE);
  Descriptor parsed;
  DWORD error = ERROR_SUCCESS;
  if (!ParseDescriptor(text, parsed, error)) return Fail(error, FALSE);
  Descriptor *made = new Descriptor(parsed);
  g_descriptors.insert(made);
  *descriptor = made;
  if (size) *size = made->size;
  return TRUE;
}

HLOCAL WINAPI LocalFree(HLOCAL memory) {
  if (!memory) return nullptr;
  Descriptor *descriptor = LiveDescriptor(memory);
  if (!descriptor) return Fail(ERROR_INVALID_HANDLE, memory);
  g_descriptors.erase(descriptor);
  delete descriptor;
  return nullptr;
}

BOOL WINAPI SetFileSecurityA(LPCSTR path, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR given) {
  Descriptor *descriptor = LiveDescriptor(given);
  if (!descriptor) return Fail(ERROR_INVALID_SECURITY_DESCR, FALSE);
  std::string host = path && *path ? sim::HostPath(path) : "";
  struct stat info;
  if (host.empty()) return Fail(ERROR_PATH_NOT_FOUND, FALSE);
  if (stat(host.c_str(), &info) != 0) {
    std::string parent = host.substr(0, host.find_last_of('/'));
    return Fail(stat(parent.c_str(), &info) == 0 ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND, FALSE);
  }
  return sim::SetRecordedRights(sim::PathKey(path), what, given);
}

namespace sim {

BOOL SetRecordedRights(const std::string &key, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR given) {
  Descriptor *descriptor = LiveDescriptor(given);
  if (!descriptor) return Fail(ERROR_INVALID_SECURITY_DESCR, FALSE);
  if (g_failSetting.count(key)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if ((what & OWNER_SECURITY_INFORMATION) && !descriptor->hasOwner) return Fail(ERROR_INVALID_OWNER, FALSE);
  FolderRights &rights = g_folders[key];
  if (what & OWNER_SECURITY_INFORMATION) {
    rights.hasOwner = true;
    rights.owner = descriptor->owner;
  }
  if (what & DACL_SECURITY_INFORMATION) {
    rights.hasDacl = true;
    rights.dacl = descriptor->hasDacl ? descriptor->dacl : "NO_ACCESS_CONTROL";
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

bool CreationSecurityValid(const SECURITY_ATTRIBUTES *security) {
  return !security || !security->lpSecurityDescriptor || LiveDescriptor(security->lpSecurityDescriptor);
}

void RecordCreationSecurity(const std::string &path, const SECURITY_ATTRIBUTES *security) {
  std::string key = sim::PathKey(path);
  g_folders.erase(key);
  Descriptor *descriptor = security ? LiveDescriptor(security->lpSecurityDescriptor) : nullptr;
  if (!descriptor) return;
  FolderRights &rights = g_folders[key];
  rights.hasOwner = descriptor->hasOwner;
  rights.owner = descriptor->owner;
  rights.hasDacl = descriptor->hasDacl;
  rights.dacl = descriptor->dacl;
}

void ResetSecurity() {
  for (Descriptor *descriptor : g_descriptors) delete descriptor;
  g_descriptors.clear();
  g_folders.clear();
  g_failSetting.clear();
}

std::string FolderSecurity(const std::string &windowsPath) {
  auto found = g_folders.find(sim::PathKey(windowsPath));
  if (found == g_folders.end()) return "";
  const FolderRights &rights = found->second;
  return (rights.hasOwner ? "O:" + rights.owner : "") + (rights.hasDacl ? "D:" + rights.dacl : "");
}

void FailSecuritySetting(const std::string &windowsPath) { g_failSetting.insert(sim::PathKey(windowsPath)); }

int LiveSecurityDescriptors() { return static_cast<int>(g_descriptors.size()); }

}  // namespace sim
