// ASCII letter case and hexadecimal digits, for every layer: switch texts,
// selectors, anchors and module names are matched without regard to ASCII
// case (never by the locale), and numbers are written in hexadecimal in
// many places.
#pragma once

#include <cstdint>
#include <string_view>

namespace tarnlix {

template <typename Char>
constexpr Char LowerAscii(Char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

template <typename Char>
constexpr Char UpperAscii(Char c) {
  return c >= 'a' && c <= 'z' ? static_cast<Char>(c - 'a' + 'A') : c;
}

// Whether the texts are equal, or text begins with prefix, ignoring ASCII
// letter case.
constexpr bool EqualsIgnoringCase(std::string_view text, std::string_view expected) {
  if (text.size() != expected.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (LowerAscii(text[i]) != LowerAscii(expected[i])) return false;
  }
  return true;
}

// The same for two texts that end with a NUL, without measuring them first.
constexpr bool EqualsIgnoringCase(const char* text, const char* expected) {
  for (; *text != '\0' && *expected != '\0'; ++text, ++expected) {
    if (LowerAscii(*text) != LowerAscii(*expected)) return false;
  }
  return *text == *expected;
}

constexpr bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// The hexadecimal digit of the low four bits of value.
constexpr char HexDigit(uint64_t value, bool lowerCase = false) {
  return (lowerCase ? "0123456789abcdef" : "0123456789ABCDEF")[value & 0xF];
}

// The value of a hexadecimal digit in either case, or -1.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace tarnlix
