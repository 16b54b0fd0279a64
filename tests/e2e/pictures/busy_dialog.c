/*
 * Finds a dialog whose owner is too busy to answer messages, for pictures of the copy dialog
 * (its thread extracts inside one timer message and answers nothing until it has finished).
 *
 *   busy_dialog.exe CAPTION MS
 *
 * Waits up to MS for a visible dialog with this caption and prints one JSON line with its
 * window handle and screen rectangle, then waits (up to MS again) until that dialog has gone
 * and prints a second line. Exit code 1 when it never showed up or never went.
 * GetWindowTextA reads another process's caption without sending it a message, so a busy
 * owner cannot block this, where WM_GETTEXT would wait for the whole extraction.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

typedef struct {
  const char *caption;
  HWND found;
} Search;

static BOOL CALLBACK Match(HWND window, LPARAM param) {
  Search *search = (Search *)param;
  char className[64];
  char caption[512];
  if (!IsWindowVisible(window)) return TRUE;
  if (!GetClassNameA(window, className, sizeof className) || strcmp(className, "#32770") != 0) return TRUE;
  if (!GetWindowTextA(window, caption, sizeof caption) || strcmp(caption, search->caption) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

int main(int argc, char **argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: busy_dialog.exe CAPTION MS\n");
    return 2;
  }
  DWORD timeout = (DWORD)strtoul(argv[2], NULL, 10);
  DWORD start = GetTickCount();
  for (;;) {
    Search search = {argv[1], NULL};
    EnumWindows(Match, (LPARAM)&search);
    if (search.found) {
      RECT rect;
      GetWindowRect(search.found, &rect);
      printf("{\"event\": \"dialog\", \"hwnd\": %lld, \"rect\": [%ld, %ld, %ld, %ld]}\n",
             (long long)(INT_PTR)search.found, rect.left, rect.top, rect.right, rect.bottom);
      fflush(stdout);
      start = GetTickCount();
      while (IsWindow(search.found) && IsWindowVisible(search.found)) {
        if (GetTickCount() - start >= timeout) return 1;
        Sleep(20);
      }
      printf("{\"event\": \"gone\"}\n");
      return 0;
    }
    if (GetTickCount() - start >= timeout) return 1;
    Sleep(20);
  }
}
