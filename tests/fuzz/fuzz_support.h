// What every fuzz target checks once a table is loaded: the store keeps its
// promises whatever bytes it was built from, every accessor and report runs,
// and every block is released by its own allocator.
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
#include "smbios/names.h"
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

inline bool Contains(const std::vector<uint8_t>& haystack, const char* text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text);
  return std::search(haystack.begin(), haystack.end(), bytes,
                     bytes + std::strlen(text)) != haystack.end();
}

// The slot of an enclosure record that holds the chassis type's name, which
// comes from a name table rather than from the table's bytes.
inline bool IsNamedSlot(const SmbiosRecord& record, int slot) {
  return record.type == 3 && slot == 1;
}

// A decoded value has the form its row promises.
inline void CheckValue(const FieldRow& row, const char* value) {
  size_t size = std::strlen(value);
  FUZZ_CHECK(size > 0);
  auto digits = [](const char* text, size_t n) {
    if (n == 0 || n > 20) return false;
    for (size_t i = 0; i < n; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
  };
  if (row.number) FUZZ_CHECK(digits(value, size) && value[0] != '0');
  if (row.decode == FieldDecode::Release) {
    const char* dot = std::strchr(value, '.');
    FUZZ_CHECK(dot != nullptr && digits(value, dot - value) && digits(dot + 1, std::strlen(dot + 1)));
  }
  if (row.decode == FieldDecode::Uuid) {
    // 8-4-4-4-12 upper-case hex digits.
    FUZZ_CHECK(size == 36);
    for (int i = 0; i < 36; ++i) {
      char c = value[i];
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
      FUZZ_CHECK(!record.HasStrings());
      continue;
    }
    FUZZ_CHECK(record.type < kFirstUnstoredType);
    for (int slot = 0; slot < kSlotsPerRecord; ++slot) {
      const char* text = record.strings[slot];
      if (text == nullptr) continue;
      size_t size = std::strlen(text);
      FUZZ_CHECK(size > 0);
      FUZZ_CHECK(text[size - 1] != ' ');
      if (!IsNamedSlot(record, slot)) FUZZ_CHECK(Contains(source, text));
    }
    int valueCount = 0;
    const FieldRow* const* valueRows = ValueRowsOf(record.type, &valueCount);
    for (int i = 0; i < kMaxValues; ++i) {
      const char* value = record.values[i];
      if (value == nullptr) continue;
      FUZZ_CHECK(i < valueCount);
      CheckValue(*valueRows[i], value);
    }
  }
}

// Every field of every structure, in both date forms, then the full report
// and every group report.
inline void ExerciseReader(fake::FakePlatform& fake, const SmbiosReader& reader) {
  for (size_t f = 0; f < FieldRowCount(); ++f) {
    const FieldRow& field = FieldRows()[f];
    size_t count = reader.InstanceCount(field.type);
    // One past the last structure has no values.
    FUZZ_CHECK(reader.Value(field, count) == nullptr || field.decode == FieldDecode::MemoryTotal);
    for (size_t i = 0; i < count; ++i) {
      for (bool iso : {false, true}) {
        const char* value = reader.Value(field, i, iso);
        if (value == nullptr) continue;
        if (field.decode != FieldDecode::String) CheckValue(field, value);
        FUZZ_CHECK(value[0] != '\0');
      }
    }
  }
  if (const char* date = reader.GetFirmwareDate()) {
    const char* iso = FormatIsoDate(date);
    FUZZ_CHECK(iso != nullptr);
    if (iso != date) FUZZ_CHECK(std::strlen(iso) == 10);
  }

  fake.system.out.clear();
  reader.PrintAll();
  for (const SelectorRow& row : SelectorTable()) {
    if (row.kind != SelectorKind::Group) continue;
    fake.system.out.clear();
    reader.PrintGroup(row.groupType);
    std::string title = std::string(TypeNameTable[row.groupType]) + "\n\n";
    FUZZ_CHECK(fake.system.out.compare(0, title.size(), title) == 0);
  }
}

// After the reader is gone nothing may stay allocated, and nothing may have
// been released by the wrong allocator.
inline void CheckReleased(const fake::FakePlatform& fake) {
  FUZZ_CHECK(fake.memory.live() == 0);
  FUZZ_CHECK(fake.memory.mismatchedReleases == 0);
}

}  // namespace tarnlix::fuzz
