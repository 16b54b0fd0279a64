// Program starts, the version word and short path names, scripted by tests.
#include <windows.h>

#include <cctype>
#include <cstring>
#include <map>

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

}  // namespace

UINT WINAPI WinExec(LPCSTR commandLine, UINT show) {
  g_starts.push_back(sim::ProgramStart{commandLine ? commandLine : "", show});
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
void SetWinExecResult(UINT result) { g_winExecResult = result; }
void SetVersionWord(DWORD version) { g_version = version; }
int VersionQueries() { return g_versionQueries; }
void SetShortPath(const std::string &longPath, const std::string &shortForm) { g_shortForms[Upper(longPath)] = shortForm; }
void FailShortPaths(bool fail) { g_failShortPaths = fail; }
int ShortPathQueries() { return g_shortPathQueries; }

}  // namespace sim
