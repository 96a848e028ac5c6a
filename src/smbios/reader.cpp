#include "smbios/reader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "smbios/iso_date.h"
#include "smbios/slot_maps.h"
#include "smbios/structure_step.h"

namespace tarnlix {

bool SmbiosRecord::HasStrings() const {
  for (const char* text : strings) {
    if (text != nullptr) return true;
  }
  return false;
}

bool SmbiosRecord::HasText() const {
  for (const char* value : values) {
    if (value != nullptr) return true;
  }
  return HasStrings();
}

bool SmbiosReader::Load() {
  records.clear();
  rawTable.reset();
  instanceOrder.clear();
  for (uint32_t& start : instanceStart) start = 0;
  memoryTotal = nullptr;

  AcquireOptions options;
  options.directRead = &directRead;
  options.fromPath = fromSourceFile ? &sourceFile : nullptr;
  rawTable = AcquireRawTable(options);
  if (!rawTable) return false;

  size_t start = 0;
  if (rawTable->hasHeader) {
    // A header cut short holds no structures; its version bytes still count
    // where they exist.
    const uint8_t* bytes = rawTable->data;
    if (rawTable->length > 1) versionMajor = static_cast<int8_t>(bytes[1]);
    if (rawTable->length > 2) versionMinor = static_cast<int8_t>(bytes[2]);
    start = kRawHeaderSize;
  }
  if (start < rawTable->length) {
    WalkStructures(rawTable->data, start, rawTable->length);
  }
  loaded = 1;

  // The firmware copy is not needed after the walk; the other sources keep
  // theirs until Release.
  if (rawTable->source == RawTableSource::Firmware && !keepRawTable) {
    rawTable.reset();
  }
  return true;
}

void SmbiosReader::Release() {
  rawTable.reset();
  records.clear();
  records.shrink_to_fit();
  instanceOrder = {};
  for (uint32_t& start : instanceStart) start = 0;
  memoryTotal = nullptr;
  std::free(stringPool);
  stringPool = nullptr;
  poolUsed = poolSize = 0;
}

void SmbiosReader::WalkStructures(const uint8_t* data, size_t start,
                                  size_t length) {
  // Strings copied out of the table fit in the table's own size, and the
  // values of a structure in twice its formatted area; the memory total fits
  // in what is left over.
  poolSize = 2 * (length - start) + 64;
  stringPool = static_cast<char*>(std::malloc(poolSize));
  if (stringPool == nullptr) poolSize = 0;
  poolUsed = 0;
  records.reserve(std::min<size_t>((length - start) / 16 + 1, 1u << 16));

  // The walk stops at the first structure that cannot be stepped over.
  uint64_t totalMb = 0;
  size_t position = start;
  while (size_t next = StructureEnd(data, length, position)) {
    const uint8_t* structure = data + position;
    uint8_t type = structure[0];
    uint8_t formattedLength = structure[1];
    records.emplace_back();
    SmbiosRecord& record = records.back();
    record.structureType = type;
    if (formattedLength >= 5 && type < kFirstUnstoredType) {
      size_t stringStart = position + formattedLength;
      // The string-set without its final double NUL.
      size_t stringSetLength = next - 2 - stringStart;
      FillRecord(record, structure, formattedLength, data + stringStart,
                 stringSetLength);
      if (type == 17) {
        totalMb += MemorySizeMb({structure, formattedLength, data + stringStart,
                                 stringSetLength, versionMajor, versionMinor});
      }
    }
    position = next;
  }
  IndexInstances();
  if (totalMb != 0) {
    char text[kValueTextSize];
    int size = std::snprintf(text, sizeof text, "%llu",
                             static_cast<unsigned long long>(totalMb));
    memoryTotal = CopyString(text, static_cast<size_t>(size));
  }
}

void SmbiosReader::FillRecord(SmbiosRecord& record, const uint8_t* structure,
                              size_t formattedLength, const uint8_t* stringSet,
                              size_t stringSetLength) {
  record.type = structure[0];
  record.stored = true;

  // Locate the first kMaxStrings strings; later ones are passed over.
  const char* starts[kMaxStrings];
  size_t lengths[kMaxStrings];
  int count = 0;
  size_t offset = 0;
  while (offset < stringSetLength && count < kMaxStrings) {
    const char* text = reinterpret_cast<const char*>(stringSet + offset);
    size_t size = std::strlen(text);  // ends at the set's final NUL at most
    starts[count] = text;
    lengths[count] = size;
    ++count;
    offset += size + 1;
  }

  const char* copies[kMaxStrings] = {};
  bool copied[kMaxStrings] = {};
  const SlotRule* rules = SlotRulesFor(record.type);
  for (int slot = 0; slot < kSlotsPerRecord; ++slot) {
    const SlotRule& rule = rules[slot];
    if (rule.source == SlotSource::ChassisTypeName) {
      record.strings[slot] =
          formattedLength > 5 ? ChassisTypeName(structure[5]) : nullptr;
      continue;
    }
    uint8_t number = SlotStringNumber(rule, structure, formattedLength);
    if (number < 1 || number > kMaxStrings || number > count) continue;
    int index = number - 1;
    if (!copied[index]) {
      copied[index] = true;
      // Trailing spaces are padding; a string of only spaces is absent.
      size_t size = lengths[index];
      while (size > 0 && starts[index][size - 1] == ' ') --size;
      copies[index] = size > 0 ? CopyString(starts[index], size) : nullptr;
    }
    record.strings[slot] = copies[index];
  }

  int valueCount = 0;
  const FieldRow* const* valueRows = ValueRowsOf(record.type, &valueCount);
  StructureView view{structure, formattedLength, stringSet, stringSetLength,
                     versionMajor, versionMinor};
  for (int i = 0; i < valueCount; ++i) {
    char text[kValueTextSize];
    const char* value = DecodeField(*valueRows[i], view, text);
    record.values[i] = value == text ? CopyString(text, std::strlen(text)) : value;
  }
}

const char* SmbiosReader::CopyString(const char* text, size_t length) {
  if (poolSize - poolUsed < length + 1) return nullptr;
  char* copy = stringPool + poolUsed;
  std::memcpy(copy, text, length);
  copy[length] = '\0';
  poolUsed += length + 1;
  return copy;
}

// Every structure of a type counts as one of its instances, even one too
// short to hold a value, so that the instances of two fields line up.
void SmbiosReader::IndexInstances() {
  uint32_t counts[kFirstUnstoredType] = {};
  for (const SmbiosRecord& record : records) {
    if (record.structureType < kFirstUnstoredType) ++counts[record.structureType];
  }
  uint32_t next[kFirstUnstoredType];
  uint32_t total = 0;
  for (int type = 0; type < kFirstUnstoredType; ++type) {
    instanceStart[type] = next[type] = total;
    total += counts[type];
  }
  instanceStart[kFirstUnstoredType] = total;
  instanceOrder.resize(total);
  for (size_t i = 0; i < records.size(); ++i) {
    uint8_t type = records[i].structureType;
    if (type < kFirstUnstoredType) instanceOrder[next[type]++] = static_cast<uint32_t>(i);
  }
}

size_t SmbiosReader::InstanceCount(uint8_t type) const {
  if (loaded == 0 || type >= kFirstUnstoredType) return 0;
  return instanceStart[type + 1] - instanceStart[type];
}

const SmbiosRecord* SmbiosReader::Instance(uint8_t type, size_t index) const {
  if (index >= InstanceCount(type)) return nullptr;
  return &records[instanceOrder[instanceStart[type] + index]];
}

const char* SmbiosReader::Value(const FieldRow& field, size_t index, bool iso) const {
  if (field.decode == FieldDecode::MemoryTotal) return loaded != 0 ? memoryTotal : nullptr;
  const SmbiosRecord* record = Instance(field.type, index);
  if (record == nullptr) return nullptr;
  int valueIndex = ValueIndex(field);
  const char* value = field.decode == FieldDecode::String ? record->strings[field.at]
                      : valueIndex >= 0                   ? record->values[valueIndex]
                                                          : nullptr;
  return iso && field.isoForm ? FormatIsoDate(value) : value;
}

}  // namespace tarnlix
