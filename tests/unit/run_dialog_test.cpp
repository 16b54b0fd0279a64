// RunDialog's choice of template variant, and the common colours.
#include "ui/dialog_colors.h"
#include "ui/dialog_ids.h"
#include "unit/dialog_template_builder.h"
#include "unit/dialog_test_support.h"

namespace {

INT_PTR CALLBACK EndAtOnce(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) EndDialog(dialog, 5);
  return message == WM_INITDIALOG;
}

class RunDialogTest : public DialogTest {
 protected:
  // Runs all five dialogs; the ids of the templates shown.
  std::vector<int> ShownTemplates() {
    std::vector<int> shown;
    for (WORD base : {kPathDialogId, kLicenseDialogId, kCopyDialogId, kCompleteDialogId, kAssocDialogId}) {
      EXPECT_EQ(RunDialog(nullptr, base, nullptr, EndAtOnce), 5);
      shown.push_back(sim::DialogRuns().back().templateId);
    }
    return shown;
  }
  const std::vector<int> kBase = {200, 210, 220, 230, 240};
};

TEST_F(RunDialogTest, EnglishAndLanguageSixWithoutVariantsUseTheBaseTemplates) {
  EXPECT_EQ(ShownTemplates(), kBase);
  g_languageIndex = 6;
  EXPECT_EQ(ShownTemplates(), kBase);
}

TEST_F(RunDialogTest, AVariantChangesItsOwnDialogAlone) {
  sim::DialogTemplate german = dialog_test::BuiltTemplate(kPathDialogId);
  german.caption = "Pfad";
  sim::SetResource(5, 201, dialog_test::BuildDialogTemplate(german));
  sim::SetResource(5, 236, dialog_test::BuildDialogTemplate(german));  // another language's
  g_languageIndex = 1;
  EXPECT_EQ(ShownTemplates(), (std::vector<int>{201, 210, 220, 230, 240}));
  g_languageIndex = 0;  // English ignores the variant
  EXPECT_EQ(ShownTemplates(), kBase);
}

TEST_F(RunDialogTest, MissingOrUnreadableTemplateGivesMinusOne) {
  sim::RemoveResource(5, kLicenseDialogId);
  EXPECT_EQ(RunDialog(nullptr, kLicenseDialogId, nullptr, EndAtOnce), -1);
  sim::FailResourceLock(true);
  EXPECT_EQ(RunDialog(nullptr, kPathDialogId, nullptr, EndAtOnce), -1);
  EXPECT_TRUE(sim::DialogRuns().empty());
}

TEST_F(RunDialogTest, CommonColoursAreLightGreyWithTheStockBrush) {
  HDC context = GetDC(nullptr);
  INT_PTR brush = PaintLightGrey(reinterpret_cast<WPARAM>(context));
  EXPECT_EQ(brush, reinterpret_cast<INT_PTR>(GetStockObject(LTGRAY_BRUSH)));
  EXPECT_EQ(sim::BackgroundColour(context), 0xC0C0C0u);
  ReleaseDC(nullptr, context);
}

}  // namespace
