// Scripted physical memory behind the native section services.
//
// Bytes are placed at physical addresses (anywhere in the 64-bit space);
// everything else reads as zero up to `memorySize`. Each mapped view is its
// own heap block of exactly the reported view size, so a read past a view's
// end is caught by the address sanitizer. Every call is recorded with its arguments, and the handles and
// views still open can be checked at the end of a test.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tarnlix::fake {

constexpr int32_t kStatusSuccess = 0;
constexpr int32_t kStatusAccessDenied = static_cast<int32_t>(0xC0000022u);
// An informational status: not an error, but not exactly 0 either.
constexpr int32_t kStatusImageNotAtBase = 0x40000003;

struct OpenCall {
  std::string entry;       // name of the entry point called through
  uint32_t access = 0;
  uint32_t length = 0;     // of the object attributes
  bool hasRootDirectory = false;
  uint32_t attributes = 0;
  bool hasSecurity = false;  // descriptor or quality of service set
  std::u16string name;     // the object name, as its counted length says
  uint16_t nameLength = 0;
  uint16_t nameMaximumLength = 0;
  bool succeeded = false;
};

struct MapCall {
  std::string entry;
  uintptr_t process = 0;
  bool baseWasNone = false;  // the view base came in as none
  uintptr_t zeroBits = 0;
  size_t commitSize = 0;
  uint64_t offset = 0;       // as passed in
  size_t viewSize = 0;       // as passed in
  uint32_t inheritDisposition = 0;
  uint32_t allocationType = 0;
  uint32_t protection = 0;
  bool succeeded = false;
};

class FakeSections : public SectionApi {
 public:
  ~FakeSections() override;

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

  // --- script ---
  // Writes bytes into physical memory at address (memorySize grows to fit).
  void Place(uint64_t address, const std::vector<uint8_t>& bytes);
  uint64_t memorySize = 0x100000;  // the first MiB exists from the start
  // 1 keeps offsets as asked; a page size rounds each view's offset down to
  // a multiple of it and grows the view to whole pages, as Windows does.
  uint64_t pageSize = 1;
  // Views are cut to at most this many bytes (0: no limit).
  size_t maxViewSize = 0;
  std::set<int> failOpens;              // open attempts (from 1) that fail
  std::set<uint32_t> refusedAttributes; // opens with these attributes fail
  bool noSection = false;               // every open fails
  std::set<int> failMaps;               // map attempts (from 1) that fail
  int32_t failureStatus = kStatusAccessDenied;
  int32_t successStatus = kStatusSuccess;  // what a successful call returns
  // Where the system says the entry points are (none, like Windows).
  std::vector<uint64_t> publishedEntryPoints;

  // --- record ---
  std::vector<std::string> calls;  // "OpenSection", "MapViewOfSection", ...
  std::vector<std::string> initEntries;  // entry of each RtlInitUnicodeString
  std::vector<OpenCall> opens;
  std::vector<MapCall> maps;
  std::vector<std::string> unmapEntries;
  std::vector<uintptr_t> unmapProcesses;
  int misuses = 0;  // unknown handles or bases, double closes
  size_t openHandles() const { return handles_.size(); }
  size_t mappedViews() const { return views_.size(); }

 private:
  // The placed runs of bytes by address, a later one over an earlier one.
  std::vector<std::pair<uint64_t, std::vector<uint8_t>>> placed_;
  std::set<int*> handles_;
  std::map<const uint8_t*, std::unique_ptr<uint8_t[]>> views_;
};

}  // namespace tarnlix::fake
