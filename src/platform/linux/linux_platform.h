// The Linux backend: the services of the platform interface from Linux's own
// sources. The classes are exposed so tests can point them at prepared files.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace tarnlix::linux_backend {

class LinuxSystem : public SystemApi {
 public:
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

// The kernel's copies of the table and its entry point in sysfs, physical
// memory through the memory device, and the entry points the firmware
// published in the EFI system table file. The paths are parameters so
// tests can use prepared files and a memory image instead.
class LinuxTables : public LinuxTablesApi {
 public:
  explicit LinuxTables(std::string tablesDir = "/sys/firmware/dmi/tables",
                       std::string devicePath = "/dev/mem",
                       std::string systabPath = "/sys/firmware/efi/systab")
      : tablesDir_(std::move(tablesDir)),
        devicePath_(std::move(devicePath)),
        systabPath_(std::move(systabPath)) {}
  bool ReadSysfsTables(std::vector<uint8_t>* table,
                       std::vector<uint8_t>* entryPoint) override;
  bool ReadPhysicalMemory(uint64_t address, size_t length,
                          std::vector<uint8_t>* bytes) override;
  std::vector<uint64_t> PublishedEntryPoints() override;

 private:
  std::string tablesDir_;
  std::string devicePath_;
  std::string systabPath_;
};

// The kernel's DMI identity files, readable by any user for the fields that
// are not secret, and udev's record of the memory devices, which systemd's
// helper decoded from the table as root.
class LinuxIdentity : public IdentityApi {
 public:
  explicit LinuxIdentity(std::string idDir = "/sys/class/dmi/id",
                         std::string udevFile = "/run/udev/data/+dmi:id")
      : idDir_(std::move(idDir)), udevFile_(std::move(udevFile)) {}
  std::vector<IdentityText> ReadIdentity() override;
  UdevMemoryData ReadUdevMemoryData() override;

 private:
  std::string idDir_;
  std::string udevFile_;
};

// The workstation's names: the kernel's host name cut at its first dot, the
// domain (the rest of a qualified host name, else the kernel's domain name,
// else the resolver's) and the resolver's name servers.
class LinuxNetwork : public LinuxNetworkApi {
 public:
  explicit LinuxNetwork(std::string resolvConf = "/etc/resolv.conf")
      : resolvConf_(std::move(resolvConf)) {}
  bool ReadHostIdentity(HostIdentity* identity) override;

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

// Reads a plain file, at most limit bytes of it. Anything else (a FIFO, a
// device, a directory) is refused at once, so the read never waits.
enum class PlainFileRead { Failed, Whole, OverLimit };
PlainFileRead ReadPlainFile(const std::string& path, size_t limit, std::string* bytes);

}  // namespace tarnlix::linux_backend
