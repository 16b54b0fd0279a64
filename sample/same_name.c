#include "same_name.h"

static char Lower(char c) { return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c; }

int SameName(const char *a, const char *b) {
  while (*a && Lower(*a) == Lower(*b)) ++a, ++b;
  return *a == *b;
}
