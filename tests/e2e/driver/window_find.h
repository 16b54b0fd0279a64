/* Finding the windows of other processes: dialogs by caption, top-level windows by class. */
#ifndef E2E_WINDOW_FIND_H
#define E2E_WINDOW_FIND_H

#include <windows.h>

/* A visible top-level dialog (class #32770) whose caption is exactly `caption`, or NULL. */
HWND FindDialog(const char *caption);

/* Polls FindDialog until it finds one or `timeoutMs` have passed. */
HWND WaitForDialog(const char *caption, DWORD timeoutMs);

/* Polls until `dialog` is destroyed or hidden; nonzero when it went within `timeoutMs`. */
int WaitUntilGone(HWND dialog, DWORD timeoutMs);

typedef void (*TopLevelVisitor)(HWND window, void *context);

/* Calls `visit` for each top-level window, of class `className` only when that is not NULL. */
void ForEachTopLevel(const char *className, TopLevelVisitor visit, void *context);

/* A window's text read through WM_GETTEXT, which crosses process boundaries. */
void ReadWindowText(HWND window, char *buffer, int size);

#endif
