#include "json_out.h"

#include <stdio.h>

static void PutEscaped(const char *text) {
  putchar('"');
  for (const unsigned char *p = (const unsigned char *)text; *p; ++p) {
    if (*p == '"' || *p == '\\') {
      putchar('\\');
      putchar(*p);
    } else if (*p < 0x20 || *p >= 0x7F) {
      /* ANSI bytes are passed on as code points 0-255: the harness decodes them as Latin-1. */
      printf("\\u%04x", *p);
    } else {
      putchar(*p);
    }
  }
  putchar('"');
}

void JsonBegin(const char *event) {
  fputs("{\"event\": ", stdout);
  PutEscaped(event);
}

void JsonString(const char *key, const char *value) {
  fputs(", ", stdout);
  PutEscaped(key);
  fputs(": ", stdout);
  PutEscaped(value ? value : "");
}

void JsonInt(const char *key, long long value) {
  fputs(", ", stdout);
  PutEscaped(key);
  printf(": %lld", value);
}

void JsonBool(const char *key, int value) {
  fputs(", ", stdout);
  PutEscaped(key);
  fputs(value ? ": true" : ": false", stdout);
}

void JsonRect(const char *key, int left, int top, int right, int bottom) {
  fputs(", ", stdout);
  PutEscaped(key);
  printf(": [%d, %d, %d, %d]", left, top, right, bottom);
}

void JsonEnd(void) {
  fputs("}\n", stdout);
  /* The harness reads the file while later commands may still block. */
  fflush(stdout);
}
