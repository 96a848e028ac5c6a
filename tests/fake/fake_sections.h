// Scripted physical memory behind the native section services.
#pragma once

#include "platform/platform.h"

namespace tarnlix::fake {

class FakeSections : public SectionApi {
 public:
  void RtlInitUnicodeString(ProcAddress entry, UnicodeString* target,
                            const char16_t* source) override;
  int32_t OpenSection(ProcAddress entry, SectionHandle* section,
                      uint32_t access,
                      const ObjectAttributes* attributes) override;
  int32_t MapViewOfSection(ProcAddress entry, SectionHandle section,
                           uintptr_t process, const uint8_t** baseAddress,
                           uintptr_t zeroBits, size_t commitSize,
                           uint64_t* sectionOffset, size_t* viewSize,
                           uint32_t inheritDisposition, uint32_t allocationType,
                           uint32_t protection) override;
  int32_t UnmapViewOfSection(ProcAddress entry, uintptr_t process,
                             const uint8_t* baseAddress) override;
  void CloseHandle(SectionHandle section) override;
};

}  // namespace tarnlix::fake
