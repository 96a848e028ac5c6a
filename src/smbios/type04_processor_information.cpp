// SMBIOS 3.9, 7.5 Processor Information (Type 4)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// The family code: byte 0x06, or the word at 0x28 when that byte says so.
uint16_t FamilyCode(const StructureView& s) {
  uint8_t code = s.bytes[0x06];
  return code == 0xFE && s.Has(0x28, 2) ? ReadLe16(s.bytes + 0x28) : code;
}

// How the processor ID reads: as x86 CPUID (Intel's signature has a type,
// AMD's has not), as an ARM main ID register, as a LoongArch processor
// identity, or not at all.
enum class IdForm { None, I386, I486, Intel, Amd, Arm, LoongArch };

IdForm IdFormOf(uint16_t family) {
  struct Range {
    uint16_t first, last;
    IdForm form;
  };
  static constexpr Range kRanges[] = {
      {0x05, 0x05, IdForm::I386},    {0x06, 0x06, IdForm::I486},   {0x0B, 0x15, IdForm::Intel},
      {0x18, 0x1D, IdForm::Amd},     {0x1F, 0x1F, IdForm::Amd},    {0x28, 0x2F, IdForm::Intel},
      {0x38, 0x3F, IdForm::Amd},     {0x46, 0x4F, IdForm::Amd},    {0x66, 0x6B, IdForm::Amd},
      {0x83, 0x8F, IdForm::Amd},     {0xA1, 0xB3, IdForm::Intel},  {0xB5, 0xB5, IdForm::Intel},
      {0xB6, 0xB7, IdForm::Amd},     {0xB9, 0xC7, IdForm::Intel},  {0xCD, 0xCF, IdForm::Intel},
      {0xD2, 0xDB, IdForm::Intel},   {0xDD, 0xE0, IdForm::Intel},  {0xE4, 0xEF, IdForm::Amd},
      {0x100, 0x103, IdForm::Arm},   {0x118, 0x119, IdForm::Arm},  {0x258, 0x271, IdForm::LoongArch},
  };
  for (const Range& range : kRanges) {
    if (family >= range.first && family <= range.last) return range.form;
  }
  return IdForm::None;
}

// A processor whose family reads "Other" or "Unknown" is still taken for
// x86 when its version names one of a few known processors.
IdForm IdFormOf(const StructureView& s) {
  uint16_t family = FamilyCode(s);
  if (family != 0x01 && family != 0x02) return IdFormOf(family);
  std::string_view version = s.String(s.bytes[0x10], false);
  auto startsWith = [version](std::string_view prefix) {
    return version.substr(0, prefix.size()) == prefix;
  };
  if (startsWith("Pentium III MMX") || startsWith("Intel(R) Core(TM)2") ||
      startsWith("Intel(R) Pentium(R)") || version == "Genuine Intel(R) CPU U1400") {
    return IdForm::Intel;
  }
  if (startsWith("AMD Athlon(TM)") || startsWith("AMD Opteron(tm)") ||
      startsWith("Dual-Core AMD Opteron(tm)")) {
    return IdForm::Amd;
  }
  return IdForm::None;
}

bool ProcessorId(const FieldRow&, const StructureView& s, FieldValue& value) {
  value.BeginText();
  value.AppendHexBytes(s.bytes + 0x08, 8);
  return true;
}

bool ProcessorSignature(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint32_t eax = ReadLe32(s.bytes + 0x08);
  uint32_t family = (eax >> 8) & 0xF;
  uint32_t model = (eax >> 4) & 0xF;
  uint32_t stepping = eax & 0xF;
  value.BeginText();
  switch (IdFormOf(s)) {
    case IdForm::None:
      return false;
    case IdForm::I386:
      AppendPart(value, "Type ", (eax >> 12) & 0xF);
      AppendPart(value, ", Family ", family);
      AppendPart(value, ", Major Stepping ", model);
      AppendPart(value, ", Minor Stepping ", stepping);
      return true;
    case IdForm::I486:
      AppendPart(value, "Type ", (eax >> 12) & 0x3);
      break;
    case IdForm::Intel:
      AppendPart(value, "Type ", (eax >> 12) & 0x3);
      if (family == 0x6 || family == 0xF) model += ((eax >> 16) & 0xF) << 4;
      if (family == 0xF) family += (eax >> 20) & 0xFF;
      break;
    case IdForm::Amd:
      if (family == 0xF) {
        model += ((eax >> 16) & 0xF) << 4;
        family += (eax >> 20) & 0xFF;
      }
      AppendPart(value, "Family ", family);
      AppendPart(value, ", Model ", model);
      AppendPart(value, ", Stepping ", stepping);
      return true;
    case IdForm::Arm: {
      if (eax == 0) return false;
      value.Append("Implementor ");
      value.AppendHex(eax >> 24, 2, true);
      value.Append(", Variant ");
      value.AppendHex((eax >> 20) & 0xF, 1, true);
      AppendPart(value, ", Architecture ", (eax >> 16) & 0xF);
      value.Append(", Part ");
      value.AppendHex((eax >> 4) & 0xFFF, 3, true);
      AppendPart(value, ", Revision ", stepping);
      return true;
    }
    case IdForm::LoongArch:
      value.Append("Processor Identity ");
      value.AppendHex(eax, 8, true);
      return true;
  }
  AppendPart(value, ", Family ", family);
  AppendPart(value, ", Model ", model);
  AppendPart(value, ", Stepping ", stepping);
  return true;
}

// The x86 feature flags of CPUID's EDX.
bool ProcessorFlags(const FieldRow&, const StructureView& s, FieldValue& value) {
  IdForm form = IdFormOf(s);
  if (form != IdForm::Intel && form != IdForm::Amd) return false;
  uint32_t edx = ReadLe32(s.bytes + 0x0C);
  value.BeginList();
  for (uint32_t bit = 0; bit < 32; ++bit) {
    if ((edx >> bit) & 1) {
      if (const char* name = names::kProcessorFlags.Find(bit)) value.Item(name);
    }
  }
  return true;
}

bool ProcessorStatus(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t status = s.bytes[0x18];
  if ((status & 0x40) == 0) {
    value.SetText("Unpopulated");
    return true;
  }
  const char* name = names::kProcessorStatus.Find(status & 0x07);
  if (name == nullptr) return false;
  value.SetText(name);
  return true;
}

// 0xFFFF: no such cache; tables older than 2.3 say so, later ones only that
// the handle is not given.
bool CacheHandle(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint16_t handle = ReadLe16(s.bytes + row.at);
  value.BeginText();
  if (handle != 0xFFFF) {
    value.AppendHex(handle, 4);
    return true;
  }
  if (!s.Before(2, 3)) return false;
  value.Append("No L");
  value.Append(static_cast<char>('1' + (row.at - 0x1A) / 2));
  value.Append(" Cache");
  return true;
}

constexpr FieldRow kProcessorRows[] = {
    {.selector = "/PROCESSORSOCKET", .type = 4, .decode = FieldDecode::String, .at = 0x04,
     .place = 1, .name = "Socket Designation", .label = "Socket", .identifies = true},
    {.selector = "/PROCESSORMAN", .type = 4, .decode = FieldDecode::String, .at = 0x07, .place = 2,
     .name = "Manufacturer"},
    {.selector = "/PROCESSORVER", .type = 4, .decode = FieldDecode::String, .at = 0x10, .place = 3,
     .name = "Version"},
    {.selector = "/PROCESSORSERIAL", .type = 4, .decode = FieldDecode::String, .at = 0x20,
     .place = 4, .name = "Serial Number", .label = "Serial#"},
    {.selector = "/PROCESSORASSET", .type = 4, .decode = FieldDecode::String, .at = 0x21,
     .place = 5, .name = "Asset Tag", .label = "Asset tag"},
    {.selector = "/PROCESSORPARTNUM", .type = 4, .decode = FieldDecode::String, .at = 0x22,
     .place = 6, .name = "Part Number", .label = "Part#"},
    {.selector = "/PROCESSOREXTRA", .type = 4, .decode = FieldDecode::StringNumber, .at = 7,
     .since = 5, .place = 7, .label = "Extra"},
    // A family above 0xFD is in the word at 0x28.
    {.selector = "/PROCESSORFAMILY", .type = 4, .decode = FieldDecode::ProcessorFamily,
     .at = 0x06, .name = "Family", .names = &names::kProcessorFamily, .escape = 0xFE,
     .wideAt = 0x28, .wideSize = 2},
    {.selector = "/PROCESSORSPEED", .type = 4, .decode = FieldDecode::Number, .at = 0x16,
     .size = 2, .since = 0x1A, .name = "Current Speed", .unit = "MHz",
     .kind = FieldKind::Number, .none = kNoneIfZero, .label = "Speed", .varies = true},
    // A count of one byte reads 0xFF when the real count is in a word.
    {.selector = "/PROCESSORCORES", .type = 4, .decode = FieldDecode::Number, .at = 0x23,
     .since = 0x28, .name = "Core Count", .kind = FieldKind::Number, .none = kNoneIfZero,
     .escape = 0xFF, .wideAt = 0x2A, .wideSize = 2, .label = "Cores"},
    {.selector = "/PROCESSORTHREADS", .type = 4, .decode = FieldDecode::Number, .at = 0x25,
     .since = 0x28, .name = "Thread Count", .kind = FieldKind::Number, .none = kNoneIfZero,
     .escape = 0xFF, .wideAt = 0x2E, .wideSize = 2, .label = "Threads"},
    {.selector = "/PROCESSORTYPE", .type = 4, .decode = FieldDecode::Name, .at = 0x05,
     .since = 0x1A, .name = "Type", .names = &names::kProcessorType},
    {.selector = "/PROCESSORID", .type = 4, .decode = FieldDecode::Special, .at = 0x08,
     .size = 8, .since = 0x1A, .name = "ID", .special = ProcessorId},
    {.selector = "/PROCESSORSIGNATURE", .type = 4, .decode = FieldDecode::Special, .at = 0x08,
     .size = 8, .since = 0x1A, .name = "Signature", .special = ProcessorSignature},
    {.selector = "/PROCESSORFLAGS", .type = 4, .decode = FieldDecode::Special, .at = 0x08,
     .size = 8, .since = 0x1A, .name = "Flags", .kind = FieldKind::List,
     .special = ProcessorFlags},
    {.selector = "/PROCESSORVOLTAGE", .type = 4, .decode = FieldDecode::Special, .at = 0x11,
     .since = 0x1A, .name = "Voltage", .names = &names::kProcessorVoltage,
     .special = VoltageCode},
    {.selector = "/PROCESSORCLOCK", .type = 4, .decode = FieldDecode::Number, .at = 0x12,
     .size = 2, .since = 0x1A, .name = "External Clock", .unit = "MHz",
     .kind = FieldKind::Number, .none = kNoneIfZero},
    {.selector = "/PROCESSORMAXSPEED", .type = 4, .decode = FieldDecode::Number, .at = 0x14,
     .size = 2, .since = 0x1A, .name = "Max Speed", .unit = "MHz", .kind = FieldKind::Number,
     .none = kNoneIfZero},
    {.selector = "/PROCESSORSTATUS", .type = 4, .decode = FieldDecode::Special, .at = 0x18,
     .since = 0x1A, .name = "Status", .special = ProcessorStatus},
    {.selector = "/PROCESSORUPGRADE", .type = 4, .decode = FieldDecode::Name, .at = 0x19,
     .since = 0x1A, .name = "Upgrade", .names = &names::kProcessorUpgrade},
    {.selector = "/PROCESSORL1", .type = 4, .decode = FieldDecode::Special, .at = 0x1A,
     .size = 2, .name = "L1 Cache Handle", .special = CacheHandle, .refersToHandle = true},
    {.selector = "/PROCESSORL2", .type = 4, .decode = FieldDecode::Special, .at = 0x1C,
     .size = 2, .name = "L2 Cache Handle", .special = CacheHandle, .refersToHandle = true},
    {.selector = "/PROCESSORL3", .type = 4, .decode = FieldDecode::Special, .at = 0x1E,
     .size = 2, .name = "L3 Cache Handle", .special = CacheHandle, .refersToHandle = true},
    {.selector = "/PROCESSORCORESENABLED", .type = 4, .decode = FieldDecode::Number,
     .at = 0x24, .since = 0x28, .name = "Core Enabled", .kind = FieldKind::Number,
     .none = kNoneIfZero, .escape = 0xFF, .wideAt = 0x2C, .wideSize = 2},
    {.selector = "/PROCESSORCHARS", .type = 4, .decode = FieldDecode::Bits, .at = 0x26,
     .size = 2, .name = "Characteristics", .kind = FieldKind::List,
     .names = &names::kProcessorCharacteristics},
    {.selector = "/PROCESSORTHREADSENABLED", .type = 4, .decode = FieldDecode::Number,
     .at = 0x30, .size = 2, .name = "Thread Enabled", .kind = FieldKind::Number,
     .none = kNoneIfZero | kNoneIfAllOnes, .label = "Threads Enabled"},
    // A name of the socket's own, beside the upgrade code's.
    {.selector = "/PROCESSORSOCKETTYPE", .type = 4, .decode = FieldDecode::String, .at = 0x32,
     .name = "Socket Type"},
};

}  // namespace

extern const StructureGroup kType04Group{
    .selector = "/PROCESSOR", .type = 4, .heading = "Processor Information",
    .what = "processor",
    .rows = kProcessorRows, .rowCount = std::size(kProcessorRows)};

}  // namespace tarnlix
