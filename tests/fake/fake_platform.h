// A scripted platform: every service answers what a test sets up and records
// what it was asked, so the tool's algorithms can be driven through branches
// that real machines rarely show.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fake/fake_console.h"
#include "fake/fake_network.h"
#include "fake/fake_sections.h"
#include "platform/platform.h"

namespace tarnlix::fake {

// Thrown where the real platform would end the process.
struct ProcessExit {
  int code;
};

class FakeSystem : public SystemApi {
 public:
  uint32_t GetVersion() override { return version; }
  void WriteStdout(const char* data, size_t size) override {
    out.append(data, size);
  }
  void WriteStderr(const char* data, size_t size) override { err.append(data, size); }
  [[noreturn]] void ExitProcess(int code) override { throw ProcessExit{code}; }
  const char* Bullet() override { return "\xFE"; }
  FileReadResult ReadFile(const std::string& path, size_t limit) override;
  bool WriteFileReplacing(const std::string& path, const uint8_t* data,
                          size_t size, std::string* reason) override;
  // The files whose path is a directory's, a slash and a name.
  DirectoryListing ListDirectory(const std::string& path) override;

  uint32_t version = 0x0A280105;  // an NT-family value
  std::string out;
  std::string err;
  std::map<std::string, std::vector<uint8_t>> files;
  std::map<std::string, std::string> unreadable;  // path -> reason
  std::set<std::string> directories;
  std::string writeFailure;                       // non-empty: writes fail
};

// Counts every block per allocator and checks each release matches.
class FakeMemory : public MemoryApi {
 public:
  ~FakeMemory() override;
  void* HeapAlloc(size_t size) override;
  void HeapFree(void* block) override;
  uint8_t* AllocByteString(const uint8_t* data, uint32_t size) override;
  void FreeByteString(uint8_t* text) override;
  uint8_t* NewBlock(size_t size) override;
  void DeleteBlock(uint8_t* block) override;

  enum Kind { Heap, ByteString, FreeStore };
  int allocations[3] = {};
  int releases[3] = {};
  int mismatchedReleases = 0;
  // Allocation number n (counting from 1 over all kinds) fails; 0 = none.
  int failAllocation = 0;
  size_t live() const { return live_.size(); }

 private:
  void* Track(void* block, Kind kind);
  bool Untrack(void* block, Kind kind);
  int count_ = 0;
  std::map<void*, Kind> live_;
};

class FakeModules : public ModuleApi {
 public:
  ModuleHandle LoadLibraryA(const char* name) override;
  ModuleHandle GetModuleHandleA(const char* name) override;
  ProcAddress GetProcAddress(ModuleHandle module, const char* name) override;
  void FreeLibrary(ModuleHandle module) override;

  // The name an address was handed out for ("" if none).
  std::string NameOf(const void* token) const;

  std::set<std::string> missingLibraries;
  std::set<std::string> missingEntries;
  std::vector<std::string> calls;  // "LoadLibraryA Kernel32.dll", ...
  int loaded = 0;                  // libraries loaded and not freed

 private:
  void* Token(const std::string& name);
  std::set<std::string> names_;
};

class FakeFirmware : public FirmwareTableApi {
 public:
  uint32_t GetSystemFirmwareTable(ProcAddress entry, uint32_t provider,
                                  uint32_t tableId, void* buffer,
                                  uint32_t bufferSize) override;

  std::vector<uint8_t> table;             // what the service holds
  std::optional<uint32_t> sizeAnswer;     // overrides the size query
  std::optional<uint32_t> fetchAnswer;    // overrides the fetch result
  int calls = 0;
};

class FakeRegistry : public RegistryApi {
 public:
  long RegOpenKeyExA(uintptr_t root, const char* subKey, uint32_t options,
                     uint32_t access, KeyHandle* key) override;
  long RegQueryValueExA(KeyHandle key, const char* valueName, uint32_t* type,
                        uint8_t* data, uint32_t* size) override;
  long RegCloseKey(KeyHandle key) override;

  std::optional<std::vector<uint8_t>> value;  // absent: the key is missing
  // Grows the value by this many bytes after the first size query, as if the
  // firmware table were rewritten between the two calls.
  uint32_t growAfterSizeQuery = 0;
  std::vector<std::string> calls;
  int openKeys = 0;

 private:
  int key_ = 0;
  int queries_ = 0;
};

// A Linux system seen by a user without root: the table and physical memory
// cannot be read, only the identity texts and udev's memory record. Install
// it with Publish.
class FakePublished : public IdentityApi, public LinuxTablesApi {
 public:
  std::vector<IdentityText> ReadIdentity() override { return texts; }
  UdevMemoryData ReadUdevMemoryData() override { return {true, false, udev}; }
  bool ReadSysfsTables(std::vector<uint8_t>*, std::vector<uint8_t>*) override { return false; }
  bool ReadPhysicalMemory(uint64_t, size_t, std::vector<uint8_t>*) override { return false; }
  std::vector<uint64_t> PublishedEntryPoints() override { return {}; }
  void Publish(Platform& platform) {
    platform.identity = this;
    platform.linuxTables = this;
  }

  std::vector<IdentityText> texts;
  std::string udev;  // the file's bytes
};

class FakePlatform {
 public:
  FakePlatform();
  ~FakePlatform();
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  FakeSystem system;
  FakeMemory memory;
  FakeModules modules;
  FakeFirmware firmware;
  FakeRegistry registry;
  FakeSections sections;
  FakeNetwork network;
  FakeConsole console;
  Platform platform;
};

struct RunResult {
  int exitCode;
  std::string out;
  std::string err;
};

// Runs the tool on the fake with the given arguments (program name added),
// whether it returns or ends the process.
RunResult Run(FakePlatform& fake, const std::vector<std::string>& arguments);

}  // namespace tarnlix::fake
