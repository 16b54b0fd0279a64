// Test side: DDE Management Library, client side, with a scriptable "progman" peer.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sim {

// Every DDE call of the product, in order: "DdeInitializeA 4010" (the
// command flags in hex), "DdeCreateStringHandleA progman 1004" (text and code
// page), "DdeConnect", "DdeClientTransaction", "DdeDisconnect",
// "DdeFreeStringHandle", "DdeUninitialize".
const std::vector<std::string> &DdeCalls();

// One execute transaction as the peer received it.
struct DdeCommand {
  std::string bytes;  // exactly the `length` bytes handed over
  UINT format;
  UINT type;
  DWORD timeout;
  bool accepted;
  // The command text up to its NUL.
  std::string Text() const { return std::string(bytes.c_str()); }
};
const std::vector<DdeCommand> &DdeCommands();
// The texts of the commands sent, accepted or not.
std::vector<std::string> DdeCommandTexts();

// The "progman" peer: present by default and accepting every command.
void SetProgmanPresent(bool present);
// The peer refuses this exact command text (DMLERR_NOTPROCESSED), or lets it
// run into the transaction's timeout (DMLERR_EXECACKTIMEOUT).
void RefuseDdeCommand(const std::string &text);
void TimeOutDdeCommand(const std::string &text);
// DdeInitializeA returns this DMLERR code; DdeCreateStringHandleA fails.
void FailDdeInitialize(UINT error);
void FailDdeStringHandles(bool fail);

// The peer's groups, as its accepted commands left them: items in order of
// addition, each "name|command line|icon path|icon index" (index "" when the
// command gave none).
std::vector<std::string> ProgmanGroups();
std::vector<std::string> ProgmanItems(const std::string &group);

// What the product left behind.
int LiveDdeInstances();
int LiveDdeStringHandles();
int LiveDdeConversations();

}  // namespace sim
