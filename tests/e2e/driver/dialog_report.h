/* Prints what a dialog shows: its caption, place, focus and every control's state. */
#ifndef E2E_DIALOG_REPORT_H
#define E2E_DIALOG_REPORT_H

#include <windows.h>

/* The control that has the keyboard focus in the dialog's thread, or NULL. */
HWND FocusedWindow(HWND dialog);

void ReportDialog(const char *event, HWND dialog);
void ReportControls(HWND dialog);

#endif
