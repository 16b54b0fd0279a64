// Test side: Dialog manager, windows, message boxes, timers and the tick count.
//
// Everything runs synchronously on the caller's thread. DialogBoxParamA builds
// the dialog from the template bytes among the module's resources, sends
// WM_SETFONT and WM_INITDIALOG, and then lets a user act: the steps that the
// test registered for the template id, else the default user (timer messages
// while a timer runs, then the close box). Before every step the dialog is
// painted (the colour messages go to the procedure) and what the user sees is
// recorded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// ---- Message boxes
struct MessageBoxRecord {
  void *owner;
  std::string text;
  std::string caption;
  unsigned flags;
  int dialogBelow;  // template id of the dialog up at the time, 0 for none
  int result;
};
const std::vector<MessageBoxRecord> &MessageBoxes();

// How the user answers the message box with the given number (0 = the first
// since Reset): first `timerMessages` timer messages reach the dialog below,
// each advancing the clock by `stepMs`, then the box closes with `result`.
struct MessageBoxAnswer {
  int timerMessages = 0;
  uint32_t stepMs = 10;
  int result = 1;  // IDOK
};
void AnswerMessageBox(int index, const MessageBoxAnswer &answer);

// ---- Clock and timers
void SetClock(uint32_t tickCount);  // what GetTickCount returns next
void AdvanceClock(uint32_t ms);
// Every GetTickCount call moves the clock on by this much after answering.
void AdvanceClockPerQuery(uint32_t ms);
uint32_t Clock();
int RunningTimers();           // set and not killed, over all windows
void FailSetTimer(bool fail);  // SetTimer returns 0

// ---- Dialog templates (standard DLGTEMPLATE layout)
struct TemplateControl {
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  int id = 0;                // 16 bits as stored: -1 is 0xFFFF
  std::string className;     // "BUTTON", "EDIT", "STATIC"... for class atoms
  std::string text;          // empty when the text is an ordinal
  int textOrdinal = -1;      // resource ordinal (icons), else -1
  std::string creationData;
};
struct DialogTemplate {
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  std::string menu;       // empty: none; "#n" for an ordinal
  std::string className;  // empty: the default dialog class
  std::string caption;
  int pointSize = 0;  // with DS_SETFONT
  std::string fontName;
  std::vector<TemplateControl> controls;
};
// False with a reason for bytes that are no complete standard template.
bool ParseDialogTemplate(const std::string &bytes, DialogTemplate &parsed, std::string &error);

// ---- The scripted user
enum class UserAction { Inspect, Type, Toggle, Press, Enter, Escape, CloseBox, Timers, Select };
struct UserStep {
  UserAction action = UserAction::Inspect;
  int control = 0;       // Type, Toggle, Press, Select
  std::string text;      // Type: replaces the entry's whole text
  int count = 0;         // Timers: messages; Select: selection start
  uint32_t stepMs = 10;  // Timers: clock advance per message
  int end = 0;           // Select: selection end
};
UserStep Inspect();
UserStep Type(int control, const std::string &text);
UserStep Toggle(int control);
UserStep Press(int control);
UserStep Enter();
UserStep Escape();
UserStep CloseBox();
UserStep Timers(int count, uint32_t stepMs = 10);
UserStep Select(int control, int start, int end);  // a mouse drag in an edit control

// The steps for every run of the template with this id (the id actually
// loaded, so a language variant has its own script). When the steps are used
// up and the dialog still runs, the default user takes over.
void ScriptDialog(int templateId, const std::vector<UserStep> &steps);
// Different steps for each showing of the template in turn; the last list
// serves every later showing.
void ScriptDialogShowings(int templateId, const std::vector<std::vector<UserStep>> &showings);
// Timer messages the default user delivers before it presses the close box.
constexpr int kDefaultUserTimerBound = 10000;

// ---- What the user saw
struct ControlView {
  int id;
  std::string className;
  std::string text;
  uint32_t style;
  bool visible, enabled, focused;
  int checked;  // BST_*
  bool readOnly;
  int selectionStart, selectionEnd, firstVisibleLine;
  void *font;
  bool coloured;        // the procedure answered the colour message
  uint32_t background;  // the background colour it was drawn on
  void *brush;          // the brush it was drawn with; null: system colours
};
struct DialogView {
  UserAction action;  // what the user did next
  std::string caption;
  int focusId;  // id of the control with the focus; 0 without one
  bool coloured;
  uint32_t background;
  void *brush;
  std::vector<ControlView> controls;
  // The first control with this id (as the template stores it), or null.
  const ControlView *Control(int id) const;
};
struct DialogRun {
  int templateId;     // the template actually loaded
  bool shown;         // false when it ended during its initialisation
  long result;
  bool scriptUsedUp;  // the default user had to take over
  std::vector<DialogView> views;
  int timersLeftRunning;  // timers of the dialog still set when it ended
  std::vector<int> refusedSteps;  // steps the user could not do (hidden button, read-only box...)
  // Fonts created and not deleted when the dialog's modal loop ended, before
  // its WM_DESTROY: what the procedure released on its way out, and what not.
  int fontsLiveAtEnd = 0;
};
// Colours of the system used where a procedure does not answer.
constexpr uint32_t kSystemFaceColour = 0xF0F0F0;
constexpr uint32_t kSystemWindowColour = 0xFFFFFF;
const std::vector<DialogRun> &DialogRuns();
// Timers the product never killed: those its dialogs left set when they
// ended (the window took them along) and those still running.
int TimersNeverKilled();
const DialogRun *LastDialogRun(int templateId);  // null when it never ran

// Misuse seen by the stand-in (calls on dead windows, EndDialog on a
// control...). Empty in a sound run.
const std::vector<std::string> &DialogFaults();
int LiveWindows();

}  // namespace sim
