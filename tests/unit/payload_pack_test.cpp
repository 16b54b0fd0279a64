// The pack tool's code: gathering files, its refusals, packing, and the
// checks behind `list` and `verify`.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "payload/archive_format.h"
#include "payload/payload_reader.h"
#include "support/installer_fixture.h"
#include "support/payload_builder.h"
#include "tools/pack/archive_writer.h"
#include "tools/pack/name_codepage.h"
#include "tools/pack/pack_payload.h"
#include "tools/pack/payload_check.h"
#include "tools/pack/payload_source.h"
#include "tools/pack/pe_resource.h"

namespace fs = std::filesystem;

namespace {

class PackTest : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    folder_ = fs::path(testing::TempDir()) /
              ("pack_test_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  void Write(const std::string &relative, const std::string &bytes) {
    fs::path path = folder_ / "in" / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
  std::string In() const { return (folder_ / "in").string(); }
  std::string Out() const { return (folder_ / "payload.bin").string(); }
  static std::string Load(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // The refusal for this folder, or "" when it packs.
  std::string FolderRefusal(const std::string &main = "lume32.exe") {
    std::vector<SourceFile> files;
    std::string error;
    if (!CollectFolder(In(), files, error) || !OrderAndCheckSources(files, main, error)) return error;
    return "";
  }
  static PayloadReport Check(const std::string &resource) {
    return CheckPayload(reinterpret_cast<const unsigned char *>(resource.data()), resource.size());
  }

  fs::path folder_;
};

TEST_F(PackTest, FolderPacksMainFirstAndReadsBackThroughTheReader) {
  Write("readme.txt", "Read me\r\n");
  Write("empty.txt", "");
  Write("lume32.exe", "MZ stand-in");
  Write("SCRIPTS/DEFSCR", "delay 5\r\n");
  std::string big(1500000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 7919) >> 5);
  Write("big.dat", big);

  std::vector<SourceFile> files;
  std::string error;
  ASSERT_TRUE(CollectFolder(In(), files, error)) << error;
  ASSERT_TRUE(OrderAndCheckSources(files, "lume32.exe", error)) << error;
  PackSummary summary;
  ASSERT_TRUE(PackPayload(files, Out(), false, summary, error)) << error;
  std::string resource = Load(Out());
  EXPECT_EQ(resource.substr(4, 2), "\x78\xDA");
  EXPECT_EQ(summary.streamSize + 4, resource.size());

  const std::vector<ArchiveEntry> expected = {{"lume32.exe", "MZ stand-in"},
                                              {"DEFSCR!SCRIPTS", "delay 5\r\n"},
                                              {"big.dat", big},
                                              {"empty.txt", ""},
                                              {"readme.txt", "Read me\r\n"}};
  InstallPayload(resource);
  ASSERT_EQ(OpenPayload(nullptr), kPayloadOpened);
  ASSERT_EQ(g_payloadFileCount, expected.size());
  for (const ArchiveEntry &want : expected) {
    unsigned char nameLength = 0;
    char name[kMaxEntryNameLength];
    DWORD size = 0;
    ASSERT_EQ(ReadPayload(&nameLength, 1), 1);
    ASSERT_LE(nameLength, kMaxEntryNameLength);
    ASSERT_EQ(ReadPayload(name, nameLength), nameLength);
    ASSERT_EQ(ReadPayload(&size, 4), 4);
    std::string data(size, '\0');
    ASSERT_EQ(ReadPayload(&data[0], size), static_cast<LONG>(size));
    EXPECT_EQ((ArchiveEntry{std::string(name), data}), want);
  }
  EXPECT_EQ(static_cast<DWORD>(g_payloadDelivered), g_payloadTotalSize + 4 * g_payloadFileCount);

  PayloadReport report = Check(resource);
  EXPECT_TRUE(report.problems.empty());
  EXPECT_TRUE(report.highestLevelHeader);
  EXPECT_EQ(report.entries.size(), expected.size());
  EXPECT_EQ(report.totalSize, g_payloadTotalSize);
}

TEST_F(PackTest, NamesTheFormatCannotCarry) {
  EXPECT_EQ(EntryNameProblem(std::string(51, 'a')), "");
  EXPECT_EQ(EntryNameProblem("file!dir"), "");
  EXPECT_NE(EntryNameProblem(std::string(52, 'a')), "");
  EXPECT_NE(EntryNameProblem(""), "");
  // What the installer would refuse at install time is refused when packing.
  for (const char *name : {"CON", "nul.txt", "LPT1 .log", "x!COM1", "readme.", "trailing ", "a!.."})
    EXPECT_NE(EntryNameProblem(name), "") << name;
  EXPECT_NE(EntryNameProblem("a\\b"), "");
  EXPECT_NE(EntryNameProblem("a/b"), "");
  EXPECT_NE(EntryNameProblem("a!b!c"), "");
  EXPECT_NE(EntryNameProblem("!dir"), "");
  EXPECT_NE(EntryNameProblem("file!"), "");
  EXPECT_NE(EntryNameProblem("c:file"), "");
  EXPECT_NE(EntryNameProblem("tab\there"), "");
  // What the installed-file records could not carry back, said as such.
  for (const char *name : {"a$b.txt", "$", "x!a$b", "a$!sub"})
    EXPECT_NE(EntryNameProblem(name).find("'$'"), std::string::npos) << name;
  for (const char *name : {"DEF.TVD", "def.tvd", "Def.tVd"})
    EXPECT_NE(EntryNameProblem(name).find("DEF.TVD"), std::string::npos) << name;
  for (const char *name : {"DEF.TVD!SUB", "x!DEF.TVD", "DEF.TVD.txt", "xdef.tvd"})
    EXPECT_EQ(EntryNameProblem(name), "") << name;
}

TEST_F(PackTest, FolderRefusalsNameTheFile) {
  Write("lume32.exe", "MZ");
  EXPECT_EQ(FolderRefusal(), "");
  EXPECT_NE(FolderRefusal("viewer.exe").find("\"viewer.exe\""), std::string::npos);

  Write("SUB/DEEP/x.txt", "x");
  EXPECT_NE(FolderRefusal().find("DEEP"), std::string::npos);
  fs::remove_all(folder_ / "in" / "SUB");

  Write("bang!name.txt", "x");
  EXPECT_NE(FolderRefusal().find("bang!name.txt"), std::string::npos);
  fs::remove(folder_ / "in" / "bang!name.txt");

  Write("SCRIPTS!X/a.txt", "x");
  EXPECT_NE(FolderRefusal().find("SCRIPTS!X"), std::string::npos);
  fs::remove_all(folder_ / "in" / "SCRIPTS!X");

  for (const char *name : {"a$b.txt", "SUB$/a.txt", "def.tvd"}) {
    Write(name, "x");
    EXPECT_NE(FolderRefusal().find(fs::path(name).begin()->string()), std::string::npos) << name;
    fs::remove_all(folder_ / "in" / *fs::path(name).begin());
  }
  Write("SUB/def.tvd", "x");  // recorded as SUB$def.tvd
  EXPECT_EQ(FolderRefusal(), "");
  fs::remove_all(folder_ / "in" / "SUB");

  Write("back\\slash.txt", "x");
  EXPECT_NE(FolderRefusal().find("back\\slash.txt"), std::string::npos);
  fs::remove(folder_ / "in" / "back\\slash.txt");

  // 40 + 1 + 11 = 52 bytes stored: one too many.
  std::string longName(40, 'n');
  Write("SUBFOLDER00/" + longName, "x");
  EXPECT_NE(FolderRefusal().find(longName), std::string::npos);
  fs::remove_all(folder_ / "in" / "SUBFOLDER00");
  Write("SUBFOLDER0/" + longName, "x");  // 51 bytes: fine
  EXPECT_EQ(FolderRefusal(), "");
}

// Host names are UTF-8; the installer gets Windows-1252 bytes, and its rules
// (52 bytes, device names) apply to those.
TEST_F(PackTest, NamesAreStoredInTheInstallersCodePage) {
  Write("lume32.exe", "MZ");
  Write("na\xC3\xAFve.txt", "x");       // naïve.txt
  Write("SUB/\xC3\x96lbild.png", "y");  // Ölbild.png
  std::vector<SourceFile> files;
  std::string error, resource;
  ASSERT_TRUE(CollectFolder(In(), files, error)) << error;
  ASSERT_TRUE(OrderAndCheckSources(files, "na\xC3\xAFve.txt", error)) << error;  // --main in UTF-8
  PackSummary summary;
  ASSERT_TRUE(BuildPayload(files, false, summary, resource, error)) << error;
  PayloadReport report = Check(resource);
  EXPECT_TRUE(report.problems.empty());
  ASSERT_EQ(report.entries.size(), 3u);
  EXPECT_EQ(report.entries[0].name, "na\xEFve.txt");
  EXPECT_EQ(report.entries[1].name, "\xD6lbild.png!SUB");
  EXPECT_EQ(report.entries[2].name, "lume32.exe");
  EXPECT_EQ(DefaultNameCodePage().Decode(report.entries[1].name), "\xC3\x96lbild.png!SUB");
  fs::remove_all(folder_ / "in" / "SUB");

  Write("COM\xC2\xB9.txt", "");  // COM¹: 0xB9 makes it a device name
  EXPECT_NE(FolderRefusal().find("COM\xC2\xB9.txt"), std::string::npos);
  fs::remove(folder_ / "in" / "COM\xC2\xB9.txt");
  std::string accents;
  for (int i = 0; i < 51; ++i) accents += "\xC3\xA9";  // 51 bytes stored, 102 in UTF-8
  Write(accents, "");
  EXPECT_EQ(FolderRefusal(), "");
  Write(accents + "\xC3\xA9", "");
  EXPECT_NE(FolderRefusal().find("52 bytes"), std::string::npos);
  fs::remove(folder_ / "in" / (accents + "\xC3\xA9"));

  Write("\xC3\xB6lbild.png", "");  // ölbild.png
  Write("\xC3\x96LBILD.PNG", "");  // ÖLBILD.PNG: the same file on Windows
  EXPECT_NE(FolderRefusal().find("does not tell case apart"), std::string::npos);
}

TEST_F(PackTest, CodePagesStoreOnlyWhatComesBackExactly) {
  struct Case {
    const char *codePage, *utf8, *stored, *problem;  // stored or a part of the refusal
  };
  const Case cases[] = {
      {"CP1252", "na\xC3\xAFve.txt", "na\xEFve.txt", nullptr},
      {"1250", "\xC5\x82.txt", "\xB3.txt", nullptr},          // ł
      {"WINDOWS-1252", "\xE2\x82\xAC", "\x80", nullptr},      // €
      {"CP1252", "\xE6\x97\xA5\xE6\x9C\xAC.txt", nullptr, "'\xE6\x97\xA5' is not in code page CP1252"},  // 日本
      {"cp1250", "\xC5\x82.txt", "\xB3.txt", nullptr},
      {"Windows-874", "\xE0\xB8\x81", "\xA1", nullptr},     // ก
      {"936", "\xE4\xB8\xAD", "\xD6\xD0", nullptr},          // 中
      {"CP1253", "\xC3\xA9", nullptr, "is not in code page CP1253"},  // é
      {"CP1252", "bad\xFF.txt", nullptr, "not valid UTF-8 at byte 4 (0xFF)"},
      {"CP1252", "cut\xC3", nullptr, "not valid UTF-8 at byte 4"},
      {"932", "a\xE2\x80\xBE" "b", nullptr, "give it back as \"a~b\""},  // ‾ would land as '~'
  };
  for (const Case &c : cases) {
    NameCodePage codePage;
    std::string error, stored, problem;
    ASSERT_TRUE(codePage.Open(c.codePage, error)) << error;
    bool held = codePage.Encode(c.utf8, stored, problem);
    if (c.stored) {
      EXPECT_TRUE(held) << c.utf8 << ": " << problem;
      EXPECT_EQ(stored, c.stored) << c.utf8;
      EXPECT_EQ(codePage.Decode(stored), c.utf8);
    } else {
      EXPECT_FALSE(held) << c.utf8;
      EXPECT_NE(problem.find(c.problem), std::string::npos) << c.utf8 << ": " << problem;
    }
  }
  EXPECT_EQ(DefaultNameCodePage().Decode("a\x81z"), "a\\x81z");  // undefined in Windows-1252
  NameCodePage codePage;
  std::string error;
  // Only Windows' ANSI code pages, by number, CPnnnn or WINDOWS-nnnn: iconv
  // knows most of these, but the installer never runs in them.
  for (const char *refused : {"NO-SUCH-PAGE", "ISO-8859-1", "UTF-8", "UTF-16", "EUC-JP", "CP1252//TRANSLIT",
                              "1252//IGNORE", "1200", "437", "CP437", "CP65001", "CP1259", "01252", "CP 1252",
                              "WINDOWS1252", "MS-ANSI", "", "CPCP1252"}) {
    EXPECT_FALSE(codePage.Open(refused, error)) << refused;
    EXPECT_NE(error.find("\"" + std::string(refused) + "\""), std::string::npos) << error;
    EXPECT_NE(error.find("874, 932, 936, 949, 950 or 1250 to 1258"), std::string::npos) << error;
  }
  for (const char *accepted : {"874", "932", "CP936", "cp949", "WINDOWS-950", "1250", "windows-1251", "Cp1253",
                               "WiNdOwS-1254", "1255", "CP1256", "1257", "1258"})
    EXPECT_TRUE(codePage.Open(accepted, error)) << accepted << ": " << error;
}

TEST_F(PackTest, ListedFilesAndTheirRefusals) {
  Write("lume32.exe", "MZ");
  Write("a.txt", "a");
  Write("SCRIPTS/DEFSCR", "s");
  std::vector<SourceFile> files;
  std::string error;
  ASSERT_TRUE(CollectListedFile(In(), "a.txt", files, error)) << error;
  ASSERT_TRUE(CollectListedFile(In(), "SCRIPTS/DEFSCR", files, error)) << error;
  ASSERT_TRUE(CollectListedFile(In(), "lume32.exe", files, error)) << error;
  ASSERT_TRUE(OrderAndCheckSources(files, "lume32.exe", error)) << error;
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0].name, "lume32.exe");
  EXPECT_EQ(files[1].name, "a.txt");
  EXPECT_EQ(files[2].name, "DEFSCR!SCRIPTS");

  EXPECT_FALSE(CollectListedFile(In(), "missing.txt", files, error));
  EXPECT_NE(error.find("missing.txt"), std::string::npos);
  EXPECT_FALSE(CollectListedFile(In(), "SCRIPTS/x/y", files, error));
  EXPECT_FALSE(CollectListedFile(In(), "../a.txt", files, error));
  EXPECT_FALSE(CollectListedFile("", In() + "/a.txt", files, error));  // absolute

  // Windows would write both to one file.
  Write("A.TXT.d/A.TXT", "b");
  ASSERT_TRUE(CollectListedFile(In() + "/A.TXT.d", "A.TXT", files, error)) << error;
  EXPECT_FALSE(OrderAndCheckSources(files, "lume32.exe", error));
  EXPECT_NE(error.find("A.TXT"), std::string::npos);
}

TEST_F(PackTest, SizesAndCountsAtTheLimits) {
  std::vector<SourceFile> files = {{"m", "lume32.exe", 10}, {"big", "big.dat", kMaxArchiveSize - 100}};
  std::string error;
  EXPECT_TRUE(OrderAndCheckSources(files, "lume32.exe", error)) << error;
  files.push_back({"more", "more.dat", 100});
  EXPECT_FALSE(OrderAndCheckSources(files, "lume32.exe", error));
  EXPECT_NE(error.find("total size"), std::string::npos);

  std::vector<SourceFile> many(kMaxFileCount + 1, SourceFile{"x", "", 0});
  for (size_t i = 0; i < many.size(); ++i) many[i].name = "f" + std::to_string(i);
  many[0].name = "lume32.exe";
  EXPECT_FALSE(OrderAndCheckSources(many, "lume32.exe", error));
  EXPECT_NE(error.find("65535"), std::string::npos);
  many.pop_back();
  EXPECT_TRUE(OrderAndCheckSources(many, "lume32.exe", error)) << error;
}

TEST_F(PackTest, VerifyFindsEveryBreachOfTheFormat) {
  const std::vector<ArchiveEntry> entries = {{"lume32.exe", "MZ"}, {"a.txt", "text"}};
  std::string archive = BuildArchive(entries);
  EXPECT_TRUE(Check(BuildPayloadResourceFromArchive(archive)).problems.empty());

  auto problemsOf = [&](const std::string &resource) {
    std::string all;
    for (const std::string &problem : Check(resource).problems) all += problem + "\n";
    return all;
  };
  EXPECT_NE(problemsOf(BuildPayloadResourceFromArchive(archive + "x")).find("follow the last entry"),
            std::string::npos);
  EXPECT_NE(problemsOf(BuildPayloadResourceFromArchive(BuildArchiveBytes(entries, {{}, 99}))).find("total size"),
            std::string::npos);
  EXPECT_NE(problemsOf(BuildPayloadResourceFromArchive(BuildArchiveBytes(entries, {3, {}}))).find("entry 3"),
            std::string::npos);
  std::string badName = BuildArchiveBytes({}, {1, 60}) + RawEntryBytes(53, std::string(52, 'n') + '\0', 2, "MZ");
  EXPECT_NE(problemsOf(BuildPayloadResourceFromArchive(badName)).find("name length of 53"), std::string::npos);
  // Names another tool may write but the records could not carry back.
  std::string unrecordable = BuildArchive({{"lume32.exe", "MZ"}, {"a$b.txt", "a"}, {"def.tvd", "d"}});
  std::string problems = problemsOf(BuildPayloadResourceFromArchive(unrecordable));
  EXPECT_NE(problems.find("entry \"a$b.txt\": a '$'"), std::string::npos) << problems;
  EXPECT_NE(problems.find("entry \"def.tvd\": a top-level file named DEF.TVD"), std::string::npos) << problems;

  std::string resource = BuildPayloadResourceFromArchive(archive);
  std::string badTrailer = resource;
  badTrailer.back() ^= 1;
  EXPECT_NE(problemsOf(badTrailer).find("damaged"), std::string::npos);
  EXPECT_NE(problemsOf(resource.substr(0, resource.size() - 2)).find("says"), std::string::npos);
  std::string stream = resource.substr(4);
  EXPECT_NE(problemsOf(PayloadResourceAround(stream.substr(0, stream.size() - 2))).find("cut short"),
            std::string::npos);
  EXPECT_NE(problemsOf(PayloadResourceAround(stream + "zz")).find("2 bytes follow the zlib stream"),
            std::string::npos);
  EXPECT_FALSE(Check("ab").problems.empty());
}

TEST_F(PackTest, ExecutablesWithoutThePayloadAreRefusedSafely) {
  size_t offset = 0, size = 0;
  std::string error;
  EXPECT_TRUE(LooksLikeExecutable("MZ..."));
  EXPECT_FALSE(LooksLikeExecutable("xMZ"));
  std::string image = "MZ" + std::string(0x3A, '\0') + std::string("\xF0\xFF\xFF\x7F", 4);  // PE offset far out
  EXPECT_FALSE(FindPayloadInExecutable(image, offset, size, error));
  EXPECT_EQ(error, "not a PE executable");
  image.replace(0x3C, 4, std::string("\x40\x00\x00\x00", 4));
  image += "PE";
  image += std::string(2, '\0');
  EXPECT_FALSE(FindPayloadInExecutable(image, offset, size, error));  // headers cut short
  EXPECT_EQ(error, "damaged PE headers");
}

}  // namespace
