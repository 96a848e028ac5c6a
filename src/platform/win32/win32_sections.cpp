// Native section services of ntdll, called through the entry points the
// core looked up by name. The records are built in the native layout from
// the platform-neutral ones and the results copied back.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace tarnlix::win32 {

namespace {

constexpr int32_t kStatusProcedureNotFound = static_cast<int32_t>(0xC000007Au);
constexpr int32_t kStatusInvalidViewSize = static_cast<int32_t>(0xC000001Fu);

// The end of the physical memory a view can reach: what the signed 64-bit
// section offset can hold. It is the same for the 32-bit exe: the offset is
// 64 bits wide there too, and a 32-bit process on 64-bit Windows (or on a
// PAE system) reaches physical memory past 4 GiB, where firmware may place
// a 64-bit entry point's table. Only the view itself must fit the process,
// which its SIZE_T length already ensures.
constexpr uint64_t kReachableEnd = uint64_t{INT64_MAX};

struct NativeUnicodeString {
  USHORT Length;
  USHORT MaximumLength;
  PWSTR Buffer;
};

struct NativeObjectAttributes {
  ULONG Length;
  HANDLE RootDirectory;
  NativeUnicodeString* ObjectName;
  ULONG Attributes;
  PVOID SecurityDescriptor;
  PVOID SecurityQualityOfService;
};

using RtlInitUnicodeStringFn = VOID(NTAPI*)(NativeUnicodeString*, PCWSTR);
using OpenSectionFn = LONG(NTAPI*)(PHANDLE, ACCESS_MASK,
                                   NativeObjectAttributes*);
// The inherit disposition is the SECTION_INHERIT enumeration, passed as a
// 32-bit value.
using MapViewOfSectionFn = LONG(NTAPI*)(HANDLE, HANDLE, PVOID*, ULONG_PTR,
                                        SIZE_T, PLARGE_INTEGER, PSIZE_T, ULONG,
                                        ULONG, ULONG);
using UnmapViewOfSectionFn = LONG(NTAPI*)(HANDLE, PVOID);

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wide characters");

template <typename Fn>
Fn Entry(ProcAddress entry) {
  return reinterpret_cast<Fn>(entry);
}

NativeUnicodeString ToNative(const UnicodeString& text) {
  NativeUnicodeString native;
  native.Length = text.length;
  native.MaximumLength = text.maximumLength;
  native.Buffer = reinterpret_cast<PWSTR>(const_cast<char16_t*>(text.buffer));
  return native;
}

}  // namespace

void Win32Sections::RtlInitUnicodeString(ProcAddress entry,
                                         UnicodeString* target,
                                         const char16_t* source) {
  NativeUnicodeString native{};
  if (entry != nullptr) {
    Entry<RtlInitUnicodeStringFn>(entry)(
        &native, reinterpret_cast<PCWSTR>(source));
  }
  target->length = native.Length;
  target->maximumLength = native.MaximumLength;
  target->buffer = reinterpret_cast<const char16_t*>(native.Buffer);
}

int32_t Win32Sections::OpenSection(ProcAddress entry, SectionHandle* section,
                                   uint32_t access,
                                   const ObjectAttributes* attributes) {
  if (entry == nullptr) return kStatusProcedureNotFound;
  NativeUnicodeString name{};
  if (attributes->objectName != nullptr) name = ToNative(*attributes->objectName);
  NativeObjectAttributes native{};
  // The record's own size on this system (24 bytes on 32-bit Windows).
  native.Length = sizeof native;
  native.RootDirectory = static_cast<HANDLE>(attributes->rootDirectory);
  native.ObjectName = attributes->objectName != nullptr ? &name : nullptr;
  native.Attributes = attributes->attributes;
  native.SecurityDescriptor = attributes->securityDescriptor;
  native.SecurityQualityOfService = attributes->securityQualityOfService;
  HANDLE handle = nullptr;
  LONG status = Entry<OpenSectionFn>(entry)(&handle, access, &native);
  if (status >= 0) *section = handle;
  return status;
}

int32_t Win32Sections::MapViewOfSection(
    ProcAddress entry, SectionHandle section, uintptr_t process,
    const uint8_t** baseAddress, uintptr_t zeroBits, size_t commitSize,
    uint64_t* sectionOffset, size_t* viewSize, uint32_t inheritDisposition,
    uint32_t allocationType, uint32_t protection) {
  if (entry == nullptr) return kStatusProcedureNotFound;
  // A 64-bit entry point may name memory out of reach; it is refused here
  // rather than passed on as an offset the system would wrap or cut short.
  if (*sectionOffset >= kReachableEnd ||
      *viewSize > kReachableEnd - *sectionOffset) {
    return kStatusInvalidViewSize;
  }
  PVOID base = const_cast<uint8_t*>(*baseAddress);
  LARGE_INTEGER offset;
  offset.QuadPart = static_cast<LONGLONG>(*sectionOffset);
  SIZE_T size = *viewSize;
  LONG status = Entry<MapViewOfSectionFn>(entry)(
      static_cast<HANDLE>(section), reinterpret_cast<HANDLE>(process), &base,
      zeroBits, commitSize, &offset, &size, inheritDisposition, allocationType,
      protection);
  // Written back whatever the status: an informational status may still
  // come with a mapped view, which the caller must be able to unmap.
  *baseAddress = static_cast<const uint8_t*>(base);
  *sectionOffset = static_cast<uint64_t>(offset.QuadPart);
  *viewSize = size;
  return status;
}

int32_t Win32Sections::UnmapViewOfSection(ProcAddress entry, uintptr_t process,
                                          const uint8_t* baseAddress) {
  if (entry == nullptr) return kStatusProcedureNotFound;
  return Entry<UnmapViewOfSectionFn>(entry)(
      reinterpret_cast<HANDLE>(process),
      const_cast<PVOID>(static_cast<const void*>(baseAddress)));
}

void Win32Sections::CloseHandle(SectionHandle section) {
  ::CloseHandle(static_cast<HANDLE>(section));
}

// Windows does not say where the firmware put its entry points; the BIOS
// area is searched instead.
std::vector<uint64_t> Win32Sections::PublishedEntryPoints() { return {}; }

}  // namespace tarnlix::win32
