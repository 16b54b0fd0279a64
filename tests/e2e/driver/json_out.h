/* One JSON object per output line, so the harness can parse what the driver saw. */
#ifndef E2E_JSON_OUT_H
#define E2E_JSON_OUT_H

void JsonBegin(const char *event);
void JsonString(const char *key, const char *value);
void JsonInt(const char *key, long long value);
void JsonBool(const char *key, int value);
void JsonRect(const char *key, int left, int top, int right, int bottom);
void JsonEnd(void);

#endif
