// The DDE client calls with one peer, a stand-in Program Manager that serves
// "progman" and keeps groups of items built by its execute commands.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "internal.h"
#include "event_log.h"
#include "win32sim/testapi.h"

namespace {

struct StringHandle {
  DWORD instance;
  std::string text;
};

struct Item {
  std::string name;
  std::string commandLine;
  std::string iconPath;
  std::string iconIndex;
};

struct Group {
  std::string name;
  std::vector<Item> items;
};

std::vector<std::string> g_calls;
std::vector<sim::DdeCommand> g_commands;
std::map<DWORD, UINT> g_instances;  // live instance -> last error
DWORD g_nextInstance = 1;
std::map<HSZ, StringHandle> g_strings;
std::map<HCONV, DWORD> g_conversations;
uintptr_t g_nextHandle = 0x3000;

bool g_progmanPresent = true;
std::set<std::string> g_refused;
std::set<std::string> g_timingOut;
UINT g_initializeError = DMLERR_NO_ERROR;
bool g_failStrings = false;

std::vector<Group> g_groups;
int g_currentGroup = -1;

bool SameText(const std::string &a, const std::string &b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (toupper(static_cast<unsigned char>(a[i])) != toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

template <typename Handle>
Handle NewHandle() {
  Handle handle = reinterpret_cast<Handle>(g_nextHandle);
  g_nextHandle += 0x10;
  return handle;
}

void RecordError(DWORD instance, UINT error) {
  auto it = g_instances.find(instance);
  if (it != g_instances.end()) it->second = error;
}

int FindGroup(const std::string &name) {
  for (size_t i = 0; i < g_groups.size(); ++i)
    if (SameText(g_groups[i].name, name)) return static_cast<int>(i);
  return -1;
}

// Arguments split at commas outside quotes, each without its quotes.
std::vector<std::string> SplitArguments(const std::string &text) {
  std::vector<std::string> arguments(1);
  bool quoted = false;
  for (char c : text) {
    if (c == '"')
      quoted = !quoted;
    else if (c == ',' && !quoted)
      arguments.emplace_back();
    else
      arguments.back() += c;
  }
  return arguments;
}

// Runs one "[Name(arguments)]" command; false as the real shell would fail it.
bool RunCommand(const std::string &name, const std::vector<std::string> &arguments) {
  if (SameText(name, "CreateGroup") && !arguments[0].empty()) {
    g_currentGroup = FindGroup(arguments[0]);
    if (g_currentGroup < 0) {
      g_groups.push_back(Group{arguments[0], {}});
      g_currentGroup = static_cast<int>(g_groups.size()) - 1;
    }
    return true;
  }
  if (SameText(name, "ShowGroup") && arguments.size() == 2) {
    int group = FindGroup(arguments[0]);
    if (group < 0) return false;
    g_currentGroup = group;
    return true;
  }
  if (g_currentGroup < 0) return false;
  std::vector<Item> &items = g_groups[g_currentGroup].items;
  if (SameText(name, "DeleteItem") && arguments.size() == 1) {
    for (auto it = items.begin(); it != items.end(); ++it) {
      if (SameText(it->name, arguments[0])) {
        items.erase(it);
        return true;
      }
    }
    return false;
  }
  if (SameText(name, "AddItem") && arguments.size() >= 3 && arguments.size() <= 4 && !arguments[0].empty()) {
    items.push_back(Item{arguments[1], arguments[0], arguments[2], arguments.size() == 4 ? arguments[3] : ""});
    return true;
  }
  return false;
}

// A command string holds one or more bracketed commands.
bool Execute(const std::string &text) {
  size_t at = 0;
  if (text.empty()) return false;
  while (at < text.size()) {
    if (text[at] != '[') return false;
    size_t open = text.find('(', at);
    size_t close = text.find(")]", at);
    if (open == std::string::npos || close == std::string::npos || open > close) return false;
    if (!RunCommand(text.substr(at + 1, open - at - 1), SplitArguments(text.substr(open + 1, close - open - 1))))
      return false;
    at = close + 2;
  }
  return true;
}

}  // namespace

UINT WINAPI DdeInitializeA(LPDWORD instance, PFNCALLBACK callback, DWORD commands, DWORD reserved) {
  char call[48];
  snprintf(call, sizeof call, "DdeInitializeA %x", static_cast<unsigned>(commands));
  g_calls.push_back(call);
  if (g_initializeError != DMLERR_NO_ERROR) return g_initializeError;
  // A non-zero identifier asks to re-initialise an instance; this stand-in
  // only creates new ones.
  if (!instance || *instance != 0 || !callback || reserved != 0) return DMLERR_INVALIDPARAMETER;
  *instance = g_nextInstance++;
  g_instances[*instance] = DMLERR_NO_ERROR;
  return DMLERR_NO_ERROR;
}

HSZ WINAPI DdeCreateStringHandleA(DWORD instance, LPCSTR text, int codePage) {
  char call[300];
  snprintf(call, sizeof call, "DdeCreateStringHandleA %.255s %d", text ? text : "(null)", codePage);
  g_calls.push_back(call);
  if (!g_instances.count(instance) || !text || g_failStrings) {
    RecordError(instance, DMLERR_INVALIDPARAMETER);
    return nullptr;
  }
  HSZ handle = NewHandle<HSZ>();
  g_strings[handle] = StringHandle{instance, text};
  return handle;
}

BOOL WINAPI DdeFreeStringHandle(DWORD instance, HSZ string) {
  g_calls.push_back("DdeFreeStringHandle");
  auto it = g_strings.find(string);
  if (it == g_strings.end() || it->second.instance != instance) return FALSE;
  g_strings.erase(it);
  return TRUE;
}

HCONV WINAPI DdeConnect(DWORD instance, HSZ service, HSZ topic, PCONVCONTEXT) {
  g_calls.push_back("DdeConnect");
  if (!g_instances.count(instance) || !g_strings.count(service) || !g_strings.count(topic)) {
    RecordError(instance, DMLERR_INVALIDPARAMETER);
    return nullptr;
  }
  if (!g_progmanPresent || !SameText(g_strings[service].text, "progman") ||
      !SameText(g_strings[topic].text, "progman")) {
    RecordError(instance, DMLERR_NO_CONV_ESTABLISHED);
    return nullptr;
  }
  HCONV conversation = NewHandle<HCONV>();
  g_conversations[conversation] = instance;
  return conversation;
}

HDDEDATA WINAPI DdeClientTransaction(LPBYTE data, DWORD length, HCONV conversation, HSZ, UINT format, UINT type,
                                     DWORD timeout, LPDWORD result) {
  g_calls.push_back("DdeClientTransaction");
  auto it = g_conversations.find(conversation);
  if (it == g_conversations.end() || !data) return nullptr;
  DWORD instance = it->second;
  sim::DdeCommand command{std::string(reinterpret_cast<const char *>(data), length), format, type, timeout, false};
  std::string text = command.Text();
  UINT error = DMLERR_NO_ERROR;
  if (format != CF_TEXT || type != XTYP_EXECUTE || length == 0 || command.bytes.back() != '\0')
    error = DMLERR_INVALIDPARAMETER;
  else if (g_timingOut.count(text))
    error = DMLERR_EXECACKTIMEOUT;
  else if (g_refused.count(text) || !Execute(text))
    error = DMLERR_NOTPROCESSED;
  command.accepted = error == DMLERR_NO_ERROR;
  g_commands.push_back(command);
  sim::LogEvent("dde " + command.Text());
  if (result) *result = command.accepted ? 0x8000 : 0;  // DDE_FACK
  RecordError(instance, error);
  return command.accepted ? reinterpret_cast<HDDEDATA>(1) : nullptr;
}

BOOL WINAPI DdeDisconnect(HCONV conversation) {
  g_calls.push_back("DdeDisconnect");
  return g_conversations.erase(conversation) ? TRUE : FALSE;
}

BOOL WINAPI DdeUninitialize(DWORD instance) {
  g_calls.push_back("DdeUninitialize");
  if (!g_instances.erase(instance)) return FALSE;
  // Ends the instance's conversations and frees its string handles.
  for (auto it = g_conversations.begin(); it != g_conversations.end();)
    it = it->second == instance ? g_conversations.erase(it) : std::next(it);
  for (auto it = g_strings.begin(); it != g_strings.end();)
    it = it->second.instance == instance ? g_strings.erase(it) : std::next(it);
  return TRUE;
}

UINT WINAPI DdeGetLastError(DWORD instance) {
  auto it = g_instances.find(instance);
  if (it == g_instances.end()) return DMLERR_INVALIDPARAMETER;
  UINT error = it->second;
  it->second = DMLERR_NO_ERROR;
  return error;
}

namespace sim {

void ResetDde() {
  g_calls.clear();
  g_commands.clear();
  g_instances.clear();
  g_nextInstance = 1;
  g_strings.clear();
  g_conversations.clear();
  g_nextHandle = 0x3000;
  g_progmanPresent = true;
  g_refused.clear();
  g_timingOut.clear();
  g_initializeError = DMLERR_NO_ERROR;
  g_failStrings = false;
  g_groups.clear();
  g_currentGroup = -1;
}

const std::vector<std::string> &DdeCalls() { return g_calls; }
const std::vector<DdeCommand> &DdeCommands() { return g_commands; }

std::vector<std::string> DdeCommandTexts() {
  std::vector<std::string> texts;
  for (const DdeCommand &command : g_commands) texts.push_back(command.Text());
  return texts;
}

void SetProgmanPresent(bool present) { g_progmanPresent = present; }
void RefuseDdeCommand(const std::string &text) { g_refused.insert(text); }
void TimeOutDdeCommand(const std::string &text) { g_timingOut.insert(text); }
void FailDdeInitialize(UINT error) { g_initializeError = error; }
void FailDdeStringHandles(bool fail) { g_failStrings = fail; }

std::vector<std::string> ProgmanGroups() {
  std::vector<std::string> names;
  for (const Group &group : g_groups) names.push_back(group.name);
  return names;
}

std::vector<std::string> ProgmanItems(const std::string &group) {
  std::vector<std::string> items;
  int index = FindGroup(group);
  if (index < 0) return items;
  for (const Item &item : g_groups[index].items)
    items.push_back(item.name + "|" + item.commandLine + "|" + item.iconPath + "|" + item.iconIndex);
  return items;
}

int LiveDdeInstances() { return static_cast<int>(g_instances.size()); }
int LiveDdeStringHandles() { return static_cast<int>(g_strings.size()); }
int LiveDdeConversations() { return static_cast<int>(g_conversations.size()); }

}  // namespace sim
