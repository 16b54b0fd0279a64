// Message lookup with its two fallbacks, and the automatic choice of German.
#include <windows.h>

#include "core/installer_state.h"
#include "core/messages.h"
#include "core/options.h"
#include "core/startup.h"
#include "support/installer_fixture.h"
#include "win32sim/testapi.h"

namespace {

const char kGermanErr[] = "Gerr\0Fehler";
const char *const kGermanTable[] = {kGermanErr, nullptr};

class MessagesTest : public InstallerTest {
 protected:
  void UseGermanTable() { g_messageTables[1] = kGermanTable; }
};

TEST_F(MessagesTest, EnglishTexts) {
  EXPECT_STREQ(GetMessageText("err"), "Error");
  EXPECT_STREQ(GetMessageText("dataNotFound"), "Installation data not found. (Executable is corrupted.)");
  EXPECT_STREQ(GetMessageText("winTit"), "MoraLUME Install - Windows (32-bit)");
  EXPECT_STREQ(GetMessageText("running"),
               "MoraLUME Setup is already running. Wait until it has finished, then start it again.");
  EXPECT_STREQ(GetMessageText("errDest"),
               "Error creating destination file, the target disk may be full. (%d)\r\n\r\nFilename=%s\r\n\r\n"
               "Installation aborted.");
}

TEST_F(MessagesTest, KeysAreCaseSensitiveAndUnknownKeysComeBack) {
  EXPECT_STREQ(GetMessageText("Err"), "Err");
  EXPECT_STREQ(GetMessageText("noSuchKey"), "noSuchKey");
  EXPECT_STREQ(GetMessageText("errDest3"), "errDest3");  // a prefix match is no match
  EXPECT_STREQ(GetMessageText("er"), "er");
}

TEST_F(MessagesTest, EmptyLanguageTableFallsBackToEnglish) {
  g_languageIndex = 1;
  EXPECT_STREQ(GetMessageText("corData"), "Corrupted data. Installation aborted.");
  g_languageIndex = 6;
  EXPECT_STREQ(GetMessageText("noMem"), "Not enough memory to complete installation.");
}

TEST_F(MessagesTest, LanguageTextWinsWhereItExists) {
  UseGermanTable();
  g_languageIndex = 1;
  EXPECT_STREQ(GetMessageText("err"), "Fehler");
  EXPECT_STREQ(GetMessageText("noMem"), "Not enough memory to complete installation.");
}

TEST_F(MessagesTest, LicencePiecesHaveTheAgreedShape) {
  for (const char *key : {"license", "license2", "license3"}) {
    std::string text = GetMessageText(key);
    EXPECT_GE(text.size(), 1200u) << key;
    EXPECT_LE(text.size(), 1800u) << key;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') {
        EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << key << " bare LF at " << i;
      }
      if (text[i] == '\r') {
        EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << key << " bare CR at " << i;
      }
    }
  }
  EXPECT_EQ(std::string(GetMessageText("license")).substr(std::string(GetMessageText("license")).size() - 4), "\r\n\r\n");
  EXPECT_EQ(std::string(GetMessageText("license2")).substr(std::string(GetMessageText("license2")).size() - 4), "\r\n\r\n");
  std::string last = GetMessageText("license3");
  EXPECT_EQ(last.substr(last.size() - 2), "\r\n");
  EXPECT_NE(last.substr(last.size() - 4), "\r\n\r\n");
}

TEST_F(MessagesTest, BadPathUsesBareLineFeeds) {
  std::string text = GetMessageText("badPath");
  EXPECT_NE(text.find(".\n\nFor"), std::string::npos);
  EXPECT_EQ(text.find('\r'), std::string::npos);
}

class AutoLanguageTest : public MessagesTest {
 protected:
  void SetUp() override {
    MessagesTest::SetUp();
    InitInstaller(nullptr);
  }
};

TEST_F(AutoLanguageTest, CountryFortyNineChoosesGerman) {
  UseGermanTable();
  sim::SetCountryCode("49");
  AutoSelectLanguage();
  EXPECT_EQ(g_languageIndex, 1);
}

TEST_F(AutoLanguageTest, OtherCountriesKeepEnglish) {
  UseGermanTable();
  for (const char *code : {"41", "4", "490", "1"}) {
    sim::SetCountryCode(code);
    AutoSelectLanguage();
    EXPECT_EQ(g_languageIndex, 0) << code;
  }
}

TEST_F(AutoLanguageTest, GivenLanguageSuppressesTheChoice) {
  UseGermanTable();
  sim::SetCountryCode("49");
  ScanCommandLine("-language=E");
  AutoSelectLanguage();
  EXPECT_EQ(g_languageIndex, 0);
  ScanCommandLine("-language=g");  // not in the table, but still given
  AutoSelectLanguage();
  EXPECT_EQ(g_languageIndex, 0);
}

TEST_F(AutoLanguageTest, SilentModeSuppressesTheChoice) {
  UseGermanTable();
  sim::SetCountryCode("49");
  WriteOptionsFile("sSilent=yes\n");
  ReadInstallerOptions();
  AutoSelectLanguage();
  EXPECT_EQ(g_languageIndex, 0);
  EXPECT_EQ(sim::LocaleQueries(), 0);
}

TEST_F(AutoLanguageTest, EmptyGermanTableNeverAsksTheLocale) {
  sim::SetCountryCode("49");
  AutoSelectLanguage();
  EXPECT_EQ(g_languageIndex, 0);
  EXPECT_EQ(sim::LocaleQueries(), 0);
}

TEST_F(AutoLanguageTest, FailedLocaleQueryKeepsEnglish) {
  UseGermanTable();
  sim::SetCountryCode("49", true);
  AutoSelectLanguage();
  EXPECT_EQ(g_languageIndex, 0);
  EXPECT_EQ(sim::LocaleQueries(), 1);
}

}  // namespace
