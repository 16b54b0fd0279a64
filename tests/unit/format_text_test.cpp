// Formatting into fixed buffers.
#include <string>

#include "core/format_text.h"
#include "support/installer_fixture.h"

namespace {

TEST(FormatTextTest, FormatsNumbersTextsAndPercent) {
  char buffer[64];
  FormatText(buffer, sizeof buffer, "%ld%% of %s (%d)", 37L, "files", -1);
  EXPECT_STREQ(buffer, "37% of files (-1)");
}

TEST(FormatTextTest, CutsWhatDoesNotFitAndAlwaysTerminates) {
  char buffer[8] = "xxxxxxx";
  FormatText(buffer, sizeof buffer, "%s", "abcdefghijkl");
  EXPECT_STREQ(buffer, "abcdefg");
  char untouched[2] = {'q', 'q'};
  FormatText(untouched, 0, "%s", "abc");
  EXPECT_EQ(untouched[0], 'q');
}

TEST(FormatTextTest, LongArgumentsStopAtTheFormattersLimit) {
  char buffer[2048];
  std::string path(1500, 'p');
  FormatText(buffer, sizeof buffer, "Filename=%s", path.c_str());
  EXPECT_EQ(std::string(buffer).size(), 1023u) << "1,024 bytes with the NUL, as under Wine";
}

}  // namespace
