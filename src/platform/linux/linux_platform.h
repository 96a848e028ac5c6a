// The Linux backend: the services of the platform interface from Linux's own
// sources. The classes are exposed so tests can point them at prepared files.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tarnlix::linux_backend {

class LinuxSystem : public SystemApi {
 public:
  uint32_t GetVersion() override;
  void WriteStdout(const char* data, size_t size) override;
  void WriteStderr(const char* data, size_t size) override;
  [[noreturn]] void ExitProcess(int code) override;
  const char* Bullet() override;
  FileReadResult ReadFile(const std::string& path, size_t limit) override;
  bool WriteFileReplacing(const std::string& path, const uint8_t* data,
                          size_t size, std::string* reason) override;
  DirectoryListing ListDirectory(const std::string& path) override;
};

class LinuxMemory : public MemoryApi {
 public:
  void* HeapAlloc(size_t size) override;
  void HeapFree(void* block) override;
  uint8_t* AllocByteString(const uint8_t* data, uint32_t size) override;
  void FreeByteString(uint8_t* text) override;
  uint8_t* NewBlock(size_t size) override;
  void DeleteBlock(uint8_t* block) override;
};

// Stands in for the Windows modules: the services this backend provides are
// found under the Windows names the tool asks for.
class LinuxModules : public ModuleApi {
 public:
  ModuleHandle LoadLibraryA(const char* name) override;
  ModuleHandle GetModuleHandleA(const char* name) override;
  ProcAddress GetProcAddress(ModuleHandle module, const char* name) override;
  void FreeLibrary(ModuleHandle module) override;
};

// The kernel's copy of the firmware's table and entry point.
class LinuxFirmwareTable : public FirmwareTableApi {
 public:
  explicit LinuxFirmwareTable(std::string tablesDir = "/sys/firmware/dmi/tables")
      : tablesDir_(std::move(tablesDir)) {}
  uint32_t GetSystemFirmwareTable(ProcAddress entry, uint32_t provider,
                                  uint32_t tableId, void* buffer,
                                  uint32_t bufferSize) override;
  bool ReadTableAndEntryPoint(std::vector<uint8_t>* table,
                              std::vector<uint8_t>* entryPoint) override;

 private:
  std::string tablesDir_;
};

class LinuxRegistry : public RegistryApi {
 public:
  long RegOpenKeyExA(uintptr_t root, const char* subKey, uint32_t options,
                     uint32_t access, KeyHandle* key) override;
  long RegQueryValueExA(KeyHandle key, const char* valueName, uint32_t* type,
                        uint8_t* data, uint32_t* size) override;
  long RegCloseKey(KeyHandle key) override;
};

// The kernel's DMI identity files, readable by any user for the fields that
// are not secret: the nearest copy the system keeps where Windows keeps its
// registry copy of the table.
class LinuxIdentity : public IdentityApi {
 public:
  explicit LinuxIdentity(std::string idDir = "/sys/class/dmi/id",
                         std::string memoryFile = "/run/udev/data/+dmi:id")
      : idDir_(std::move(idDir)), memoryFile_(std::move(memoryFile)) {}
  std::vector<IdentityText> ReadIdentity() override;

 private:
  std::string idDir_;
  std::string memoryFile_;  // udev's properties of the memory devices
};

// The physical-memory section is the memory device: a view is a read-only
// mapping of it. The entry points are published by the kernel in the EFI
// system table file. Both paths are parameters so tests can use a prepared
// memory image and table file instead.
class LinuxSections : public SectionApi {
 public:
  explicit LinuxSections(std::string devicePath = "/dev/mem",
                         std::string systabPath = "/sys/firmware/efi/systab")
      : devicePath_(std::move(devicePath)), systabPath_(std::move(systabPath)) {}
  ~LinuxSections() override;
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
  std::vector<uint64_t> PublishedEntryPoints() override;

 private:
  std::string devicePath_;
  std::string systabPath_;
  std::map<const uint8_t*, size_t> views_;  // base -> mapped length
};

// The IP configuration from the kernel's host name and the resolver's
// configuration file.
class LinuxNetwork : public NetworkApi {
 public:
  explicit LinuxNetwork(std::string resolvConf = "/etc/resolv.conf")
      : resolvConf_(std::move(resolvConf)) {}
  uint32_t GetNetworkParams(ProcAddress entry, void* buffer,
                            uint32_t* size) override;

 protected:
  // The kernel's names (gethostname, getdomainname); false when unavailable.
  virtual bool KernelHostName(std::string* name);
  virtual bool KernelDomainName(std::string* name);

 private:
  std::string resolvConf_;
};

class LinuxConsole : public ConsoleApi {
 public:
  bool GetScreenBufferInfo(ScreenBufferInfo* info) override;
  bool GetCursorPosition(ConsoleCoord* position) override;
  bool StdoutIsConsole() override;
  void FillOutputCharacter(char character, uint32_t count,
                           ConsoleCoord start) override;
  void FillOutputAttribute(uint16_t attribute, uint32_t count,
                           ConsoleCoord start) override;
  void SetCursorPosition(ConsoleCoord position) override;
  void SetTextAttribute(uint16_t attribute) override;
  void WriteConsoleText(const char* text, size_t size) override;
  bool KeystrokeWaiting() override;
  int ReadKey() override;
  bool HasConsoleInput() override;
  void Sleep(uint32_t milliseconds) override;
};

// Reads a small text file whole, dropping one trailing newline; false when it
// cannot be read.
bool ReadTextFile(const std::string& path, std::string* text);

}  // namespace tarnlix::linux_backend
