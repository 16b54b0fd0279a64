// Process and system information.
#pragma once

#include "win32sim/types.h"

#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_ICOUNTRY 0x0005

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
int WINAPI GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR buffer, int size);

// The GUI entry that the product defines.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show);
