// The Program Manager group over DDE: command texts and their order, which
// refusals end the step, and the teardown on each path.
#include <windows.h>

#include <cstring>

#include "core/installer_state.h"
#include "shell/program_group.h"
#include "support/installer_fixture.h"
#include "win32sim/testapi.h"

namespace {

using Texts = std::vector<std::string>;

const char kShowGroup[] = "[ShowGroup(MoraLUME,1)]";
const char kProgramItem[] = "[AddItem(C:\\MLUME\\MAIN.EXE,\"MoraLUME\",C:\\MLUME\\MAIN.EXE)]";
const char kUninstallItem[] = "[AddItem(C:\\MLUME\\MAIN.EXE . -u,\"Uninstall MoraLUME\",C:\\MLUME\\MAIN.EXE,1)]";
const char kOrderItem[] = "[AddItem(C:\\MLUME\\order.txt,\"MoraLUME Order Form\",C:\\MLUME\\MAIN.EXE,2)]";

const Texts kDeletes = {
    "[DeleteItem(\"MoraLUME\")]",           "[DeleteItem(\"Uninstall MoraLUME\")]",
    "[DeleteItem(\"Quick Start Guide\")]",  "[DeleteItem(\"MoraLUME Read Me\")]",
    "[DeleteItem(\"MoraLUME Order Form\")]", "[DeleteItem(\"MCI Help Information\")]",
    "[DeleteItem(\"Vendor Information\")]",
};

const Texts kSuccessTeardown = {"DdeDisconnect", "DdeFreeStringHandle", "DdeUninitialize"};
const Texts kFailureTeardown = {"DdeFreeStringHandle", "DdeUninitialize"};

class ProgramGroupTest : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    strcpy(g_mainProgramPath, "C:\\MLUME\\MAIN.EXE");
  }
  static Texts LastCalls(size_t count) {
    const Texts &calls = sim::DdeCalls();
    return Texts(calls.end() - static_cast<long>(std::min(count, calls.size())), calls.end());
  }
  static void ExpectNothingLeft() {
    EXPECT_EQ(sim::LiveDdeInstances(), 0);
    EXPECT_EQ(sim::LiveDdeStringHandles(), 0);
    EXPECT_EQ(sim::LiveDdeConversations(), 0);
    EXPECT_EQ(g_ddeInstance, 0u);
  }
};

TEST_F(ProgramGroupTest, EveryCommandByteForByteInOrder) {
  ASSERT_EQ(CreateProgramGroup(), 0);
  Texts expected = {"[CreateGroup(MoraLUME)]", kShowGroup};
  expected.insert(expected.end(), kDeletes.begin(), kDeletes.end());
  expected.insert(expected.end(),
                  {kProgramItem, kUninstallItem,
                   "[AddItem(C:\\MLUME\\quick.txt,\"Quick Start Guide\",C:\\MLUME\\MAIN.EXE,2)]",
                   "[AddItem(C:\\MLUME\\readme.txt,\"MoraLUME Read Me\",C:\\MLUME\\MAIN.EXE,2)]", kOrderItem,
                   "[AddItem(C:\\MLUME\\mci.txt,\"MCI Help Information\",C:\\MLUME\\MAIN.EXE,2)]",
                   "[AddItem(C:\\MLUME\\vendor.txt,\"Vendor Information\",C:\\MLUME\\MAIN.EXE,2)]"});
  EXPECT_EQ(sim::DdeCommandTexts(), expected);
  for (const sim::DdeCommand &command : sim::DdeCommands()) {
    EXPECT_EQ(command.bytes.size(), command.Text().size() + 1) << "sent with exactly its NUL: " << command.Text();
    EXPECT_EQ(command.format, static_cast<UINT>(CF_TEXT));
    EXPECT_EQ(command.type, static_cast<UINT>(XTYP_EXECUTE));
    EXPECT_EQ(command.timeout, 10000u);
  }
  EXPECT_EQ(sim::DdeCalls()[0], "DdeInitializeA 4010");
  EXPECT_EQ(sim::DdeCalls()[1], "DdeCreateStringHandleA progman 1004");
  EXPECT_EQ(sim::DdeCalls()[2], "DdeConnect");
  EXPECT_EQ(LastCalls(4), (Texts{"DdeClientTransaction", "DdeDisconnect", "DdeFreeStringHandle", "DdeUninitialize"}));
  ExpectNothingLeft();
}

TEST_F(ProgramGroupTest, ItemsUseTheShortPathAndTheLongOneWithout) {
  strcpy(g_mainProgramPath, "C:\\Program Files\\MoraLUME\\MoraLUME.exe");
  sim::SetShortPath(g_mainProgramPath, "C:\\PROGRA~1\\MORALUME\\MORALU~1.EXE");
  ASSERT_EQ(CreateProgramGroup(), 0);
  EXPECT_EQ(sim::ProgmanItems("MoraLUME"),
            (Texts{"MoraLUME|C:\\PROGRA~1\\MORALUME\\MORALU~1.EXE|C:\\PROGRA~1\\MORALUME\\MORALU~1.EXE|",
                   "Uninstall MoraLUME|C:\\PROGRA~1\\MORALUME\\MORALU~1.EXE . -u|C:\\PROGRA~1\\MORALUME\\MORALU~1.EXE|1",
                   "Quick Start Guide|C:\\PROGRA~1\\MORALUME\\quick.txt|C:\\PROGRA~1\\MORALUME\\MORALU~1.EXE|2",
                   "MoraLUME Read Me|C:\\PROGRA~1\\MORALUME\\readme.txt|C:\\PROGRA~1\\MORALUME\\MORALU~1.EXE|2",
                   "MoraLUME Order Form|C:\\PROGRA~1\\MORALUME\\order.txt|C:\\PROGRA~1\\MORALUME\\MORALU~1.EXE|2",
                   "MCI Help Information|C:\\PROGRA~1\\MORALUME\\mci.txt|C:\\PROGRA~1\\MORALUME\\MORALU~1.EXE|2",
                   "Vendor Information|C:\\PROGRA~1\\MORALUME\\vendor.txt|C:\\PROGRA~1\\MORALUME\\MORALU~1.EXE|2"}));
  EXPECT_EQ(sim::ShortPathQueries(), 6) << "once for the program items, afresh for each text item";

  for (bool tooLong : {false, true}) {
    sim::Reset();
    if (tooLong)
      sim::SetShortPath(g_mainProgramPath, std::string(kPathSize, 'S'));  // reports a length >= the buffer
    else
      sim::FailShortPaths(true);
    ASSERT_EQ(CreateProgramGroup(), 0);
    EXPECT_EQ(sim::DdeCommandTexts()[9],
              "[AddItem(C:\\Program Files\\MoraLUME\\MoraLUME.exe,\"MoraLUME\",C:\\Program "
              "Files\\MoraLUME\\MoraLUME.exe)]");
    EXPECT_EQ(sim::DdeCommandTexts()[11].rfind("[AddItem(C:\\Program Files\\MoraLUME\\quick.txt,", 0), 0u);
  }
}

TEST_F(ProgramGroupTest, TextItemsCutAtBackslashOrColonOnly) {
  strcpy(g_mainProgramPath, "D:MAIN.EXE");
  ASSERT_EQ(CreateProgramGroup(), 0);
  EXPECT_EQ(sim::DdeCommandTexts()[11], "[AddItem(D:quick.txt,\"Quick Start Guide\",D:MAIN.EXE,2)]");

  sim::Reset();
  strcpy(g_mainProgramPath, "C:\\MLUME/sub/MAIN.EXE");
  ASSERT_EQ(CreateProgramGroup(), 0);
  EXPECT_EQ(sim::DdeCommandTexts()[11], "[AddItem(C:\\quick.txt,\"Quick Start Guide\",C:\\MLUME/sub/MAIN.EXE,2)]");
}

TEST_F(ProgramGroupTest, PathWithoutDirectoryKeepsTheCommandOpening) {
  strcpy(g_mainProgramPath, "MAIN.EXE");
  char command[kDdeCommandSize];
  sim::SetProgmanPresent(true);
  DWORD instance = 0;
  ASSERT_EQ(DdeInitializeA(&instance, DdeCallback, APPCMD_CLIENTONLY, 0), static_cast<UINT>(DMLERR_NO_ERROR));
  HSZ name = DdeCreateStringHandleA(instance, "progman", CP_WINANSI);
  HCONV conversation = DdeConnect(instance, name, name, nullptr);
  ASSERT_NE(conversation, nullptr);
  DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char *>("[CreateGroup(G)]")), 17, conversation, nullptr,
                       CF_TEXT, XTYP_EXECUTE, 1000, nullptr);
  EXPECT_EQ(AddTextFileItem(command, "[AddItem(", "quick.txt", ",\"Quick Start Guide\",", conversation), 0);
  EXPECT_STREQ(command, "[AddItem(quick.txt,\"Quick Start Guide\",MAIN.EXE,2)]");
  DdeUninitialize(instance);
}

TEST_F(ProgramGroupTest, RefusedShowGroupSendsNothingMore) {
  sim::RefuseDdeCommand(kShowGroup);
  EXPECT_EQ(CreateProgramGroup(), -1);
  EXPECT_EQ(sim::DdeCommandTexts(), (Texts{"[CreateGroup(MoraLUME)]", kShowGroup}));
  EXPECT_EQ(LastCalls(3), (Texts{"DdeClientTransaction", "DdeFreeStringHandle", "DdeUninitialize"}));
  ExpectNothingLeft();
}

TEST_F(ProgramGroupTest, RefusedCreateAndDeletesDoNotEndTheStep) {
  ASSERT_EQ(CreateProgramGroup(), 0);  // an earlier installation made the group
  sim::RefuseDdeCommand("[CreateGroup(MoraLUME)]");
  for (const std::string &command : kDeletes) sim::RefuseDdeCommand(command);
  sim::TimeOutDdeCommand(kDeletes[3]);
  EXPECT_EQ(CreateProgramGroup(), 0);
  EXPECT_EQ(LastCalls(3), kSuccessTeardown);
  // Nothing was deleted, so every item is there twice.
  EXPECT_EQ(sim::ProgmanItems("MoraLUME").size(), 14u);
  ExpectNothingLeft();
}

TEST_F(ProgramGroupTest, RefusedItemsEndTheStepAndLaterOnesAreNotSent) {
  sim::RefuseDdeCommand(kOrderItem);
  EXPECT_EQ(CreateProgramGroup(), -1);
  Texts sent = sim::DdeCommandTexts();
  EXPECT_EQ(sent.back(), kOrderItem);
  EXPECT_EQ(sent.size(), 2 + kDeletes.size() + 2 + 3);
  EXPECT_EQ(LastCalls(2), kFailureTeardown);
  EXPECT_EQ(sim::ProgmanItems("MoraLUME").size(), 4u) << "items added before the failure stay";
  ExpectNothingLeft();

  for (const char *refused : {kProgramItem, kUninstallItem}) {
    sim::Reset();
    sim::TimeOutDdeCommand(refused);
    EXPECT_EQ(CreateProgramGroup(), -1);
    EXPECT_EQ(sim::DdeCommandTexts().back(), refused);
    EXPECT_EQ(LastCalls(2), kFailureTeardown);
  }
}

TEST_F(ProgramGroupTest, NoProgramManagerOrNoDdeEndsEarly) {
  sim::SetProgmanPresent(false);
  EXPECT_EQ(CreateProgramGroup(), -1);
  EXPECT_EQ(sim::DdeCalls(), (Texts{"DdeInitializeA 4010", "DdeCreateStringHandleA progman 1004", "DdeConnect",
                                    "DdeFreeStringHandle", "DdeUninitialize"}));
  ExpectNothingLeft();

  sim::Reset();
  sim::FailDdeStringHandles(true);
  EXPECT_EQ(CreateProgramGroup(), -1);
  EXPECT_EQ(sim::DdeCalls(), (Texts{"DdeInitializeA 4010", "DdeCreateStringHandleA progman 1004", "DdeUninitialize"}));
  ExpectNothingLeft();

  for (UINT error : {DMLERR_DLL_USAGE, DMLERR_INVALIDPARAMETER, DMLERR_SYS_ERROR}) {
    sim::Reset();
    sim::FailDdeInitialize(error);
    EXPECT_EQ(CreateProgramGroup(), -1);
    EXPECT_EQ(sim::DdeCalls(), Texts{"DdeInitializeA 4010"});
  }
}

TEST_F(ProgramGroupTest, CommandsThatWouldNotFitAreNotSent) {
  // The uninstall item is the longest command: 41 bytes and the path twice.
  strcpy(g_mainProgramPath, ("C:\\" + std::string(236, 'p')).c_str());  // 239 characters, the most that fit
  EXPECT_EQ(CreateProgramGroup(), 0);
  EXPECT_EQ(sim::DdeCommands()[10].bytes.size(), kDdeCommandSize - 1);

  sim::Reset();
  strcpy(g_mainProgramPath, ("C:\\" + std::string(237, 'p')).c_str());  // one more
  EXPECT_EQ(CreateProgramGroup(), -1);
  EXPECT_EQ(sim::DdeCommandTexts().size(), 2 + kDeletes.size() + 1) << "the uninstall item was not sent";
  EXPECT_EQ(LastCalls(2), kFailureTeardown);
}

TEST_F(ProgramGroupTest, RerunLeavesEachItemOnce) {
  ASSERT_EQ(CreateProgramGroup(), 0);
  ASSERT_EQ(CreateProgramGroup(), 0);
  EXPECT_EQ(sim::ProgmanGroups(), Texts{"MoraLUME"});
  EXPECT_EQ(sim::ProgmanItems("MoraLUME").size(), 7u);
  ExpectNothingLeft();
}

TEST_F(ProgramGroupTest, CallbackServesNothing) {
  EXPECT_EQ(DdeCallback(XTYP_DISCONNECT, 0, nullptr, nullptr, nullptr, nullptr, 0, 0), nullptr);
  EXPECT_EQ(DdeCallback(XTYP_EXECUTE, CF_TEXT, nullptr, nullptr, nullptr, nullptr, 1, 2), nullptr);
}

}  // namespace
