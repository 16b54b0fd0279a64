// The stand-in dialog manager where it is not obvious: template parsing,
// the focus rule of WM_INITDIALOG, Enter/Esc/close box, timers, message
// boxes and the default user.
#include <windows.h>

#include <vector>

#include "support/installer_fixture.h"
#include "unit/dialog_template_builder.h"
#include "win32sim/testapi.h"

namespace {

using dialog_test::BuildDialogTemplate;
using dialog_test::Control;

const int kTestDialog = 900;

struct Seen {
  UINT message;
  WPARAM wParam;
};
std::vector<Seen> g_seen;
LRESULT g_initAnswer = 1;
int g_focusAtInit = 0;       // control to focus in WM_INITDIALOG, 0 for none
bool g_endAtInit = false;
bool g_handleClose = false;
int g_messageBoxAtTimer = -1;  // timer message number that raises a box

bool Seen(UINT message, WPARAM wParam) {
  for (const struct Seen &seen : g_seen)
    if (seen.message == message && seen.wParam == wParam) return true;
  return false;
}

int CountOf(UINT message) {
  int count = 0;
  for (const struct Seen &seen : g_seen) count += seen.message == message;
  return count;
}

INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  g_seen.push_back({message, wParam});
  switch (message) {
    case WM_INITDIALOG:
      if (g_focusAtInit) SetFocus(GetDlgItem(dialog, g_focusAtInit));
      if (g_endAtInit) EndDialog(dialog, 42);
      return g_initAnswer;
    case WM_COMMAND:
      if (wParam == 1 || wParam == 2 || wParam == 7) EndDialog(dialog, static_cast<INT_PTR>(wParam));
      if (wParam == 50) SetTimer(dialog, 5, 50, nullptr);
      return 1;
    case WM_TIMER:
      if (CountOf(WM_TIMER) == g_messageBoxAtTimer) MessageBoxA(nullptr, "busy", "Note", MB_OK);
      return 1;
    case WM_CLOSE:
      if (g_handleClose) EndDialog(dialog, 99);
      return g_handleClose;
    default:
      return 0;
  }
}

sim::DialogTemplate TestTemplate() {
  sim::DialogTemplate dialog;
  dialog.style = 0x10C800C0;
  dialog.caption = "Test";
  dialog.pointSize = 11;
  dialog.fontName = "Arial";
  dialog.width = 100;
  dialog.height = 80;
  dialog.controls = {
      Control(-1, "STATIC", WS_CHILD | WS_VISIBLE, "label"),
      Control(10, "EDIT", WS_CHILD | WS_TABSTOP, "hidden entry"),  // not visible
      Control(11, "EDIT", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, "entry"),
      Control(12, "BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, "box"),
      Control(7, "BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, "Default"),
      Control(1, "BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP, "OK"),
      Control(2, "BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP, "Cancel"),
      Control(50, "BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP, "Start timer"),
  };
  return dialog;
}

class DialogManagerTest : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    g_seen.clear();
    g_initAnswer = 1;
    g_focusAtInit = 0;
    g_endAtInit = false;
    g_handleClose = false;
    g_messageBoxAtTimer = -1;
    sim::SetResource(5, kTestDialog, BuildDialogTemplate(TestTemplate()));
  }
  void TearDown() override {
    if (!faultsExpected) {
      EXPECT_TRUE(sim::DialogFaults().empty()) << sim::DialogFaults().front();
      EXPECT_TRUE(sim::GdiFaults().empty()) << sim::GdiFaults().front();
    }
    EXPECT_EQ(sim::LiveWindows(), 0);
    EXPECT_EQ(sim::LiveDeviceContexts(), 0);
  }
  bool faultsExpected = false;
  INT_PTR Run(const std::vector<sim::UserStep> &steps) {
    sim::ScriptDialog(kTestDialog, steps);
    return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kTestDialog), nullptr, RecordingProc, 0);
  }
  const sim::DialogView &FirstView() { return sim::LastDialogRun(kTestDialog)->views.front(); }
};

TEST_F(DialogManagerTest, ParsesOrdinalsStringsAndCreationData) {
  sim::DialogTemplate dialog = TestTemplate();
  dialog.menu = "#77";
  dialog.className = "MyDialogClass";
  dialog.controls[0].textOrdinal = 100;
  dialog.controls[0].text.clear();
  dialog.controls[1].className = "MYCLASS";
  dialog.controls[1].creationData = "xyz";
  sim::DialogTemplate parsed;
  std::string error;
  ASSERT_TRUE(sim::ParseDialogTemplate(BuildDialogTemplate(dialog), parsed, error)) << error;
  EXPECT_EQ(parsed.menu, "#77");
  EXPECT_EQ(parsed.className, "MyDialogClass");
  EXPECT_EQ(parsed.caption, "Test");
  EXPECT_EQ(parsed.fontName, "Arial");
  ASSERT_EQ(parsed.controls.size(), dialog.controls.size());
  EXPECT_EQ(parsed.controls[0].textOrdinal, 100);
  EXPECT_EQ(parsed.controls[0].id, -1);
  EXPECT_EQ(parsed.controls[1].className, "MYCLASS");
  EXPECT_EQ(parsed.controls[1].creationData, "xyz");
  EXPECT_EQ(parsed.controls[2].className, "EDIT");
  EXPECT_EQ(parsed.controls[2].text, "entry");
  // The control after creation data is still found at its aligned place.
  EXPECT_EQ(parsed.controls[2].id, 11);
}

TEST_F(DialogManagerTest, CutTemplatesAreRefusedAndDialogBoxFails) {
  std::string whole = BuildDialogTemplate(TestTemplate());
  sim::DialogTemplate parsed;
  std::string error;
  for (size_t length = 0; length < whole.size(); ++length)
    EXPECT_FALSE(sim::ParseDialogTemplate(whole.substr(0, length), parsed, error)) << length;
  sim::SetResource(5, kTestDialog, whole.substr(0, whole.size() / 2));
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kTestDialog), nullptr, RecordingProc, 0), -1);
  EXPECT_TRUE(g_seen.empty());
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(901), nullptr, RecordingProc, 0), -1);
  EXPECT_EQ(sim::LoadedResources(), 0);
  // The broken template is a fault the stand-in reports.
  EXPECT_EQ(sim::DialogFaults().size(), 1u);
  faultsExpected = true;
}

TEST_F(DialogManagerTest, NonzeroInitPutsFocusOnFirstVisibleTabStopAndSelectsEntry) {
  EXPECT_EQ(Run({sim::Inspect(), sim::Enter()}), 7);
  const sim::DialogView &view = FirstView();
  EXPECT_EQ(view.focusId, 11);  // 10 is not visible
  EXPECT_EQ(view.Control(11)->selectionStart, 0);
  EXPECT_EQ(view.Control(11)->selectionEnd, 5);
  EXPECT_TRUE(Seen(WM_COMMAND, MAKEWPARAM(11, EN_SETFOCUS)));
  // The font comes before the controls, the initialisation after them.
  ASSERT_GE(g_seen.size(), 2u);
  EXPECT_EQ(g_seen[0].message, static_cast<UINT>(WM_SETFONT));
  EXPECT_EQ(CountOf(WM_INITDIALOG), 1);
  EXPECT_EQ(g_seen.back().message, static_cast<UINT>(WM_DESTROY));
}

TEST_F(DialogManagerTest, ZeroInitKeepsTheProceduresFocus) {
  g_initAnswer = 0;
  g_focusAtInit = 2;
  // Enter on a focused push button presses it, not the default button.
  EXPECT_EQ(Run({sim::Inspect(), sim::Enter()}), 2);
  EXPECT_EQ(FirstView().focusId, 2);
  g_focusAtInit = 0;
  EXPECT_EQ(Run({sim::Inspect(), sim::Enter()}), 7);
  EXPECT_EQ(sim::LastDialogRun(kTestDialog)->views.front().focusId, 0);
}

TEST_F(DialogManagerTest, EscapeAndUnhandledCloseBoxBecomeCancel) {
  EXPECT_EQ(Run({sim::Escape()}), 2);
  EXPECT_TRUE(Seen(WM_COMMAND, 2));
  g_seen.clear();
  EXPECT_EQ(Run({sim::CloseBox()}), 2);
  EXPECT_TRUE(Seen(WM_CLOSE, 0));
  EXPECT_TRUE(Seen(WM_COMMAND, 2));
  g_seen.clear();
  g_handleClose = true;
  EXPECT_EQ(Run({sim::CloseBox()}), 99);
  EXPECT_FALSE(Seen(WM_COMMAND, 2));
}

TEST_F(DialogManagerTest, TypingTogglingAndRefusedSteps) {
  EXPECT_EQ(Run({sim::Type(11, "typed"), sim::Toggle(12), sim::Press(10), sim::Type(12, "x"), sim::Inspect(),
                 sim::Press(1)}),
                1);
  const sim::DialogRun *run = sim::LastDialogRun(kTestDialog);
  const sim::DialogView &view = run->views[4];
  EXPECT_EQ(view.Control(11)->text, "typed");
  EXPECT_EQ(view.Control(12)->checked, BST_CHECKED);
  EXPECT_TRUE(Seen(WM_COMMAND, MAKEWPARAM(11, EN_CHANGE)));
  EXPECT_TRUE(Seen(WM_COMMAND, 12));
  EXPECT_EQ(run->refusedSteps, (std::vector<int>{2, 3}));  // hidden entry, a check box is no entry
  EXPECT_FALSE(run->scriptUsedUp);
}

TEST_F(DialogManagerTest, EndDialogDuringInitialisationShowsNothing) {
  g_endAtInit = true;
  EXPECT_EQ(Run({sim::Press(1)}), 42);
  const sim::DialogRun *run = sim::LastDialogRun(kTestDialog);
  EXPECT_FALSE(run->shown);
  EXPECT_TRUE(run->views.empty());
  EXPECT_FALSE(Seen(WM_COMMAND, 1));
}

TEST_F(DialogManagerTest, DefaultUserRunsTimersThenPressesTheCloseBox) {
  uint32_t start = sim::Clock();
  EXPECT_EQ(Run({sim::Press(50)}), 2);  // starts a timer nobody kills
  const sim::DialogRun *run = sim::LastDialogRun(kTestDialog);
  EXPECT_TRUE(run->scriptUsedUp);
  EXPECT_EQ(CountOf(WM_TIMER), sim::kDefaultUserTimerBound);
  EXPECT_EQ(sim::Clock() - start, 10u * sim::kDefaultUserTimerBound);
  EXPECT_EQ(run->timersLeftRunning, 1);
  EXPECT_EQ(sim::RunningTimers(), 0);  // gone with the window
  g_seen.clear();
  EXPECT_EQ(Run({}), 2);  // no timer: the close box at once
  EXPECT_EQ(CountOf(WM_TIMER), 0);
  EXPECT_TRUE(Seen(WM_CLOSE, 0));
}

TEST_F(DialogManagerTest, TimerStepsAdvanceTheClockAndBoxesLetTimersThrough) {
  g_messageBoxAtTimer = 1;
  sim::AnswerMessageBox(0, sim::MessageBoxAnswer{3, 20, IDOK});
  uint32_t start = sim::Clock();
  EXPECT_EQ(Run({sim::Press(50), sim::Timers(1, 51), sim::Press(1)}), 1);
  EXPECT_EQ(CountOf(WM_TIMER), 4);  // one from the script, three while the box was up
  EXPECT_EQ(sim::Clock() - start, 51u + 3 * 20u);
  ASSERT_EQ(sim::MessageBoxes().size(), 1u);
  EXPECT_EQ(sim::MessageBoxes()[0].text, "busy");
  EXPECT_EQ(sim::MessageBoxes()[0].caption, "Note");
  EXPECT_EQ(sim::MessageBoxes()[0].dialogBelow, kTestDialog);
  EXPECT_EQ(GetTickCount(), sim::Clock());
}

TEST_F(DialogManagerTest, MessageBoxWithoutDialogIsRecordedAndAnswered) {
  sim::AnswerMessageBox(1, sim::MessageBoxAnswer{0, 10, IDCANCEL});
  EXPECT_EQ(MessageBoxA(nullptr, "first", nullptr, MB_OK | MB_ICONHAND), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "second", "Error", MB_OKCANCEL), IDCANCEL);
  ASSERT_EQ(sim::MessageBoxes().size(), 2u);
  EXPECT_EQ(sim::MessageBoxes()[0].caption, "Error");
  EXPECT_EQ(sim::MessageBoxes()[0].flags, static_cast<unsigned>(MB_OK | MB_ICONHAND));
  EXPECT_EQ(sim::MessageBoxes()[0].dialogBelow, 0);
}

TEST_F(DialogManagerTest, GdiRecordsDrawingAndFontMisuse) {
  HDC context = GetDC(nullptr);
  SetBkColor(context, RGB(1, 2, 3));
  RECT rect = {1, 2, 30, 40};
  FillRect(context, &rect, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
  DrawTextA(context, "50%xyz", 3, &rect, DT_CENTER);
  InvertRect(context, &rect);
  ASSERT_EQ(sim::DrawCalls().size(), 3u);
  EXPECT_EQ(sim::DrawCalls()[0].background, RGB(1, 2, 3));
  EXPECT_EQ(sim::DrawCalls()[1].text, "50%");
  EXPECT_EQ(sim::DrawCalls()[2].kind, sim::DrawKind::Invert);
  EXPECT_EQ(ReleaseDC(nullptr, context), 1);
  EXPECT_EQ(ReleaseDC(nullptr, context), 0);
  LOGFONTA description = {};
  HFONT font = CreateFontIndirectA(&description);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(sim::LiveFonts(), 1);
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_FALSE(DeleteObject(font));
  EXPECT_TRUE(DeleteObject(GetStockObject(SYSTEM_FONT)));
  EXPECT_EQ(sim::LiveFonts(), 0);
  sim::FailFontCreation(true);
  EXPECT_EQ(CreateFontIndirectA(&description), nullptr);
  EXPECT_EQ(sim::GdiFaults().size(), 2u);  // the second release and the second delete
  faultsExpected = true;
}

}  // namespace
