#include <cstring>

#include "platform/ascii.h"
#include "platform/linux/linux_platform.h"

namespace tarnlix::linux_backend {

namespace {

struct Module {
  const char* name;
  const char* const* entries;  // null-terminated
};

// The firmware table is read from the kernel's files instead
// (LinuxFirmwareTable::ReadTableAndEntryPoint).
const char* const kKernel32Entries[] = {nullptr};
const char* const kNtDllEntries[] = {
    "RtlInitUnicodeString", "NtOpenSection",      "NtMapViewOfSection",
    "NtUnmapViewOfSection", "ZwOpenSection",      "ZwMapViewOfSection",
    "ZwUnmapViewOfSection", nullptr};
const char* const kIpHlpApiEntries[] = {"GetNetworkParams", nullptr};

const Module kModules[] = {
    {"Kernel32.dll", kKernel32Entries},
    {"ntdll.dll", kNtDllEntries},
    {"IPHlpApi.DLL", kIpHlpApiEntries},
};

ModuleHandle Find(const char* name) {
  for (const Module& module : kModules) {
    // Module names are matched without regard to case, as Windows does.
    if (EqualsIgnoringCase(module.name, name)) {
      return const_cast<Module*>(&module);
    }
  }
  return nullptr;
}

}  // namespace

ModuleHandle LinuxModules::LoadLibraryA(const char* name) { return Find(name); }

ModuleHandle LinuxModules::GetModuleHandleA(const char* name) {
  return Find(name);
}

// The address of an entry is its name in the table above, so a service can
// tell which entry it was called through.
ProcAddress LinuxModules::GetProcAddress(ModuleHandle module, const char* name) {
  if (module == nullptr) return nullptr;
  for (const char* const* entry = static_cast<Module*>(module)->entries;
       *entry != nullptr; ++entry) {
    if (std::strcmp(*entry, name) == 0) return const_cast<char*>(*entry);
  }
  return nullptr;
}

void LinuxModules::FreeLibrary(ModuleHandle) {}

}  // namespace tarnlix::linux_backend
