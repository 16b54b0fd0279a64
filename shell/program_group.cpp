#include "shell/program_group.h"

#include <cstring>
#include <initializer_list>

#include "core/bounded_string.h"
#include "core/install_log.h"
#include "core/installer_state.h"

DWORD g_ddeInstance = 0;
HSZ g_progmanName = nullptr;

namespace {

const char kCreateGroup[] = "[CreateGroup(MoraLUME)]";
const char kShowGroup[] = "[ShowGroup(MoraLUME,1)]";
const char kAddItemOpening[] = "[AddItem(";
const char kProgramItemName[] = ",\"MoraLUME\",";
const char kUninstallArguments[] = " . -u";
const char kUninstallItemName[] = ",\"Uninstall MoraLUME\",";
const char kUninstallIconIndex[] = ",1";
const char kClose[] = ")]";
const char kTextItemTail[] = ",2)]";

// Items of an earlier installation go first, so that each exists once.
const char *const kDeleteCommands[] = {
    "[DeleteItem(\"MoraLUME\")]",
    "[DeleteItem(\"Uninstall MoraLUME\")]",
    "[DeleteItem(\"Quick Start Guide\")]",
    "[DeleteItem(\"MoraLUME Read Me\")]",
    "[DeleteItem(\"MoraLUME Order Form\")]",
    "[DeleteItem(\"MCI Help Information\")]",
    "[DeleteItem(\"Vendor Information\")]",
};

struct TextFileItem {
  const char *fileName;
  const char *namePiece;
};

const TextFileItem kTextFileItems[] = {
    {"quick.txt", ",\"Quick Start Guide\","},
    {"readme.txt", ",\"MoraLUME Read Me\","},
    {"order.txt", ",\"MoraLUME Order Form\","},
    {"mci.txt", ",\"MCI Help Information\","},
    {"vendor.txt", ",\"Vendor Information\","},
};

constexpr DWORD kInitializeFlags = APPCLASS_STANDARD | APPCMD_CLIENTONLY | CBF_FAIL_ADVISES;
constexpr DWORD kTransactionTimeoutMs = 10000;

// Written by every transaction, never read.
DWORD g_transactionResult = 0;

// The short form of the main program path keeps blanks out of the unquoted
// commands; without one, the long path serves.
void GetShortProgramPath(char *shortPath) {
  DWORD length = GetShortPathNameA(g_mainProgramPath, shortPath, kPathSize);
  if (length == 0 || length >= kPathSize) CopyString(shortPath, kPathSize, g_mainProgramPath);
}

// The pieces one after another in the command buffer; false when they do not
// fit, so that a cut command is never sent.
bool Compose(char *command, std::initializer_list<const char *> pieces) {
  command[0] = '\0';
  for (const char *piece : pieces)
    if (!AppendString(command, kDdeCommandSize, piece)) return false;
  return true;
}

// Sends the command with its NUL; true when the shell accepted it.
bool Send(char *command, HCONV conversation) {
  DWORD length = static_cast<DWORD>(strlen(command) + 1);
  bool accepted = DdeClientTransaction(reinterpret_cast<LPBYTE>(command), length, conversation, nullptr, CF_TEXT,
                                       XTYP_EXECUTE, kTransactionTimeoutMs, &g_transactionResult) != nullptr;
  LogLine("Program Manager: %s %s", command, accepted ? "accepted" : "refused");
  return accepted;
}

bool ComposeAndSend(char *command, HCONV conversation, std::initializer_list<const char *> pieces) {
  if (Compose(command, pieces)) return Send(command, conversation);
  LogLine("Program Manager: a command too long to send");
  return false;
}

// Everything said within the conversation; 0 when the last text item was
// accepted. Create and delete commands may fail without harm.
int SendGroupCommands(HCONV conversation) {
  char command[kDdeCommandSize];
  ComposeAndSend(command, conversation, {kCreateGroup});
  if (!ComposeAndSend(command, conversation, {kShowGroup})) return -1;
  for (const char *deleteCommand : kDeleteCommands) ComposeAndSend(command, conversation, {deleteCommand});

  char shortPath[kPathSize];
  GetShortProgramPath(shortPath);
  if (!ComposeAndSend(command, conversation, {kAddItemOpening, shortPath, kProgramItemName, shortPath, kClose}))
    return -1;
  if (!ComposeAndSend(command, conversation,
                      {kAddItemOpening, shortPath, kUninstallArguments, kUninstallItemName, shortPath,
                       kUninstallIconIndex, kClose}))
    return -1;
  for (const TextFileItem &item : kTextFileItems)
    if (AddTextFileItem(command, kAddItemOpening, item.fileName, item.namePiece, conversation) != 0) return -1;
  return 0;
}

}  // namespace

int CreateProgramGroup() {
  UINT initialized = DdeInitializeA(&g_ddeInstance, DdeCallback, kInitializeFlags, 0);
  if (initialized == DMLERR_DLL_USAGE || initialized == DMLERR_INVALIDPARAMETER || initialized == DMLERR_SYS_ERROR) {
    LogLine("Program Manager: no group, DDE could not start (%u)", initialized);
    return -1;
  }

  int result = -1;
  g_progmanName = DdeCreateStringHandleA(g_ddeInstance, "progman", CP_WINANSI);
  if (g_progmanName) {
    HCONV conversation = DdeConnect(g_ddeInstance, g_progmanName, g_progmanName, nullptr);
    if (conversation) {
      result = SendGroupCommands(conversation);
      // After a failure, ending the instance ends the conversation too.
      if (result == 0) DdeDisconnect(conversation);
    } else {
      LogLine("Program Manager: no group, nobody answered");
    }
    DdeFreeStringHandle(g_ddeInstance, g_progmanName);
    g_progmanName = nullptr;
  }
  DdeUninitialize(g_ddeInstance);
  // The identifier must be 0 again before any later initialisation.
  g_ddeInstance = 0;
  return result;
}

int AddTextFileItem(char *commandBuffer, const char *addItemOpening, const char *fileName, const char *namePiece,
                    HCONV conversation) {
  char shortPath[kPathSize];
  GetShortProgramPath(shortPath);
  if (!Compose(commandBuffer, {addItemOpening, shortPath})) return -1;

  // Cut the program's file name to leave its directory; never cut into the
  // opening, even for a path without any directory.
  size_t openingLength = strlen(addItemOpening);
  size_t end = strlen(commandBuffer);
  while (end > openingLength && commandBuffer[end - 1] != '\\' && commandBuffer[end - 1] != ':') --end;
  commandBuffer[end] = '\0';

  for (const char *piece : {fileName, namePiece, static_cast<const char *>(shortPath), kTextItemTail})
    if (!AppendString(commandBuffer, kDdeCommandSize, piece)) return -1;
  return Send(commandBuffer, conversation) ? 0 : -1;
}

HDDEDATA CALLBACK DdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }
