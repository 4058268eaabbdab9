#include "util/count_format.h"

namespace {

// Writes count with commas into out (room for 27 bytes) and terminates it.
char* WriteGrouped(uint64_t count, char* out) {
  uint64_t power = 1;
  int digits = 1;
  while (count / power > 9) {
    power *= 10;
    ++digits;
  }
  for (int position = digits - 1; position >= 0; --position) {
    uint64_t digit = count / power;
    *out++ = static_cast<char>('0' + digit);
    count -= digit * power;
    power /= 10;
    if (position > 0 && position % 3 == 0) *out++ = ',';
  }
  *out = '\0';
  return out;
}

char countText[100];
char count64Text[100];

}  // namespace

const char* FormatCount(uint32_t count) {
  WriteGrouped(count, countText);
  return countText;
}

const char* FormatCount64(int64_t count) {
  // Totals are never negative; should one be, show its sign rather than
  // a huge number.
  char* out = count64Text;
  uint64_t magnitude = static_cast<uint64_t>(count);
  if (count < 0) {
    *out++ = '-';
    magnitude = ~magnitude + 1;
  }
  WriteGrouped(magnitude, out);
  return count64Text;
}
