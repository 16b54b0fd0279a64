// Windows path forms and their mapping to a folder per drive letter.
#include <windows.h>

#include <cctype>
#include <cstring>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <vector>

#include "internal.h"
#include "win32sim/testapi.h"

namespace sim {

std::string g_currentDirectory = "C:\\";
std::string g_fileRoot;

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::vector<std::string> SplitComponents(const std::string &path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (IsSeparator(c)) {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

// As under Wine: the last component loses its trailing dots and blanks
// ("a. " is "a"); one before a separator loses one trailing dot ("a.\" is
// "a\", "a. .\" is "a. \").
std::string TrimComponent(const std::string &component, bool last) {
  if (component == "." || component == "..") return component;
  size_t end = component.size();
  if (!last) return end > 0 && component[end - 1] == '.' ? component.substr(0, end - 1) : component;
  while (end > 0 && (component[end - 1] == '.' || component[end - 1] == ' ')) --end;
  return component.substr(0, end);
}

}  // namespace

bool FullWindowsPath(const std::string &path, std::string &full) {
  std::string drive;
  std::string rest;
  std::vector<std::string> out;  // components, the current directory's first for a relative path
  bool endsInSeparator = !path.empty() && IsSeparator(path.back());
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return false;  // UNC
  if (path.size() >= 2 && isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
    drive = path.substr(0, 2);  // the letter keeps its case, as under Wine
    rest = path.substr(2);
    if (rest.empty() || !IsSeparator(rest[0])) {
      // Drive-relative: against the current directory when it is on that drive.
      if (toupper(static_cast<unsigned char>(g_currentDirectory[0])) == toupper(static_cast<unsigned char>(drive[0])))
        out = SplitComponents(g_currentDirectory.substr(2));
      endsInSeparator |= rest.empty();  // "C:" is the current directory with its '\'
    }
  } else {
    drive = g_currentDirectory.substr(0, 2);
    rest = path;
    if (path.empty() || !IsSeparator(path[0])) out = SplitComponents(g_currentDirectory.substr(2));
  }
  std::vector<std::string> parts = SplitComponents(rest);
  for (size_t i = 0; i < parts.size(); ++i) {
    bool last = i + 1 == parts.size() && !(!path.empty() && IsSeparator(path.back()));
    std::string component = TrimComponent(parts[i], last);
    if (component == "." || component.empty()) {
      endsInSeparator |= last && component.empty();  // "x\..." is "x\"
      continue;
    }
    if (component == "..") {
      if (!out.empty()) out.pop_back();
      continue;
    }
    out.push_back(component);
  }
  full = drive + "\\";
  for (size_t i = 0; i < out.size(); ++i) {
    if (i) full += "\\";
    full += out[i];
  }
  if (!out.empty() && endsInSeparator) full += "\\";
  return true;
}

static bool IsShortNameCharacter(char c) {
  return isalnum(static_cast<unsigned char>(c)) || strchr("!#$%&'()-@^_`{}~", c);
}

// An 8.3 name, in either letter case, is its own short form.
bool IsShortName(const std::string &name) {
  size_t dot = name.find('.');
  std::string base = name.substr(0, dot);
  std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || extension.size() > 3 || extension.find('.') != std::string::npos) return false;
  for (char c : base + extension)
    if (!IsShortNameCharacter(c)) return false;
  return true;
}

// Windows' alias of a longer name: six characters, "~1" and the extension's
// first three. (Wine hashes the name instead.)
std::string ShortAlias(const std::string &name) {
  size_t dot = name.rfind('.');
  std::string base, extension;
  for (size_t i = 0; i < name.size(); ++i) {
    char c = static_cast<char>(toupper(static_cast<unsigned char>(name[i])));
    if (!IsShortNameCharacter(c)) continue;
    if (dot != std::string::npos && i > dot) {
      if (extension.size() < 3) extension += c;
    } else if (base.size() < 6) {
      base += c;
    }
  }
  return base + "~1" + (extension.empty() ? "" : "." + extension);
}

// The host path of a full Windows path; an existing entry of another letter
// case is found, as Windows file names ignore case.
std::string HostPath(const std::string &windowsPath) {
  std::string full;
  if (!FullWindowsPath(windowsPath, full)) return "";
  std::string host = g_fileRoot + "/" + std::string(1, static_cast<char>(toupper(static_cast<unsigned char>(full[0]))));
  for (const std::string &component : SplitComponents(full.substr(2))) {
    std::string exact = host + "/" + component;
    struct stat info;
    if (stat(exact.c_str(), &info) != 0) {
      if (DIR *dir = opendir(host.c_str())) {
        while (dirent *entry = readdir(dir)) {
          if (strcasecmp(entry->d_name, component.c_str()) == 0) {
            exact = host + "/" + entry->d_name;
            break;
          }
          // A long name is also found by its short alias, as on Windows.
          if (!IsShortName(entry->d_name) && strcasecmp(ShortAlias(entry->d_name).c_str(), component.c_str()) == 0)
            exact = host + "/" + entry->d_name;
        }
        closedir(dir);
      }
    }
    host = exact;
  }
  return host;
}

void SetCurrentDirectory(const std::string &windowsPath) {
  std::string full;
  if (FullWindowsPath(windowsPath, full)) g_currentDirectory = full;
}

}  // namespace sim
