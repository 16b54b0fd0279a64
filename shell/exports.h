// Utility functions that setup.exe exports for other modules (ordinals 1 and
// 2, "_DetectWindows@0" and "_lstrcmpni@12"); the installer itself calls
// neither.
#pragma once

#include <windows.h>

#include <atomic>

constexpr BYTE kWindowsUnknown = 0xFF;

// The Windows generation found by the first DetectWindows call, or
// kWindowsUnknown. Racing first calls store the same value.
extern std::atomic<BYTE> g_windowsGeneration;

extern "C" {
// 2 for the NT family, 1 for the 95 family (version 3.80 or later with the
// platform bit set), 0 for Win32s on a 16-bit Windows.
int WINAPI DetectWindows(void);
// Compares at most the low 16 bits of `count` characters, folding only a-z to
// upper case; -1, 0 or 1.
int WINAPI lstrcmpni(LPCSTR first, LPCSTR second, DWORD count);
}
