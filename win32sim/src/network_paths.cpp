// The full forms of paths that begin with two separators: shares
// (\\server\share\...) and the device namespaces (\\?\..., \\.\...). Only
// GetFullPathNameA knows them; no file call reaches them.
#include <string>
#include <vector>

#include "internal.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

namespace sim {

// As under Wine: the root is "\\server\share" or "\\?" ("\\."), which ".."
// never climbs above; the rest is tidied like a drive's path.
bool FullNetworkPath(const std::string &path, std::string &full) {
  if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return false;
  std::vector<std::string> parts;
  std::string part;
  for (size_t i = 2; i <= path.size(); ++i) {
    if (i == path.size() || IsSeparator(path[i])) {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += path[i];
    }
  }
  bool endsInSeparator = IsSeparator(path.back());
  size_t rootCount = !parts.empty() && (parts[0] == "?" || parts[0] == ".") ? 1 : 2;
  full = "\\";
  for (size_t i = 0; i < parts.size() && i < rootCount; ++i) full += "\\" + parts[i];
  if (parts.size() < rootCount) {
    if (endsInSeparator && !parts.empty()) full += "\\";
    return true;
  }
  std::vector<std::string> rest;
  for (size_t i = rootCount; i < parts.size(); ++i) {
    if (parts[i] == ".") continue;
    if (parts[i] == "..") {
      if (!rest.empty()) rest.pop_back();
      continue;
    }
    rest.push_back(parts[i]);
  }
  if (parts.size() == rootCount && !endsInSeparator) return true;
  full += "\\";
  for (size_t i = 0; i < rest.size(); ++i) full += (i ? "\\" : "") + rest[i];
  if (!rest.empty() && endsInSeparator) full += "\\";
  return true;
}

}  // namespace sim
