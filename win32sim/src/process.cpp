// Program starts, the version word and short path names, scripted by tests.
#include <windows.h>

#include <cctype>
#include <cstring>
#include <map>

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

// The existing file that a candidate program name names, as a full path.
std::string ExistingProgram(std::string name) {
  size_t slash = name.find_last_of("\\/:");
  if (name.find('.', slash == std::string::npos ? 0 : slash) == std::string::npos) name += ".exe";
  std::string full;
  if (!sim::FullWindowsPath(name, full) || !sim::FileExists(full)) return "";
  return full;
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

}  // namespace

UINT WINAPI WinExec(LPCSTR commandLine, UINT show) {
  std::string line = commandLine ? commandLine : "";
  std::string program = ProgramOf(line);
  g_starts.push_back(sim::ProgramStart{line, show, program});
  if (program.empty()) return ERROR_FILE_NOT_FOUND;
  sim::LogEvent("start " + g_starts.back().commandLine);
  return g_winExecResult;
}

DWORD WINAPI GetVersion(void) {
  ++g_versionQueries;
  return g_version;
}

DWORD WINAPI GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) {
  ++g_shortPathQueries;
  if (!longPath || g_failShortPaths) return 0;
  auto scripted = g_shortForms.find(Upper(longPath));
  std::string shortForm = scripted != g_shortForms.end() ? scripted->second : longPath;
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
