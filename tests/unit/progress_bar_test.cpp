// The copy dialog's percentage bar: throttled redraws, figure and bar width.
#include <windows.h>

#include <cstring>

#include "core/installer_state.h"
#include "payload/copy_dialog.h"
#include "payload/destination_path.h"
#include "payload/payload_reader.h"
#include "support/installer_fixture.h"
#include "support/payload_builder.h"
#include "ui/dialog_ids.h"
#include "ui/run_dialog.h"
#include "win32sim/testapi.h"

namespace {

struct Redraw {
  RECT client;
  std::string text;
  RECT bar;
};

class ProgressBarTest : public InstallerTest {
 protected:
  // Extracts with the clock moving `msPerQuery` at every tick-count query.
  std::vector<Redraw> ExtractWithClockStep(const std::vector<ArchiveEntry> &entries, uint32_t msPerQuery) {
    InstallPayload(BuildPayloadResource(entries));
    EXPECT_EQ(OpenPayload(nullptr), kPayloadOpened);
    EXPECT_EQ(CreateDestinationPath(), kDestinationCreated);
    sim::AdvanceClockPerQuery(msPerQuery);
    EXPECT_EQ(RunDialog(nullptr, kCopyDialogId, nullptr, CopyDialogProc), 0);
    ClosePayload();
    return Redraws();
  }
  // Fill, text and invert of the progress control, grouped per redraw.
  static std::vector<Redraw> Redraws() {
    std::vector<Redraw> redraws;
    const auto &calls = sim::DrawCalls();
    for (size_t i = 0; i < calls.size(); ++i) {
      if (calls[i].kind != sim::DrawKind::Fill) continue;
      EXPECT_LT(i + 2, calls.size() + 0);
      if (i + 2 >= calls.size()) break;
      EXPECT_EQ(calls[i].brush, GetStockObject(WHITE_BRUSH));
      EXPECT_EQ(calls[i + 1].kind, sim::DrawKind::Text);
      EXPECT_EQ(calls[i + 1].format, static_cast<unsigned>(DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP));
      EXPECT_EQ(calls[i + 2].kind, sim::DrawKind::Invert);
      for (size_t call = i; call <= i + 2; ++call) EXPECT_EQ(calls[call].controlId, kProgressBarId);
      redraws.push_back({calls[i].rect, calls[i + 1].text, calls[i + 2].rect});
      i += 2;
    }
    EXPECT_EQ(sim::LiveDeviceContexts(), 0);
    return redraws;
  }
};

const std::vector<ArchiveEntry> kHundredKilobytes = {{"big.bin", std::string(100000, 'b')}};
// Archive bytes delivered before the data: name length, name, data size.
const long long kHeaderBytes = 1 + 8 + 4;
const long long kTotal = 1 + 8 + 100000;

TEST_F(ProgressBarTest, NothingIsDrawnWhileTheClockStands) {
  EXPECT_TRUE(ExtractWithClockStep(kHundredKilobytes, 0).empty());
}

TEST_F(ProgressBarTest, NoRedrawWithinFiftyMillisecondsOfTheLast) {
  // The clock moves 10 ms per query: the sixth chunk is the first past 50 ms,
  // and every redraw itself reads the clock once more.
  std::vector<Redraw> redraws = ExtractWithClockStep(kHundredKilobytes, 10);
  ASSERT_FALSE(redraws.empty());
  long long delivered = kHeaderBytes + 6 * 2048;
  EXPECT_EQ(redraws[0].text, std::to_string(delivered * 100 / kTotal) + "%");
  EXPECT_EQ(redraws[0].text, "12%");
  // 49 chunks: redraws after chunks 6, 12, 18, ... (each redraw costs two queries).
  EXPECT_EQ(redraws.size(), 8u);
  EXPECT_EQ(redraws[1].text, std::to_string((kHeaderBytes + 12 * 2048) * 100 / kTotal) + "%");
}

TEST_F(ProgressBarTest, BarCoversTheDeliveredShareOfTheControl) {
  std::vector<Redraw> redraws = ExtractWithClockStep(kHundredKilobytes, 60);
  ASSERT_EQ(redraws.size(), 49u);  // every chunk, past 50 ms each time
  for (size_t i = 0; i < redraws.size(); ++i) {
    long long delivered = kHeaderBytes + std::min<long long>((i + 1) * 2048, 100000);
    const RECT &client = redraws[i].client;
    // Control 101's client area (80 x 12 dialog units), not the dialog's.
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.top, 0);
    EXPECT_EQ(client.right, 80 * sim::kDialogBaseUnitX / 4);
    EXPECT_EQ(client.bottom, 12 * sim::kDialogBaseUnitY / 8);
    EXPECT_EQ(redraws[i].bar.left, client.left);
    EXPECT_EQ(redraws[i].bar.top, client.top);
    EXPECT_EQ(redraws[i].bar.bottom, client.bottom);
    EXPECT_EQ(redraws[i].bar.right, client.right * delivered / kTotal) << i;
    EXPECT_EQ(redraws[i].text, std::to_string(delivered * 100 / kTotal) + "%") << i;
  }
  // The size fields are delivered too, so the figure passes 100 unclamped.
  EXPECT_EQ(redraws.back().text, "100%");
}

TEST_F(ProgressBarTest, EmptyEntriesCauseNoRedraw) {
  EXPECT_TRUE(ExtractWithClockStep({{"a.txt", ""}, {"b.txt", ""}}, 60).empty());
}

TEST_F(ProgressBarTest, LargeArchivesScaleIn64Bits) {
  // 120 pixels x 22 million bytes and 100 x 22 million both pass 2^31.
  std::vector<Redraw> redraws = ExtractWithClockStep({{"huge.bin", std::string(22000000, '\0')}}, 60);
  ASSERT_FALSE(redraws.empty());
  EXPECT_EQ(redraws.back().text, "100%");
  EXPECT_EQ(redraws.back().bar.right, redraws.back().client.right);
  EXPECT_EQ(sim::ReadFile("C:\\MLUME\\huge.bin").size(), 22000000u);
}

}  // namespace
