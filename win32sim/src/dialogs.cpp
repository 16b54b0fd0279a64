// The dialog manager: dialogs built from template resources, their controls,
// the modal run with its user, and the window calls of the procedures.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <map>

#include "dialog_internal.h"
#include "event_log.h"
#include "internal.h"
#include "window_store.h"
#include "win32sim/testapi.h"

namespace {

const uintptr_t kFirstHandle = 0x10000;
const uintptr_t kHandleStep = 0x10;

std::map<uintptr_t, sim::Window> g_windows;
uintptr_t g_nextHandle = kFirstHandle;
HWND g_focus = nullptr;
std::vector<HWND> g_modalStack;
std::vector<sim::DialogRun> g_runs;
std::vector<std::string> g_faults;

uintptr_t KeyOf(HWND handle) { return reinterpret_cast<uintptr_t>(handle); }

int TemplateIdOf(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return static_cast<int>(reinterpret_cast<uintptr_t>(name));
  return name[0] == '#' ? atoi(name + 1) : 0;
}

bool LoadTemplate(HINSTANCE instance, LPCSTR name, sim::DialogTemplate &parsed) {
  HRSRC found = FindResourceA(instance, name, RT_DIALOG);
  if (!found) return false;
  HGLOBAL loaded = LoadResource(instance, found);
  const char *bytes = static_cast<const char *>(LockResource(loaded));
  bool ok = false;
  if (bytes) {
    std::string error;
    ok = sim::ParseDialogTemplate(std::string(bytes, SizeofResource(instance, found)), parsed, error);
    if (!ok) sim::NoteDialogFault(("bad dialog template: " + error).c_str());
  }
  FreeResource(loaded);
  return ok;
}

HWND CreateDialogWindows(const sim::DialogTemplate &parsed, int templateId, DLGPROC procedure) {
  sim::Window &dialog = sim::NewWindow();
  dialog.className = "#32770";
  dialog.text = parsed.caption;
  dialog.style = parsed.style;
  dialog.x = parsed.x;
  dialog.y = parsed.y;
  dialog.width = parsed.width;
  dialog.height = parsed.height;
  dialog.procedure = procedure;
  dialog.templateId = templateId;
  if (parsed.style & DS_SETFONT) dialog.font = sim::DialogFont();
  return dialog.handle;
}

void CreateControls(HWND dialogHandle, const sim::DialogTemplate &parsed) {
  for (const sim::TemplateControl &item : parsed.controls) {
    sim::Window &control = sim::NewWindow();
    sim::Window *dialog = sim::LookUpWindow(dialogHandle);
    control.parent = dialogHandle;
    control.id = item.id & 0xFFFF;
    control.className = item.className;
    control.text = item.text;
    control.iconOrdinal = item.textOrdinal;
    control.style = item.style;
    control.x = item.x;
    control.y = item.y;
    control.width = item.width;
    control.height = item.height;
    control.visible = (item.style & WS_VISIBLE) != 0;
    control.enabled = (item.style & WS_DISABLED) == 0;
    control.font = dialog->font;
    dialog->children.push_back(control.handle);
  }
}

void DestroyDialog(HWND dialogHandle) {
  sim::Window *dialog = sim::LookUpWindow(dialogHandle);
  std::vector<HWND> children = dialog->children;
  for (HWND child : children) {
    if (g_focus == child) g_focus = nullptr;
    sim::DestroyWindowOnly(child);
  }
  if (g_focus == dialogHandle) g_focus = nullptr;
  sim::DestroyWindowOnly(dialogHandle);
}

// What the dialog manager does with WM_INITDIALOG's answer.
void ApplyInitialFocus(HWND dialogHandle, LRESULT answer) {
  if (answer == 0) return;  // the procedure set the focus itself
  sim::Window *dialog = sim::LookUpWindow(dialogHandle);
  HWND target = sim::FirstTabStop(*dialog);
  if (!target) return;
  sim::MoveFocus(target);
  sim::Window *control = sim::LookUpWindow(target);
  // Tabbing into an entry selects its whole text.
  if (sim::IsEdit(*control)) {
    control->selectionStart = 0;
    control->selectionEnd = static_cast<int>(control->text.size());
  }
}

}  // namespace

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND, DLGPROC procedure, LPARAM initParam) {
  sim::DialogTemplate parsed;
  if (!procedure || !LoadTemplate(instance, templateName, parsed)) return -1;
  int templateId = TemplateIdOf(templateName);
  HWND dialogHandle = CreateDialogWindows(parsed, templateId, procedure);
  int runIndex = static_cast<int>(g_runs.size());
  g_runs.push_back(sim::DialogRun{templateId, false, 0, false, {}, 0, {}});
  sim::LogEvent("dialog " + std::to_string(templateId));
  sim::LookUpWindow(dialogHandle)->runIndex = runIndex;
  g_modalStack.push_back(dialogHandle);

  if (parsed.style & DS_SETFONT)
    sim::SendToProcedure(dialogHandle, WM_SETFONT, reinterpret_cast<WPARAM>(sim::DialogFont()), 0);
  CreateControls(dialogHandle, parsed);
  sim::Window *dialog = sim::LookUpWindow(dialogHandle);
  LRESULT answer = sim::SendToProcedure(dialogHandle, WM_INITDIALOG,
                                        reinterpret_cast<WPARAM>(sim::FirstTabStop(*dialog)), initParam);
  dialog = sim::LookUpWindow(dialogHandle);
  if (!dialog->ended) {
    ApplyInitialFocus(dialogHandle, answer);
    dialog->visible = (dialog->style & WS_VISIBLE) != 0;
    g_runs[runIndex].shown = dialog->visible;
    sim::RunUser(dialogHandle);
  }
  g_runs[runIndex].fontsLiveAtEnd = sim::LiveFonts();
  sim::SendToProcedure(dialogHandle, WM_DESTROY, 0, 0);
  dialog = sim::LookUpWindow(dialogHandle);
  INT_PTR result = dialog->result;
  g_runs[runIndex].result = static_cast<long>(result);
  g_runs[runIndex].timersLeftRunning = sim::TimersOf(dialogHandle);
  sim::LogEvent("end " + std::to_string(templateId) + " " + std::to_string(result));
  sim::KillTimersOf(dialogHandle);
  g_modalStack.pop_back();
  DestroyDialog(dialogHandle);
  return result;
}

BOOL WINAPI EndDialog(HWND dialogHandle, INT_PTR result) {
  sim::Window *dialog = sim::LookUpLiveWindow(dialogHandle, "EndDialog");
  if (!dialog || dialog->parent || dialog->ended) {
    if (dialog) sim::NoteDialogFault("EndDialog on a control or an ended dialog");
    return FALSE;
  }
  // Takes effect when the procedure returns to the dialog manager.
  dialog->ended = true;
  dialog->result = result;
  return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialogHandle, int id) {
  sim::Window *dialog = sim::LookUpLiveWindow(dialogHandle, "GetDlgItem");
  if (!dialog) return nullptr;
  for (HWND child : dialog->children)
    if (sim::LookUpWindow(child)->id == (id & 0xFFFF)) return child;
  return nullptr;
}

int WINAPI GetDlgCtrlID(HWND control) {
  sim::Window *window = sim::LookUpLiveWindow(control, "GetDlgCtrlID");
  return window && window->parent ? window->id : 0;
}

LRESULT WINAPI SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  sim::Window *window = sim::LookUpLiveWindow(handle, "SendMessageA");
  if (!window) return 0;
  if (!window->parent) return sim::SendToProcedure(handle, message, wParam, lParam);
  return sim::ControlMessage(*window, message, wParam, lParam);
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SendMessageA(control, message, wParam, lParam) : 0;
}

BOOL WINAPI SetWindowTextA(HWND handle, LPCSTR text) {
  sim::Window *window = sim::LookUpLiveWindow(handle, "SetWindowTextA");
  if (!window) return FALSE;
  if (!window->parent) {
    window->text = text ? text : "";
    return TRUE;
  }
  return static_cast<BOOL>(sim::ControlMessage(*window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

int WINAPI GetWindowTextA(HWND handle, LPSTR buffer, int size) {
  sim::Window *window = sim::LookUpLiveWindow(handle, "GetWindowTextA");
  if (!window || !buffer || size <= 0) return 0;
  size_t copied = window->text.size() < static_cast<size_t>(size) ? window->text.size() : static_cast<size_t>(size) - 1;
  memcpy(buffer, window->text.data(), copied);
  buffer[copied] = '\0';
  return static_cast<int>(copied);
}

int WINAPI GetWindowTextLengthA(HWND handle) {
  sim::Window *window = sim::LookUpLiveWindow(handle, "GetWindowTextLengthA");
  return window ? static_cast<int>(window->text.size()) : 0;
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SetWindowTextA(control, text) : FALSE;
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) {
    if (buffer && size > 0) buffer[0] = '\0';
    return 0;
  }
  return static_cast<UINT>(GetWindowTextA(control, buffer, size));
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return FALSE;
  SendMessageA(control, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control ? static_cast<UINT>(SendMessageA(control, BM_GETCHECK, 0, 0)) : 0;
}

HWND WINAPI SetFocus(HWND handle) {
  HWND previous = g_focus;
  if (handle && !sim::LookUpLiveWindow(handle, "SetFocus")) return nullptr;
  sim::MoveFocus(handle);
  return previous;
}

HWND WINAPI GetFocus(void) { return g_focus; }

BOOL WINAPI ShowWindow(HWND handle, int command) {
  sim::Window *window = sim::LookUpLiveWindow(handle, "ShowWindow");
  if (!window) return FALSE;
  BOOL wasVisible = window->visible ? TRUE : FALSE;
  window->visible = command != SW_HIDE;
  return wasVisible;
}

BOOL WINAPI IsWindowVisible(HWND handle) {
  sim::Window *window = sim::LookUpWindow(handle);
  return window && window->visible ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND handle, BOOL enable) {
  sim::Window *window = sim::LookUpLiveWindow(handle, "EnableWindow");
  if (!window) return FALSE;
  BOOL wasDisabled = window->enabled ? FALSE : TRUE;
  window->enabled = enable != FALSE;
  return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND handle) {
  sim::Window *window = sim::LookUpWindow(handle);
  return window && window->enabled ? TRUE : FALSE;
}

BOOL WINAPI IsWindow(HWND handle) { return sim::LookUpWindow(handle) ? TRUE : FALSE; }

namespace sim {

Window *LookUpWindow(HWND handle) {
  auto found = g_windows.find(KeyOf(handle));
  return found == g_windows.end() ? nullptr : &found->second;
}

Window *LookUpLiveWindow(HWND handle, const char *caller) {
  Window *window = LookUpWindow(handle);
  if (!window && handle) NoteDialogFault((std::string(caller) + " on a window that does not exist").c_str());
  return window;
}

Window &NewWindow() {
  HWND handle = reinterpret_cast<HWND>(g_nextHandle);
  g_nextHandle += kHandleStep;
  Window &window = g_windows[KeyOf(handle)];
  window.handle = handle;
  return window;
}

void DestroyWindowOnly(HWND handle) { g_windows.erase(KeyOf(handle)); }

HWND FocusedWindow() { return g_focus; }

void MoveFocus(HWND handle) {
  if (handle == g_focus) return;
  HWND previous = g_focus;
  g_focus = handle;
  if (Window *old = LookUpWindow(previous))
    if (IsEdit(*old)) NotifyParent(*old, EN_KILLFOCUS);
  if (Window *now = LookUpWindow(handle))
    if (IsEdit(*now)) NotifyParent(*now, EN_SETFOCUS);
}

LRESULT SendToProcedure(HWND dialogHandle, UINT message, WPARAM wParam, LPARAM lParam) {
  Window *dialog = LookUpWindow(dialogHandle);
  if (!dialog || !dialog->procedure) return 0;
  return dialog->procedure(dialogHandle, message, wParam, lParam);
}

void NotifyParent(const Window &control, WORD code) {
  SendToProcedure(control.parent, WM_COMMAND, MAKEWPARAM(control.id, code), reinterpret_cast<LPARAM>(control.handle));
}

HWND FirstTabStop(const Window &dialog) {
  for (HWND child : dialog.children) {
    const Window *control = LookUpWindow(child);
    if (control->visible && control->enabled && (control->style & WS_TABSTOP)) return child;
  }
  return nullptr;
}

HWND TopDialog() { return g_modalStack.empty() ? nullptr : g_modalStack.back(); }

int TopDialogTemplateId() {
  Window *dialog = LookUpWindow(TopDialog());
  return dialog ? dialog->templateId : 0;
}

int DeliverTimerMessages(int count, uint32_t stepMs) {
  HWND dialogHandle = TopDialog();
  int delivered = 0;
  for (; delivered < count; ++delivered) {
    Window *dialog = LookUpWindow(dialogHandle);
    UINT_PTR id;
    TIMERPROC procedure;
    if (!dialog || dialog->ended || !FirstTimerOf(dialogHandle, id, procedure)) break;
    AdvanceClock(stepMs);
    if (procedure)
      procedure(dialogHandle, WM_TIMER, id, GetTickCount());
    else
      SendToProcedure(dialogHandle, WM_TIMER, id, 0);
  }
  return delivered;
}

bool ClientSizeOf(HWND handle, int &width, int &height) {
  Window *window = LookUpWindow(handle);
  if (!window) return false;
  width = window->width * kDialogBaseUnitX / 4;
  height = window->height * kDialogBaseUnitY / 8;
  return true;
}

bool FontInUse(HGDIOBJ font) {
  for (const auto &entry : g_windows)
    if (entry.second.font == font) return true;
  return false;
}

void NoteDialogFault(const char *what) { g_faults.push_back(what); }

DialogRun &RunRecord(int index) { return g_runs[static_cast<size_t>(index)]; }

bool IsEdit(const Window &window) { return window.className == "EDIT"; }
bool IsButton(const Window &window) { return window.className == "BUTTON"; }
bool IsPushButton(const Window &window) {
  uint32_t type = window.style & BS_TYPEMASK;
  return IsButton(window) && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}
bool IsCheckBox(const Window &window) {
  uint32_t type = window.style & BS_TYPEMASK;
  return IsButton(window) && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX);
}
bool IsMultiline(const Window &window) { return IsEdit(window) && (window.style & ES_MULTILINE); }
bool IsReadOnly(const Window &window) { return IsEdit(window) && (window.style & ES_READONLY); }

const std::vector<DialogRun> &DialogRuns() { return g_runs; }

int TimersNeverKilled() {
  int count = RunningTimers();
  for (const DialogRun &run : g_runs) count += run.timersLeftRunning;
  return count;
}

const DialogRun *LastDialogRun(int templateId) {
  for (auto run = g_runs.rbegin(); run != g_runs.rend(); ++run)
    if (run->templateId == templateId) return &*run;
  return nullptr;
}

const std::vector<std::string> &DialogFaults() { return g_faults; }

int LiveWindows() { return static_cast<int>(g_windows.size()); }

void ResetDialogs() {
  g_windows.clear();
  g_nextHandle = kFirstHandle;
  g_focus = nullptr;
  g_modalStack.clear();
  g_runs.clear();
  g_faults.clear();
  ResetMessageBoxes();
  ResetTimers();
  ResetUser();
}

}  // namespace sim
