// The colours of the path, licence, copy and completion dialogs: the dialog
// surface and static texts (read-only boxes included) on light grey.
#pragma once

#include <windows.h>

constexpr COLORREF kLightGrey = RGB(192, 192, 192);

// The answer to WM_CTLCOLORDLG and WM_CTLCOLORSTATIC: sets the background of
// the device context to light grey and returns the stock light-grey brush.
INT_PTR PaintLightGrey(WPARAM deviceContext);
