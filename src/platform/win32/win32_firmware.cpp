#include <windows.h>

#include "platform/win32/win32_platform.h"

namespace tarnlix::win32 {

uint32_t Win32FirmwareTable::GetSystemFirmwareTable(ProcAddress entry,
                                                    uint32_t provider,
                                                    uint32_t tableId,
                                                    void* buffer,
                                                    uint32_t bufferSize) {
  using Function = UINT(WINAPI*)(DWORD, DWORD, PVOID, DWORD);
  auto call = reinterpret_cast<Function>(entry);
  return call(provider, tableId, buffer, bufferSize);
}

}  // namespace tarnlix::win32
