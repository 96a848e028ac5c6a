#include <windows.h>

#include <cstdint>

#include "platform/win32/win32_platform.h"

namespace tarnlix::win32 {

void* PredefinedKey(uintptr_t root) {
  // The predefined keys are 32-bit values that the system's headers widen
  // with their sign: HKEY_LOCAL_MACHINE is 0xFFFFFFFF80000002 to a 64-bit
  // process, and 0x0000000080000002 names no key there.
  uint64_t value = root;
  if (value >= 0x80000000u && value <= 0xFFFFFFFFu) {
    return reinterpret_cast<void*>(static_cast<intptr_t>(
        static_cast<int32_t>(static_cast<uint32_t>(root))));
  }
  return reinterpret_cast<void*>(root);
}

long Win32Registry::RegOpenKeyExA(uintptr_t root, const char* subKey,
                                  uint32_t options, uint32_t access,
                                  KeyHandle* key) {
  HKEY opened = nullptr;
  LONG status = ::RegOpenKeyExA(static_cast<HKEY>(PredefinedKey(root)), subKey, options,
                                access, &opened);
  *key = opened;
  return status;
}

long Win32Registry::RegQueryValueExA(KeyHandle key, const char* valueName,
                                     uint32_t* type, uint8_t* data,
                                     uint32_t* size) {
  DWORD valueType = 0;
  DWORD valueSize = *size;
  LONG status = ::RegQueryValueExA(static_cast<HKEY>(key), valueName, nullptr,
                                   &valueType, data, &valueSize);
  if (type != nullptr) *type = valueType;
  *size = valueSize;
  return status;
}

long Win32Registry::RegCloseKey(KeyHandle key) {
  return ::RegCloseKey(static_cast<HKEY>(key));
}

}  // namespace tarnlix::win32
