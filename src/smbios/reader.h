// SmbiosReader: the table of one run, walked into a store of records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "acquire/raw_table.h"
#include "smbios/fields.h"

namespace tarnlix {

constexpr uint8_t kFirstUnstoredType = 32;

// One walked structure: where its bytes are, decoded only when a field is
// asked for. Structures of type 32 or above, or shorter than five bytes,
// are walked but not stored: they fill no report places, and their type
// reads 0.
struct SmbiosRecord {
  uint8_t type = 0;
  uint8_t structureType = 0;  // the type byte, stored or not
  bool stored = false;
  uint8_t length = 0;  // of the formatted area
  uint16_t handle = 0;
  uint32_t offset = 0;         // of the structure in the reader's bytes
  uint32_t stringsLength = 0;  // of the string-set, without its final NUL
};

struct SmbiosVersion {
  int32_t major;
  int32_t minor;
};

// The heading of a group's report.
const char* GroupHeading(int groupType);

class SmbiosReader {
 public:
  SmbiosReader() = default;
  ~SmbiosReader() { Release(); }
  SmbiosReader(const SmbiosReader&) = delete;
  SmbiosReader& operator=(const SmbiosReader&) = delete;

  void SetDirectRead() { directRead = 1; }
  // Reads the table only from this file. An empty path is still a file that
  // cannot be read, never a request for the machine's own table. Why the
  // file is refused goes to refusal, where given, instead of the output.
  void SetSourceFile(const std::string& path, std::string* refusal = nullptr) {
    sourceFile = path;
    fromSourceFile = true;
    sourceRefusal = refusal;
  }
  // Keeps the raw table after the walk whatever its source, for callers that
  // save it.
  void KeepRawTable() { keepRawTable = true; }

  bool Load();
  void Release();

  size_t recordCount() const { return records.size(); }
  // How many structures of a type (or of the types kOtherTypes stands for)
  // the table holds, whatever their length.
  size_t InstanceCount(uint16_t type) const;
  // The record of the index-th structure of a type (from 0), or null.
  const SmbiosRecord* Instance(uint16_t type, size_t index) const;
  // What is wrong with the table, where anything is: a structure that runs
  // past its end, a string-set that does not end, a length byte below 4, a
  // table that ends, without its end-of-table structure, before the length
  // or the number of structures its entry point announces, or one that
  // breaks what its entry point promises: a 32-bit entry point's number of
  // structures and length exactly, a 64-bit one's length as a maximum.
  // Empty for a table whose walk reached its end-of-table structure or its
  // last byte and that keeps those promises. A place in a table read from a
  // file counts from the start of the file.
  std::string Damage() const;

  // The version the structures are decoded as: the table's own, or 3.0 for
  // a table that gives none, so that every rule that differs between
  // versions reads it as the recent table it most likely is.
  SmbiosVersion DecodedVersion() const;
  // The structure of a record, as the decoders see it.
  StructureView View(const SmbiosRecord& record) const;

  // A field of the index-th structure of its type (from 0), or of the
  // whole table for a Table row, through DecodeField. Leaves value absent
  // when nothing was loaded, there is no such structure, or it has no such
  // value.
  void Decode(const FieldRow& field, size_t index, bool iso, FieldValue& value) const;
  void Decode(const FieldRow& field, const SmbiosRecord& record, bool iso,
              FieldValue& value) const;
  // The same as one text, a list's items separated by ", "; null when
  // absent. Texts stay valid until Release.
  const char* Value(const FieldRow& field, size_t index = 0, bool iso = false) const;
  // The text of report place `slot` (from 0) of a stored record; null when
  // empty. Valid until Release.
  const char* SlotText(const SmbiosRecord& record, int slot) const;
  bool HasStrings(const SmbiosRecord& record) const;
  // The text of report place `place` (from 1) of a record, into value.
  void PlaceText(const SmbiosRecord& record, const StructureView& view, int place,
                 FieldValue& value) const;

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

  // The word the outputs name the loaded table's source with: "firmware",
  // "registry", "memory", "scan", "file" or "published"; empty before a load.
  const char* SourceName() const;
  // Whether the table holds only what the system shows any user: the
  // whole table needs root.
  bool Partial() const { return loaded != 0 && tableSource == RawTableSource::Published; }

  // Reports. A group's type is a structure type or kOtherTypes.
  void PrintAll() const;
  void PrintGroup(int groupType) const;
  // The report of a group of values of the whole table.
  void PrintTableGroup(const TableGroup& group) const;

  uint16_t loaded = 0;
  uint16_t directRead = 0;
  RawTablePtr rawTable;
  RawTableSource tableSource = RawTableSource::Firmware;  // of the table loaded
  std::vector<SmbiosRecord> records;
  int32_t versionMajor = 0;
  int32_t versionMinor = 0;

 private:
  void WalkStructures(const uint8_t* data, size_t start, size_t length);
  // Appends a record's report lines and the empty line that ends them;
  // appends nothing and returns false when it has nothing to show.
  bool AppendRecordBody(const SmbiosRecord& record, TextBuffer& block, FieldValue& value) const;
  void IndexInstances();
  const char* Keep(std::string_view text) const;
  // The first structure's value of the field with this selector text.
  const char* FirstValue(const char* selector) const;

  std::string sourceFile;
  bool fromSourceFile = false;
  std::string* sourceRefusal = nullptr;
  bool keepRawTable = false;
  // The table's bytes, which every record points into: the raw table's own,
  // or a copy when the raw table is released after the walk.
  const uint8_t* tableBytes = nullptr;
  std::vector<uint8_t> tableCopy;
  // The record indices of the structures of each type, in table order:
  // those of type t are instanceOrder[instanceStart[t]] and on, up to
  // instanceStart[t + 1].
  std::vector<uint32_t> instanceOrder;
  uint32_t instanceStart[257] = {};
  // The record indices of the structures of every type the standard does
  // not define, in table order.
  std::vector<uint32_t> otherOrder;
  TableValues tableValues;
  // How the walk went: where the structures start and where it stopped,
  // whether it walked an end-of-table structure, and how many structures
  // there were up to that one; what the entry point announced.
  size_t walkStart = 0;
  size_t walkStop = 0;
  size_t walkLength = 0;
  bool walkedEnd = false;
  size_t structuresToEnd = 0;
  size_t endStop = 0;  // where the end-of-table structure ends, once walked
  uint32_t announcedLength = 0;
  uint16_t announcedCount = 0;
  bool announcedMaximum = false;
  uint64_t fileOffset = 0;  // of the structures, in the file they came from
  // The texts handed out by Value and SlotText.
  mutable std::deque<std::string> answers;
};

}  // namespace tarnlix
