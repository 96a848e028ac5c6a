// Shared helpers for unit tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>
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

// A private directory for the files of one test, removed with everything in
// it when the test ends.
class TempDir {
 public:
  TempDir() {
    // Made by an exclusive create, as mkdtemp does, on every system.
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      std::filesystem::path candidate =
          base / ("tarnlix-test-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate, error)) {
        path_ = candidate.string();
      }
    }
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string Path(const std::string& name) const { return path_ + "/" + name; }
  // Writes the file (replacing it) and returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name);
  }

 private:
  std::string path_;
};

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
