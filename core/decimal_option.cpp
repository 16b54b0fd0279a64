#include "core/decimal_option.h"

#include <cstdint>

namespace {

bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

LONG ReadDecimalOption(const char *text) {
  if (!text) return 0;
  while (IsWhiteSpace(*text)) ++text;
  bool negative = *text == '-';
  if (*text == '+' || *text == '-') ++text;
  // The magnitude of the most negative value is one more than the largest.
  const uint32_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
  uint32_t magnitude = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    uint32_t digit = static_cast<uint32_t>(*text - '0');
    magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
  }
  if (!negative) return static_cast<LONG>(magnitude);
  return magnitude == 0x80000000u ? static_cast<LONG>(-0x7FFFFFFF - 1) : -static_cast<LONG>(magnitude);
}
