#include "payload/copy_dialog.h"

#include "payload/extraction.h"
#include "ui/dialog_colors.h"

LONG g_extractionGuard = 0;
bool g_extractionBegun = false;
UINT_PTR g_copyTimer = 0;

namespace {
// The shortest a timer takes (USER_TIMER_MINIMUM). Its message comes only
// once nothing else waits, painting included: the dialog is drawn whole
// before the copy begins, however short the delay.
const UINT kStartDelay = 10;
// A window's timer needs an id of its own: for id 0 SetTimer answers 1, and
// KillTimer with that 1 would kill nothing.
const UINT_PTR kCopyTimerId = 1;
}

INT_PTR CALLBACK CopyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      g_copyTimer = SetTimer(dialog, kCopyTimerId, kStartDelay, nullptr);
      return TRUE;
    case WM_TIMER:
      if (g_extractionGuard == 0) {
        ++g_extractionGuard;
        g_extractionBegun = true;
        LONG result = ExtractArchive(dialog);
        KillTimer(dialog, g_copyTimer);
        EndDialog(dialog, result);
        --g_extractionGuard;
      }
      return TRUE;
    case WM_CLOSE:
      KillTimer(dialog, g_copyTimer);
      EndDialog(dialog, -1);
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      return PaintLightGrey(wParam);
  }
  return FALSE;
}
