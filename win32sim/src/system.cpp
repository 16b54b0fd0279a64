// Module path and the user's locale.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "internal.h"
#include "win32sim/testapi.h"

namespace {

const char kDefaultModulePath[] = "C:\\dist\\setup.exe";
std::string g_modulePath = kDefaultModulePath;
std::string g_countryCode = "1";
bool g_failLocale = false;
int g_localeQueries = 0;

}  // namespace

DWORD WINAPI GetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
  if (size == 0) return 0;
  // Like Windows: a path that does not fit is cut and the full size returned.
  DWORD length = static_cast<DWORD>(g_modulePath.size());
  DWORD copied = length < size ? length : size - 1;
  memcpy(buffer, g_modulePath.data(), copied);
  buffer[copied] = '\0';
  return length < size ? length : size;
}

int WINAPI GetLocaleInfoA(LCID, LCTYPE type, LPSTR buffer, int size) {
  ++g_localeQueries;
  if (type != LOCALE_ICOUNTRY) return 0;
  int needed = static_cast<int>(g_countryCode.size()) + 1;
  if (size < needed) return 0;
  // A failed query promises nothing about the buffer: leave the code there
  // anyway, so that a caller who ignores the result is caught.
  memcpy(buffer, g_countryCode.c_str(), needed);
  return g_failLocale ? 0 : needed;
}

int WINAPI wvsprintfA(LPSTR buffer, LPCSTR format, va_list arguments) {
  const int limit = 1025;
  int length = vsnprintf(buffer, limit, format, arguments);
  return length < limit ? length : limit - 1;
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
}

void SetModuleFileName(const std::string &windowsPath) { g_modulePath = windowsPath; }

void SetCountryCode(const std::string &code, bool failLookup) {
  g_countryCode = code;
  g_failLocale = failLookup;
}

int LocaleQueries() { return g_localeQueries; }

}  // namespace sim
