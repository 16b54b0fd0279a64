// The room on a volume: every drive reports what sim::SetDiskReport says,
// by default the bytes that _hwrite may still write.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "internal.h"
#include "win32sim/testapi.h"

namespace {

const unsigned long long kUnlimitedFree = 1ull << 40;  // what an unlimited disk reports
const unsigned long long kVolumeSize = 1ull << 41;

sim::DiskReport g_report;
std::vector<std::string> g_queries;

template <typename T>
T Fail(DWORD error, T result) {
  SetLastError(error);
  return result;
}

unsigned long long FreeBytes() {
  long long left = g_report.freeBytes >= 0 ? g_report.freeBytes : sim::DiskSpaceLeft();
  return left >= 0 ? static_cast<unsigned long long>(left) : kUnlimitedFree;
}

bool DriveExists(char letter) {
  struct stat info;
  std::string drive = sim::FileRoot() + "/" + std::string(1, static_cast<char>(toupper(static_cast<unsigned char>(letter))));
  return stat(drive.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void Put(PULARGE_INTEGER out, unsigned long long value) {
  if (out) out->QuadPart = value;
}

void Put(LPDWORD out, unsigned long long value) {
  if (out) *out = static_cast<DWORD>(std::min<unsigned long long>(value, 0xFFFFFFFFu));
}

}  // namespace

BOOL WINAPI GetDiskFreeSpaceExA(LPCSTR directory, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER totalBytes,
                                PULARGE_INTEGER totalFreeBytes) {
  std::string path = directory ? directory : "\\";
  g_queries.push_back(path);
  std::string full;
  if (!sim::FullWindowsPath(path, full) || !DriveExists(full[0])) return Fail(ERROR_PATH_NOT_FOUND, FALSE);
  if (g_report.freeSpaceFails) return Fail(ERROR_NOT_READY, FALSE);
  std::string host = sim::HostPath(full);
  struct stat info;
  if (stat(host.c_str(), &info) != 0) {
    std::string parent = host.substr(0, host.find_last_of('/'));
    bool parentIsFolder = stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    return Fail(parentIsFolder ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND, FALSE);
  }
  if (!S_ISDIR(info.st_mode)) return Fail(ERROR_DIRECTORY, FALSE);
  unsigned long long freeBytes = FreeBytes();
  Put(freeToCaller, freeBytes);
  Put(totalBytes, std::max(freeBytes, kVolumeSize));
  Put(totalFreeBytes, freeBytes);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL WINAPI GetDiskFreeSpaceA(LPCSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector, LPDWORD freeClusters,
                              LPDWORD totalClusters) {
  std::string path = root ? root : "";
  if (path.size() != 3 || !isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':' || path[2] != '\\')
    return Fail(ERROR_INVALID_NAME, FALSE);
  if (!DriveExists(path[0])) return Fail(ERROR_PATH_NOT_FOUND, FALSE);
  if (g_report.clusterSizeFails) return Fail(ERROR_NOT_READY, FALSE);
  unsigned long long cluster = static_cast<unsigned long long>(g_report.sectorsPerCluster) * g_report.bytesPerSector;
  unsigned long long freeBytes = FreeBytes();
  Put(sectorsPerCluster, g_report.sectorsPerCluster);
  Put(bytesPerSector, g_report.bytesPerSector);
  Put(freeClusters, cluster ? freeBytes / cluster : 0);
  Put(totalClusters, cluster ? std::max(freeBytes, kVolumeSize) / cluster : 0);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

namespace sim {

void SetDiskReport(const DiskReport &report) { g_report = report; }
const std::vector<std::string> &DiskSpaceQueries() { return g_queries; }

void ResetVolumes() {
  g_report = DiskReport();
  g_queries.clear();
}

}  // namespace sim
