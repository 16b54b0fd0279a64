#include "dialog_actions.h"

#include "dialog_report.h"

enum { kMessageTimeoutMs = 5000 };

const char *TypeText(HWND dialog, int id, const char *text) {
  HWND control = GetDlgItem(dialog, id);
  DWORD_PTR result = 0;
  if (!control) return "no such control";
  if (!SendMessageTimeoutA(control, WM_SETTEXT, 0, (LPARAM)text, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result))
    return "WM_SETTEXT timed out";
  return result ? NULL : "WM_SETTEXT refused";
}

const char *ToggleCheckBox(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  DWORD_PTR result = 0;
  if (!control) return "no such control";
  if (!IsWindowVisible(control) || !IsWindowEnabled(control)) return "check box hidden or disabled";
  /* Sent, not posted: the state has changed when this returns, so a report right after sees it. */
  if (!SendMessageTimeoutA(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result))
    return "BM_CLICK timed out";
  return NULL;
}

const char *PressButton(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return "no such control";
  /* A user cannot press what is hidden or greyed. */
  if (!IsWindowVisible(control)) return "button hidden";
  if (!IsWindowEnabled(control)) return "button disabled";
  /* Posted: the press may end the dialog and the installer go on, which a sent message would wait for. */
  if (!PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)control)) return "PostMessage failed";
  return NULL;
}

const char *PressKey(HWND dialog, WORD virtualKey) {
  HWND target = FocusedWindow(dialog);
  if (!target) target = dialog;
  /* The dialog's own loop turns the key into a command, as it would for a real key press. */
  if (!PostMessageA(target, WM_KEYDOWN, virtualKey, 1)) return "PostMessage failed";
  if (!PostMessageA(target, WM_KEYUP, virtualKey, 0xC0000001)) return "PostMessage failed";
  return NULL;
}

const char *PressCloseBox(HWND dialog) {
  if (!PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0)) return "PostMessage failed";
  return NULL;
}
