// The Windows backend: each operation is the Win32 call of the same name.
#pragma once

#include "platform/platform.h"

namespace tarnlix::win32 {

// The handle a predefined registry key (kHkeyLocalMachine) has in this
// process; any other key is passed through unchanged.
void* PredefinedKey(uintptr_t root);

class Win32System : public SystemApi {
 public:
  uint32_t GetVersion() override;
  void WriteStdout(const char* data, size_t size) override;
  void WriteStderr(const char* data, size_t size) override;
  void WriteStdoutAsBytes() override;
  [[noreturn]] void ExitProcess(int code) override;
  const char* Bullet() override;
  FileReadResult ReadFile(const std::string& path, size_t limit) override;
  DirectoryListing ListDirectory(const std::string& path) override;
  bool WriteFileReplacing(const std::string& path, const uint8_t* data,
                          size_t size, std::string* reason) override;
};

class Win32Memory : public MemoryApi {
 public:
  void* HeapAlloc(size_t size) override;
  void HeapFree(void* block) override;
  uint8_t* AllocByteString(const uint8_t* data, uint32_t size) override;
  void FreeByteString(uint8_t* text) override;
  uint8_t* NewBlock(size_t size) override;
  void DeleteBlock(uint8_t* block) override;
};

class Win32Modules : public ModuleApi {
 public:
  ModuleHandle LoadLibraryA(const char* name) override;
  ModuleHandle GetModuleHandleA(const char* name) override;
  ProcAddress GetProcAddress(ModuleHandle module, const char* name) override;
  void FreeLibrary(ModuleHandle module) override;
};

class Win32FirmwareTable : public FirmwareTableApi {
 public:
  uint32_t GetSystemFirmwareTable(ProcAddress entry, uint32_t provider,
                                  uint32_t tableId, void* buffer,
                                  uint32_t bufferSize) override;
};

class Win32Registry : public RegistryApi {
 public:
  long RegOpenKeyExA(uintptr_t root, const char* subKey, uint32_t options,
                     uint32_t access, KeyHandle* key) override;
  long RegQueryValueExA(KeyHandle key, const char* valueName, uint32_t* type,
                        uint8_t* data, uint32_t* size) override;
  long RegCloseKey(KeyHandle key) override;
};

class Win32Sections : public SectionApi {
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
  std::vector<uint64_t> PublishedEntryPoints() override;
};

class Win32Network : public NetworkApi {
 public:
  uint32_t GetNetworkParams(ProcAddress entry, void* buffer,
                            uint32_t* size) override;
};

class Win32Console : public ConsoleApi {
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

}  // namespace tarnlix::win32
