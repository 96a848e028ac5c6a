#include "smbios/iso_date.h"

#include <cstddef>

namespace tarnlix {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSeparator(char c) { return c == '/' || c == '-'; }

// Reads between minDigits and maxDigits digits at text[*pos].
bool ReadNumber(const char* text, size_t* pos, int minDigits, int maxDigits,
                int* value) {
  int digits = 0;
  int number = 0;
  while (digits < maxDigits && IsDigit(text[*pos])) {
    number = number * 10 + (text[*pos] - '0');
    ++*pos;
    ++digits;
  }
  if (digits < minDigits || IsDigit(text[*pos])) return false;
  *value = number;
  return true;
}

}  // namespace

const char* FormatIsoDate(const char* date) {
  if (date == nullptr || date[0] == '\0') return nullptr;
  size_t pos = 0;
  int month = 0;
  int day = 0;
  int year = 0;
  if (!ReadNumber(date, &pos, 1, 2, &month) || !IsSeparator(date[pos++])) return date;
  if (!ReadNumber(date, &pos, 1, 2, &day) || !IsSeparator(date[pos++])) return date;
  size_t yearStart = pos;
  if (!ReadNumber(date, &pos, 2, 4, &year) || date[pos] != '\0') return date;
  size_t yearDigits = pos - yearStart;
  if (yearDigits == 3) return date;
  if (yearDigits == 2) year += 1900;
  if (month < 1 || month > 12 || day < 1 || day > 31) return date;

  static char result[11];
  const int parts[][2] = {{year, 4}, {month, 2}, {day, 2}};
  char* out = result;
  for (const auto& [value, width] : parts) {
    if (out != result) *out++ = '/';
    for (int place = width - 1, rest = value; place >= 0; --place, rest /= 10) {
      out[place] = static_cast<char>('0' + rest % 10);
    }
    out += width;
  }
  *out = '\0';
  return result;
}

}  // namespace tarnlix
