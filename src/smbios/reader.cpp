#include "smbios/reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "acquire/entry_point.h"
#include "acquire/structure_step.h"
#include "smbios/identity_table.h"

namespace tarnlix {

namespace {

// The table of what the system shows any user. A udev file larger than any
// real machine's is left out whole rather than read in part.
RawTablePtr BuildTableFromPublished(const std::vector<IdentityText>& identity,
                                    const UdevMemoryData& udev) {
  std::string_view memory;
  if (udev.readable && !udev.truncated) memory = udev.bytes;
  return BuildPublishedTable(identity, memory);
}

}  // namespace

bool SmbiosReader::Load() {
  records.clear();
  rawTable.reset();
  tableBytes = nullptr;
  tableCopy.clear();
  instanceOrder.clear();
  otherOrder.clear();
  for (uint32_t& start : instanceStart) start = 0;
  tableValues = {};
  versionMajor = versionMinor = 0;
  walkStart = walkStop = walkLength = structuresToEnd = endStop = 0;
  walkedEnd = false;

  AcquireOptions options;
  options.directRead = &directRead;
  options.fromPath = fromSourceFile ? &sourceFile : nullptr;
  options.refusal = sourceRefusal;
  options.tableFromPublished = BuildTableFromPublished;
  rawTable = AcquireRawTable(options);
  if (!rawTable) return false;
  tableSource = rawTable->source;
  announcedLength = rawTable->announcedLength;
  announcedCount = rawTable->announcedCount;
  announcedMaximum = rawTable->announcedMaximum;
  fileOffset = rawTable->fileOffset;

  size_t start = 0;
  if (rawTable->hasHeader) {
    // A header cut short holds no structures; its version bytes still count
    // where they exist.
    const uint8_t* bytes = rawTable->data;
    if (rawTable->length > 1) versionMajor = static_cast<int8_t>(bytes[1]);
    if (rawTable->length > 2) versionMinor = static_cast<int8_t>(bytes[2]);
    CorrectMisreportedVersion(&versionMajor, &versionMinor);
    start = kRawHeaderSize;
  }

  // The firmware copy is not kept after the walk; the other sources keep
  // theirs until Release. The records point into the bytes either way.
  bool releaseRaw = rawTable->source == RawTableSource::Firmware && !keepRawTable;
  if (releaseRaw) {
    tableCopy.assign(rawTable->data, rawTable->data + rawTable->length);
    tableBytes = tableCopy.data();
  } else {
    tableBytes = rawTable->data;
  }
  walkStart = walkStop = std::min<size_t>(start, rawTable->length);
  walkLength = rawTable->length;
  if (start < rawTable->length) WalkStructures(tableBytes, start, rawTable->length);
  IndexInstances();
  loaded = 1;
  if (releaseRaw) rawTable.reset();
  return true;
}

const char* SmbiosReader::SourceName() const {
  if (loaded == 0) return "";
  switch (tableSource) {
    case RawTableSource::Firmware: return "firmware";
    case RawTableSource::Registry: return "registry";
    case RawTableSource::Direct: return "memory";
    case RawTableSource::Scan: return "scan";
    case RawTableSource::File: return "file";
    case RawTableSource::Published: return "published";
  }
  return "";
}

void SmbiosReader::Release() {
  rawTable.reset();
  records.clear();
  records.shrink_to_fit();
  tableBytes = nullptr;
  tableCopy = {};
  instanceOrder = {};
  otherOrder = {};
  for (uint32_t& start : instanceStart) start = 0;
  tableValues = {};
  answers.clear();
}

void SmbiosReader::WalkStructures(const uint8_t* data, size_t start, size_t length) {
  records.reserve(std::min<size_t>((length - start) / 16 + 1, 1u << 16));
  // The walk stops at the first structure that cannot be stepped over.
  size_t position = start;
  while (size_t next = StructureEnd(data, length, position)) {
    const uint8_t* structure = data + position;
    SmbiosRecord& record = records.emplace_back();
    record.structureType = structure[0];
    record.length = structure[1];
    record.handle = static_cast<uint16_t>(structure[2] | (structure[3] << 8));
    record.offset = static_cast<uint32_t>(position);
    // The string-set without its final double NUL.
    record.stringsLength = static_cast<uint32_t>(next - 2 - (position + record.length));
    if (record.length >= 5 && record.structureType < kFirstUnstoredType) {
      record.type = record.structureType;
      record.stored = true;
    }
    AddToTableValues(record.structureType, View(record), tableValues);
    if (!walkedEnd) {
      ++structuresToEnd;
      walkedEnd = record.structureType == 127;
      if (walkedEnd) endStop = next;
    }
    position = next;
  }
  walkStop = position;
}

std::string SmbiosReader::Damage() const {
  if (loaded == 0) return "";
  char text[160];
  size_t offset = static_cast<size_t>(fileOffset) + (walkStop - walkStart);
  if (!walkedEnd && walkStop < walkLength) {
    const uint8_t* structure = tableBytes + walkStop;
    const char* what = nullptr;
    switch (StructureFault(tableBytes, walkLength, walkStop)) {
      case StepFault::HeaderCut: what = "is cut short inside its header"; break;
      case StepFault::LengthBelowFour: what = "has a length byte below 4"; break;
      case StepFault::FormattedCut: what = "runs past the end of the table"; break;
      case StepFault::StringsUnended: what = "has strings that do not end before the end of the table"; break;
      case StepFault::None:
      case StepFault::NothingLeft: break;
    }
    if (what != nullptr) {
      if (walkLength - walkStop >= 2) {
        std::snprintf(text, sizeof text, "the structure at byte %zu (type %u, length %u) %s", offset,
                      structure[0], structure[1], what);
      } else {
        std::snprintf(text, sizeof text, "the structure at byte %zu %s", offset, what);
      }
      return text;
    }
  }
  // The walk stopped short of what the entry point announces: its bytes, or
  // its number of structures.
  if (!walkedEnd) {
    const struct {
      size_t walked;
      unsigned announced;
      const char* unit;
    } shortfalls[] = {{walkLength - walkStart, announcedLength, "bytes"},
                      {structuresToEnd, announcedCount, "structures"}};
    for (const auto& shortfall : shortfalls) {
      if (shortfall.announced <= shortfall.walked) continue;
      std::snprintf(text, sizeof text,
                    "the table ends after %zu %s without an end-of-table structure; its entry "
                    "point announces %u",
                    shortfall.walked, shortfall.unit, shortfall.announced);
      return text;
    }
  }
  // What the entry point promises: a 32-bit one the number of structures up
  // to the end-of-table structure and the bytes they occupy, a 64-bit one
  // no more bytes than its length.
  size_t occupied = (walkedEnd ? endStop : walkStop) - walkStart;
  if (announcedLength == 0) return "";
  if (!announcedMaximum && announcedCount != 0 && structuresToEnd != announcedCount) {
    std::snprintf(text, sizeof text,
                  "the table holds %zu structures up to its end; its entry point announces %u",
                  structuresToEnd, static_cast<unsigned>(announcedCount));
    return text;
  }
  if (announcedMaximum ? occupied > announcedLength : occupied != announcedLength) {
    std::snprintf(text, sizeof text,
                  "the table's structures occupy %zu bytes; its entry point announces %s%u",
                  occupied, announcedMaximum ? "at most " : "", announcedLength);
    return text;
  }
  return "";
}

SmbiosVersion SmbiosReader::DecodedVersion() const {
  if (versionMajor <= 0) return {3, 0};
  return {versionMajor, versionMinor};
}

StructureView SmbiosReader::View(const SmbiosRecord& record) const {
  const uint8_t* structure = tableBytes + record.offset;
  SmbiosVersion version = DecodedVersion();
  return {.bytes = structure,
          .length = record.length,
          .strings = structure + record.length,
          .stringsLength = record.stringsLength,
          .versionMajor = version.major,
          .versionMinor = version.minor,
          .table = &tableValues};
}

void SmbiosReader::PlaceText(const SmbiosRecord& record, const StructureView& view, int place,
                             FieldValue& value) const {
  value.Clear();
  if (!record.stored) return;
  if (const FieldRow* row = PlaceRow(record.type, place)) {
    DecodeField(*row, view, false, value);
  } else {
    value.SetLasting(view.String(static_cast<uint8_t>(place)));
  }
}

const char* SmbiosReader::Keep(std::string_view text) const {
  return answers.emplace_back(text).c_str();
}

const char* SmbiosReader::SlotText(const SmbiosRecord& record, int slot) const {
  FieldValue value;
  PlaceText(record, View(record), slot + 1, value);
  return value.present() ? Keep(value.text()) : nullptr;
}

bool SmbiosReader::HasStrings(const SmbiosRecord& record) const {
  FieldValue value;
  StructureView view = View(record);
  for (int place = 1; place <= kPlaceCount; ++place) {
    PlaceText(record, view, place, value);
    if (value.present()) return true;
  }
  return false;
}

// Every structure of a type counts as one of its instances, even one too
// short to hold a value, so that the instances of two fields line up.
void SmbiosReader::IndexInstances() {
  uint32_t counts[256] = {};
  for (const SmbiosRecord& record : records) ++counts[record.structureType];
  uint32_t next[256];
  uint32_t total = 0;
  for (int type = 0; type < 256; ++type) {
    instanceStart[type] = next[type] = total;
    total += counts[type];
  }
  instanceStart[256] = total;
  instanceOrder.resize(total);
  const StructureGroup* other = GroupOfType(kOtherTypes);
  for (size_t i = 0; i < records.size(); ++i) {
    uint8_t type = records[i].structureType;
    instanceOrder[next[type]++] = static_cast<uint32_t>(i);
    if (GroupOf(type) == other) otherOrder.push_back(static_cast<uint32_t>(i));
  }
}

size_t SmbiosReader::InstanceCount(uint16_t type) const {
  if (loaded == 0 || type > kOtherTypes) return 0;
  if (type == kOtherTypes) return otherOrder.size();
  return instanceStart[type + 1] - instanceStart[type];
}

const SmbiosRecord* SmbiosReader::Instance(uint16_t type, size_t index) const {
  if (index >= InstanceCount(type)) return nullptr;
  if (type == kOtherTypes) return &records[otherOrder[index]];
  return &records[instanceOrder[instanceStart[type] + index]];
}

void SmbiosReader::Decode(const FieldRow& field, const SmbiosRecord& record, bool iso,
                          FieldValue& value) const {
  DecodeField(field, View(record), iso, value);
}

void SmbiosReader::Decode(const FieldRow& field, size_t index, bool iso,
                          FieldValue& value) const {
  value.Clear();
  if (loaded == 0) return;
  if (!field.OfStructure()) {
    StructureView none;
    none.table = &tableValues;
    DecodeField(field, none, iso, value);
  } else if (const SmbiosRecord* record = Instance(field.type, index)) {
    Decode(field, *record, iso, value);
  }
}

const char* SmbiosReader::Value(const FieldRow& field, size_t index, bool iso) const {
  FieldValue value;
  Decode(field, index, iso, value);
  std::string text = value.Joined();
  return text.empty() ? nullptr : Keep(text);
}

}  // namespace tarnlix
