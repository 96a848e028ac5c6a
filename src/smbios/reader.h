// SmbiosReader: the table of one run, walked into a store of records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "acquire/raw_table.h"
#include "smbios/fields.h"

namespace tarnlix {

constexpr int kSlotsPerRecord = 7;
constexpr int kMaxStrings = 20;  // string numbers above this are not followed
constexpr uint8_t kFirstUnstoredType = 32;

// One walked structure. Structures of type 32 or above, or shorter than five
// bytes, are walked but not stored: their record stays empty.
struct SmbiosRecord {
  uint8_t type = 0;
  uint8_t structureType = 0;  // the type byte, stored or not
  bool stored = false;
  // Owned by the reader; null when absent, otherwise non-empty and not ending
  // in a space.
  const char* strings[kSlotsPerRecord] = {};
  // The decoded values of its type's value rows (UUID, numbers, names), in
  // row order; null where absent. Texts are the reader's or constant names.
  const char* values[kMaxValues] = {};

  bool HasStrings() const;
  // Holds something a report prints: a string or a value.
  bool HasText() const;
};

class SmbiosReader {
 public:
  SmbiosReader() = default;
  ~SmbiosReader() { Release(); }
  SmbiosReader(const SmbiosReader&) = delete;
  SmbiosReader& operator=(const SmbiosReader&) = delete;

  void SetDirectRead() { directRead = 1; }
  // Reads the table only from this file. An empty path is still a file that
  // cannot be read, never a request for the machine's own table.
  void SetSourceFile(const std::string& path) {
    sourceFile = path;
    fromSourceFile = true;
  }
  // Keeps the raw table after the walk whatever its source, for callers that
  // save it.
  void KeepRawTable() { keepRawTable = true; }

  bool Load();
  void Release();

  size_t recordCount() const { return records.size(); }
  // How many structures of a type the table holds, whatever their length.
  size_t InstanceCount(uint8_t type) const;
  // The record of the index-th structure of a type (from 0), or null.
  const SmbiosRecord* Instance(uint8_t type, size_t index) const;
  // A field of the index-th structure of its type (from 0), the date form
  // "/ISO" asks for when iso is set; null when nothing was loaded, there is
  // no such structure, or it has no such value. The memory total ignores
  // the index.
  const char* Value(const FieldRow& field, size_t index = 0, bool iso = false) const;

  // Field accessors.
  const char* GetFirmwareVendor() const;
  const char* GetFirmwareVersion() const;
  const char* GetFirmwareDate() const;
  const char* GetFirmwareDateIso() const;
  const char* GetSystemManufacturer() const;
  const char* GetSystemProductName() const;
  const char* GetSystemVersion() const;
  const char* GetSystemSerial() const;
  const char* GetSystemSku() const;
  const char* GetSystemFamily() const;
  const char* GetSystemUuid() const;
  const char* GetBoardManufacturer() const;
  const char* GetBoardProductName() const;
  const char* GetBoardVersion() const;
  const char* GetBoardSerial() const;
  const char* GetBoardAssetTag() const;
  const char* GetBoardLocation() const;
  const char* GetEnclosureManufacturer() const;
  const char* GetEnclosureType() const;
  const char* GetEnclosureVersion() const;
  const char* GetEnclosureSerial() const;
  const char* GetProcessorSocket() const;
  const char* GetProcessorManufacturer() const;
  const char* GetProcessorVersion() const;
  const char* GetProcessorSerial() const;
  const char* GetProcessorAssetTag() const;
  const char* GetProcessorPartNumber() const;
  const char* GetProcessorExtra() const;
  const char* GetCacheSocket() const;
  const char* GetPortInternalRef() const;
  const char* GetPortExternalRef() const;
  const char* GetPortExtra() const;
  const char* GetSlotDesignation() const;
  const char* GetDeviceDescription() const;
  const char* GetOemString1() const;
  const char* GetOemString2() const;
  const char* GetOemString3() const;
  const char* GetOemString4() const;
  const char* GetOemString5() const;
  const char* GetOemString6() const;
  const char* GetOemString7() const;
  const char* GetMemoryDeviceLocator() const;
  const char* GetMemoryBankLocator() const;
  const char* GetMemoryManufacturer() const;
  const char* GetMemorySerial() const;
  const char* GetMemoryAssetTag() const;
  const char* GetMemoryPartNumber() const;
  const char* GetBatteryLocation() const;
  const char* GetBatteryManufacturer() const;
  const char* GetBatteryDate() const;
  const char* GetBatterySerial() const;
  const char* GetBatteryDeviceName() const;
  const char* GetBatterySbdsVersion() const;
  const char* GetBatterySbdsChemistry() const;

  // Reports.
  void PrintAll() const;
  void PrintGroup(int type) const;

  uint16_t loaded = 0;
  uint16_t directRead = 0;
  RawTablePtr rawTable;
  std::vector<SmbiosRecord> records;
  int32_t versionMajor = 0;
  int32_t versionMinor = 0;

 private:
  void WalkStructures(const uint8_t* data, size_t start, size_t length);
  void FillRecord(SmbiosRecord& record, const uint8_t* structure,
                  size_t formattedLength, const uint8_t* stringSet,
                  size_t stringSetLength);
  void IndexInstances();
  const char* CopyString(const char* text, size_t length);
  // The first structure's value of the field with this selector text.
  const char* FirstValue(const char* selector) const;

  std::string sourceFile;
  bool fromSourceFile = false;
  bool keepRawTable = false;
  // Every text of the store lives in this one block, owned by the reader:
  // a trimmed string is never longer than its bytes in the table, and the
  // values of a structure never longer than twice its formatted area.
  char* stringPool = nullptr;
  size_t poolUsed = 0;
  size_t poolSize = 0;
  // The record indices of the structures of each type, in table order:
  // those of type t are instanceOrder[instanceStart[t]] and on, up to
  // instanceStart[t + 1].
  std::vector<uint32_t> instanceOrder;
  uint32_t instanceStart[kFirstUnstoredType + 1] = {};
  const char* memoryTotal = nullptr;
};

}  // namespace tarnlix
