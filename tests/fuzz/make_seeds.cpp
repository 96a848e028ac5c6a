// Builds the fuzz targets' seeds from the real tables of the test data, so
// that the fuzzers start from well-formed tables and mutate them:
//   fuzz_make_seeds <corpus dir> <seed dir>
// writes <seed dir>/table (each table in the header form and bare),
// <seed dir>/dump_file (some tables re-saved behind each kind of entry point;
// the corpus files themselves are given to that fuzzer as they are) and
// <seed dir>/memory (some tables in a BIOS-area image, found through an
// entry point, behind the settings and path bytes of the memory fuzzer).
// The table target's seeds begin with its three bytes of choices; a few of
// them are udev's memory properties of a table, for its path that builds a
// table without root.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "acquire/bytes.h"
#include "acquire/raw_table.h"
#include "fake/fake_platform.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

// What udev keeps of a laptop's two memory devices, as systemd's helper
// printed it.
constexpr char kMemoryProperties[] =
    "I:4711\nE:MEMORY_ARRAY_LOCATION=System Board Or Motherboard\n"
    "E:MEMORY_ARRAY_MAX_CAPACITY=34359738368\n"
    "E:MEMORY_DEVICE_0_TOTAL_WIDTH=64\nE:MEMORY_DEVICE_0_DATA_WIDTH=64\n"
    "E:MEMORY_DEVICE_0_SIZE=34359738368\nE:MEMORY_DEVICE_0_FORM_FACTOR=SODIMM\n"
    "E:MEMORY_DEVICE_0_LOCATOR=DIMM A\nE:MEMORY_DEVICE_0_BANK_LOCATOR=BANK 0\n"
    "E:MEMORY_DEVICE_0_TYPE=DDR4\n"
    "E:MEMORY_DEVICE_0_TYPE_DETAIL=Synchronous Unbuffered (Unregistered)\n"
    "E:MEMORY_DEVICE_0_SPEED_MTS=2667\nE:MEMORY_DEVICE_0_MANUFACTURER=8C260000802C\n"
    "E:MEMORY_DEVICE_0_SERIAL_NUMBER=00000000\nE:MEMORY_DEVICE_0_ASSET_TAG=00221200\n"
    "E:MEMORY_DEVICE_0_PART_NUMBER=TIMETEC-SD4-2666\nE:MEMORY_DEVICE_0_RANK=2\n"
    "E:MEMORY_DEVICE_0_CONFIGURED_SPEED_MTS=2667\nE:MEMORY_DEVICE_0_CONFIGURED_VOLTAGE=1\n"
    "E:MEMORY_DEVICE_0_MODULE_MANUFACTURER_ID=Bank 1, Hex 0x2C\n"
    "E:MEMORY_DEVICE_1_PRESENT=0\nE:MEMORY_DEVICE_1_LOCATOR=DIMM B\n"
    "E:MEMORY_ARRAY_NUM_DEVICES=2\n";

Bytes ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

bool WriteAll(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// The table in the header form, as the loader of saved files hands it over.
bool HeaderForm(const Bytes& file, Bytes* out) {
  tarnlix::fake::FakePlatform fake;
  fake.system.files["seed"] = file;
  tarnlix::RawTablePtr table = tarnlix::ReadDumpFile("seed");
  if (!table || !table->hasHeader) return false;
  out->assign(table->data, table->data + table->length);
  return true;
}

// A dump file: the entry point of a kind, then the table at 'offset'.
Bytes Dump(const char* kind, const Bytes& header, size_t offset) {
  Bytes table(header.begin() + tarnlix::kRawHeaderSize, header.end());
  std::string anchor = kind;
  Bytes file(offset, 0);
  std::copy(anchor.begin(), anchor.end(), file.begin());
  uint32_t length = static_cast<uint32_t>(table.size());
  if (anchor == "_SM3_") {
    file[7] = header[1];
    file[8] = header[2];
    tarnlix::WriteLe32(&file[0x0C], length);
    tarnlix::WriteLe64(&file[0x10], offset);
  } else if (anchor == "_SM_") {
    file[6] = header[1];
    file[7] = header[2];
    tarnlix::WriteLe16(&file[0x16], static_cast<uint16_t>(length));
    tarnlix::WriteLe32(&file[0x18], static_cast<uint32_t>(offset));
  } else {
    tarnlix::WriteLe16(&file[0x06], static_cast<uint16_t>(length));
    tarnlix::WriteLe32(&file[0x08], static_cast<uint32_t>(offset));
    file[0x0E] = static_cast<uint8_t>((header[1] << 4) | (header[2] & 0x0F));
  }
  file.insert(file.end(), table.begin(), table.end());
  return file;
}

// The settings byte, then a BIOS-area image (placed at 0xF0000): the "_SM_"
// or "_SM3_" entry point at 0x10 and the table right after it, at 0xF0040.
Bytes MemoryImage(uint8_t settings, uint8_t path, const Bytes& header, bool smbios3 = false) {
  Bytes table(header.begin() + tarnlix::kRawHeaderSize, header.end());
  Bytes image(0x40, 0);
  uint8_t* ep = &image[0x10];
  if (smbios3) {
    std::copy_n("_SM3_", 5, ep);
    ep[0x06] = 0x18;
    ep[0x07] = header[1];
    ep[0x08] = header[2];
    ep[0x0A] = 1;
    tarnlix::WriteLe32(ep + 0x0C, static_cast<uint32_t>(table.size()));
    tarnlix::WriteLe64(ep + 0x10, 0xF0040);
    uint8_t sum = 0;
    for (int i = 0; i < 0x18; ++i) sum = static_cast<uint8_t>(sum + ep[i]);
    ep[0x05] = static_cast<uint8_t>(0x100 - sum);
    image.insert(image.end(), table.begin(), table.end());
    image.insert(image.begin(), {settings, path});
    return image;
  }
  std::copy_n("_SM_", 4, ep);
  ep[0x05] = 0x1F;
  ep[0x06] = header[1];
  ep[0x07] = header[2];
  std::copy_n("_DMI_", 5, ep + 0x10);
  tarnlix::WriteLe16(ep + 0x16, static_cast<uint16_t>(table.size()));
  tarnlix::WriteLe32(ep + 0x18, 0xF0040);
  // Both checksums, for readers that check them.
  uint8_t sum = 0;
  for (int i = 0x10; i < 0x1F; ++i) sum = static_cast<uint8_t>(sum + ep[i]);
  ep[0x15] = static_cast<uint8_t>(0x100 - sum);
  sum = 0;
  for (int i = 0; i < 0x1F; ++i) sum = static_cast<uint8_t>(sum + ep[i]);
  ep[0x04] = static_cast<uint8_t>(0x100 - sum);
  image.insert(image.end(), table.begin(), table.end());
  image.insert(image.begin(), {settings, path});
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: fuzz_make_seeds <corpus dir> <seed dir>\n");
    return 2;
  }
  fs::path corpus = argv[1];
  fs::path seeds = argv[2];
  fs::create_directories(seeds / "table");
  fs::create_directories(seeds / "dump_file");
  fs::create_directories(seeds / "memory");

  int tables = 0;
  for (const char* part : {"raw", "machines"}) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(corpus / part)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& path : files) {
      Bytes header;
      if (!HeaderForm(ReadAll(path), &header)) continue;
      std::string name = std::string(part) + "-" + path.stem().string();
      Bytes bare(header.begin() + tarnlix::kRawHeaderSize, header.end());
      // Each table takes one of the table target's paths, with its group and
      // switches, in the header form the firmware service answers with, and
      // bare, as a saved file.
      auto choices = [tables](const Bytes& table, uint8_t source) {
        Bytes seed = {static_cast<uint8_t>(tables % 10), static_cast<uint8_t>(tables * 7 % 256),
                      static_cast<uint8_t>((tables * 37 % 64) | source)};
        seed.insert(seed.end(), table.begin(), table.end());
        return seed;
      };
      bool ok = WriteAll(seeds / "table" / (name + ".hdr"), choices(header, 0)) &&
                WriteAll(seeds / "table" / (name + ".bare"), choices(bare, 0x40));
      // A few tables behind every kind of entry point, at offsets the real
      // dumps do not use.
      if (tables % 25 == 0) {
        ok = ok && WriteAll(seeds / "dump_file" / (name + ".sm3"),
                            Dump("_SM3_", header, 0x18)) &&
             WriteAll(seeds / "dump_file" / (name + ".sm2"),
                      Dump("_SM_", header, 0x41)) &&
             WriteAll(seeds / "dump_file" / (name + ".dmi"),
                      Dump("_DMI_", header, 0x10)) &&
             WriteAll(seeds / "memory" / (name + ".scan"), MemoryImage(0x00, 0x00, header)) &&
             WriteAll(seeds / "memory" / (name + ".direct"), MemoryImage(0x03, 0x23, header)) &&
             WriteAll(seeds / "memory" / (name + ".sm3"), MemoryImage(0x21, 0x01, header, true)) &&
             WriteAll(seeds / "memory" / (name + ".published"), MemoryImage(0x20, 0x46, header));
      }
      if (!ok) {
        std::fprintf(stderr, "fuzz_make_seeds: cannot write seeds in %s\n",
                     seeds.c_str());
        return 1;
      }
      ++tables;
    }
  }
  for (uint8_t choice : {0x00, 0x05, 0x20, 0x61}) {
    Bytes seed = {10, static_cast<uint8_t>(choice * 3), choice};
    seed.insert(seed.end(), kMemoryProperties, kMemoryProperties + sizeof kMemoryProperties - 1);
    if (!WriteAll(seeds / "table" / ("udev-" + std::to_string(choice)), seed)) return 1;
  }
  if (tables == 0) {
    std::fprintf(stderr, "fuzz_make_seeds: no tables found in %s\n", corpus.c_str());
    return 1;
  }
  std::printf("fuzz_make_seeds: %d tables\n", tables);
  return 0;
}
