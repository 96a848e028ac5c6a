// The value of one field of one structure, as a decoder writes it and the
// outputs (selectors, reports, JSON) read it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "smbios/text_buffer.h"

namespace tarnlix {

class FieldValue {
 public:
  enum class Kind : uint8_t { Absent, Text, Number, List };

  void Clear() {
    kind_ = Kind::Absent;
    text_.Clear();
    view_ = {};
  }

  // A text; an empty one is absent.
  void SetText(std::string_view text) {
    text_.Clear();
    text_.Append(text);
    view_ = {};
    kind_ = text.empty() ? Kind::Absent : Kind::Text;
  }
  // A text that outlives the value (a constant name, a string of the
  // table): kept where it is rather than copied.
  void SetLasting(std::string_view text) {
    view_ = text;
    kind_ = text.empty() ? Kind::Absent : Kind::Text;
  }
  // Builds a text piece by piece: Begin, then Append as often as needed.
  void BeginText() {
    text_.Clear();
    view_ = {};
    kind_ = Kind::Text;
  }
  void Append(std::string_view text) { text_.Append(text); }
  void Append(char c) { text_.Append(c); }
  void AppendDecimal(uint64_t value);
  // "0x" and the value in hexadecimal, digits wide at least.
  void AppendHex(uint64_t value, int digits, bool lowerCase = false);
  // The low `digits` hexadecimal digits of value, without a prefix.
  void AppendHexDigits(uint64_t value, int digits, bool lowerCase = false);
  // Bytes as upper-case hexadecimal pairs separated by spaces.
  void AppendHexBytes(const uint8_t* bytes, size_t count);

  // A number: an unsigned count, or value / 10^decimals written with as
  // many decimals as it needs (1350 with 3 decimals is 1.35).
  void SetNumber(uint64_t value);
  void SetDecimal(int64_t value, int decimals);

  // A list: Begin, then one Item per entry (an empty list is still a list).
  void BeginList() {
    text_.Clear();
    view_ = {};
    kind_ = Kind::List;
  }
  void Item(std::string_view text) {
    text_.Append(text);
    text_.Append('\0');
  }
  // An item built piece by piece with Append, ended by EndItem.
  void EndItem() { text_.Append('\0'); }

  Kind kind() const { return kind_; }
  bool present() const { return kind_ != Kind::Absent; }
  // The text or the number's digits; a list's items, each ended by a NUL.
  std::string_view text() const { return view_.data() != nullptr ? view_ : text_.view(); }

  // The value as one text: a list's items separated by ", ". Empty when
  // absent.
  std::string Joined() const {
    if (kind_ != Kind::List) return std::string(text());
    std::string joined;
    ForEachItem([&joined](std::string_view item) {
      if (!joined.empty()) joined += ", ";
      joined += item;
    });
    return joined;
  }

  // Calls f(item) for each item of a list, in order.
  template <typename F>
  void ForEachItem(F f) const {
    std::string_view rest = text();
    while (!rest.empty()) {
      size_t end = rest.find('\0');
      f(rest.substr(0, end));
      rest.remove_prefix(end + 1);
    }
  }

 private:
  Kind kind_ = Kind::Absent;
  TextBuffer text_;
  std::string_view view_;  // a lasting text, in place of text_
};

}  // namespace tarnlix
