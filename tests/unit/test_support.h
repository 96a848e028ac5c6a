// Shared helpers for unit tests.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fake/fake_platform.h"
#include "smbios/reader.h"
#include "table_builder.h"

namespace tarnlix::test {

// The line a run ends with when no source gives a table.
inline const std::string kLoadFailure =
    " \xFE Error: Failed to retrieve BIOS information\n";

inline std::vector<uint8_t> ReadTestFile(const std::string& relative) {
  std::ifstream in(std::string(TARNLIX_TEST_DATA) + "/" + relative,
                   std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline std::string Text(const char* value) {
  return value == nullptr ? "<null>" : value;
}

// A reader loaded from the fake firmware-table service holding bytes.
class LoadedReader {
 public:
  explicit LoadedReader(const std::vector<uint8_t>& firmwareTable) {
    fake.firmware.table = firmwareTable;
    loaded = reader.Load();
  }
  fake::FakePlatform fake;
  SmbiosReader reader;
  bool loaded = false;
};

}  // namespace tarnlix::test
