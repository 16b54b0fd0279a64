// Module path and the user's locale.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <ntsecapi.h>

#include "internal.h"
#include "win32sim/testapi.h"

namespace {

const char kDefaultModulePath[] = "C:\\dist\\setup.exe";
std::string g_modulePath = kDefaultModulePath;
std::string g_countryCode = "1";
bool g_failLocale = false;
int g_localeQueries = 0;
// Each thread its own, as on Windows.
thread_local DWORD g_lastError = 0;
const char kTempPath[] = "C:\\WINDOWS\\TEMP\\";
std::deque<BYTE> g_queuedRandom;
uint32_t g_randomState = 1;

}  // namespace

DWORD WINAPI GetLastError(void) { return g_lastError; }
void WINAPI SetLastError(DWORD error) { g_lastError = error; }

DWORD WINAPI GetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
  DWORD length = static_cast<DWORD>(g_modulePath.size());
  if (length < size) {
    memcpy(buffer, g_modulePath.c_str(), length + 1);
    return length;
  }
  // As under Wine: cut to the size, with no room for a NUL and none written.
  memcpy(buffer, g_modulePath.data(), size);
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

int WINAPI GetLocaleInfoA(LCID, LCTYPE type, LPSTR buffer, int size) {
  ++g_localeQueries;
  if (type != LOCALE_ICOUNTRY) return 0;
  int needed = static_cast<int>(g_countryCode.size()) + 1;
  if (size == 0) return needed;
  if (size < 0 || !buffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  memcpy(buffer, g_countryCode.c_str(), static_cast<size_t>(size < needed ? size : needed));
  if (size < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  // A failed query promises nothing about the buffer: the code stays there
  // anyway, so that a caller who ignores the result is caught.
  return g_failLocale ? 0 : needed;
}

DWORD WINAPI GetTempPathA(DWORD size, LPSTR buffer) {
  DWORD length = static_cast<DWORD>(sizeof kTempPath - 1);
  if (size <= length) return length + 1;
  memcpy(buffer, kTempPath, sizeof kTempPath);
  return length;
}

BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length) {
  BYTE *bytes = static_cast<BYTE *>(buffer);
  for (ULONG i = 0; i < length; ++i) {
    if (!g_queuedRandom.empty()) {
      bytes[i] = g_queuedRandom.front();
      g_queuedRandom.pop_front();
      continue;
    }
    g_randomState = g_randomState * 1103515245u + 12345u;
    bytes[i] = static_cast<BYTE>(g_randomState >> 16);
  }
  return TRUE;
}

int WINAPI wvsprintfA(LPSTR buffer, LPCSTR format, va_list arguments) {
  // As under Wine: 1,024 bytes at most, the NUL included; a cut text
  // reports 1,024.
  const int limit = 1024;
  int length = vsnprintf(buffer, limit, format, arguments);
  return length < limit ? length : limit;
}

int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  va_list arguments;
  va_start(arguments, format);
  int length = wvsprintfA(buffer, format, arguments);
  va_end(arguments);
  return length;
}

namespace sim {

void ResetSystem() {
  g_modulePath = kDefaultModulePath;
  g_countryCode = "1";
  g_failLocale = false;
  g_localeQueries = 0;
  g_lastError = 0;
  g_queuedRandom.clear();
  g_randomState = 1;
}

void QueueRandomBytes(const std::vector<BYTE> &bytes) { g_queuedRandom.insert(g_queuedRandom.end(), bytes.begin(), bytes.end()); }

void SetModuleFileName(const std::string &windowsPath) { g_modulePath = windowsPath; }

void SetCountryCode(const std::string &code, bool failLookup) {
  g_countryCode = code;
  g_failLocale = failLookup;
}

int LocaleQueries() { return g_localeQueries; }

}  // namespace sim
