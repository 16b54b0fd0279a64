// The windows of the stand-in's dialog manager: dialogs and their controls,
// kept until the dialog ends. Private to the dialog area.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win32sim/testapi.h"

namespace sim {

struct Window {
  HWND handle = nullptr;
  HWND parent = nullptr;  // null for a dialog
  int id = 0;             // as the template stores it: 0xFFFF for -1
  std::string className;  // "#32770" for dialogs
  std::string text;       // caption of a dialog
  uint32_t style = 0;
  int x = 0, y = 0, width = 0, height = 0;  // dialog units
  bool visible = false, enabled = true;
  int checked = BST_UNCHECKED;
  int iconOrdinal = -1;
  HGDIOBJ font = nullptr;
  // Edit controls
  int selectionStart = 0, selectionEnd = 0, firstVisibleLine = 0;
  int textLimit = 30000;
  // Dialogs
  DLGPROC procedure = nullptr;
  int templateId = 0;
  int runIndex = -1;
  bool ended = false;
  INT_PTR result = 0;
  std::vector<HWND> children;
};

Window *LookUpWindow(HWND handle);  // null for null or dead handles
Window *LookUpLiveWindow(HWND handle, const char *caller);  // notes a fault for dead ones
Window &NewWindow();
void DestroyWindowOnly(HWND handle);
HWND FocusedWindow();
void MoveFocus(HWND handle);  // with the edit controls' focus notifications

bool IsEdit(const Window &window);
bool IsButton(const Window &window);
bool IsPushButton(const Window &window);
bool IsCheckBox(const Window &window);
bool IsMultiline(const Window &window);
bool IsReadOnly(const Window &window);

// A message to the dialog procedure, as the dialog manager delivers it.
LRESULT SendToProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// A control's own handling of a message.
LRESULT ControlMessage(Window &control, UINT message, WPARAM wParam, LPARAM lParam);
// WM_COMMAND with a notification code from a control to its dialog.
void NotifyParent(const Window &control, WORD code);

// The first visible, enabled control with WS_TABSTOP, or null.
HWND FirstTabStop(const Window &dialog);

// The record of a dialog run, by Window::runIndex.
DialogRun &RunRecord(int index);

// The user of one dialog run: the test's steps, then the default user.
void RunUser(HWND dialog);

}  // namespace sim
