/*
 * Drives the dialogs of another program for the end-to-end tests.
 *
 *   dialog_driver.exe COMMAND [ARG...] [";" COMMAND [ARG...]]...
 *
 * Commands run in order; the first that fails ends the run with exit code 1.
 *   progman MS            wait until the "progman" DDE server answers
 *   wait CAPTION MS       wait for a visible dialog with this caption; it becomes the current dialog
 *   absent CAPTION MS     fail if such a dialog shows up within MS
 *   dump                  report the current dialog and all its controls
 *   fit                   measure each control's text in the templates' font against its room
 *   lines ID              report how far apart an edit control's first lines are
 *   settext ID TEXT       set a control's text (typing into an entry)
 *   toggle ID             click a check box
 *   press ID              press a visible, enabled button
 *   key esc|enter         press a key in the focused control
 *   close                 press the close box
 *   gone MS               wait until the current dialog has ended
 *   closeclass CLASS      ask every top-level window of a class to close
 *   dde TEXT              send one execute command to "progman" and report the outcome
 *   paths PATH            report the short and long forms of a path, as this system makes them
 *   rights PATH           report a file's or folder's owner and DACL as SDDL, as this system reads them back
 *   sleep MS
 * Every line printed is one JSON object.
 */
#include <stdlib.h>
#include <string.h>
#include <windows.h>
#include <sddl.h>

#include "dialog_actions.h"
#include "dialog_report.h"
#include "json_out.h"
#include "progman_link.h"
#include "text_fit.h"
#include "window_find.h"

typedef struct {
  HWND dialog;
} DriverState;

typedef struct {
  const char *name;
  int argumentCount;
  const char *(*run)(DriverState *state, char **arguments);
} Command;

static DWORD Milliseconds(const char *text) { return (DWORD)strtoul(text, NULL, 10); }

static const char *NeedDialog(DriverState *state) {
  if (!state->dialog || !IsWindow(state->dialog)) return "no current dialog";
  return NULL;
}

static const char *RunProgman(DriverState *state, char **arguments) {
  (void)state;
  return WaitForProgman(Milliseconds(arguments[0])) ? NULL : "progman did not answer";
}

static const char *RunWait(DriverState *state, char **arguments) {
  state->dialog = WaitForDialog(arguments[0], Milliseconds(arguments[1]));
  if (!state->dialog) return "dialog did not appear";
  ReportDialog("dialog", state->dialog);
  return NULL;
}

static const char *RunAbsent(DriverState *state, char **arguments) {
  HWND found = WaitForDialog(arguments[0], Milliseconds(arguments[1]));
  (void)state;
  if (!found) return NULL;
  ReportDialog("dialog", found);
  return "dialog appeared";
}

static const char *RunDump(DriverState *state, char **arguments) {
  const char *problem = NeedDialog(state);
  (void)arguments;
  if (problem) return problem;
  ReportDialog("dialog", state->dialog);
  ReportControls(state->dialog);
  return NULL;
}

static const char *RunFit(DriverState *state, char **arguments) {
  const char *problem = NeedDialog(state);
  (void)arguments;
  if (problem) return problem;
  ReportTextFit(state->dialog);
  return NULL;
}

static const char *RunLines(DriverState *state, char **arguments) {
  const char *problem = NeedDialog(state);
  return problem ? problem : ReportLineSpacing(state->dialog, atoi(arguments[0]));
}

static const char *RunSetText(DriverState *state, char **arguments) {
  const char *problem = NeedDialog(state);
  return problem ? problem : TypeText(state->dialog, atoi(arguments[0]), arguments[1]);
}

static const char *RunToggle(DriverState *state, char **arguments) {
  const char *problem = NeedDialog(state);
  return problem ? problem : ToggleCheckBox(state->dialog, atoi(arguments[0]));
}

static const char *RunPress(DriverState *state, char **arguments) {
  const char *problem = NeedDialog(state);
  return problem ? problem : PressButton(state->dialog, atoi(arguments[0]));
}

static const char *RunKey(DriverState *state, char **arguments) {
  const char *problem = NeedDialog(state);
  if (problem) return problem;
  if (_stricmp(arguments[0], "esc") == 0) return PressKey(state->dialog, VK_ESCAPE);
  if (_stricmp(arguments[0], "enter") == 0) return PressKey(state->dialog, VK_RETURN);
  return "unknown key";
}

static const char *RunClose(DriverState *state, char **arguments) {
  const char *problem = NeedDialog(state);
  (void)arguments;
  return problem ? problem : PressCloseBox(state->dialog);
}

static const char *RunGone(DriverState *state, char **arguments) {
  const char *problem = NeedDialog(state);
  if (problem) return NULL; /* already destroyed */
  return WaitUntilGone(state->dialog, Milliseconds(arguments[0])) ? NULL : "dialog still there";
}

static void PostClose(HWND window, void *context) {
  ++*(int *)context;
  PostMessageA(window, WM_CLOSE, 0, 0);
}

static const char *RunCloseClass(DriverState *state, char **arguments) {
  int closed = 0;
  (void)state;
  ForEachTopLevel(arguments[0], PostClose, &closed);
  JsonBegin("closed");
  JsonString("class", arguments[0]);
  JsonInt("count", closed);
  JsonEnd();
  return NULL;
}

static const char *RunDde(DriverState *state, char **arguments) {
  long result = ExecuteProgmanCommand(arguments[0]);
  (void)state;
  JsonBegin("dde");
  JsonString("command", arguments[0]);
  JsonBool("accepted", result == 0);
  JsonInt("error", result);
  JsonEnd();
  return NULL;
}

static const char *RunPaths(DriverState *state, char **arguments) {
  char shortForm[MAX_PATH];
  char longForm[MAX_PATH];
  DWORD shortLength = GetShortPathNameA(arguments[0], shortForm, sizeof shortForm);
  DWORD longLength = GetLongPathNameA(arguments[0], longForm, sizeof longForm);
  (void)state;
  if (shortLength == 0 || shortLength >= sizeof shortForm) shortForm[0] = '\0';
  if (longLength == 0 || longLength >= sizeof longForm) longForm[0] = '\0';
  JsonBegin("paths");
  JsonString("path", arguments[0]);
  JsonString("short", shortForm);
  JsonString("long", longForm);
  JsonEnd();
  return NULL;
}

static const char *RunRights(DriverState *state, char **arguments) {
  static BYTE descriptor[8192];
  DWORD needed = 0;
  SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  LPSTR text = NULL;
  (void)state;
  if (!GetFileSecurityA(arguments[0], what, descriptor, sizeof descriptor, &needed)) return "GetFileSecurityA failed";
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, what, &text, NULL))
    return "no SDDL for the descriptor";
  JsonBegin("rights");
  JsonString("path", arguments[0]);
  JsonString("sddl", text);
  JsonEnd();
  LocalFree(text);
  return NULL;
}

static const char *RunSleep(DriverState *state, char **arguments) {
  (void)state;
  Sleep(Milliseconds(arguments[0]));
  return NULL;
}

static const Command kCommands[] = {
    {"progman", 1, RunProgman}, {"wait", 2, RunWait},         {"absent", 2, RunAbsent},
    {"dump", 0, RunDump},       {"settext", 2, RunSetText},   {"toggle", 1, RunToggle},
    {"press", 1, RunPress},     {"key", 1, RunKey},           {"close", 0, RunClose},
    {"gone", 1, RunGone},       {"closeclass", 1, RunCloseClass}, {"dde", 1, RunDde},
    {"paths", 1, RunPaths},     {"sleep", 1, RunSleep},       {"rights", 1, RunRights},
    {"fit", 0, RunFit},         {"lines", 1, RunLines},
};

static const Command *FindCommand(const char *name) {
  for (size_t i = 0; i < sizeof kCommands / sizeof kCommands[0]; ++i)
    if (strcmp(kCommands[i].name, name) == 0) return &kCommands[i];
  return NULL;
}

static int Fail(const char *command, const char *reason) {
  JsonBegin("failed");
  JsonString("command", command);
  JsonString("reason", reason);
  JsonEnd();
  return 1;
}

int main(int argc, char **argv) {
  DriverState state = {NULL};
  int at = 1;
  /* Rectangles and fonts in real pixels, as a DPI-aware installer has them. */
  SetProcessDPIAware();
  while (at < argc) {
    const Command *command = FindCommand(argv[at]);
    int end = at + 1;
    while (end < argc && strcmp(argv[end], ";") != 0) ++end;
    if (!command) return Fail(argv[at], "unknown command");
    if (end - at - 1 != command->argumentCount) return Fail(argv[at], "wrong number of arguments");
    const char *problem = command->run(&state, argv + at + 1);
    if (problem) return Fail(argv[at], problem);
    JsonBegin("done");
    JsonString("command", argv[at]);
    JsonEnd();
    at = end + 1;
  }
  return 0;
}
