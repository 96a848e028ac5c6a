// In-process cost of one run's work: load a table, ask every accessor, print
// the full dump into a sink that discards it.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "fake/fake_platform.h"
#include "platform/linux/linux_platform.h"
#include "smbios/reader.h"

namespace tarnlix {
namespace {

class DiscardingSystem : public fake::FakeSystem {
 public:
  void WriteStdout(const char*, size_t size) override { written += size; }
  size_t written = 0;
};

std::vector<uint8_t> ReadFile(const std::string& relative) {
  std::ifstream in(std::string(TARNLIX_TEST_DATA) + "/" + relative, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A 1 MiB table of realistic structures (memory devices, processors, ports,
// OEM strings), in the raw header form.
std::vector<uint8_t> SyntheticTable() {
  std::vector<uint8_t> table = {0, 3, 4, 0, 0, 0, 0, 0};
  uint16_t handle = 0;
  auto add = [&](uint8_t type, uint8_t length, std::vector<std::pair<uint8_t, uint8_t>> fields,
                 std::vector<std::string> strings) {
    size_t start = table.size();
    table.resize(start + length, 0);
    table[start] = type;
    table[start + 1] = length;
    table[start + 2] = static_cast<uint8_t>(handle);
    table[start + 3] = static_cast<uint8_t>(handle >> 8);
    ++handle;
    for (auto [offset, value] : fields) table[start + offset] = value;
    for (const std::string& s : strings) {
      table.insert(table.end(), s.begin(), s.end());
      table.push_back(0);
    }
    if (strings.empty()) table.push_back(0);
    table.push_back(0);
  };
  while (table.size() < (1u << 20) - 256) {
    add(17, 0x28, {{0x10, 1}, {0x11, 2}, {0x17, 3}, {0x18, 4}, {0x19, 5}, {0x1A, 6}},
        {"DIMM_A1", "BANK 0", "Samsung", "12345678", "Asset", "M393A2K43BB1-CTD   "});
    add(4, 0x30, {{0x04, 1}, {0x07, 2}, {0x10, 3}}, {"CPU1", "Intel", "Xeon Gold 6230"});
    add(8, 0x09, {{0x04, 1}, {0x06, 2}}, {"J1A1", "USB"});
    add(11, 5, {{0x04, 3}}, {"Dell System", "5[0000]", "14[1]"});
    add(126, 4, {}, {});
  }
  uint32_t length = static_cast<uint32_t>(table.size() - 8);
  for (int i = 0; i < 4; ++i) table[4 + i] = static_cast<uint8_t>(length >> (8 * i));
  return table;
}

void LoadAskPrint(benchmark::State& state, const std::vector<uint8_t>& table) {
  fake::FakePlatform fake;
  DiscardingSystem sink;
  fake.platform.system = &sink;
  fake.firmware.table = table;
  size_t records = 0;
  for (auto _ : state) {
    SmbiosReader reader;
    reader.Load();
    ForEachField([&reader](const FieldRow& field) {
      benchmark::DoNotOptimize(reader.Value(field));
    });
    reader.PrintAll();
    records = reader.recordCount();
  }
  state.counters["records"] = static_cast<double>(records);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * table.size()));
}

void BM_LargestCorpusTable(benchmark::State& state) {
  static const std::vector<uint8_t> file = ReadFile("corpus/raw/hyperv.bin");
  std::vector<uint8_t> table = {0, 2, 4, 0, 0, 0, 0, 0};
  table.insert(table.end(), file.begin(), file.end());
  LoadAskPrint(state, table);
}
BENCHMARK(BM_LargestCorpusTable)->Unit(benchmark::kMicrosecond);

void BM_SupermicroServer(benchmark::State& state) {
  static const std::vector<uint8_t> file = ReadFile("corpus/raw/supermicro-dual-xeon.bin");
  std::vector<uint8_t> table = {0, 2, 7, 0, 0, 0, 0, 0};
  table.insert(table.end(), file.begin(), file.end());
  LoadAskPrint(state, table);
}
BENCHMARK(BM_SupermicroServer)->Unit(benchmark::kMicrosecond);

void BM_Synthetic1MiB(benchmark::State& state) {
  static const std::vector<uint8_t> table = SyntheticTable();
  LoadAskPrint(state, table);
}
BENCHMARK(BM_Synthetic1MiB)->Unit(benchmark::kMillisecond);

// A run without root against the same selectors from the saved table: udev's
// file (TARNLIX_BENCH_UDEV, systemd's helper's lines for the table
// TARNLIX_BENCH_TABLE, which bench.sh makes) is read by the table builder
// through the identity service, as on Linux.
const std::vector<std::string>& MemorySelectors() {
  static const std::vector<std::string> selectors = {
      "/LINES", "/MEMDEVLOC:*", "/MEMBANKLOC:*", "/MEMMAN:*", "/MEMSERIAL:*", "/MEMPARTNO:*",
      "/MEMSIZE:*", "/MEMSPEED:*", "/MEMTYPE:*", "/MEMTOTAL", "/PCNAME", "/BIOSVER"};
  return selectors;
}

void RunSelectors(benchmark::State& state, bool published) {
  const char* udevPath = std::getenv("TARNLIX_BENCH_UDEV");
  const char* tablePath = std::getenv("TARNLIX_BENCH_TABLE");
  if (udevPath == nullptr || tablePath == nullptr) {
    state.SkipWithError("TARNLIX_BENCH_UDEV and TARNLIX_BENCH_TABLE name no files");
    return;
  }
  std::ifstream udevFile(udevPath, std::ios::binary);
  std::string udev(std::istreambuf_iterator<char>(udevFile), {});
  std::ifstream tableFile(tablePath, std::ios::binary);
  std::vector<uint8_t> table(std::istreambuf_iterator<char>(tableFile), {});
  fake::FakePlatform fake;
  DiscardingSystem sink;
  sink.files["saved.bin"] = table;
  fake.platform.system = &sink;
  fake::FakePublished userReadable;
  userReadable.texts = {{"/BIOSVENDOR", "Dell Inc."}, {"/BIOSVER", "2.3.4"}, {"/PCNAME", "PowerEdge"},
                        {"/PCSERIAL", std::nullopt}};
  userReadable.udev = udev;
  userReadable.Publish(fake.platform);
  std::vector<std::string> arguments = MemorySelectors();
  if (!published) arguments.push_back("/FROM:saved.bin");
  for (auto _ : state) benchmark::DoNotOptimize(fake::Run(fake, arguments).exitCode);
}

void BM_SelectorsWithoutRoot(benchmark::State& state) { RunSelectors(state, true); }
// A fixed number of runs each, so that bench.sh compares their instruction
// counts under callgrind.
BENCHMARK(BM_SelectorsWithoutRoot)->Unit(benchmark::kMicrosecond)->Iterations(2000);

void BM_SelectorsFromSavedTable(benchmark::State& state) { RunSelectors(state, false); }
BENCHMARK(BM_SelectorsFromSavedTable)->Unit(benchmark::kMicrosecond)->Iterations(2000);

// udev's file grown to TARNLIX_BENCH_BIG_UDEV (100 MB in bench.sh): the
// platform reads no further than its limit, and the table leaves it out; the
// counter is how much the process's peak memory grew.
void BM_OversizedUdevFile(benchmark::State& state) {
  const char* big = std::getenv("TARNLIX_BENCH_BIG_UDEV");
  if (big == nullptr) {
    state.SkipWithError("TARNLIX_BENCH_BIG_UDEV names no file");
    return;
  }
  rusage before {};
  getrusage(RUSAGE_SELF, &before);
  UdevMemoryData read;
  for (auto _ : state) read = linux_backend::LinuxIdentity("/", big).ReadUdevMemoryData();
  rusage after {};
  getrusage(RUSAGE_SELF, &after);
  state.counters["readKiB"] = static_cast<double>(read.bytes.size() / 1024);
  state.counters["truncated"] = read.truncated ? 1 : 0;
  state.counters["peakGrowthKiB"] = static_cast<double>(after.ru_maxrss - before.ru_maxrss);
}
BENCHMARK(BM_OversizedUdevFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnlix

BENCHMARK_MAIN();
