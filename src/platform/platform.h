// The operating-system services tarnlix uses, one small group per service.
//
// Every algorithm of the tool is written once against these groups; the build
// links one real implementation (src/platform/win32 or src/platform/linux) and
// the tests install a scripted fake. Each system offers its own groups, named
// as it names them: the Windows ones mirror the Windows calls, so that
// backend is a thin pass-through; Linux's read the kernel's files and the
// memory device. A group a system does not have is null, and the table and
// the host name are asked for in the order of the system whose groups are
// there (AcquireRawTable, GetNetworkInfo).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarnlix {

// Opaque handles. A null value always means "none" or "failed".
using ModuleHandle = void*;
using ProcAddress = void*;
using KeyHandle = void*;
using SectionHandle = void*;

// ---------------------------------------------------------------------------
// Process, standard output and files.
struct FileReadResult {
  bool ok = false;
  std::vector<uint8_t> bytes;  // at most the limit asked for, plus one byte
  bool overLimit = false;      // the file holds more than the limit
  std::string reason;          // why it failed, in the platform's words
};

struct DirectoryListing {
  bool isDirectory = false;  // the path names a directory
  bool ok = false;           // and it could be listed
  // The paths of its regular files (the directory's path, a separator and
  // the name), in no particular order; not those of its directories.
  std::vector<std::string> files;
  // Its other entries that are not directories, which cannot be read as
  // files (a dangling link, a FIFO), each with why, in the platform's words.
  std::vector<std::pair<std::string, std::string>> refused;
  std::string reason;  // why it could not be listed, in the platform's words
};

class SystemApi {
 public:
  virtual ~SystemApi() = default;
  // Windows' GetVersion: the top bit set marks the Windows 95/98/Me family.
  // Asked only in the Windows order.
  virtual uint32_t GetVersion() { return 0; }
  // Writes to standard output and flushes at once. A failed write (closed
  // pipe, full disk) ends the process: nothing further can reach the reader.
  virtual void WriteStdout(const char* data, size_t size) = 0;
  // Writes to standard error: a message apart from the values, which a
  // script capturing the values does not get. A failed write is ignored.
  virtual void WriteStderr(const char* data, size_t size) = 0;
  // From now on standard output takes the bytes as they are: a line end
  // stays LF where the system would make it CR LF.
  virtual void WriteStdoutAsBytes() {}
  // Flushes standard output, restores the console and ends the process.
  [[noreturn]] virtual void ExitProcess(int code) = 0;
  // The square bullet in the console's code page (0xFE on Windows).
  virtual const char* Bullet() = 0;
  // Reads a whole file, never more than limit + 1 bytes, without blocking
  // forever on pipes or devices.
  virtual FileReadResult ReadFile(const std::string& path, size_t limit) = 0;
  // Replaces the file at path with data as one step (temporary file, then
  // rename). Returns false with the platform's reason on failure.
  virtual bool WriteFileReplacing(const std::string& path, const uint8_t* data,
                                  size_t size, std::string* reason) = 0;
  // What a directory holds; isDirectory false for anything else.
  virtual DirectoryListing ListDirectory(const std::string& path) = 0;
};

// ---------------------------------------------------------------------------
// The three allocators a raw table can come from; each block is released by
// the matching release, once.
class MemoryApi {
 public:
  virtual ~MemoryApi() = default;
  virtual void* HeapAlloc(size_t size) = 0;  // malloc family
  virtual void HeapFree(void* block) = 0;
  // Length-prefixed byte string (SysAllocStringByteLen / SysFreeString).
  virtual uint8_t* AllocByteString(const uint8_t* data, uint32_t size) = 0;
  virtual void FreeByteString(uint8_t* text) = 0;
  virtual uint8_t* NewBlock(size_t size) = 0;  // free store (operator new)
  virtual void DeleteBlock(uint8_t* block) = 0;
};

// ---------------------------------------------------------------------------
// Module loading: optional entry points are looked up by name at run time.
class ModuleApi {
 public:
  virtual ~ModuleApi() = default;
  virtual ModuleHandle LoadLibraryA(const char* name) = 0;
  virtual ModuleHandle GetModuleHandleA(const char* name) = 0;
  virtual ProcAddress GetProcAddress(ModuleHandle module, const char* name) = 0;
  virtual void FreeLibrary(ModuleHandle module) = 0;
};

// ---------------------------------------------------------------------------
// Firmware-table service, called through the entry point found by name.
class FirmwareTableApi {
 public:
  virtual ~FirmwareTableApi() = default;
  // The table in the platform's raw layout (an 8-byte header, then the
  // structures), as Windows hands it out.
  virtual uint32_t GetSystemFirmwareTable(ProcAddress entry, uint32_t provider,
                                          uint32_t tableId, void* buffer,
                                          uint32_t bufferSize) = 0;
};

// ---------------------------------------------------------------------------
// Registry.
constexpr uintptr_t kHkeyLocalMachine = 0x80000002u;
constexpr uint32_t kKeyRead = 0x20019;
constexpr long kErrorSuccess = 0;
constexpr long kErrorMoreData = 234;

class RegistryApi {
 public:
  virtual ~RegistryApi() = default;
  virtual long RegOpenKeyExA(uintptr_t root, const char* subKey,
                             uint32_t options, uint32_t access,
                             KeyHandle* key) = 0;
  // data may be null to ask only for the size.
  virtual long RegQueryValueExA(KeyHandle key, const char* valueName,
                                uint32_t* type, uint8_t* data,
                                uint32_t* size) = 0;
  virtual long RegCloseKey(KeyHandle key) = 0;
};

// ---------------------------------------------------------------------------
// Native section services on the physical-memory section object. Both the
// Nt and the Zw forms share these signatures; the entry point passed in says
// which one is called.
struct UnicodeString {
  uint16_t length = 0;         // in bytes, without the terminating zero
  uint16_t maximumLength = 0;  // in bytes
  const char16_t* buffer = nullptr;
};

struct ObjectAttributes {
  uint32_t length = 0;
  void* rootDirectory = nullptr;
  const UnicodeString* objectName = nullptr;
  uint32_t attributes = 0;
  void* securityDescriptor = nullptr;
  void* securityQualityOfService = nullptr;
};

constexpr uint32_t kObjCaseInsensitive = 0x40;
constexpr uint32_t kObjForceAccessCheck = 0x400;
constexpr uint32_t kSectionMapRead = 4;
constexpr uint32_t kViewShare = 1;
constexpr uint32_t kPageReadOnly = 2;
constexpr uintptr_t kCurrentProcess = ~uintptr_t{0};  // the handle value -1

class SectionApi {
 public:
  virtual ~SectionApi() = default;
  virtual void RtlInitUnicodeString(ProcAddress entry, UnicodeString* target,
                                    const char16_t* source) = 0;
  virtual int32_t OpenSection(ProcAddress entry, SectionHandle* section,
                              uint32_t access,
                              const ObjectAttributes* attributes) = 0;
  // sectionOffset and viewSize are in/out: the platform may round the offset
  // down to a page boundary and grow the view to match.
  virtual int32_t MapViewOfSection(ProcAddress entry, SectionHandle section,
                                   uintptr_t process, const uint8_t** baseAddress,
                                   uintptr_t zeroBits, size_t commitSize,
                                   uint64_t* sectionOffset, size_t* viewSize,
                                   uint32_t inheritDisposition,
                                   uint32_t allocationType,
                                   uint32_t protection) = 0;
  virtual int32_t UnmapViewOfSection(ProcAddress entry, uintptr_t process,
                                     const uint8_t* baseAddress) = 0;
  virtual void CloseHandle(SectionHandle section) = 0;
  // Physical addresses at which the system says the firmware's SMBIOS entry
  // points lie, the 64-bit entry point's first; empty when it says nothing.
  virtual std::vector<uint64_t> PublishedEntryPoints() = 0;
};

// ---------------------------------------------------------------------------
// Linux's sources of the table: the kernel's copies of it, and physical
// memory through the memory device.
class LinuxTablesApi {
 public:
  virtual ~LinuxTablesApi() = default;
  // The kernel's copies of the structure table and its entry point
  // (/sys/firmware/dmi/tables/DMI and smbios_entry_point, both root's
  // alone). False when the table cannot be read; the entry point empty when
  // it cannot be.
  virtual bool ReadSysfsTables(std::vector<uint8_t>* table,
                               std::vector<uint8_t>* entryPoint) = 0;
  // Exactly `length` bytes of physical memory from `address` (/dev/mem);
  // false when the device cannot be opened or not all of them can be read.
  virtual bool ReadPhysicalMemory(uint64_t address, size_t length,
                                  std::vector<uint8_t>* bytes) = 0;
  // Where the firmware told the kernel its SMBIOS entry points lie
  // (/sys/firmware/efi/systab), the 64-bit entry point's first; empty when
  // it said nothing.
  virtual std::vector<uint64_t> PublishedEntryPoints() = 0;
};

// Linux's names for the workstation: the kernel's host name (gethostname),
// its domain and the resolver's name servers.
struct HostIdentity {
  std::string hostName;  // as the kernel has it, possibly qualified
  std::string domainName;
  std::vector<std::string> nameServers;  // IPv4 addresses, in file order
};

class LinuxNetworkApi {
 public:
  virtual ~LinuxNetworkApi() = default;
  // False when the kernel does not give the host name.
  virtual bool ReadHostIdentity(HostIdentity* identity) = 0;
};

// ---------------------------------------------------------------------------
// IP configuration service. The buffer is filled in the layout of
// FixedNetworkInfo.
constexpr uint32_t kErrorBufferOverflow = 111;

// The service's answer, laid out exactly as Windows' IP_ADDR_STRING and
// FIXED_INFO so the Windows backend can hand the caller's buffer straight to
// GetNetworkParams. Every backend fills this shape: the record first, then
// any further DNS server entries after it in the same buffer, linked through
// `next`.
constexpr size_t kHostNameSize = 128 + 4;
constexpr size_t kDomainNameSize = 128 + 4;
constexpr size_t kScopeIdSize = 256 + 4;
constexpr size_t kAddressTextSize = 16;  // dotted IPv4 text and its NUL

struct IpAddressEntry {
  IpAddressEntry* next;
  char address[kAddressTextSize];
  char mask[kAddressTextSize];
  uint32_t context;
};

struct FixedNetworkInfo {
  char hostName[kHostNameSize];
  char domainName[kDomainNameSize];
  IpAddressEntry* currentDnsServer;
  IpAddressEntry dnsServerList;  // the first entry, held inline
  uint32_t nodeType;
  char scopeId[kScopeIdSize];
  uint32_t enableRouting;
  uint32_t enableProxy;
  uint32_t enableDns;
};

// The Windows service refuses to work with anything that does not hold this
// record: 584 bytes with 32-bit pointers, 600 with 64-bit ones (the links
// grow, and the record is padded to their alignment).
static_assert(sizeof(FixedNetworkInfo) == (sizeof(void*) == 4 ? 584 : 600),
              "FIXED_INFO is 584 bytes with 32-bit pointers, 600 with 64-bit");

class NetworkApi {
 public:
  virtual ~NetworkApi() = default;
  virtual uint32_t GetNetworkParams(ProcAddress entry, void* buffer,
                                    uint32_t* size) = 0;
};

// ---------------------------------------------------------------------------
// Console: the console of standard output, and the console device itself
// (CONIN$/CONOUT$ on Windows, the controlling terminal elsewhere).
struct ConsoleCoord {
  int16_t x = 0;  // 0-based column
  int16_t y = 0;  // 0-based row
};

struct ScreenBufferInfo {
  int16_t bufferWidth = 0;
  int16_t bufferHeight = 0;
  int16_t windowTop = 0;     // 0-based rows of the visible window
  int16_t windowBottom = 0;
  uint16_t attributes = 0;   // current text attribute
};

class ConsoleApi {
 public:
  virtual ~ConsoleApi() = default;
  // Window and buffer of standard output's console; false when standard
  // output is not a console.
  virtual bool GetScreenBufferInfo(ScreenBufferInfo* info) = 0;
  virtual bool GetCursorPosition(ConsoleCoord* position) = 0;
  virtual bool StdoutIsConsole() = 0;
  virtual void FillOutputCharacter(char character, uint32_t count,
                                   ConsoleCoord start) = 0;
  virtual void FillOutputAttribute(uint16_t attribute, uint32_t count,
                                   ConsoleCoord start) = 0;
  virtual void SetCursorPosition(ConsoleCoord position) = 0;
  virtual void SetTextAttribute(uint16_t attribute) = 0;
  // Writes to the console device, never to standard output.
  virtual void WriteConsoleText(const char* text, size_t size) = 0;
  // True when a keystroke (or the second code of a two-code key) is waiting.
  virtual bool KeystrokeWaiting() = 0;
  // Reads one key code (0-255) without echo, restoring the input mode
  // afterwards; navigation keys give 224, then their code on the next read.
  // Returns -1 at once when there is no console to read from.
  virtual int ReadKey() = 0;
  virtual bool HasConsoleInput() = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
};

// ---------------------------------------------------------------------------
// The system's own record of the machine's identity, where it keeps one
// apart from the table (Linux's /sys/class/dmi/id): each text with the
// selector of the field it is.
struct IdentityText {
  const char* selector;  // "/PCSERIAL"
  // None when the system keeps the field but it cannot be read (the serial
  // numbers need root).
  std::optional<std::string> text;
};

// udev's record of the memory devices (Linux's /run/udev/data/+dmi:id):
// the properties systemd's helper decoded from the table as root, stored
// for every user to read. Only the start of an oversized file is read.
constexpr size_t kUdevMemoryDataLimit = 1024 * 1024;

struct UdevMemoryData {
  bool readable = false;   // false: no such file, or it cannot be read
  bool truncated = false;  // the file holds more than the limit
  std::string bytes;       // at most kUdevMemoryDataLimit bytes of it
};

class IdentityApi {
 public:
  virtual ~IdentityApi() = default;
  // Every field the system keeps; empty when it keeps no such record.
  virtual std::vector<IdentityText> ReadIdentity() = 0;
  // udev's memory record, never more than the limit, never waiting on a
  // pipe; unreadable where the system keeps none.
  virtual UdevMemoryData ReadUdevMemoryData() { return {}; }
};

// ---------------------------------------------------------------------------
struct Platform {
  SystemApi* system = nullptr;
  MemoryApi* memory = nullptr;
  // Windows' services; null on Linux.
  ModuleApi* modules = nullptr;
  FirmwareTableApi* firmware = nullptr;
  RegistryApi* registry = nullptr;
  SectionApi* sections = nullptr;
  NetworkApi* network = nullptr;
  ConsoleApi* console = nullptr;
  IdentityApi* identity = nullptr;  // null where the system keeps none
  // Linux's services; null elsewhere. Where they are there, the table and
  // the host name are asked for in Linux's order.
  LinuxTablesApi* linuxTables = nullptr;
  LinuxNetworkApi* linuxNetwork = nullptr;
};

// The platform of this process. main installs the native one; tests install
// their fake.
Platform& platform();
void InstallPlatform(Platform* active);

// Ends the process through the installed platform.
[[noreturn]] void EndProcess(int code);

// Provided by the backend the build links (src/platform/<os>).
Platform* NativePlatform();

}  // namespace tarnlix
