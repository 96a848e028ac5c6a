#include "fake/fake_sections.h"

namespace tarnlix::fake {

namespace {
constexpr int32_t kStatusAccessDenied = static_cast<int32_t>(0xC0000022u);
}

void FakeSections::RtlInitUnicodeString(ProcAddress, UnicodeString* target,
                                        const char16_t* source) {
  size_t length = 0;
  while (source[length] != 0) ++length;
  target->buffer = source;
  target->length = static_cast<uint16_t>(length * 2);
  target->maximumLength = static_cast<uint16_t>(length * 2 + 2);
}

int32_t FakeSections::OpenSection(ProcAddress, SectionHandle*, uint32_t,
                                  const ObjectAttributes*) {
  return kStatusAccessDenied;
}

int32_t FakeSections::MapViewOfSection(ProcAddress, SectionHandle, uintptr_t,
                                       const uint8_t**, uintptr_t, size_t,
                                       uint64_t*, size_t*, uint32_t, uint32_t,
                                       uint32_t) {
  return kStatusAccessDenied;
}

int32_t FakeSections::UnmapViewOfSection(ProcAddress, uintptr_t,
                                         const uint8_t*) {
  return kStatusAccessDenied;
}

void FakeSections::CloseHandle(SectionHandle) {}

}  // namespace tarnlix::fake
