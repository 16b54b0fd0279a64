// The association checklist and the number grammar of "sAssoc".
#include <climits>

#include "core/decimal_option.h"
#include "ui/assoc_dialog.h"
#include "ui/dialog_ids.h"
#include "unit/dialog_test_support.h"

namespace {

class AssocDialogTest : public DialogTest {
 protected:
  LONG RunChecklist(const std::vector<sim::UserStep> &steps) { return Run(kAssocDialogId, AssocDialogProc, steps); }
  std::vector<int> Flags() { return std::vector<int>(g_associationFlags, g_associationFlags + kAssociationCount); }
  std::vector<int> BoxesSeen() {
    std::vector<int> checked;
    for (int i = 0; i < kAssociationCount; ++i)
      checked.push_back(FirstView(kAssocDialogId).Control(kFirstAssociationBoxId + i)->checked);
    return checked;
  }
  const std::vector<int> kAll = std::vector<int>(kAssociationCount, 1);
  const std::vector<int> kNone = std::vector<int>(kAssociationCount, 0);
};

TEST(ReadDecimalOptionTest, FollowsTheNumberGrammar) {
  EXPECT_EQ(ReadDecimalOption("1"), 1);
  EXPECT_EQ(ReadDecimalOption("  12abc"), 12);
  EXPECT_EQ(ReadDecimalOption("\t\r\n -7"), -7);
  EXPECT_EQ(ReadDecimalOption("+256"), 256);
  EXPECT_EQ(ReadDecimalOption(""), 0);
  EXPECT_EQ(ReadDecimalOption("abc"), 0);
  EXPECT_EQ(ReadDecimalOption("-"), 0);
  EXPECT_EQ(ReadDecimalOption("+-3"), 0);
  EXPECT_EQ(ReadDecimalOption("1 2"), 1);
  EXPECT_EQ(ReadDecimalOption(nullptr), 0);
}

TEST(ReadDecimalOptionTest, StopsAtTheLimitsInsteadOfWrapping) {
  EXPECT_EQ(ReadDecimalOption("2147483647"), INT32_MAX);
  EXPECT_EQ(ReadDecimalOption("2147483648"), INT32_MAX);
  EXPECT_EQ(ReadDecimalOption("99999999999999999999999"), INT32_MAX);
  EXPECT_EQ(ReadDecimalOption("-2147483648"), INT32_MIN);
  EXPECT_EQ(ReadDecimalOption("-4294967297"), INT32_MIN);
}

TEST_F(AssocDialogTest, AllCheckedFocusOnSkipInSystemColours) {
  EXPECT_EQ(RunChecklist({sim::Inspect(), sim::Press(kSkipButtonId)}), 0);
  EXPECT_EQ(BoxesSeen(), kAll);
  const sim::DialogView &view = FirstView(kAssocDialogId);
  EXPECT_EQ(view.focusId, kSkipButtonId);
  EXPECT_FALSE(view.coloured);
  EXPECT_EQ(view.background, sim::kSystemFaceColour);
  EXPECT_FALSE(view.Control(kFirstAssociationBoxId)->coloured);
  EXPECT_EQ(Flags(), kNone);  // Skip leaves the flags alone
}

TEST_F(AssocDialogTest, EnterIsSkip) {
  EXPECT_EQ(RunChecklist({sim::Enter()}), 0);
  EXPECT_EQ(Flags(), kNone);
}

TEST_F(AssocDialogTest, AssociateStoresTheBoxes) {
  EXPECT_EQ(RunChecklist({sim::Press(kGoOnButtonId)}), 1);
  EXPECT_EQ(Flags(), kAll);
  EXPECT_EQ(RunChecklist({sim::Toggle(104), sim::Toggle(112), sim::Toggle(104), sim::Toggle(107),
                          sim::Press(kGoOnButtonId)}),
            1);
  EXPECT_EQ(Flags(), (std::vector<int>{1, 1, 1, 1, 0, 1, 1, 1, 1, 0}));
}

TEST_F(AssocDialogTest, PresetZeroClearsTheBoxes) {
  SetOptions("sAssoc=0\n");
  EXPECT_EQ(RunChecklist({sim::Inspect(), sim::Toggle(103), sim::Press(kGoOnButtonId)}), 1);
  EXPECT_EQ(BoxesSeen(), kNone);
  EXPECT_EQ(Flags(), (std::vector<int>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(RunChecklist({sim::Press(kGoOnButtonId)}), 1);  // every box cleared: result 1, no flag
  EXPECT_EQ(Flags(), kNone);
}

TEST_F(AssocDialogTest, AnyOtherPresetShowsTheBoxesChecked) {
  SetOptions("sAssoc=-5\n");
  EXPECT_EQ(RunChecklist({sim::Inspect(), sim::Press(kExitButtonId)}), -1);
  EXPECT_EQ(BoxesSeen(), kAll);
}

TEST_F(AssocDialogTest, ExitEscAndCloseBoxLeaveTheFlags) {
  for (const sim::UserStep &leave : {sim::Press(kExitButtonId), sim::Escape(), sim::CloseBox()}) {
    EXPECT_EQ(RunChecklist({sim::Toggle(105), leave}), -1);
    EXPECT_EQ(Flags(), kNone);
  }
}

TEST_F(AssocDialogTest, SilentModeAnswersFromTheOptionsUnseen) {
  struct Case {
    const char *options;
    LONG result;
    int flag;
  };
  const Case cases[] = {{"sSilent=1\n", 1, 1},
                        {"sSilent=1\nsAssoc=0\n", 0, 0},
                        {"sSilent=1\nsAssoc=256\n", 256, 0},
                        {"sSilent=1\nsAssoc=-1\n", -1, -1},
                        {"sSilent=1\nsAssoc=  12abc\n", 12, 12},
                        {"sSilent=1\nsAssoc=383\n", 383, 127}};
  for (const Case &test : cases) {
    SCOPED_TRACE(test.options);
    ResetInstallerState();
    InitInstaller(nullptr);
    SetOptions(test.options);
    EXPECT_EQ(RunChecklist({sim::Press(kSkipButtonId)}), test.result);
    EXPECT_FALSE(sim::LastDialogRun(kAssocDialogId)->shown);
    EXPECT_EQ(Flags(), std::vector<int>(kAssociationCount, test.flag));
  }
}

}  // namespace
