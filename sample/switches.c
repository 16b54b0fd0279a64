#include "switches.h"

#include <string.h>

static char Lower(char c) { return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c; }

static int IsBlank(char c) { return c == ' ' || c == '\t'; }

int HasSwitch(const char *arguments, const char *word) {
  size_t length = strlen(word);
  const char *at = arguments;
  if (length == 0) return 0;
  for (;;) {
    const char *start;
    int quoted = 0;
    while (IsBlank(*at)) ++at;
    if (*at == '\0') return 0;
    /* One word: blanks inside quotes do not end it. */
    for (start = at; *at && (quoted || !IsBlank(*at)); ++at)
      if (*at == '"') quoted = !quoted;
    if ((size_t)(at - start) == length) {
      size_t i = 0;
      while (i < length && Lower(start[i]) == word[i]) ++i;
      if (i == length) return 1;
    }
  }
}
