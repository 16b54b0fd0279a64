// Program starts, the version word and short path names, scripted by tests.
#include <windows.h>

#include <cctype>
#include <cstring>
#include <dirent.h>
#include <map>
#include <strings.h>
#include <sys/stat.h>

#include "event_log.h"
#include "internal.h"
#include "win32sim/testapi.h"

namespace {

constexpr DWORD kDefaultVersion = 0x0A280105;  // NT family, 5.1, build 2600
constexpr UINT kStarted = 33;

std::vector<sim::ProgramStart> g_starts;
UINT g_winExecResult = kStarted;
DWORD g_version = kDefaultVersion;
int g_versionQueries = 0;
std::map<std::string, std::string> g_shortForms;  // by upper-case long path
bool g_failShortPaths = false;
int g_shortPathQueries = 0;

std::string Upper(const std::string &text) {
  std::string upper = text;
  for (char &c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return upper;
}

// The existing file that a candidate program name names, as its full long path.
std::string ExistingProgram(std::string name) {
  size_t slash = name.find_last_of("\\/:");
  if (name.find('.', slash == std::string::npos ? 0 : slash) == std::string::npos) name += ".exe";
  std::string full;
  if (!sim::FullWindowsPath(name, full) || !sim::FileExists(full)) return "";
  // As it is on disk: short aliases and letter case resolved.
  std::string relative = sim::HostPath(full).substr(sim::FileRoot().size() + 1);
  for (char &c : relative)
    if (c == '/') c = '\\';
  return relative.substr(0, 1) + ":" + relative.substr(1);
}

std::string ProgramOf(const std::string &commandLine) {
  if (!commandLine.empty() && commandLine[0] == '"') {
    size_t close = commandLine.find('"', 1);
    return ExistingProgram(commandLine.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  }
  for (size_t blank = commandLine.find(' '); ; blank = commandLine.find(' ', blank + 1)) {
    std::string found = ExistingProgram(commandLine.substr(0, blank));
    if (!found.empty() || blank == std::string::npos) return found;
  }
}

// The short form of an existing path, component by component as it is on
// disk; false when a component is missing.
bool ShortForm(const std::string &path, std::string &shortForm) {
  std::string host;
  size_t at = 0;
  if (path.size() >= 2 && isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
    at = 2;
    bool rooted = path.size() > 2 && (path[2] == '\\' || path[2] == '/');
    host = sim::HostPath(rooted ? path.substr(0, 3) : path.substr(0, 2));
  } else {
    host = sim::HostPath(!path.empty() && (path[0] == '\\' || path[0] == '/') ? "\\" : ".");
  }
  shortForm = path.substr(0, at);
  while (at < path.size()) {
    if (path[at] == '\\' || path[at] == '/') {
      shortForm += path[at++];
      continue;
    }
    size_t end = path.find_first_of("\\/", at);
    std::string component = path.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? path.size() : end;
    std::string onDisk = component;
    if (component != "." && component != "..") {
      bool found = false;
      if (DIR *dir = opendir(host.c_str())) {
        while (dirent *entry = readdir(dir)) {
          if (strcasecmp(entry->d_name, component.c_str()) == 0 && (!found || component == entry->d_name)) {
            onDisk = entry->d_name;
            found = true;
          }
        }
        closedir(dir);
      }
      if (!found) return false;
    }
    host += "/" + onDisk;
    struct stat info;
    if (stat(host.c_str(), &info) != 0) return false;
    shortForm += component == "." || component == ".." || sim::IsShortName(onDisk) ? onDisk : sim::ShortAlias(onDisk);
  }
  return true;
}

}  // namespace

UINT WINAPI WinExec(LPCSTR commandLine, UINT show) {
  std::string line = commandLine ? commandLine : "";
  std::string program = ProgramOf(line);
  g_starts.push_back(sim::ProgramStart{line, show, program});
  sim::LogEvent("start " + line);
  return program.empty() ? ERROR_FILE_NOT_FOUND : g_winExecResult;
}

DWORD WINAPI GetVersion(void) {
  ++g_versionQueries;
  return g_version;
}

DWORD WINAPI GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) {
  ++g_shortPathQueries;
  if (!longPath) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!*longPath || g_failShortPaths) {
    SetLastError(*longPath ? ERROR_FILE_NOT_FOUND : ERROR_BAD_PATHNAME);
    return 0;
  }
  auto scripted = g_shortForms.find(Upper(longPath));
  std::string shortForm = scripted != g_shortForms.end() ? scripted->second : "";
  if (scripted == g_shortForms.end() && !ShortForm(longPath, shortForm)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  if (shortForm.size() + 1 > size || !shortPath) return static_cast<DWORD>(shortForm.size() + 1);
  memcpy(shortPath, shortForm.c_str(), shortForm.size() + 1);
  return static_cast<DWORD>(shortForm.size());
}

namespace sim {

void ResetProcess() {
  g_starts.clear();
  g_winExecResult = kStarted;
  g_version = kDefaultVersion;
  g_versionQueries = 0;
  g_shortForms.clear();
  g_failShortPaths = false;
  g_shortPathQueries = 0;
}

const std::vector<ProgramStart> &ProgramStarts() { return g_starts; }
std::string ProgramFor(const std::string &commandLine) { return ProgramOf(commandLine); }
void SetWinExecResult(UINT result) { g_winExecResult = result; }
void SetVersionWord(DWORD version) { g_version = version; }
int VersionQueries() { return g_versionQueries; }
void SetShortPath(const std::string &longPath, const std::string &shortForm) { g_shortForms[Upper(longPath)] = shortForm; }
void FailShortPaths(bool fail) { g_failShortPaths = fail; }
int ShortPathQueries() { return g_shortPathQueries; }

}  // namespace sim
