#include "smbios/reader.h"

#include <cstdlib>
#include <cstring>

#include "smbios/slot_maps.h"
#include "smbios/structure_step.h"

namespace tarnlix {

bool SmbiosRecord::HasStrings() const {
  for (const char* text : strings) {
    if (text != nullptr) return true;
  }
  return false;
}

bool SmbiosReader::Load() {
  records.clear();
  rawTable.reset();
  for (size_t& index : firstOfType) index = kNoRecord;

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
  std::free(stringPool);
  stringPool = nullptr;
  poolUsed = poolSize = 0;
}

void SmbiosReader::WalkStructures(const uint8_t* data, size_t start,
                                  size_t length) {
  // Strings copied out of the table fit in the table's own size; a UUID text
  // (37 bytes) needs less than twice the smallest structure that holds one.
  poolSize = 2 * (length - start) + 64;
  stringPool = static_cast<char*>(std::malloc(poolSize));
  if (stringPool == nullptr) poolSize = 0;
  poolUsed = 0;
  records.reserve(std::min<size_t>((length - start) / 16 + 1, 1u << 16));

  // The walk stops at the first structure that cannot be stepped over.
  size_t position = start;
  while (size_t next = StructureEnd(data, length, position)) {
    const uint8_t* structure = data + position;
    uint8_t type = structure[0];
    uint8_t formattedLength = structure[1];
    records.emplace_back();
    SmbiosRecord& record = records.back();
    if (formattedLength >= 5 && type < kFirstUnstoredType) {
      size_t stringStart = position + formattedLength;
      // The string-set without its final double NUL.
      size_t stringSetLength = next - 2 - stringStart;
      FillRecord(record, structure, formattedLength, data + stringStart,
                 stringSetLength);
      if (firstOfType[type] == kNoRecord) firstOfType[type] = records.size() - 1;
    }
    position = next;
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

  if (record.type == 1 && formattedLength >= 0x18) {
    record.uuid = FormatUuid(structure + 0x08);
  }
}

const char* SmbiosReader::FormatUuid(const uint8_t* bytes) {
  bool allZero = true;
  bool allOnes = true;
  for (int i = 0; i < 16; ++i) {
    allZero = allZero && bytes[i] == 0x00;
    allOnes = allOnes && bytes[i] == 0xFF;
  }
  // All zeros: no UUID; all ones: present but not set.
  if (allZero || allOnes) return nullptr;

  // Since SMBIOS 2.6 the first three fields are stored little-endian; a
  // table that carries no version is taken to be that recent.
  bool littleEndian = versionMajor <= 0 || versionMajor > 2 ||
                      (versionMajor == 2 && versionMinor >= 6);
  static const int kLittleEndianOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6,
                                             8, 9, 10, 11, 12, 13, 14, 15};
  static const char kHex[] = "0123456789ABCDEF";
  char text[36];
  char* out = text;
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) *out++ = '-';
    uint8_t value = bytes[littleEndian ? kLittleEndianOrder[i] : i];
    *out++ = kHex[value >> 4];
    *out++ = kHex[value & 0x0F];
  }
  return CopyString(text, sizeof text);
}

const char* SmbiosReader::CopyString(const char* text, size_t length) {
  if (poolSize - poolUsed < length + 1) return nullptr;
  char* copy = stringPool + poolUsed;
  std::memcpy(copy, text, length);
  copy[length] = '\0';
  poolUsed += length + 1;
  return copy;
}

const SmbiosRecord* SmbiosReader::FirstOfType(uint8_t type) const {
  if (loaded == 0 || type >= kFirstUnstoredType) return nullptr;
  size_t index = firstOfType[type];
  return index < records.size() ? &records[index] : nullptr;
}

const char* SmbiosReader::FieldOfType(uint8_t type, int slot) const {
  const SmbiosRecord* record = FirstOfType(type);
  return record != nullptr ? record->strings[slot] : nullptr;
}

}  // namespace tarnlix
