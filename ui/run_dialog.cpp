#include "ui/run_dialog.h"

#include "core/installer_state.h"

LONG RunDialog(HINSTANCE instance, WORD baseTemplateId, HWND owner, DLGPROC procedure) {
  WORD templateId = baseTemplateId;
  // Each dialog falls back to its base template on its own.
  if (g_languageIndex > 0 && g_languageIndex < kLanguageCount) {
    WORD variantId = static_cast<WORD>(baseTemplateId + g_languageIndex);
    if (FindResourceA(instance, MAKEINTRESOURCEA(variantId), RT_DIALOG)) templateId = variantId;
  }
  return static_cast<LONG>(DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, procedure, 0));
}
