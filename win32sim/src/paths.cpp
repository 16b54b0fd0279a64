// Windows path forms and their mapping to a folder per drive letter.
#include <windows.h>

#include <cctype>
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

// Windows drops trailing dots and blanks of a path component ("a. " is "a").
std::string TrimComponent(const std::string &component) {
  if (component == "." || component == "..") return component;
  size_t end = component.size();
  while (end > 0 && (component[end - 1] == '.' || component[end - 1] == ' ')) --end;
  return component.substr(0, end);
}

}  // namespace

bool FullWindowsPath(const std::string &path, std::string &full) {
  std::string drive;
  std::string rest;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return false;  // UNC
  if (path.size() >= 2 && isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
    drive = std::string(1, static_cast<char>(toupper(static_cast<unsigned char>(path[0])))) + ":";
    rest = path.substr(2);
    if (rest.empty() || !IsSeparator(rest[0])) {
      // Drive-relative: against the current directory when it is on that drive.
      std::string base = g_currentDirectory.compare(0, 2, drive) == 0 ? g_currentDirectory : drive + "\\";
      rest = base.substr(2) + "\\" + rest;
    }
  } else {
    drive = g_currentDirectory.substr(0, 2);
    rest = (!path.empty() && IsSeparator(path[0])) ? path : g_currentDirectory.substr(2) + "\\" + path;
  }
  std::vector<std::string> out;
  for (const std::string &raw : SplitComponents(rest)) {
    std::string component = TrimComponent(raw);
    if (component == "." || component.empty()) continue;
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
  if (!out.empty() && !path.empty() && IsSeparator(path.back())) full += "\\";
  return true;
}

// The host path of a full Windows path; an existing entry of another letter
// case is found, as Windows file names ignore case.
std::string HostPath(const std::string &windowsPath) {
  std::string full;
  if (!FullWindowsPath(windowsPath, full)) return "";
  std::string host = g_fileRoot + "/" + full.substr(0, 1);
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
