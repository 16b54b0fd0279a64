#include "ui/assoc_dialog.h"

#include "core/decimal_option.h"
#include "core/installer_state.h"
#include "core/options.h"
#include "ui/dialog_ids.h"

namespace {

// 1, or the option "sAssoc" read as a number.
LONG DefaultState() {
  const char *preset = FindOption("sAssoc");
  return preset ? ReadDecimalOption(preset) : 1;
}

INT_PTR InitChecklist(HWND dialog) {
  LONG state = DefaultState();
  if (FindOption("sSilent")) {
    // Silent: the options answer; the user is never asked.
    for (signed char &flag : g_associationFlags) flag = static_cast<signed char>(state & 0xFF);
    EndDialog(dialog, state);
    return 0;
  }
  for (int i = 0; i < kAssociationCount; ++i)
    CheckDlgButton(dialog, kFirstAssociationBoxId + i, state != 0 ? BST_CHECKED : BST_UNCHECKED);
  SetFocus(GetDlgItem(dialog, kSkipButtonId));
  return 0;  // the focus is set
}

void StoreCheckedTypes(HWND dialog) {
  for (int i = 0; i < kAssociationCount; ++i)
    g_associationFlags[i] = IsDlgButtonChecked(dialog, kFirstAssociationBoxId + i) == BST_CHECKED ? 1 : 0;
}

}  // namespace

// The checklist keeps the system's colours: no answer to the colour messages.
INT_PTR CALLBACK AssocDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return InitChecklist(dialog);
    case WM_COMMAND:
      if (wParam == kGoOnButtonId) {
        StoreCheckedTypes(dialog);
        EndDialog(dialog, 1);
      } else if (wParam == kSkipButtonId) {
        EndDialog(dialog, 0);
      } else if (wParam == kExitButtonId) {
        EndDialog(dialog, -1);
      }
      return 1;
    default:
      return 0;
  }
}
