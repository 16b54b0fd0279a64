// The destination path dialog: what it shows, and what it stores.
#include <cstring>

#include "payload/payload_reader.h"
#include "ui/dialog_ids.h"
#include "ui/path_dialog.h"
#include "unit/dialog_test_support.h"

namespace {

class PathDialogTest : public DialogTest {
 protected:
  LONG RunPath(const std::vector<sim::UserStep> &steps) { return Run(kPathDialogId, PathDialogProc, steps); }
};

TEST_F(PathDialogTest, ShowsDefaultsOnLightGreyWithFocusInTheEntry) {
  g_payloadTotalSize = 1023;
  EXPECT_EQ(RunPath({sim::Inspect(), sim::Press(kGoOnButtonId)}), 0);
  const sim::DialogView &view = FirstView(kPathDialogId);
  EXPECT_EQ(view.caption, "MoraLUME Install - Windows (32-bit)");
  EXPECT_EQ(view.Control(kPathEntryId)->text, "C:\\MLUME");
  EXPECT_EQ(view.Control(kSizeLineId)->text, "The installed files will occupy 0K on your disk.");
  EXPECT_EQ(view.focusId, kPathEntryId);
  EXPECT_TRUE(view.coloured);
  EXPECT_EQ(view.background, 0xC0C0C0u);
  EXPECT_EQ(view.brush, GetStockObject(LTGRAY_BRUSH));
  EXPECT_EQ(view.Control(kSizeLineId)->background, 0xC0C0C0u);
  EXPECT_FALSE(view.Control(kPathEntryId)->coloured);  // an editable entry keeps its own colours
  EXPECT_STREQ(g_destinationDir, "C:\\MLUME");
}

TEST_F(PathDialogTest, PresetPathAndSizeInKilobytes) {
  SetOptions("sDefPathNT=D:\\APPS\\VIEW\n");
  g_payloadTotalSize = 1048576;
  EXPECT_EQ(RunPath({sim::Inspect(), sim::Enter()}), 0);
  const sim::DialogView &view = FirstView(kPathDialogId);
  EXPECT_EQ(view.Control(kPathEntryId)->text, "D:\\APPS\\VIEW");
  EXPECT_EQ(view.Control(kSizeLineId)->text, "The installed files will occupy 1024K on your disk.");
  EXPECT_STREQ(g_destinationDir, "D:\\APPS\\VIEW");
  // The option acts at every opening, over what was entered before.
  EXPECT_EQ(RunPath({sim::Type(kPathEntryId, "E:\\OTHER"), sim::Press(kGoOnButtonId)}), 0);
  EXPECT_STREQ(g_destinationDir, "E:\\OTHER");
  EXPECT_EQ(RunPath({sim::Inspect(), sim::Press(kGoOnButtonId)}), 0);
  EXPECT_STREQ(g_destinationDir, "D:\\APPS\\VIEW");
}

TEST_F(PathDialogTest, LargestTotalStillFitsTheLine) {
  g_payloadTotalSize = 0xFFFFFFFFu;
  EXPECT_EQ(RunPath({sim::Inspect(), sim::Press(kExitButtonId)}), -1);
  EXPECT_EQ(FirstView(kPathDialogId).Control(kSizeLineId)->text,
            "The installed files will occupy 4194303K on your disk.");
}

TEST_F(PathDialogTest, EntryIsCutAt259Characters) {
  std::string typed(300, 'x');
  typed.replace(0, 3, "C:\\");
  EXPECT_EQ(RunPath({sim::Type(kPathEntryId, typed), sim::Press(kGoOnButtonId)}), 0);
  EXPECT_EQ(strlen(g_destinationDir), 259u);
  EXPECT_EQ(std::string(g_destinationDir), typed.substr(0, 259));
}

TEST_F(PathDialogTest, EveryWayOutKeepsTheOldDestination) {
  for (const sim::UserStep &leave : {sim::Press(kExitButtonId), sim::Escape(), sim::CloseBox()}) {
    EXPECT_EQ(RunPath({sim::Type(kPathEntryId, "Q:\\ELSEWHERE"), leave}), -1);
    EXPECT_STREQ(g_destinationDir, "C:\\MLUME");
  }
}

TEST_F(PathDialogTest, OverlongPresetIsRefusedWhole) {
  SetOptions("sDefPathNT=D:\\" + std::string(300, 'p') + "\n");
  EXPECT_EQ(RunPath({sim::Inspect(), sim::Press(kGoOnButtonId)}), 0);
  EXPECT_EQ(FirstView(kPathDialogId).Control(kPathEntryId)->text, "C:\\MLUME");
  EXPECT_STREQ(g_destinationDir, "C:\\MLUME");
}

TEST_F(PathDialogTest, NotificationsOfTheEntryAreNoCommands) {
  // Typing sends EN_CHANGE with id 101 in the low half: no command matches.
  EXPECT_EQ(RunPath({sim::Type(kPathEntryId, "D:\\"), sim::Type(kPathEntryId, "E:\\"), sim::Inspect(),
                     sim::Press(kGoOnButtonId)}),
            0);
  EXPECT_EQ(sim::LastDialogRun(kPathDialogId)->views.size(), 4u);
  EXPECT_STREQ(g_destinationDir, "E:\\");
}

}  // namespace
