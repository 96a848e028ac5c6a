// Display names of structure types and labels of record slots.
#pragma once

#include <cstdint>

namespace tarnlix {

constexpr int kTypeNameCount = 128;

extern const char* const TypeNameTable[kTypeNameCount];

// Row t, column k labels slot k of a type-t record. Rows past the last
// labelled type are absent (null): the reports print "(null)" for them.
extern const char* const FieldLabelTable[kTypeNameCount][7];

}  // namespace tarnlix
