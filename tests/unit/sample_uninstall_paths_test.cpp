// The sample lume32.exe's uninstall decisions, in plain C without Win32:
// which installed-file records name a file inside the program's folder, how
// far up folders are removed, and the command line's switches.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sample/record_path.h"
#include "sample/switches.h"

namespace {

const char kFolder[] = "C:\\MLUME\\";
const size_t kFolderLength = sizeof kFolder - 1;

struct Made {
  RecordKind kind;
  std::string path;
};

Made Make(const std::string &record, const std::string &folder = kFolder, size_t size = 260) {
  std::vector<char> path(size, 'x');
  RecordKind kind = RecordToPath(folder.c_str(), folder.size(), record.c_str(), path.data(), size);
  return {kind, std::string(path.data())};
}

// What Windows would take for a place outside the folder, or for another
// name than the record's: the path must be the folder, then plain parts.
bool StaysInside(const std::string &path) {
  if (path.compare(0, kFolderLength, kFolder) != 0) return false;
  std::string rest = path.substr(kFolderLength) + "\\";
  for (size_t start = 0, end; (end = rest.find('\\', start)) != std::string::npos; start = end + 1) {
    std::string part = rest.substr(start, end - start);
    if (part.empty() || part.back() == '.' || part.back() == ' ' || part.find_first_of(":/") != std::string::npos)
      return false;
  }
  return true;
}

TEST(SampleRecordPath, HostileRecordsAreSkipped) {
  const std::string hostile[] = {
      "..", "..$x", "a$..$b", "a$..", ".", "a$.$b", "...", "a.", "a ",             // dot parts, trailing dot or blank
      "", "$a", "a$", "a$$b", "$",                                                 // empty parts, a leading '$' = root
      "C:x", "c:", "C:$x", "a$C:", "a:stream",                                     // drive letters, streams
      "\\\\server", "\\\\server\\share\\x", "\\x", "/etc/passwd", "a/b", "a\\b",  // absolute, separators
      "CON", "con.txt", "NuL", "aux.tar.gz", "prn", "COM1", "lpt9.log", "com1 .log",
      "COM\xB9", "a$CON", "nul$a",                                                 // devices
      "a\tb", std::string("a\x01"), "a\nb", "\x1f",                                // control characters
      "a*", "a?", "<a>", "a|b", "a\"b",                                            // characters Windows refuses
      std::string(256, 'a'), std::string(200, 'a') + "$" + std::string(55, 'b'),  // over-long
  };
  for (const std::string &record : hostile) {
    Made made = Make(record);
    EXPECT_EQ(made.kind, RECORD_REJECTED) << "record \"" << record << "\" gave " << made.path;
    EXPECT_EQ(made.path, "") << "record \"" << record << "\"";
  }
}

TEST(SampleRecordPath, PlainRecordsNameTheirFileInsideTheFolder) {
  const struct {
    const char *record;
    const char *path;
  } cases[] = {
      {"lume32.exe", "C:\\MLUME\\lume32.exe"},
      {"SCRIPTS$DEFSCR", "C:\\MLUME\\SCRIPTS\\DEFSCR"},
      {"a$b$c.txt", "C:\\MLUME\\a\\b\\c.txt"},
      {"tova.opt", "C:\\MLUME\\tova.opt"},
      {".hidden", "C:\\MLUME\\.hidden"},
      {"name with blanks.txt", "C:\\MLUME\\name with blanks.txt"},
      {"CONSOLE.txt", "C:\\MLUME\\CONSOLE.txt"},  // devices are whole names only
      {"COM10", "C:\\MLUME\\COM10"},
      {"LPT", "C:\\MLUME\\LPT"},
      {"caf\xE9.txt", "C:\\MLUME\\caf\xE9.txt"},
      {"PROGRA~1$X", "C:\\MLUME\\PROGRA~1\\X"},
  };
  for (const auto &c : cases) {
    Made made = Make(c.record);
    EXPECT_EQ(made.kind, RECORD_FILE) << c.record;
    EXPECT_EQ(made.path, c.path) << c.record;
  }
}

TEST(SampleRecordPath, TheMarkerNamesNoFile) {
  for (const char *record : {"DEF.TVD", "def.tvd"}) {
    Made made = Make(record);
    EXPECT_EQ(made.kind, RECORD_MARKER) << record;
    EXPECT_EQ(made.path, "");
  }
  EXPECT_EQ(Make("SUB$DEF.TVD").kind, RECORD_FILE);
}

TEST(SampleRecordPath, APathThatWouldNotFitIsRejectedNotCut) {
  const std::string folder = "C:\\" + std::string(240, 'f') + "\\";  // 245 characters
  const std::string fits(260 - 1 - folder.size(), 'r');
  EXPECT_EQ(Make(fits, folder).kind, RECORD_FILE);
  EXPECT_EQ(Make(fits, folder).path, folder + fits);
  Made tooLong = Make(fits + "r", folder);
  EXPECT_EQ(tooLong.kind, RECORD_REJECTED);
  EXPECT_EQ(tooLong.path, "");
  EXPECT_EQ(Make("a", kFolder, 1).kind, RECORD_REJECTED);
}

TEST(SampleRecordPath, NoRecordLongerThanAKeyNameEvenWhereItWouldFit) {
  const std::string longest(RECORD_NAME_MAX, 'a');
  EXPECT_EQ(Make(longest, kFolder, 1024).kind, RECORD_FILE);
  EXPECT_EQ(Make(longest + "a", kFolder, 1024).kind, RECORD_REJECTED);
  EXPECT_EQ(Make("d$" + longest, kFolder, 1024).kind, RECORD_REJECTED);
}

TEST(SampleRecordPath, AFolderWithoutItsSeparatorTakesNoRecord) {
  for (const std::string folder : {"C:\\MLUME", "", "MLUME"}) {
    Made made = Make("a.txt", folder);
    EXPECT_EQ(made.kind, RECORD_REJECTED) << folder;
    EXPECT_EQ(made.path, "");
  }
}

// Every record of up to four characters made of the characters that matter
// for paths: what is taken stays inside the folder.
TEST(SampleRecordPath, NoShortRecordLeavesTheFolder) {
  const std::string alphabet = ".$a:\\/ ";
  std::vector<std::string> records = {""};
  int taken = 0;
  for (size_t at = 0; at < records.size(); ++at) {
    Made made = Make(records[at]);
    if (made.kind == RECORD_FILE) {
      ++taken;
      EXPECT_TRUE(StaysInside(made.path)) << "record \"" << records[at] << "\" gave " << made.path;
    }
    if (records[at].size() < 4)
      for (char c : alphabet) records.push_back(records[at] + c);
  }
  EXPECT_GT(taken, 20);  // the good ones are taken: the loop checks something
}

TEST(SampleRecordPath, FoldersGoUpToButNotIncludingTheProgramsFolder) {
  const struct {
    const char *file;
    std::vector<std::string> folders;
  } cases[] = {
      {"C:\\MLUME\\SCRIPTS\\DEFSCR", {"C:\\MLUME\\SCRIPTS"}},
      {"C:\\MLUME\\a\\b\\c.txt", {"C:\\MLUME\\a\\b", "C:\\MLUME\\a"}},
      {"C:\\MLUME\\readme.txt", {}},
  };
  for (const auto &c : cases) {
    char path[260];
    snprintf(path, sizeof path, "%s", c.file);
    std::vector<std::string> folders;
    while (CutToParent(path, kFolderLength)) folders.push_back(path);
    EXPECT_EQ(folders, c.folders) << c.file;
    EXPECT_EQ(std::string(path), c.folders.empty() ? c.file : c.folders.back()) << "left as it was at the end";
  }
}

TEST(SampleRecordPath, FolderOfTheProgram) {
  EXPECT_EQ(FolderLength("C:\\MLUME\\lume32.exe"), 9u);
  EXPECT_EQ(FolderLength("C:\\lume32.exe"), 3u);
  EXPECT_EQ(FolderLength("C:lume32.exe"), 2u);
  EXPECT_EQ(FolderLength("lume32.exe"), 0u);

  const struct {
    const char *program;
    const char *folder;  // null: nothing to remove
  } cases[] = {
      {"C:\\MLUME\\lume32.exe", "C:\\MLUME"},
      {"C:\\Image Tools\\MoraLUME\\lume32.exe", "C:\\Image Tools\\MoraLUME"},
      {"\\\\server\\share\\MLUME\\lume32.exe", "\\\\server\\share\\MLUME"},
      {"C:\\lume32.exe", nullptr},
      {"C:lume32.exe", nullptr},
      {"lume32.exe", nullptr},
      {"\\lume32.exe", nullptr},
      {"\\\\server\\share\\lume32.exe", nullptr},
      {"\\\\?\\C:\\lume32.exe", nullptr},
  };
  for (const auto &c : cases) {
    char folder[260] = "";
    EXPECT_EQ(FolderToRemove(c.program, folder, sizeof folder), c.folder ? 1 : 0) << c.program;
    if (c.folder) {
      EXPECT_STREQ(folder, c.folder);
    }
  }
  char small[9];
  EXPECT_EQ(FolderToRemove("C:\\MLUME\\lume32.exe", small, sizeof small), 1);  // "C:\MLUME" and its NUL
  EXPECT_EQ(FolderToRemove("C:\\MLUMEX\\lume32.exe", small, sizeof small), 0);
}

TEST(SampleRecordPath, AppendTextRefusesWhatDoesNotFit) {
  char buffer[6] = "ab";
  EXPECT_EQ(AppendText(buffer, sizeof buffer, "cde"), 1);
  EXPECT_STREQ(buffer, "abcde");
  EXPECT_EQ(AppendText(buffer, sizeof buffer, "f"), 0);
  EXPECT_STREQ(buffer, "abcde");
}

TEST(SampleSwitches, WholeWordsInAnyCaseOutsideQuotes) {
  const struct {
    const char *arguments;
    const char *word;
    int found;
  } cases[] = {
      {". -u", "-u", 1},        {". -U", "-u", 1},       {". -u -s", "-s", 1},   {"x\t-u", "-u", 1},
      {"-u", "-u", 1},          {". -us", "-u", 0},      {"-uninstall", "-u", 0}, {"\"-u\"", "-u", 0},
      {"\"a -u b\"", "-u", 0},  {"\"a b\" -u", "-u", 1}, {"", "-u", 0},          {"-Q", "-u", 0},
      {". -u", "-s", 0},        {"   ", "", 0},
  };
  for (const auto &c : cases)
    EXPECT_EQ(HasSwitch(c.arguments, c.word), c.found) << "\"" << c.arguments << "\" for " << c.word;
}

}  // namespace
