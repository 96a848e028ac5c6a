// Firmware strings carry no declared encoding: valid UTF-8 is kept as it
// is, anything else is read as Latin-1, one character per byte, so nothing
// is lost and the output is UTF-8 (JSON, Prometheus).
#pragma once

#include <cstddef>

namespace tarnlix {

// The length of the UTF-8 sequence at text, or 0 when none starts there:
// no overlong forms, no surrogates, nothing above U+10FFFF.
inline size_t Utf8SequenceLength(const unsigned char* text, const unsigned char* end) {
  unsigned char lead = text[0];
  if (lead < 0x80) return 1;
  size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                  : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                 : 0;
  if (length == 0 || static_cast<size_t>(end - text) < length) return 0;
  // The second byte's range rules out overlong forms and surrogates.
  unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
  unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  if (text[1] < low || text[1] > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (text[i] < 0x80 || text[i] > 0xBF) return 0;
  }
  return length;
}

inline bool IsUtf8(const unsigned char* text, const unsigned char* end) {
  while (text < end) {
    size_t length = Utf8SequenceLength(text, end);
    if (length == 0) return false;
    text += length;
  }
  return true;
}

// Calls put(byte) for each byte of text as UTF-8: as it is when the whole
// text is UTF-8, else each byte above 0x7F as the two bytes of its Latin-1
// character.
template <typename Put>
void ForEachUtf8Byte(const unsigned char* text, const unsigned char* end, Put put) {
  bool utf8 = IsUtf8(text, end);
  for (; text < end; ++text) {
    unsigned char c = *text;
    if (c < 0x80 || utf8) {
      put(c);
    } else {
      put(static_cast<unsigned char>(0xC0 | (c >> 6)));
      put(static_cast<unsigned char>(0x80 | (c & 0x3F)));
    }
  }
}

}  // namespace tarnlix
