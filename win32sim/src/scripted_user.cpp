// The user of a dialog: the steps a test registered for the template, then
// the default user, who lets timers run out and presses the close box.
// Before each step the dialog is painted and what the user sees recorded.
#include <windows.h>

#include <algorithm>
#include <map>

#include "dialog_internal.h"
#include "window_store.h"
#include "win32sim/testapi.h"

namespace {

// Per template id: the steps of each showing in turn; the last repeats.
std::map<int, std::vector<std::vector<sim::UserStep>>> g_scripts;
std::map<int, size_t> g_showings;

sim::UserStep Step(sim::UserAction action, int control = 0) {
  sim::UserStep step;
  step.action = action;
  step.control = control;
  return step;
}

UINT ColourMessageOf(const sim::Window &control) {
  if (sim::IsEdit(control)) return sim::IsReadOnly(control) || !control.enabled ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
  if (sim::IsPushButton(control)) return WM_CTLCOLORBTN;
  return WM_CTLCOLORSTATIC;
}

// Asks the procedure for the colours of one window, as painting does.
void Paint(HWND dialog, HWND window, UINT message, uint32_t systemColour, bool &coloured, uint32_t &background,
           void *&brush) {
  HDC context = GetDC(window);
  LRESULT answer = sim::SendToProcedure(dialog, message, reinterpret_cast<WPARAM>(context),
                                        reinterpret_cast<LPARAM>(window));
  coloured = answer != 0;
  background = coloured ? sim::BackgroundOf(context) : systemColour;
  brush = reinterpret_cast<void *>(answer);
  ReleaseDC(window, context);
}

void RecordView(HWND dialogHandle, sim::UserAction action) {
  sim::Window *dialog = sim::LookUpWindow(dialogHandle);
  sim::DialogView view{action, dialog->text, 0, false, 0, nullptr, {}};
  Paint(dialogHandle, dialogHandle, WM_CTLCOLORDLG, sim::kSystemFaceColour, view.coloured, view.background,
        view.brush);
  for (HWND child : sim::LookUpWindow(dialogHandle)->children) {
    sim::Window *control = sim::LookUpWindow(child);
    sim::ControlView seen{};
    seen.id = control->id == 0xFFFF ? -1 : control->id;
    seen.className = control->className;
    seen.text = control->text;
    seen.style = control->style;
    seen.visible = control->visible;
    seen.enabled = control->enabled;
    seen.focused = sim::FocusedWindow() == child;
    seen.checked = control->checked;
    seen.readOnly = sim::IsReadOnly(*control);
    seen.font = control->font;
    seen.background = sim::IsEdit(*control) ? sim::kSystemWindowColour : sim::kSystemFaceColour;
    if (control->visible)
      Paint(dialogHandle, child, ColourMessageOf(*control), seen.background, seen.coloured, seen.background,
            seen.brush);
    // Read after painting: the procedure may change the control meanwhile.
    seen.selectionStart = control->selectionStart;
    seen.selectionEnd = control->selectionEnd;
    seen.firstVisibleLine = control->firstVisibleLine;
    if (seen.focused) view.focusId = seen.id;
    view.controls.push_back(seen);
  }
  sim::RunRecord(sim::LookUpWindow(dialogHandle)->runIndex).views.push_back(view);
}

// The control a step acts on, if the user can reach it.
sim::Window *Reachable(HWND dialog, int id) {
  HWND handle = GetDlgItem(dialog, id);
  sim::Window *control = sim::LookUpWindow(handle);
  return control && control->visible && control->enabled ? control : nullptr;
}

void Command(HWND dialog, int id) {
  sim::SendToProcedure(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Enter: the push button with the focus, else the default push button, else IDOK.
int EnterCommand(HWND dialogHandle) {
  sim::Window *focused = sim::LookUpWindow(sim::FocusedWindow());
  if (focused && focused->parent == dialogHandle && sim::IsPushButton(*focused)) return focused->id;
  for (HWND child : sim::LookUpWindow(dialogHandle)->children) {
    sim::Window *control = sim::LookUpWindow(child);
    if (sim::IsButton(*control) && (control->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) return control->id;
  }
  return IDOK;
}

void PressCloseBox(HWND dialog) {
  if (sim::SendToProcedure(dialog, WM_CLOSE, 0, 0) != 0) return;
  // Left to the dialog manager: Cancel, unless that button is disabled.
  HWND cancel = GetDlgItem(dialog, IDCANCEL);
  if (cancel && !IsWindowEnabled(cancel)) return;
  Command(dialog, IDCANCEL);
}

// False when the user cannot do the step.
bool Perform(HWND dialog, const sim::UserStep &step) {
  sim::Window *control = nullptr;
  switch (step.action) {
    case sim::UserAction::Inspect:
      return true;
    case sim::UserAction::Type:
      control = Reachable(dialog, step.control);
      if (!control || !sim::IsEdit(*control)) return false;
      sim::MoveFocus(control->handle);
      if (sim::IsReadOnly(*control)) return false;
      control->selectionStart = 0;
      control->selectionEnd = static_cast<int>(control->text.size());
      sim::ControlMessage(*control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(step.text.c_str()));
      return true;
    case sim::UserAction::Toggle:
    case sim::UserAction::Press:
      control = Reachable(dialog, step.control);
      if (!control || !sim::IsButton(*control)) return false;
      if (step.action == sim::UserAction::Toggle && !sim::IsCheckBox(*control)) return false;
      sim::MoveFocus(control->handle);
      if ((control->style & BS_TYPEMASK) == BS_AUTOCHECKBOX) control->checked = !control->checked;
      Command(dialog, control->id);
      return true;
    case sim::UserAction::Enter:
      Command(dialog, EnterCommand(dialog));
      return true;
    case sim::UserAction::Escape:
      Command(dialog, IDCANCEL);
      return true;
    case sim::UserAction::CloseBox:
      PressCloseBox(dialog);
      return true;
    case sim::UserAction::Timers:
      sim::DeliverTimerMessages(step.count, step.stepMs);
      return true;
    case sim::UserAction::Select:
      control = Reachable(dialog, step.control);
      if (!control || !sim::IsEdit(*control)) return false;
      sim::MoveFocus(control->handle);
      sim::ControlMessage(*control, EM_SETSEL, static_cast<WPARAM>(step.count), step.end);
      return true;
  }
  return false;
}

bool Ended(HWND dialog) { return sim::LookUpWindow(dialog)->ended; }

}  // namespace

namespace sim {

void RunUser(HWND dialog) {
  int runIndex = LookUpWindow(dialog)->runIndex;
  int templateId = LookUpWindow(dialog)->templateId;
  auto script = g_scripts.find(templateId);
  std::vector<UserStep> steps;
  if (script != g_scripts.end() && !script->second.empty()) {
    size_t showing = g_showings[templateId]++;
    steps = script->second[std::min(showing, script->second.size() - 1)];
  }
  for (size_t i = 0; i < steps.size() && !Ended(dialog); ++i) {
    RecordView(dialog, steps[i].action);
    if (!Perform(dialog, steps[i])) RunRecord(runIndex).refusedSteps.push_back(static_cast<int>(i));
  }
  if (Ended(dialog)) return;
  RunRecord(runIndex).scriptUsedUp = true;
  UINT_PTR id;
  TIMERPROC procedure;
  if (FirstTimerOf(dialog, id, procedure)) {
    RecordView(dialog, UserAction::Timers);
    DeliverTimerMessages(kDefaultUserTimerBound, 10);
  }
  if (Ended(dialog)) return;
  RecordView(dialog, UserAction::CloseBox);
  PressCloseBox(dialog);
  if (Ended(dialog)) return;
  // A dialog that refuses to close would hang the real installer.
  NoteDialogFault("the dialog ignored the close box");
  Window *window = LookUpWindow(dialog);
  window->ended = true;
  window->result = -1;
}

void ResetUser() {
  g_scripts.clear();
  g_showings.clear();
}

UserStep Inspect() { return Step(UserAction::Inspect); }
UserStep Type(int control, const std::string &text) {
  UserStep step = Step(UserAction::Type, control);
  step.text = text;
  return step;
}
UserStep Toggle(int control) { return Step(UserAction::Toggle, control); }
UserStep Press(int control) { return Step(UserAction::Press, control); }
UserStep Enter() { return Step(UserAction::Enter); }
UserStep Escape() { return Step(UserAction::Escape); }
UserStep CloseBox() { return Step(UserAction::CloseBox); }
UserStep Timers(int count, uint32_t stepMs) {
  UserStep step = Step(UserAction::Timers);
  step.count = count;
  step.stepMs = stepMs;
  return step;
}
UserStep Select(int control, int start, int end) {
  UserStep step = Step(UserAction::Select, control);
  step.count = start;
  step.end = end;
  return step;
}

void ScriptDialog(int templateId, const std::vector<UserStep> &steps) { ScriptDialogShowings(templateId, {steps}); }

void ScriptDialogShowings(int templateId, const std::vector<std::vector<UserStep>> &showings) {
  g_scripts[templateId] = showings;
  g_showings[templateId] = 0;
}

const ControlView *DialogView::Control(int id) const {
  for (const ControlView &control : controls)
    if (control.id == id) return &control;
  return nullptr;
}

}  // namespace sim
