#include <windows.h>

#include "platform/win32/win32_platform.h"

namespace tarnlix::win32 {

long Win32Registry::RegOpenKeyExA(uintptr_t root, const char* subKey,
                                  uint32_t options, uint32_t access,
                                  KeyHandle* key) {
  HKEY opened = nullptr;
  LONG status = ::RegOpenKeyExA(reinterpret_cast<HKEY>(root), subKey, options,
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
