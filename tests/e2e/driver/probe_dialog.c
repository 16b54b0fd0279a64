/*
 * A dialog of known behaviour for the harness's self-test: the entry starts as "C:\PROBE",
 * box 103 checked and 104 clear, line 114 hidden, focus on Cancel. When the dialog ends, the
 * program writes probe.log beside itself (result, entry text, both boxes) and exits with
 * the result: 0 Accept or Enter, 2 Cancel or Esc, 3 the close box.
 */
#include <stdio.h>
#include <string.h>
#include <windows.h>

enum { kDialog = 100, kEntry = 101, kFirstBox = 103, kSecondBox = 104, kHiddenLine = 114 };
enum { kResultClosed = 3 };

static char g_entry[260];
static int g_firstBox;
static int g_secondBox;

static void KeepState(HWND dialog) {
  GetDlgItemTextA(dialog, kEntry, g_entry, sizeof g_entry);
  g_firstBox = IsDlgButtonChecked(dialog, kFirstBox);
  g_secondBox = IsDlgButtonChecked(dialog, kSecondBox);
}

static INT_PTR CALLBACK ProbeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dialog, kEntry, "C:\\PROBE");
      CheckDlgButton(dialog, kFirstBox, BST_CHECKED);
      ShowWindow(GetDlgItem(dialog, kHiddenLine), SW_HIDE);
      SetFocus(GetDlgItem(dialog, IDCANCEL));
      return FALSE;
    case WM_COMMAND:
      if (wParam == IDOK || wParam == IDCANCEL) {
        KeepState(dialog);
        EndDialog(dialog, (INT_PTR)wParam == IDOK ? 0 : IDCANCEL);
      }
      return TRUE;
    case WM_CLOSE:
      KeepState(dialog);
      EndDialog(dialog, kResultClosed);
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      /* The installer's light grey, so screenshots of the probe look like its dialogs. */
      SetBkColor((HDC)wParam, RGB(192, 192, 192));
      return (INT_PTR)GetStockObject(LTGRAY_BRUSH);
    default:
      return FALSE;
  }
}

static void WriteLog(INT_PTR result) {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
  char *cut = strrchr(path, '\\');
  if (length == 0 || !cut || (size_t)(cut - path) + sizeof "\\probe.log" > sizeof path) return;
  strcpy(cut, "\\probe.log");
  FILE *log = fopen(path, "w");
  if (!log) return;
  fprintf(log, "result=%d\ntext=%s\nbox103=%d\nbox104=%d\n", (int)result, g_entry, g_firstBox, g_secondBox);
  fclose(log);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  (void)previous, (void)commandLine, (void)show;
  INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(kDialog), NULL, ProbeDialogProc, 0);
  WriteLog(result);
  return (int)result;
}
