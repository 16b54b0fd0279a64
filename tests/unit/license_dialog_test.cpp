// The licence dialog: the agreement, its box and its font.
#include <algorithm>

#include "core/messages.h"
#include "ui/dialog_ids.h"
#include "ui/license_dialog.h"
#include "unit/dialog_test_support.h"

namespace {

class LicenseDialogTest : public DialogTest {
 protected:
  LONG RunLicense(const std::vector<sim::UserStep> &steps) { return Run(kLicenseDialogId, LicenseDialogProc, steps); }
};

TEST_F(LicenseDialogTest, AgreementJoinedReadOnlyAtTheTopInItsFont) {
  EXPECT_EQ(RunLicense({sim::Inspect(), sim::Press(kGoOnButtonId)}), 0);
  const sim::DialogView &view = FirstView(kLicenseDialogId);
  const sim::ControlView *box = view.Control(kAgreementBoxId);
  std::string agreement =
      std::string(GetMessageText("license")) + GetMessageText("license2") + GetMessageText("license3");
  EXPECT_EQ(box->text, agreement);
  EXPECT_GT(std::count(agreement.begin(), agreement.end(), '\n'), 20);  // long enough to scroll
  EXPECT_TRUE(box->readOnly);
  EXPECT_EQ(box->firstVisibleLine, 0);
  EXPECT_EQ(view.focusId, kAgreementBoxId);
  EXPECT_EQ(box->selectionStart, 0);  // the focus selection has collapsed
  EXPECT_EQ(box->selectionEnd, 0);
  EXPECT_EQ(view.caption, "License Agreement");
  // Read-only, the box asks as a static and is drawn on light grey.
  EXPECT_TRUE(box->coloured);
  EXPECT_EQ(box->background, 0xC0C0C0u);
  EXPECT_EQ(view.background, 0xC0C0C0u);

  ASSERT_EQ(sim::CreatedFonts().size(), 1u);
  const LOGFONTA &font = sim::CreatedFonts()[0].description;
  EXPECT_EQ(box->font, sim::CreatedFonts()[0].handle);
  EXPECT_EQ(font.lfHeight, -11);
  EXPECT_EQ(font.lfWidth, 0);
  EXPECT_EQ(font.lfWeight, 400);
  EXPECT_EQ(font.lfItalic, 0);
  EXPECT_EQ(font.lfCharSet, 0);
  EXPECT_EQ(font.lfOutPrecision, 0);
  EXPECT_EQ(font.lfClipPrecision, 16);
  EXPECT_EQ(font.lfQuality, 2);
  EXPECT_EQ(font.lfPitchAndFamily, 2);
  EXPECT_STREQ(font.lfFaceName, "Times New Roman");
}

TEST_F(LicenseDialogTest, TheFontGrowsWithTheSystemDpiAsMulDivRounds) {
  struct Scale {
    int dpi;
    LONG height;
  };
  // 144: 16.5 rounds away from zero; 168: 19.25 rounds down.
  const Scale scales[] = {{96, -11}, {120, -14}, {144, -17}, {168, -19}, {192, -22}};
  for (const Scale &scale : scales) {
    sim::SetSystemDpi(scale.dpi);
    EXPECT_EQ(RunLicense({sim::Inspect(), sim::Press(kGoOnButtonId)}), 0);
    ASSERT_FALSE(sim::CreatedFonts().empty());
    EXPECT_EQ(sim::CreatedFonts().back().description.lfHeight, scale.height) << scale.dpi << " DPI";
    EXPECT_EQ(sim::LastDialogRun(kLicenseDialogId)->views[0].Control(kAgreementBoxId)->font,
              sim::CreatedFonts().back().handle);
    EXPECT_TRUE(sim::CreatedFonts().back().deleted);
  }
}

TEST_F(LicenseDialogTest, ASelectionCollapsesAtTheNextMessage) {
  EXPECT_EQ(RunLicense({sim::Select(kAgreementBoxId, 5, 40), sim::Inspect(), sim::Press(kGoOnButtonId)}), 0);
  const sim::ControlView *box = sim::LastDialogRun(kLicenseDialogId)->views[1].Control(kAgreementBoxId);
  EXPECT_EQ(box->selectionStart, 0);
  EXPECT_EQ(box->selectionEnd, 0);
}

TEST_F(LicenseDialogTest, TheBoxAcceptsNoTyping) {
  EXPECT_EQ(RunLicense({sim::Type(kAgreementBoxId, "mine now"), sim::Inspect(), sim::Press(kExitButtonId)}), -1);
  const sim::DialogRun *run = sim::LastDialogRun(kLicenseDialogId);
  EXPECT_EQ(run->refusedSteps, std::vector<int>{0});
  EXPECT_EQ(run->views[1].Control(kAgreementBoxId)->text.find("mine now"), std::string::npos);
}

TEST_F(LicenseDialogTest, EveryWayOutDeletesTheFontAfterTheBoxLetsGo) {
  struct WayOut {
    sim::UserStep step;
    LONG result;
  };
  const WayOut ways[] = {{sim::Press(kGoOnButtonId), 0},
                         {sim::Enter(), 0},
                         {sim::Press(kExitButtonId), -1},
                         {sim::Escape(), -1},
                         {sim::CloseBox(), -1}};
  size_t fonts = 0;
  for (const WayOut &way : ways) {
    EXPECT_EQ(RunLicense({way.step}), way.result);
    ASSERT_EQ(sim::CreatedFonts().size(), ++fonts);
    EXPECT_TRUE(sim::CreatedFonts().back().deleted);
    EXPECT_EQ(g_agreementFont, nullptr);
    // Released by the way out itself, not by the WM_DESTROY safety net.
    EXPECT_EQ(sim::LastDialogRun(kLicenseDialogId)->fontsLiveAtEnd, 0);
  }
  // Deleting a font that the box still held would be a GDI fault (TearDown).
}

TEST_F(LicenseDialogTest, WithoutItsFontTheBoxKeepsTheDialogFont) {
  sim::FailFontCreation(true);
  EXPECT_EQ(RunLicense({sim::Inspect(), sim::CloseBox()}), -1);
  const sim::DialogView &view = FirstView(kLicenseDialogId);
  EXPECT_TRUE(sim::CreatedFonts().empty());
  EXPECT_NE(view.Control(kAgreementBoxId)->font, nullptr);
  EXPECT_EQ(view.Control(kAgreementBoxId)->font, view.Control(kGoOnButtonId)->font);
  EXPECT_FALSE(view.Control(kAgreementBoxId)->text.empty());
}

}  // namespace
