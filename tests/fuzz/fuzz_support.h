// What every fuzz target checks once a table is loaded: the store keeps its
// promises whatever bytes it was built from, the fields of a group decode to
// values of their rows' forms, and every block is released by its own
// allocator.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/selectors.h"
#include "fake/fake_platform.h"
#include "smbios/iso_date.h"
#include "smbios/reader.h"

namespace tarnlix::fuzz {

// A broken promise is a finding: stop with a message the crash report keeps.
#define FUZZ_CHECK(condition)                                              \
  do {                                                                     \
    if (!(condition)) {                                                    \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, \
                   #condition);                                            \
      std::abort();                                                        \
    }                                                                      \
  } while (0)

// Through the C library: a search written here would be instrumented for
// coverage byte by byte, and it is asked for every string of every input.
inline bool Contains(const std::vector<uint8_t>& haystack, const char* text) {
  return memmem(haystack.data(), haystack.size(), text, std::strlen(text)) != nullptr;
}

// A report place that holds a name from a name table (the chassis type)
// rather than a string of the table's bytes.
inline bool IsNamedSlot(const SmbiosRecord& record, int slot) {
  const FieldRow* row = PlaceRow(record.type, slot + 1);
  return row != nullptr && row->decode == FieldDecode::Name;
}

// A decoded value has the form its row promises: the row's kind, digits
// for a number (a sign and a fraction at most), and the fixed forms of a
// release and a UUID.
inline void CheckValue(const FieldRow& row, const FieldValue& value) {
  if (!value.present()) return;
  std::string_view text = value.text();
  auto digits = [](std::string_view n) {
    if (n.empty() || n.size() > 20) return false;
    for (char c : n) {
      if (c < '0' || c > '9') return false;
    }
    return true;
  };
  switch (row.kind) {
    case FieldKind::Number: {
      FUZZ_CHECK(value.kind() == FieldValue::Kind::Number);
      std::string_view number = text.substr(text[0] == '-' ? 1 : 0);
      size_t dot = number.find('.');
      FUZZ_CHECK(digits(number.substr(0, dot)));
      if (dot != std::string_view::npos) {
        FUZZ_CHECK(digits(number.substr(dot + 1)) && number.back() != '0');
      }
      return;
    }
    case FieldKind::List:
      FUZZ_CHECK(value.kind() == FieldValue::Kind::List);
      FUZZ_CHECK(text.empty() || text.back() == '\0');
      return;
    case FieldKind::Text:
      FUZZ_CHECK(value.kind() == FieldValue::Kind::Text);
      FUZZ_CHECK(!text.empty() && text.find('\0') == std::string_view::npos);
      break;
  }
  if (row.decode == FieldDecode::Release) {
    size_t dot = text.find('.');
    FUZZ_CHECK(dot != std::string_view::npos && digits(text.substr(0, dot)) &&
               digits(text.substr(dot + 1)));
  }
  if (row.decode == FieldDecode::Uuid) {
    // 8-4-4-4-12 upper-case hex digits.
    FUZZ_CHECK(text.size() == 36);
    for (size_t i = 0; i < 36; ++i) {
      char c = text[i];
      bool dash = i == 8 || i == 13 || i == 18 || i == 23;
      FUZZ_CHECK(dash ? c == '-' : ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')));
    }
  }
}

// Checks the store of a loaded reader against the bytes it came from.
inline void CheckStore(const SmbiosReader& reader,
                       const std::vector<uint8_t>& source) {
  FUZZ_CHECK(reader.loaded == 1);
  const RawSmbiosTable* raw = reader.rawTable.get();
  if (raw != nullptr) {
    size_t start = raw->hasHeader ? kRawHeaderSize : 0;
    size_t body = raw->length > start ? raw->length - start : 0;
    // The smallest structure is a 4-byte header and an empty string-set.
    FUZZ_CHECK(reader.recordCount() * 6 <= body);
  }
  for (const SmbiosRecord& record : reader.records) {
    if (!record.stored) {
      FUZZ_CHECK(record.type == 0);
      FUZZ_CHECK(!reader.HasStrings(record));
      continue;
    }
    FUZZ_CHECK(record.type < kFirstUnstoredType);
    for (int slot = 0; slot < kPlaceCount; ++slot) {
      const char* text = reader.SlotText(record, slot);
      if (text == nullptr) continue;
      size_t size = std::strlen(text);
      FUZZ_CHECK(size > 0);
      FUZZ_CHECK(text[size - 1] != ' ');
      if (!IsNamedSlot(record, slot)) FUZZ_CHECK(Contains(source, text));
    }
  }
}

// Every field of one group (by its place in the group table, modulo their
// number) on every structure, in both date forms, one past the last
// structure too, then the group's report.
inline void ExerciseGroup(fake::FakePlatform& fake, const SmbiosReader& reader, size_t choice) {
  const StructureGroup& group = StructureGroups()[choice % StructureGroupCount()];
  FieldValue value;
  for (size_t r = 0; r < group.rowCount; ++r) {
    const FieldRow& field = group.rows[r];
    size_t count = reader.InstanceCount(field.type);
    // One past the last structure has no values.
    FUZZ_CHECK(reader.Value(field, count) == nullptr || !field.OfStructure());
    for (size_t i = 0; i < count; ++i) {
      for (bool iso : {false, true}) {
        reader.Decode(field, i, iso, value);
        CheckValue(field, value);
      }
    }
  }
  if (const char* date = reader.GetFirmwareDate()) {
    const char* iso = FormatIsoDate(date);
    FUZZ_CHECK(iso != nullptr);
    if (iso != date) FUZZ_CHECK(std::strlen(iso) == 10);
  }
  fake.system.out.clear();
  reader.PrintGroup(group.type);
  std::string title = std::string(GroupHeading(group.type)) + "\n\n";
  FUZZ_CHECK(fake.system.out.compare(0, title.size(), title) == 0);
}

// After the reader is gone nothing may stay allocated, and nothing may have
// been released by the wrong allocator.
inline void CheckReleased(const fake::FakePlatform& fake) {
  FUZZ_CHECK(fake.memory.live() == 0);
  FUZZ_CHECK(fake.memory.mismatchedReleases == 0);
}

}  // namespace tarnlix::fuzz
