// Checks of the Windows backend that need a real Win32 implementation (Wine
// in CI). scripts/windows-tests.sh prepares the registry and runs:
//
//   tarnlix_wine_probe firmware-version
//       The SMBIOS version in the header of the firmware table, asked of the
//       system directly (not through tarnlix), printed as "major.minor".
//   tarnlix_wine_probe registry-bytes FILE
//       Reads HKLM\...\mssmbios\Data "SMBiosData" with tarnlix's registry
//       reader and checks that it returns exactly the bytes of FILE.
//   tarnlix_wine_probe run-without-firmware ARGS...
//       Runs tarnlix with the firmware-table entry point hidden, as on a
//       system that predates it, so the table comes from the registry.
//
// Exit code 0 when the check holds, 1 when it does not, 2 for bad usage.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "acquire/raw_table.h"
#include "cli/run.h"
#include "platform/platform.h"

namespace {

constexpr char kSubKey[] = "SYSTEM\\CurrentControlSet\\Services\\mssmbios\\Data";
constexpr char kValueName[] = "SMBiosData";

bool ReadWholeFile(const char* path, std::vector<uint8_t>* bytes) {
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  uint8_t chunk[4096];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    bytes->insert(bytes->end(), chunk, chunk + got);
  }
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return !failed;
}

int FirmwareVersion() {
  using Function = UINT(WINAPI*)(DWORD, DWORD, PVOID, DWORD);
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  // Through void*: the entry point is looked up untyped, as tarnlix does.
  void* entry = kernel == nullptr
                    ? nullptr
                    : reinterpret_cast<void*>(
                          ::GetProcAddress(kernel, "GetSystemFirmwareTable"));
  auto call = reinterpret_cast<Function>(entry);
  if (call == nullptr) {
    std::printf("no GetSystemFirmwareTable in kernel32\n");
    return 1;
  }
  UINT size = call(tarnlix::kProviderRsmb, 0, nullptr, 0);
  if (size < tarnlix::kRawHeaderSize) {
    std::printf("the RSMB size query returned %u\n", size);
    return 1;
  }
  std::vector<uint8_t> table(size);
  if (call(tarnlix::kProviderRsmb, 0, table.data(), size) == 0) {
    std::printf("the RSMB fetch failed\n");
    return 1;
  }
  std::printf("%d.%d\n", static_cast<int8_t>(table[1]),
              static_cast<int8_t>(table[2]));
  return 0;
}

int RegistryBytes(const char* expectedPath) {
  std::vector<uint8_t> expected;
  if (!ReadWholeFile(expectedPath, &expected)) {
    std::printf("cannot read %s\n", expectedPath);
    return 2;
  }
  tarnlix::InstallPlatform(tarnlix::NativePlatform());
  tarnlix::RawTablePtr table = tarnlix::ReadRegistryBinaryValue(
      tarnlix::kHkeyLocalMachine, kSubKey, kValueName);
  if (!table) {
    std::printf("the registry reader returned nothing (expected %u bytes)\n",
                static_cast<unsigned>(expected.size()));
    return 1;
  }
  if (table->source != tarnlix::RawTableSource::Registry || !table->hasHeader) {
    std::printf("the table is not tagged as a header-form registry table\n");
    return 1;
  }
  // The bytes travel in a length-prefixed byte string; its own byte count
  // must be the registry's, or a later release or copy would use a wrong size.
  UINT carried = ::SysStringByteLen(reinterpret_cast<BSTR>(table->data));
  if (table->length != expected.size() || carried != expected.size()) {
    std::printf("got %u bytes (byte string says %u), expected %u\n",
                static_cast<unsigned>(table->length), carried,
                static_cast<unsigned>(expected.size()));
    return 1;
  }
  for (size_t i = 0; i < expected.size(); ++i) {
    if (table->data[i] != expected[i]) {
      std::printf("byte %u differs: got 0x%02X, expected 0x%02X\n",
                  static_cast<unsigned>(i), table->data[i], expected[i]);
      return 1;
    }
  }
  std::printf("same %u bytes\n", static_cast<unsigned>(expected.size()));
  return 0;
}

// The native module loader, except that the firmware-table service is
// reported missing.
class ModulesWithoutFirmwareTable : public tarnlix::ModuleApi {
 public:
  explicit ModulesWithoutFirmwareTable(tarnlix::ModuleApi* real) : real_(real) {}
  tarnlix::ModuleHandle LoadLibraryA(const char* name) override {
    return real_->LoadLibraryA(name);
  }
  tarnlix::ModuleHandle GetModuleHandleA(const char* name) override {
    return real_->GetModuleHandleA(name);
  }
  tarnlix::ProcAddress GetProcAddress(tarnlix::ModuleHandle module,
                                      const char* name) override {
    if (std::strcmp(name, "GetSystemFirmwareTable") == 0) return nullptr;
    return real_->GetProcAddress(module, name);
  }
  void FreeLibrary(tarnlix::ModuleHandle module) override {
    real_->FreeLibrary(module);
  }

 private:
  tarnlix::ModuleApi* real_;
};

[[noreturn]] void RunWithoutFirmware(int argc, char** argv) {
  static tarnlix::Platform patched = *tarnlix::NativePlatform();
  static ModulesWithoutFirmwareTable modules(patched.modules);
  patched.modules = &modules;
  tarnlix::InstallPlatform(&patched);
  tarnlix::EndProcess(tarnlix::RunTarnlix(argc, argv));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "firmware-version") == 0) {
    return FirmwareVersion();
  }
  if (argc == 3 && std::strcmp(argv[1], "registry-bytes") == 0) {
    return RegistryBytes(argv[2]);
  }
  if (argc >= 3 && std::strcmp(argv[1], "run-without-firmware") == 0) {
    // argv[1] stands where the tool's own name would.
    RunWithoutFirmware(argc - 1, argv + 1);
  }
  std::printf(
      "usage: tarnlix_wine_probe firmware-version\n"
      "       tarnlix_wine_probe registry-bytes FILE\n"
      "       tarnlix_wine_probe run-without-firmware ARGS...\n");
  return 2;
}
