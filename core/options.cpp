#include "core/options.h"

#include <cstring>

#include "core/global_block.h"

char **g_optionNames = nullptr;
char **g_optionValues = nullptr;
LONG g_optionCount = 0;

void CreateOptionsList() {
  g_optionCount = 0;
  g_optionNames = static_cast<char **>(AllocLocked(kOptionCapacity * sizeof(char *)));
  g_optionValues = static_cast<char **>(AllocLocked(kOptionCapacity * sizeof(char *)));
  if (!g_optionNames || !g_optionValues) ReleaseOptionsList();
}

void ReleaseOptionsList() {
  FreeLocked(g_optionNames);
  FreeLocked(g_optionValues);
  g_optionNames = nullptr;
  g_optionValues = nullptr;
  g_optionCount = 0;
}

bool AppendOption(char *name, char *value) {
  if (!g_optionNames || !g_optionValues || g_optionCount >= kOptionCapacity) return false;
  g_optionNames[g_optionCount] = name;
  g_optionValues[g_optionCount] = value;
  ++g_optionCount;
  return true;
}

const char *FindOption(const char *name) {
  for (LONG i = 0; i < g_optionCount; ++i)
    if (strcmp(g_optionNames[i], name) == 0) return g_optionValues[i];
  return nullptr;
}
