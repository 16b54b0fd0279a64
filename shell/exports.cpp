#include "shell/exports.h"

std::atomic<BYTE> g_windowsGeneration{kWindowsUnknown};

namespace {

constexpr DWORD kPlatformBit = 0x80000000u;

unsigned FoldToUpper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c; }

}  // namespace

int WINAPI DetectWindows(void) {
  BYTE generation = g_windowsGeneration.load(std::memory_order_relaxed);
  if (generation != kWindowsUnknown) return generation;
  DWORD version = GetVersion();
  if ((version & kPlatformBit) == 0) {
    generation = 2;
  } else {
    unsigned major = version & 0xFF;
    unsigned minor = (version >> 8) & 0xFF;
    generation = (major >= 4 || (major == 3 && minor >= 80)) ? 1 : 0;
  }
  g_windowsGeneration.store(generation, std::memory_order_relaxed);
  return generation;
}

int WINAPI lstrcmpni(LPCSTR first, LPCSTR second, DWORD count) {
  for (WORD left = static_cast<WORD>(count); left != 0; --left, ++first, ++second) {
    unsigned a = FoldToUpper(static_cast<unsigned char>(*first));
    unsigned b = FoldToUpper(static_cast<unsigned char>(*second));
    if (a < b) return -1;
    if (a > b) return 1;
    if (a == 0) return 0;
  }
  return 0;
}
