// Native section services of ntdll (not yet available).
#include <windows.h>

#include "platform/win32/win32_platform.h"

namespace tarnlix::win32 {

namespace {
constexpr int32_t kStatusNotImplemented = static_cast<int32_t>(0xC0000002u);
}

void Win32Sections::RtlInitUnicodeString(ProcAddress, UnicodeString* target,
                                         const char16_t* source) {
  size_t length = 0;
  while (source[length] != 0) ++length;
  target->buffer = source;
  target->length = static_cast<uint16_t>(length * 2);
  target->maximumLength = static_cast<uint16_t>(length * 2 + 2);
}

int32_t Win32Sections::OpenSection(ProcAddress, SectionHandle*, uint32_t,
                                   const ObjectAttributes*) {
  return kStatusNotImplemented;
}

int32_t Win32Sections::MapViewOfSection(ProcAddress, SectionHandle, uintptr_t,
                                        const uint8_t**, uintptr_t, size_t,
                                        uint64_t*, size_t*, uint32_t, uint32_t,
                                        uint32_t) {
  return kStatusNotImplemented;
}

int32_t Win32Sections::UnmapViewOfSection(ProcAddress, uintptr_t,
                                          const uint8_t*) {
  return kStatusNotImplemented;
}

void Win32Sections::CloseHandle(SectionHandle section) {
  ::CloseHandle(static_cast<HANDLE>(section));
}

}  // namespace tarnlix::win32
