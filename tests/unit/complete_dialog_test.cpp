// The completion dialog with and without autorun.
#include "ui/complete_dialog.h"
#include "ui/dialog_ids.h"
#include "unit/dialog_template_builder.h"
#include "unit/dialog_test_support.h"

namespace {

class CompleteDialogTest : public DialogTest {
 protected:
  LONG RunCompletion(const std::vector<sim::UserStep> &steps) {
    return Run(kCompleteDialogId, CompleteDialogProc, steps);
  }
  std::vector<int> VisibleIds(const sim::DialogView &view) {
    std::vector<int> ids;
    for (const sim::ControlView &control : view.controls)
      if (control.visible) ids.push_back(control.id);
    return ids;
  }
};

TEST_F(CompleteDialogTest, WithAutorunFocusIsOnRun) {
  EXPECT_EQ(RunCompletion({sim::Inspect(), sim::Press(kGoOnButtonId)}), 0);
  const sim::DialogView &view = FirstView(kCompleteDialogId);
  EXPECT_EQ(view.focusId, kGoOnButtonId);
  EXPECT_EQ(view.controls.size(), VisibleIds(view).size());
  EXPECT_EQ(view.caption, "Installation Complete");
  EXPECT_EQ(view.background, 0xC0C0C0u);
  EXPECT_EQ(view.Control(114)->background, 0xC0C0C0u);
  EXPECT_EQ(RunCompletion({sim::Enter()}), 0);
}

TEST_F(CompleteDialogTest, WithoutAutorunOnlyTheReportAndExitRemain) {
  g_autorun = 0;
  EXPECT_EQ(RunCompletion({sim::Inspect(), sim::Press(kGoOnButtonId), sim::Enter()}), -1);
  const sim::DialogRun *run = sim::LastDialogRun(kCompleteDialogId);
  const sim::DialogView &view = run->views.front();
  EXPECT_EQ(view.focusId, kExitButtonId);
  EXPECT_EQ(VisibleIds(view), (std::vector<int>{-1, -1, -1, -1, -1, -1, kExitButtonId}));
  EXPECT_TRUE(view.Control(kGoOnButtonId)->enabled);  // hidden, not disabled
  EXPECT_EQ(run->refusedSteps, std::vector<int>{1});  // the hidden button cannot be pressed
}

TEST_F(CompleteDialogTest, ATranslatedThirdLineIsHiddenToo) {
  sim::DialogTemplate translated = dialog_test::BuiltTemplate(kCompleteDialogId);
  translated.controls.insert(translated.controls.begin() + 8,
                             dialog_test::Control(116, "STATIC", 0x50020000, "dritte Zeile"));
  sim::SetResource(5, kCompleteDialogId + 1, dialog_test::BuildDialogTemplate(translated));
  g_languageIndex = 1;
  g_autorun = 0;
  sim::ScriptDialog(kCompleteDialogId + 1, {sim::Inspect(), sim::Escape()});
  EXPECT_EQ(RunDialog(nullptr, kCompleteDialogId, nullptr, CompleteDialogProc), -1);
  const sim::DialogView &view = FirstView(kCompleteDialogId + 1);
  ASSERT_NE(view.Control(116), nullptr);
  EXPECT_FALSE(view.Control(116)->visible);
  EXPECT_EQ(VisibleIds(view), (std::vector<int>{-1, -1, -1, -1, -1, -1, kExitButtonId}));
}

TEST_F(CompleteDialogTest, ExitEscAndCloseBoxEndWithMinusOne) {
  for (const sim::UserStep &leave : {sim::Press(kExitButtonId), sim::Escape(), sim::CloseBox()})
    EXPECT_EQ(RunCompletion({leave}), -1);
}

}  // namespace
