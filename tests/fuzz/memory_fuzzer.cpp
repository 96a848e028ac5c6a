// The two physical-memory readers over a memory of arbitrary bytes: the
// search for the entry point in the BIOS area, and the table at whatever
// address and length the entry point gives, through views of any page size.
//
// Input: one byte of settings, one of the path, then the bytes placed at the
// BIOS area (0xF0000) of an otherwise empty first MiB.
//   bit 0     the "/DIRECT" read; otherwise the last-resort scan (no
//             firmware service, no registry copy)
//   bits 1-2  page size of the views: 1, 4 KiB, 64 KiB, 16 bytes
//   bit 3     views cut to at most 2 KiB
//   bit 4     2 MiB of memory instead of 1
//   bit 5     the system publishes an entry point at 0xF0010 (where the
//             seeds keep theirs)
//   bit 6     ... one near the end of the input, cut short by it
//   bit 7     ... one far past the end of memory
// The path: bit 0 set, a whole run that prints the full report; else the
// reader, whose group of fields (the other bits) is asked.
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_support.h"

namespace tarnlix::fuzz {
namespace {

constexpr uint64_t kBiosArea = 0xF0000;

void Configure(fake::FakePlatform& fake, uint8_t settings,
               const std::vector<uint8_t>& area) {
  static const uint64_t kPageSizes[] = {1, 0x1000, 0x10000, 0x10};
  fake.sections.pageSize = kPageSizes[(settings >> 1) & 3];
  if (settings & 8) fake.sections.maxViewSize = 0x800;
  if (settings & 16) fake.sections.memorySize = 0x200000;
  if (!area.empty()) fake.sections.Place(kBiosArea, area);
  std::vector<uint64_t>& published = fake.sections.publishedEntryPoints;
  if (settings & 0x20) published.push_back(kBiosArea + 0x10);
  if (settings & 0x40) published.push_back(kBiosArea + area.size() - std::min<size_t>(area.size(), 8));
  if (settings & 0x80) published.push_back(0xFFFFFFFFFFFFFFF0ull);
  fake.modules.missingEntries.insert("GetSystemFirmwareTable");
}

void CheckClosed(const fake::FakePlatform& fake) {
  FUZZ_CHECK(fake.sections.openHandles() == 0);
  FUZZ_CHECK(fake.sections.mappedViews() == 0);
  FUZZ_CHECK(fake.sections.misuses == 0);
  CheckReleased(fake);
}

void ThroughTheReader(uint8_t settings, uint8_t group, const std::vector<uint8_t>& area) {
  fake::FakePlatform fake;
  Configure(fake, settings, area);
  {
    SmbiosReader reader;
    if (settings & 1) reader.SetDirectRead();
    bool loaded = false;
    try {
      loaded = reader.Load();
    } catch (const fake::ProcessExit&) {
      FUZZ_CHECK(false);  // every entry point is there: no fatal stop
    }
    if (loaded) {
      // Everything walked was copied from memory, which holds only the
      // input and zeros.
      std::vector<uint8_t> memory = area;
      memory.push_back(0);
      CheckStore(reader, memory);
      ExerciseGroup(fake, reader, group);
    }
  }
  CheckClosed(fake);
}

void WholeRun(uint8_t settings, const std::vector<uint8_t>& area) {
  fake::FakePlatform fake;
  Configure(fake, settings, area);
  std::vector<std::string> arguments = {"/ALL"};
  if (settings & 1) arguments.push_back("/DIRECT");
  fake::RunResult result = fake::Run(fake, arguments);
  FUZZ_CHECK(result.exitCode == 0 || result.exitCode == 1);
  CheckClosed(fake);
}

}  // namespace
}  // namespace tarnlix::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  std::vector<uint8_t> area(data + 2, data + size);
  if (data[1] & 1) {
    tarnlix::fuzz::WholeRun(data[0], area);
  } else {
    tarnlix::fuzz::ThroughTheReader(data[0], data[1] >> 1, area);
  }
  return 0;
}
