#include "smbios/field_value.h"

#include "platform/ascii.h"
#include "smbios/fields.h"

namespace tarnlix {

char* AppendDecimal(char* out, uint64_t value) {
  char digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) *out++ = digits[--count];
  return out;
}

void FieldValue::AppendDecimal(uint64_t value) {
  char* out = text_.Reserve(20);
  text_.Commit(static_cast<size_t>(tarnlix::AppendDecimal(out, value) - out));
}

void FieldValue::AppendHex(uint64_t value, int digits, bool lowerCase) {
  int count = 1;
  while (count < 16 && (value >> (4 * count)) != 0) ++count;
  if (count < digits) count = digits;
  char* out = text_.Reserve(2 + static_cast<size_t>(count));
  out[0] = '0';
  out[1] = 'x';
  for (int i = 0; i < count; ++i) out[2 + i] = HexDigit(value >> (4 * (count - 1 - i)), lowerCase);
  text_.Commit(2 + static_cast<size_t>(count));
}

void FieldValue::AppendHexDigits(uint64_t value, int digits, bool lowerCase) {
  char* out = text_.Reserve(static_cast<size_t>(digits));
  for (int i = 0; i < digits; ++i) out[i] = HexDigit(value >> (4 * (digits - 1 - i)), lowerCase);
  text_.Commit(static_cast<size_t>(digits));
}

void FieldValue::AppendHexBytes(const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (i != 0) text_.Append(' ');
    AppendHexDigits(bytes[i], 2);
  }
}

void FieldValue::SetNumber(uint64_t value) {
  text_.Clear();
  view_ = {};
  AppendDecimal(value);
  kind_ = Kind::Number;
}

void FieldValue::SetDecimal(int64_t value, int decimals) {
  text_.Clear();
  view_ = {};
  kind_ = Kind::Number;
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  if (value < 0) text_.Append('-');
  uint64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  AppendDecimal(magnitude / scale);
  uint64_t fraction = magnitude % scale;
  if (fraction == 0) return;
  // As many decimals as the value needs, no trailing zeros.
  text_.Append('.');
  for (uint64_t digit = scale / 10; fraction != 0; digit /= 10) {
    text_.Append(static_cast<char>('0' + fraction / digit));
    fraction %= digit;
  }
}

}  // namespace tarnlix
