// Licence dialog (template 210): the agreement in a read-only box. Ends with
// 0 (agreed) or -1 (leave).
#pragma once

#include <windows.h>

// The agreement box's own font while the dialog runs; null otherwise.
extern HFONT g_agreementFont;

INT_PTR CALLBACK LicenseDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
