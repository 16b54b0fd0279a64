#include "core/messages.h"

#include <cstring>

#include "core/options.h"
#include "resources/message_text.h"

namespace {

const char *const kNoMessages[] = {nullptr};

const char *FindInTable(MessageTable table, const char *key) {
  for (; *table; ++table) {
    const char *entry = *table;
    if (strcmp(entry + 1, key) == 0) return entry + strlen(entry) + 1;
  }
  return nullptr;
}

}  // namespace

const char kLanguageLetters[] = "EGFSIP";

MessageTable g_messageTables[kLanguageCount] = {kEnglishMessages, kNoMessages, kNoMessages, kNoMessages,
                                                kNoMessages,      kNoMessages, kNoMessages};

const char *GetMessageText(const char *key) {
  const char *text = nullptr;
  if (g_languageIndex >= 0 && g_languageIndex < kLanguageCount)
    text = FindInTable(g_messageTables[g_languageIndex], key);
  if (!text) text = FindInTable(g_messageTables[0], key);
  return text ? text : key;
}

void AutoSelectLanguage() {
  const LONG german = 1;
  if (!g_messageTables[german][0] || g_languageGiven != 0 || FindOption("sSilent")) return;
  char country[10];
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, country, sizeof country) == 0) return;
  country[sizeof country - 1] = '\0';
  if (strcmp(country, "49") == 0) g_languageIndex = german;
}
