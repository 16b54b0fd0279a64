// The two exported utility functions.
#include <windows.h>

#include "shell/exports.h"
#include "support/installer_fixture.h"
#include "win32sim/testapi.h"

namespace {

using ExportsTest = InstallerTest;

DWORD Version(unsigned major, unsigned minor, bool platformBit) {
  return major | (minor << 8) | (platformBit ? 0x80000000u : 0) | 0x0ABC0000u;
}

int DetectFresh(DWORD version) {
  g_windowsGeneration = kWindowsUnknown;
  sim::SetVersionWord(version);
  return DetectWindows();
}

TEST_F(ExportsTest, DetectWindowsOverTheVersionTable) {
  EXPECT_EQ(DetectFresh(Version(4, 0, true)), 1);
  EXPECT_EQ(DetectFresh(Version(5, 0, true)), 1);
  EXPECT_EQ(DetectFresh(Version(3, 95, true)), 1);
  EXPECT_EQ(DetectFresh(Version(3, 80, true)), 1);
  EXPECT_EQ(DetectFresh(Version(3, 79, true)), 0);
  EXPECT_EQ(DetectFresh(Version(3, 10, true)), 0);
  EXPECT_EQ(DetectFresh(Version(2, 90, true)), 0);
  EXPECT_EQ(DetectFresh(Version(255, 255, true)), 1);
  EXPECT_EQ(DetectFresh(Version(3, 51, false)), 2);
  EXPECT_EQ(DetectFresh(Version(4, 0, false)), 2);
  EXPECT_EQ(DetectFresh(Version(1, 0, false)), 2);
}

TEST_F(ExportsTest, DetectWindowsAsksForTheVersionOnce) {
  sim::SetVersionWord(Version(3, 10, true));
  EXPECT_EQ(g_windowsGeneration, kWindowsUnknown);
  EXPECT_EQ(DetectWindows(), 0);
  sim::SetVersionWord(Version(5, 1, false));
  EXPECT_EQ(DetectWindows(), 0);
  EXPECT_EQ(sim::VersionQueries(), 1);
  EXPECT_EQ(g_windowsGeneration, 0);
}

TEST_F(ExportsTest, CompareStopsAtTheCountOrTheCommonEnd) {
  // Counts whose low 16 bits are 0 read neither string.
  EXPECT_EQ(lstrcmpni(nullptr, nullptr, 0), 0);
  EXPECT_EQ(lstrcmpni(nullptr, nullptr, 65536), 0);
  EXPECT_EQ(lstrcmpni("abc", "ABD", 2), 0);
  EXPECT_EQ(lstrcmpni("abc", "ABD", 3), -1);
  EXPECT_EQ(lstrcmpni("ABD", "abc", 65536 + 3), 1);
  EXPECT_EQ(lstrcmpni("abc", "ABC", 10), 0);
  EXPECT_EQ(lstrcmpni("ab", "abc", 10), -1);
  EXPECT_EQ(lstrcmpni("abc", "ab", 10), 1);
}

TEST_F(ExportsTest, CompareFoldsOnlyAsciiLettersAndOrdersByUpperCase) {
  EXPECT_EQ(lstrcmpni("_", "a", 1), 1);
  EXPECT_EQ(lstrcmpni("[", "a", 1), 1);
  EXPECT_EQ(lstrcmpni("@", "a", 1), -1);
  EXPECT_EQ(lstrcmpni("\xE4", "\xC4", 1), 1);
  EXPECT_EQ(lstrcmpni("\xC4", "\xE4", 1), -1);
  EXPECT_EQ(lstrcmpni("\xE4", "a", 1), 1) << "bytes above 0x7F compare unsigned";
}

TEST_F(ExportsTest, CountOfMinusOneComparesUpTo65535Characters) {
  std::string same(70000, 'x');
  std::string differentLate = same;
  differentLate[65535] = 'y';  // the 65,536th character
  EXPECT_EQ(lstrcmpni(same.c_str(), differentLate.c_str(), static_cast<DWORD>(-1)), 0);
  differentLate[65534] = 'y';
  EXPECT_EQ(lstrcmpni(same.c_str(), differentLate.c_str(), static_cast<DWORD>(-1)), -1);
}

}  // namespace
