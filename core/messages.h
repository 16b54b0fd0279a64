// Message tables per language, looked up by short case-sensitive keys.
#pragma once

#include <windows.h>

#include "core/installer_state.h"

// A table is an array of entries ended by null; an entry is two consecutive
// NUL-terminated strings: language letter and key, then the text.
typedef const char *const *MessageTable;

// One table per language index; English (0) is the fallback of every lookup.
extern MessageTable g_messageTables[kLanguageCount];

// Language letters of indexes 0 to 5.
extern const char kLanguageLetters[];

// The text of `key` in the current language, else English, else the key.
const char *GetMessageText(const char *key);
// Switches to German for a user in country 49, unless told otherwise.
void AutoSelectLanguage();
