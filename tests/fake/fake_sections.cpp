#include "fake/fake_sections.h"

#include <algorithm>
#include <cstring>

#include "fake/fake_platform.h"

namespace tarnlix::fake {

namespace {

constexpr int32_t kStatusInvalidHandle = static_cast<int32_t>(0xC0000008u);
constexpr int32_t kStatusInvalidViewSize = static_cast<int32_t>(0xC000001Fu);
constexpr int32_t kStatusNotMappedView = static_cast<int32_t>(0xC0000019u);
constexpr int32_t kStatusObjectNameNotFound = static_cast<int32_t>(0xC0000034u);

// The object's own spelling; a lower-case name finds it only when the
// caller asks for a case-insensitive lookup.
const std::u16string kObjectName = u"\\Device\\PhysicalMemory";

char16_t Lower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool SameName(const std::u16string& a, const std::u16string& b,
              bool ignoreCase) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (ignoreCase ? Lower(a[i]) != Lower(b[i]) : a[i] != b[i]) return false;
  }
  return true;
}

std::string EntryName(ProcAddress entry) {
  if (entry == nullptr) return "<none>";
  auto* modules = dynamic_cast<FakeModules*>(platform().modules);
  std::string name = modules != nullptr ? modules->NameOf(entry) : "";
  return name.empty() ? "<unknown>" : name;
}

}  // namespace

FakeSections::~FakeSections() {
  for (int* handle : handles_) delete handle;
}

void FakeSections::Place(uint64_t address, const std::vector<uint8_t>& bytes) {
  placed_.emplace_back(address, bytes);
  memorySize = std::max<uint64_t>(memorySize, address + bytes.size());
}

void FakeSections::RtlInitUnicodeString(ProcAddress entry,
                                        UnicodeString* target,
                                        const char16_t* source) {
  initEntries.push_back(EntryName(entry));
  calls.push_back("RtlInitUnicodeString");
  size_t length = 0;
  while (source[length] != 0) ++length;
  target->buffer = source;
  target->length = static_cast<uint16_t>(length * 2);
  target->maximumLength = static_cast<uint16_t>(length * 2 + 2);
}

int32_t FakeSections::OpenSection(ProcAddress entry, SectionHandle* section,
                                  uint32_t access,
                                  const ObjectAttributes* attributes) {
  calls.push_back("OpenSection");
  OpenCall call;
  call.entry = EntryName(entry);
  call.access = access;
  call.length = attributes->length;
  call.hasRootDirectory = attributes->rootDirectory != nullptr;
  call.attributes = attributes->attributes;
  call.hasSecurity = attributes->securityDescriptor != nullptr ||
                     attributes->securityQualityOfService != nullptr;
  if (const UnicodeString* name = attributes->objectName) {
    call.nameLength = name->length;
    call.nameMaximumLength = name->maximumLength;
    if (name->buffer != nullptr) call.name.assign(name->buffer, name->length / 2);
  }
  int attempt = static_cast<int>(opens.size()) + 1;
  int32_t status = successStatus;
  if (!SameName(call.name, kObjectName,
                (call.attributes & kObjCaseInsensitive) != 0)) {
    status = kStatusObjectNameNotFound;
  } else if (noSection || failOpens.count(attempt) != 0 ||
             refusedAttributes.count(call.attributes) != 0) {
    status = failureStatus;
  }
  call.succeeded = status >= 0;
  opens.push_back(call);
  if (status < 0) return status;
  int* handle = new int(attempt);
  handles_.insert(handle);
  *section = handle;
  return status;
}

int32_t FakeSections::MapViewOfSection(
    ProcAddress entry, SectionHandle section, uintptr_t process,
    const uint8_t** baseAddress, uintptr_t zeroBits, size_t commitSize,
    uint64_t* sectionOffset, size_t* viewSize, uint32_t inheritDisposition,
    uint32_t allocationType, uint32_t protection) {
  calls.push_back("MapViewOfSection");
  MapCall call;
  call.entry = EntryName(entry);
  call.process = process;
  call.baseWasNone = *baseAddress == nullptr;
  call.zeroBits = zeroBits;
  call.commitSize = commitSize;
  call.offset = *sectionOffset;
  call.viewSize = *viewSize;
  call.inheritDisposition = inheritDisposition;
  call.allocationType = allocationType;
  call.protection = protection;
  int attempt = static_cast<int>(maps.size()) + 1;
  maps.push_back(call);

  if (handles_.count(static_cast<int*>(section)) == 0) {
    ++misuses;
    return kStatusInvalidHandle;
  }
  if (process != kCurrentProcess) return kStatusInvalidHandle;
  if (failMaps.count(attempt) != 0) return failureStatus;

  uint64_t offset = *sectionOffset;
  if (offset >= memorySize) return kStatusInvalidViewSize;
  // A view size of 0 asks for everything from the offset to the end.
  uint64_t end = *viewSize == 0 ? memorySize : offset + *viewSize;
  if (end > memorySize) return kStatusInvalidViewSize;
  uint64_t start = offset - offset % pageSize;
  uint64_t size = end - start;
  if (size % pageSize != 0) size += pageSize - size % pageSize;
  if (maxViewSize != 0 && size > maxViewSize) size = maxViewSize;

  auto view = std::make_unique<uint8_t[]>(size);  // zero-filled
  for (const auto& [at, bytes] : placed_) {
    uint64_t from = std::max(at, start);
    uint64_t to = std::min(at + bytes.size(), start + size);
    if (from < to) std::memcpy(view.get() + (from - start), bytes.data() + (from - at), to - from);
  }
  const uint8_t* base = view.get();
  views_[base] = std::move(view);
  *baseAddress = base;
  *sectionOffset = start;
  *viewSize = static_cast<size_t>(size);
  maps.back().succeeded = true;
  return successStatus;
}

int32_t FakeSections::UnmapViewOfSection(ProcAddress entry, uintptr_t process,
                                         const uint8_t* baseAddress) {
  calls.push_back("UnmapViewOfSection");
  unmapEntries.push_back(EntryName(entry));
  unmapProcesses.push_back(process);
  if (process != kCurrentProcess) return kStatusInvalidHandle;
  auto it = views_.find(baseAddress);
  if (it == views_.end()) {
    ++misuses;
    return kStatusNotMappedView;
  }
  views_.erase(it);
  return successStatus;
}

void FakeSections::CloseHandle(SectionHandle section) {
  calls.push_back("CloseHandle");
  auto it = handles_.find(static_cast<int*>(section));
  if (it == handles_.end()) {
    ++misuses;
    return;
  }
  delete *it;
  handles_.erase(it);
}

std::vector<uint64_t> FakeSections::PublishedEntryPoints() {
  calls.push_back("PublishedEntryPoints");
  return publishedEntryPoints;
}

}  // namespace tarnlix::fake
