// The MACHINE group: which machine a table is of, worked out from the first
// BIOS, system, baseboard and chassis structures. The raw fields (/PCSERIAL
// ...) still give what the firmware holds; these skip its placeholders.
#include "smbios/machine_identity.h"

#include <cstdint>
#include <string>

#include "platform/ascii.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// The values of the group, each row's `at`.
enum MachineValue : uint8_t { kMaker, kModel, kSerial, kUuid, kVirtual };

// Where each text value comes from, in the order tried: the first present
// and no placeholder is the value.
constexpr const char* kFrom[][3] = {
    {"/PCMAKER", "/BOARDMAN", nullptr},
    {"/PCNAME", "/BOARDPRODUCT", nullptr},
    {"/PCSERIAL", "/ENCLOSURESERIAL", "/BOARDSERIAL"},
    {"/PCUUID", nullptr, nullptr},
};
constexpr size_t kTextValues = sizeof kFrom / sizeof kFrom[0];

// The BIOS characteristics extension byte 2 and its bit that says the
// system is a virtual machine.
constexpr uint8_t kBiosCharacteristicsX2 = 0x13;
constexpr uint8_t kVirtualMachineBit = 1u << 4;
constexpr char kUnnamedHypervisor[] = "virtual machine";

// The rows of the selectors the rules name, found once.
struct SourceRows {
  const FieldRow* from[kTextValues][3] = {};
  const FieldRow* marks[kMaxHypervisorFields] = {};  // of kHypervisorFields

  SourceRows() {
    for (size_t v = 0; v < kTextValues; ++v) {
      for (size_t i = 0; i < 3 && kFrom[v][i] != nullptr; ++i) from[v][i] = FindField(kFrom[v][i]);
    }
    for (size_t i = 0; i < kHypervisorFieldCount && i < kMaxHypervisorFields; ++i) {
      marks[i] = FindField(kHypervisorFields[i]);
    }
  }
};

const SourceRows& Sources() {
  static const SourceRows rows;
  return rows;
}

// A field of the first structure of its type, into value; false when the
// table has none or the structure no such value.
bool Read(const FieldRow* row, const TableValues& table, FieldValue& value) {
  value.Clear();
  if (row == nullptr || row->type >= kIdentityTypes) return false;
  const StructureView& structure = table.identity[row->type];
  if (structure.bytes == nullptr) return false;
  DecodeField(*row, structure, false, value);
  return value.present();
}

bool FirstReal(const FieldRow& row, const StructureView& s, FieldValue& value) {
  for (const FieldRow* from : Sources().from[row.at]) {
    if (Read(from, *s.table, value) && !IsPlaceholder(value.text())) return true;
  }
  return false;
}

// The hypervisor the vendor strings name, else "virtual machine" when the
// BIOS says only that it is one.
bool Hypervisor(const FieldRow&, const StructureView& s, FieldValue& value) {
  const SourceRows& sources = Sources();
  // Each field is read when a mark first needs it; most tables are settled
  // by the first few.
  enum : uint8_t { kUnread, kAbsent, kPresent };
  uint8_t state[kMaxHypervisorFields] = {};
  std::string texts[kMaxHypervisorFields];
  for (size_t i = 0; i < kHypervisorMarkCount; ++i) {
    const HypervisorMark& mark = kHypervisorMarks[i];
    if (mark.field >= kMaxHypervisorFields) continue;
    if (state[mark.field] == kUnread) {
      bool present = Read(sources.marks[mark.field], *s.table, value);
      state[mark.field] = present ? kPresent : kAbsent;
      if (present) texts[mark.field] = value.text();
    }
    if (state[mark.field] != kPresent || !Matches(mark.pattern, texts[mark.field])) continue;
    value.Clear();
    value.SetLasting(mark.hypervisor);
    return value.present();
  }
  value.Clear();
  const StructureView& bios = s.table->identity[0];
  if (bios.bytes != nullptr && bios.Has(kBiosCharacteristicsX2, 1) &&
      (bios.bytes[kBiosCharacteristicsX2] & kVirtualMachineBit) != 0) {
    value.SetLasting(kUnnamedHypervisor);
    return true;
  }
  return false;
}

constexpr FieldRow MachineRow(const char* selector, MachineValue at, const char* label,
                              bool (*special)(const FieldRow&, const StructureView&, FieldValue&)) {
  return {.selector = selector, .type = kWholeTable, .decode = FieldDecode::Table, .at = at,
          .size = 0, .special = special, .label = label};
}

constexpr FieldRow kMachineRows[] = {
    MachineRow("/MACHINEMAKER", kMaker, "Maker", FirstReal),
    MachineRow("/MACHINEMODEL", kModel, "Model", FirstReal),
    MachineRow("/MACHINESERIAL", kSerial, "Serial Number", FirstReal),
    MachineRow("/MACHINEUUID", kUuid, "UUID", FirstReal),
    MachineRow("/MACHINEVIRTUAL", kVirtual, "Hypervisor", Hypervisor),
};

}  // namespace

extern const TableGroup kMachineGroup{"/MACHINE", "which machine the table is of", "Machine", kMachineRows,
                                      sizeof kMachineRows / sizeof kMachineRows[0]};

bool Matches(const TextPattern& pattern, std::string_view value) {
  std::string_view text = pattern.text;
  if (value.size() < text.size()) return false;
  switch (pattern.match) {
    case TextMatch::Value: return EqualsIgnoringCase(value, text);
    case TextMatch::Prefix: return value.substr(0, text.size()) == text;
    case TextMatch::Suffix: return value.substr(value.size() - text.size()) == text;
  }
  return false;
}

bool IsPlaceholder(std::string_view value) {
  for (size_t i = 0; i < kPlaceholderCount; ++i) {
    if (Matches(kPlaceholders[i], value)) return true;
  }
  return false;
}

}  // namespace tarnlix
