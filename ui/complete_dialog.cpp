#include "ui/complete_dialog.h"

#include "core/installer_state.h"
#include "ui/dialog_colors.h"
#include "ui/dialog_ids.h"

namespace {

// Without autorun only the report of success and the Exit button remain.
INT_PTR InitCompletion(HWND dialog) {
  if (g_autorun) return 1;  // the focus goes to "Run MoraLUME Now"
  SetFocus(GetDlgItem(dialog, kExitButtonId));
  const int hidden[] = {kGoOnButtonId, kRunLineIds[0], kRunLineIds[1], kRunLineIds[2]};
  for (int id : hidden) {
    HWND control = GetDlgItem(dialog, id);  // 116 exists in translated templates only
    if (control) ShowWindow(control, SW_HIDE);
  }
  return 0;
}

}  // namespace

INT_PTR CALLBACK CompleteDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return InitCompletion(dialog);
    case WM_COMMAND:
      if (wParam == kGoOnButtonId)
        EndDialog(dialog, 0);
      else if (wParam == kExitButtonId)
        EndDialog(dialog, -1);
      return 1;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      return PaintLightGrey(wParam);
    default:
      return 0;
  }
}
