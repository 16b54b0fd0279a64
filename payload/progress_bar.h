// The percentage bar drawn over the copy dialog's progress control.
#pragma once

#include <windows.h>

// Redraws the bar from the delivered and total byte counts unless the last
// redraw was 50 ms ago or less; `text` (2,048 bytes) receives the figure.
void RedrawProgress(HWND dialog, DWORD *lastRedraw, char *text, size_t textSize);
