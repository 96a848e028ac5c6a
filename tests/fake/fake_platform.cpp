#include "fake/fake_platform.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "cli/run.h"

namespace tarnlix::fake {

DirectoryListing FakeSystem::ListDirectory(const std::string& path) {
  DirectoryListing listing;
  if (directories.count(path) == 0) return listing;
  listing.isDirectory = true;
  auto bad = unreadable.find(path);
  if (bad != unreadable.end()) {
    listing.reason = bad->second;
    return listing;
  }
  listing.ok = true;
  std::string prefix = path + "/";
  for (const auto& [file, bytes] : files) {
    if (file.rfind(prefix, 0) == 0 && file.find('/', prefix.size()) == std::string::npos) {
      listing.files.push_back(file);
    }
  }
  for (const auto& [file, reason] : unreadable) {
    if (file.rfind(prefix, 0) == 0 && files.count(file) == 0) listing.files.push_back(file);
  }
  return listing;
}

FileReadResult FakeSystem::ReadFile(const std::string& path, size_t limit) {
  FileReadResult result;
  auto bad = unreadable.find(path);
  if (bad != unreadable.end()) {
    result.reason = bad->second;
    return result;
  }
  auto file = files.find(path);
  if (file == files.end()) {
    result.reason = "No such file or directory";
    return result;
  }
  result.ok = true;
  result.bytes = file->second;
  if (result.bytes.size() > limit) {
    result.overLimit = true;
    result.bytes.resize(limit);
  }
  return result;
}

bool FakeSystem::WriteFileReplacing(const std::string& path,
                                    const uint8_t* data, size_t size,
                                    std::string* reason) {
  if (!writeFailure.empty()) {
    *reason = writeFailure;
    return false;
  }
  files[path].assign(data, data + size);
  return true;
}

FakeMemory::~FakeMemory() {
  for (auto& [block, kind] : live_) {
    if (kind == ByteString) {
      std::free(static_cast<uint8_t*>(block) - 4);
    } else if (kind == FreeStore) {
      delete[] static_cast<uint8_t*>(block);
    } else {
      std::free(block);
    }
  }
}

void* FakeMemory::Track(void* block, Kind kind) {
  if (block == nullptr) return nullptr;
  ++allocations[kind];
  live_[block] = kind;
  return block;
}

bool FakeMemory::Untrack(void* block, Kind kind) {
  if (block == nullptr) return false;
  auto it = live_.find(block);
  if (it == live_.end() || it->second != kind) {
    ++mismatchedReleases;
    return false;
  }
  live_.erase(it);
  ++releases[kind];
  return true;
}

void* FakeMemory::HeapAlloc(size_t size) {
  if (++count_ == failAllocation) return nullptr;
  return Track(std::malloc(size == 0 ? 1 : size), Heap);
}

void FakeMemory::HeapFree(void* block) {
  if (Untrack(block, Heap)) std::free(block);
}

uint8_t* FakeMemory::AllocByteString(const uint8_t* data, uint32_t size) {
  if (++count_ == failAllocation) return nullptr;
  auto* block = static_cast<uint8_t*>(std::malloc(size_t{size} + 6));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &size, 4);
  if (data != nullptr) std::memcpy(block + 4, data, size);
  block[4 + size] = block[5 + size] = 0;
  return static_cast<uint8_t*>(Track(block + 4, ByteString));
}

void FakeMemory::FreeByteString(uint8_t* text) {
  if (Untrack(text, ByteString)) std::free(text - 4);
}

uint8_t* FakeMemory::NewBlock(size_t size) {
  if (++count_ == failAllocation) return nullptr;
  return static_cast<uint8_t*>(
      Track(new (std::nothrow) uint8_t[size == 0 ? 1 : size], FreeStore));
}

void FakeMemory::DeleteBlock(uint8_t* block) {
  if (Untrack(block, FreeStore)) delete[] block;
}

void* FakeModules::Token(const std::string& name) {
  auto it = names_.insert(name).first;
  return const_cast<std::string*>(&*it);
}

std::string FakeModules::NameOf(const void* token) const {
  for (const std::string& name : names_) {
    if (&name == token) return name;
  }
  return "";
}

ModuleHandle FakeModules::LoadLibraryA(const char* name) {
  calls.push_back(std::string("LoadLibraryA ") + name);
  if (missingLibraries.count(name) != 0) return nullptr;
  ++loaded;
  return Token(name);
}

ModuleHandle FakeModules::GetModuleHandleA(const char* name) {
  calls.push_back(std::string("GetModuleHandleA ") + name);
  if (missingLibraries.count(name) != 0) return nullptr;
  return Token(name);
}

ProcAddress FakeModules::GetProcAddress(ModuleHandle module, const char* name) {
  calls.push_back(std::string("GetProcAddress ") + name);
  if (module == nullptr || missingEntries.count(name) != 0) return nullptr;
  return Token(name);
}

void FakeModules::FreeLibrary(ModuleHandle module) {
  calls.push_back("FreeLibrary " + NameOf(module));
  --loaded;
}

uint32_t FakeFirmware::GetSystemFirmwareTable(ProcAddress, uint32_t provider,
                                              uint32_t tableId, void* buffer,
                                              uint32_t bufferSize) {
  ++calls;
  if (provider != 0x52534D42 || tableId != 0) return 0;
  if (buffer == nullptr) {
    return sizeAnswer ? *sizeAnswer : static_cast<uint32_t>(table.size());
  }
  if (fetchAnswer) return *fetchAnswer;
  if (table.empty() || bufferSize < table.size()) return 0;
  std::memcpy(buffer, table.data(), table.size());
  return static_cast<uint32_t>(table.size());
}

long FakeRegistry::RegOpenKeyExA(uintptr_t root, const char* subKey,
                                 uint32_t options, uint32_t access,
                                 KeyHandle* key) {
  calls.push_back("RegOpenKeyExA " + std::to_string(root) + " " + subKey + " " +
                  std::to_string(options) + " " + std::to_string(access));
  if (!value) return 2;  // ERROR_FILE_NOT_FOUND
  ++openKeys;
  *key = &key_;
  return 0;
}

long FakeRegistry::RegQueryValueExA(KeyHandle key, const char* valueName,
                                    uint32_t* type, uint8_t* data,
                                    uint32_t* size) {
  calls.push_back(std::string("RegQueryValueExA ") + valueName);
  if (key != &key_ || !value || std::strcmp(valueName, "SMBiosData") != 0) {
    return 2;
  }
  if (type != nullptr) *type = 3;  // REG_BINARY
  uint32_t room = *size;
  *size = static_cast<uint32_t>(value->size());
  if (queries_++ == 0 && growAfterSizeQuery > 0) {
    value->resize(value->size() + growAfterSizeQuery, 0);
  }
  if (data == nullptr) return 0;
  if (room < value->size()) {
    *size = static_cast<uint32_t>(value->size());
    return 234;  // ERROR_MORE_DATA
  }
  if (!value->empty()) std::memcpy(data, value->data(), value->size());
  return 0;
}

long FakeRegistry::RegCloseKey(KeyHandle key) {
  calls.push_back("RegCloseKey");
  if (key == &key_) --openKeys;
  return 0;
}

FakePlatform::FakePlatform()
    : platform{&system,   &memory,   &modules, &firmware,
               &registry, &sections, &network, &console} {
  InstallPlatform(&platform);
}

FakePlatform::~FakePlatform() { InstallPlatform(nullptr); }

RunResult Run(FakePlatform& fake, const std::vector<std::string>& arguments) {
  std::vector<std::string> storage;
  storage.push_back("tarnlix");
  storage.insert(storage.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : storage) argv.push_back(text.data());
  argv.push_back(nullptr);
  int code;
  try {
    code = RunTarnlix(static_cast<int>(storage.size()), argv.data());
  } catch (const ProcessExit& exit) {
    code = exit.code;
  }
  return {code, fake.system.out, fake.system.err};
}

}  // namespace tarnlix::fake
