// Hostile payloads in whole silent runs: each is refused with "corData" (or
// installs, where it is harmless), and nothing lands outside the destination.
// Names that the extraction alone refuses are in extraction_test.cpp; this
// table adds the rest: drive forms, device names, lengths, sizes, counts and
// streams, and names close to hostile ones that must still install.
#include <windows.h>

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "core/installer_state.h"
#include "core/messages.h"
#include "support/installer_fixture.h"
#include "support/payload_builder.h"
#include "win32sim/testapi.h"

namespace {

// One level below a folder of its own, so that a name climbing out by one
// level would show up in C:\MLUME.
const char kDestination[] = "C:\\MLUME\\SUB";
const char kOptionsFile[] = "C:\\dist\\tovaopt.ini";

enum Outcome { kRefused, kInstalled };

struct HostileCase {
  std::string label;
  std::string resource;
  Outcome outcome;
  std::vector<std::string> files;  // below the destination once installed, tova.opt aside
};

void PrintTo(const HostileCase &hostile, std::ostream *out) { *out << hostile.label; }

std::string Entry(const std::string &name, const std::string &data) {
  return RawEntryBytes(static_cast<uint8_t>(name.size() + 1), name + std::string(1, '\0'),
                       static_cast<uint32_t>(data.size()), data);
}

// An archive header for `count` files with a plausible total.
std::string Header(uint16_t count, uint32_t total = 100) {
  return BuildArchiveBytes({}, {count, total});
}

std::string Resource(const std::string &archive) { return BuildPayloadResourceFromArchive(archive); }

// A good first file, then the entry under test, then bytes that would do for
// data: only the name can be at fault.
HostileCase SecondName(const std::string &label, const std::string &name, Outcome outcome = kRefused) {
  std::string archive = Header(2) + Entry("first.txt", "ok") + Entry(name, "evil") + std::string(64, 'p');
  std::vector<std::string> files = {"first.txt"};
  if (outcome == kInstalled) files.push_back(name);
  return {label, Resource(archive), outcome, files};
}

HostileCase NameLength(const std::string &label, uint8_t length, Outcome outcome) {
  std::string name(length > 0 ? length - 1 : 0, 'n');
  std::string entry = RawEntryBytes(length, name + std::string(1, '\0'), 4, "data");
  std::vector<std::string> files = {"first.txt"};
  if (outcome == kInstalled) files.push_back(name);
  return {label, Resource(Header(2) + Entry("first.txt", "ok") + entry + std::string(300, 'p')), outcome, files};
}

// A size the format allows gets its file, cut where the stream ends.
HostileCase DataSize(const std::string &label, uint32_t size, std::vector<std::string> files) {
  std::string entry = RawEntryBytes(6, std::string("b.bin\0", 6), size, std::string(5000, 'd'));
  return {label, Resource(Header(2) + Entry("first.txt", "ok") + entry), kRefused, files};
}

HostileCase TotalSize(const std::string &label, uint32_t total, Outcome outcome) {
  std::string archive = Header(1, total) + Entry("first.txt", "ok");
  return {label, Resource(archive), outcome, outcome == kInstalled ? std::vector<std::string>{"first.txt"}
                                                                   : std::vector<std::string>{}};
}

std::vector<HostileCase> Cases() {
  std::vector<HostileCase> cases = {
      // Drive letters and separators in other forms than extraction_test.cpp's.
      SecondName("DriveRoot", "C:\\evil"),
      SecondName("OtherDrive", "D:evil"),
      SecondName("BareDrive", "C:"),
      SecondName("DriveAsSubdirectory", "evil!C:"),
      SecondName("TwoLevelsUp", "..\\..\\evil"),
      SecondName("DownThenUp", "sub\\..\\..\\evil"),
      SecondName("SlashRoot", "/evil"),
      SecondName("DotSubdirectory", "evil!."),
      SecondName("DotFile", ".!sub"),
      SecondName("StreamColon", "a.txt:stream"),
      // Device names, alone, with extensions, as either side of the '!'.
      SecondName("Com1", "COM1"),
      SecondName("Lpt1", "LPT1"),
      SecondName("Com1WithExtension", "com1.txt"),
      SecondName("Lpt1WithExtension", "Lpt1.log"),
      SecondName("Aux", "AUX"),
      SecondName("PrnWithExtension", "PRN.dat"),
      SecondName("Nul", "NUL"),
      SecondName("ConTwoExtensions", "con.tar.gz"),
      SecondName("ConinWithExtension", "conin$.x"),
      SecondName("Conout", "CONOUT$"),
      SecondName("Com1BlankBeforeExtension", "COM1 .txt"),
      SecondName("NulBlanksBeforeExtension", "nul  .x"),
      SecondName("Com0", "COM0"),
      SecondName("Lpt0WithExtension", "LPT0.txt"),
      SecondName("ComSuperscriptOne", "COM\xB9"),
      SecondName("LptSuperscriptTwoWithExtension", "lpt\xB2.txt"),
      SecondName("NulSubdirectory", "x!NUL"),
      SecondName("AuxFileInSubdirectory", "AUX!sub"),
      // Trailing dots and blanks on either side of the '!'.
      SecondName("TwoTrailingDots", "a.."),
      SecondName("DotThenBlank", "a. "),
      SecondName("SubdirectoryEndsInDot", "x!sub."),
      SecondName("SubdirectoryEndsInBlank", "x!sub "),
      SecondName("FileEndsInBlank", "file !dir"),
      // Two '!' and empty parts.
      SecondName("DoubleBang", "a!!b"),
      SecondName("OnlyBangs", "!!"),
      SecondName("OnlyBang", "!"),
      // What the installed-file records could not carry back: '$' reads back
      // as a folder separator, DEF.TVD at the top as the marker of no file.
      SecondName("DollarInFile", "a$b.txt"),
      SecondName("DollarAlone", "$"),
      SecondName("DollarInSubdirectory", "x!a$b"),
      SecondName("DollarInFileOfSubdirectory", "a$!sub"),
      SecondName("UnextractedRecord", "DEF.TVD"),
      SecondName("UnextractedRecordLowerCase", "def.tvd"),
      SecondName("UnextractedRecordMixedCase", "Def.tVd"),
      // Near misses: harmless names that must still install.
      SecondName("UnextractedRecordWithMore", "DEF.TVD.txt", kInstalled),
      SecondName("UnextractedRecordAfterMore", "xdef.tvd", kInstalled),
      SecondName("Com10", "COM10", kInstalled),
      SecondName("LptWithoutDigit", "LPT.txt", kInstalled),
      SecondName("ConsoleWithExtension", "CONSOLE.txt", kInstalled),
      SecondName("DeviceInsideAName", "xnul.txt", kInstalled),
      SecondName("LeadingDot", ".profile", kInstalled),
      // Name lengths (terminating zero included): 52 is the largest allowed.
      NameLength("NameLength0", 0, kRefused),
      NameLength("NameLength1", 1, kRefused),
      NameLength("NameLength52", 52, kInstalled),
      NameLength("NameLength53", 53, kRefused),
      NameLength("NameLength255", 255, kRefused),
      // Data sizes: 2^31 and above never occur; just below, the stream ends first.
      DataSize("DataSizeJustBelow2To31", 0x7FFFFFFF, {"first.txt", "b.bin"}),
      DataSize("DataSize2To31", 0x80000000, {"first.txt"}),
      DataSize("DataSizeLargest", 0xFFFFFFFF, {"first.txt"}),
      // Total sizes: the header of an archive that cannot exist.
      TotalSize("TotalSizeJustBelow2To31", 0x7FFFFFFF, kInstalled),
      TotalSize("TotalSize2To31", 0x80000000, kRefused),
      TotalSize("TotalSizeLargest", 0xFFFFFFFF, kRefused),
  };
  // DEF.TVD inside a subfolder, or as one, is recorded as SUB$DEF.TVD or DEF.TVD$x.
  cases.push_back({"UnextractedRecordInASubdirectory",
                   Resource(Header(3) + Entry("first.txt", "ok") + Entry("def.tvd!SUB", "d") + Entry("x!DEF.TVD", "x")),
                   kInstalled,
                   {"first.txt", "SUB\\def.tvd", "DEF.TVD\\x"}});
  // File counts beyond the entries present.
  cases.push_back({"CountOneMore", Resource(Header(3) + Entry("a.txt", "a") + Entry("b.txt", "b")), kRefused,
                   {"a.txt", "b.txt"}});
  cases.push_back({"CountLargest", Resource(Header(0xFFFF) + Entry("a.txt", "a")), kRefused, {"a.txt"}});
  // A second zlib stream after the first: its bytes are never delivered, so
  // the entries it holds are missing...
  cases.push_back({"EntriesInASecondStream",
                   PayloadResourceAround(ZlibStream(Header(2) + Entry("a.txt", "a"), 9) +
                                         ZlibStream(Entry("b.txt", "b"), 9)),
                   kRefused,
                   {"a.txt"}});
  // ...and one after a complete archive is left alone.
  cases.push_back({"SecondStreamAfterACompleteArchive",
                   PayloadResourceAround(ZlibStream(Header(1) + Entry("a.txt", "a"), 9) +
                                         ZlibStream(Header(1) + Entry("b.txt", "b"), 9)),
                   kInstalled,
                   {"a.txt"}});
  return cases;
}

class HostilePayloadTest : public InstallerTest, public ::testing::WithParamInterface<HostileCase> {
 protected:
  void RunSilently(const std::string &resource) {
    WriteOptionsFile("sSilent=1\n");
    InstallPayload(resource);
    strcpy(g_destinationDir, kDestination);
    registryBefore = sim::DumpRegistry();
    RunWinMain();
  }
  std::string registryBefore;
  // Every file but the options file beside the installer, relative to the
  // destination; a file elsewhere keeps its full path and fails the match.
  static std::vector<std::string> FilesLeft() {
    std::vector<std::string> files;
    const std::string inside = std::string(kDestination) + "\\";
    for (const std::string &file : sim::ListFiles()) {
      if (file == kOptionsFile || file == inside + "tova.opt") continue;
      files.push_back(file.rfind(inside, 0) == 0 ? file.substr(inside.size()) : file);
    }
    return files;
  }
  static void ExpectNoDirectoryOutside() {
    const std::string inside = std::string(kDestination) + "\\";
    for (const std::string &directory : sim::ListDirectories()) {
      bool allowed = directory.size() == 3 || directory == "C:\\dist" || directory == "C:\\MLUME" ||
                     (directory + "\\").rfind(inside, 0) == 0;
      EXPECT_TRUE(allowed) << directory;
    }
  }
};

TEST_P(HostilePayloadTest, RefusedAsCorruptOrInstalledAndNothingOutside) {
  const HostileCase &hostile = GetParam();
  RunSilently(hostile.resource);

  // A refused payload leaves nothing: what was written before the fault is
  // taken away again, folders included.
  std::vector<std::string> expectedFiles;
  if (hostile.outcome == kInstalled) expectedFiles = hostile.files;
  std::sort(expectedFiles.begin(), expectedFiles.end());
  EXPECT_EQ(FilesLeft(), expectedFiles);
  ExpectNoDirectoryOutside();
  if (hostile.outcome == kRefused) {
    EXPECT_FALSE(sim::DirectoryExists("C:\\MLUME"));
    EXPECT_EQ(sim::DumpRegistry(), registryBefore);
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{GetMessageText("corData")}));
    EXPECT_TRUE(sim::ProgramStarts().empty());
    EXPECT_TRUE(sim::DdeCommandTexts().empty());
  } else {
    EXPECT_TRUE(MessageTexts().empty());
    ASSERT_FALSE(sim::ProgramStarts().empty());
    EXPECT_EQ(sim::ProgramStarts().back().commandLine, std::string(kDestination) + "\\" + hostile.files[0]);
  }
  EXPECT_EQ(sim::LoadedResources(), 0);
  EXPECT_EQ(sim::OpenFileHandles(), 0);
  EXPECT_EQ(sim::TimersNeverKilled(), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, HostilePayloadTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<HostileCase> &info) { return info.param.label; });

}  // namespace
