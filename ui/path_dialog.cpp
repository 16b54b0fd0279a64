#include "ui/path_dialog.h"

#include <cstring>

#include "core/bounded_string.h"
#include "core/format_text.h"
#include "core/installer_state.h"
#include "core/messages.h"
#include "core/options.h"
#include "payload/payload_reader.h"
#include "ui/dialog_colors.h"
#include "ui/dialog_ids.h"

namespace {

void ShowDestination(HWND dialog) {
  // A preset path that does not fit the destination buffer is refused whole
  // rather than cut into a different path. One given on the command line
  // (already in place) wins over it.
  const char *preset = FindOption("sDefPathNT");
  if (!g_destinationGiven && preset && strlen(preset) < kPathSize) CopyString(g_destinationDir, kPathSize, preset);
  SetWindowTextA(dialog, GetMessageText("winTit"));
  SetDlgItemTextA(dialog, kPathEntryId, g_destinationDir);

  char sizeLine[kSizeLineSize];
  // A translated text that formats longer than the line is cut there.
  FormatText(sizeLine, sizeof sizeLine, GetMessageText("occupy"), static_cast<long>(g_payloadTotalSize / 1024));
  SetDlgItemTextA(dialog, kSizeLineId, sizeLine);
}

}  // namespace

INT_PTR CALLBACK PathDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      ShowDestination(dialog);
      return 1;  // the dialog manager puts the focus into the entry
    case WM_COMMAND:
      if (wParam == kGoOnButtonId) {
        GetDlgItemTextA(dialog, kPathEntryId, g_destinationDir, kPathSize);
        EndDialog(dialog, 0);
      } else if (wParam == kExitButtonId) {
        EndDialog(dialog, -1);
      }
      return 1;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      return PaintLightGrey(wParam);
    default:
      return 0;
  }
}
