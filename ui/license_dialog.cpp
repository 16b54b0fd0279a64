#include "ui/license_dialog.h"

#include "core/bounded_string.h"
#include "core/messages.h"
#include "ui/dialog_colors.h"
#include "ui/dialog_ids.h"

HFONT g_agreementFont = nullptr;

namespace {

const char *const kAgreementKeys[] = {"license", "license2", "license3"};
const int kTemplateDpi = 96;      // the DPI the agreement's 11-pixel height was chosen for
const int kAgreementHeight = 11;  // character height at that DPI

// The templates' own font grows with the system's DPI; the agreement's must too, or at
// 200% it would be half the size of every text around it.
int SystemDpi() {
  HDC screen = GetDC(nullptr);
  if (!screen) return kTemplateDpi;
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kTemplateDpi;
}

HFONT CreateAgreementFont() {
  LOGFONTA description = {};
  // Character height, not cell height: exactly -11 at 96 DPI.
  description.lfHeight = -MulDiv(kAgreementHeight, SystemDpi(), kTemplateDpi);
  description.lfWeight = FW_NORMAL;
  description.lfCharSet = ANSI_CHARSET;
  description.lfOutPrecision = OUT_DEFAULT_PRECIS;
  description.lfClipPrecision = CLIP_LH_ANGLES;
  description.lfQuality = PROOF_QUALITY;
  description.lfPitchAndFamily = VARIABLE_PITCH | FF_DONTCARE;
  CopyString(description.lfFaceName, sizeof description.lfFaceName, "Times New Roman");
  return CreateFontIndirectA(&description);
}

// Nothing stays selected in the agreement: the caret goes back to the start.
void CollapseSelection(HWND box) {
  if (!box) return;  // before the controls exist
  DWORD start = 0, end = 0;
  SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (start != end) SendMessageA(box, EM_SETSEL, 0, 0);
}

void FillAgreementBox(HWND box) {
  g_agreementFont = CreateAgreementFont();
  if (g_agreementFont) SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(g_agreementFont), FALSE);
  SendMessageA(box, EM_SETSEL, 0, -1);
  for (const char *key : kAgreementKeys)
    SendMessageA(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(GetMessageText(key)));
  SendMessageA(box, EM_LINESCROLL, 0, -10000);
  SendMessageA(box, EM_SETREADONLY, TRUE, 0);
}

// The box gets the system font back first, so it never holds a deleted font.
void ReleaseAgreementFont(HWND box) {
  if (!g_agreementFont) return;
  SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(SYSTEM_FONT)), FALSE);
  DeleteObject(g_agreementFont);
  g_agreementFont = nullptr;
}

void EndLicenseDialog(HWND dialog, HWND box, INT_PTR result) {
  ReleaseAgreementFont(box);
  EndDialog(dialog, result);
}

}  // namespace

INT_PTR CALLBACK LicenseDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  HWND box = GetDlgItem(dialog, kAgreementBoxId);
  CollapseSelection(box);
  switch (message) {
    case WM_INITDIALOG:
      FillAgreementBox(box);
      return 1;  // the focus goes into the agreement box
    case WM_COMMAND:
      if (wParam == kGoOnButtonId)
        EndLicenseDialog(dialog, box, 0);
      else if (wParam == kExitButtonId)
        EndLicenseDialog(dialog, box, -1);
      return 1;
    case WM_CLOSE:
      EndLicenseDialog(dialog, box, -1);
      return 1;
    case WM_DESTROY:
      ReleaseAgreementFont(box);  // no font outlives the dialog, however it ended
      return 0;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      return PaintLightGrey(wParam);
    default:
      return 0;
  }
}
