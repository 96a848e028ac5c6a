// SMBIOS 3.9, 7.26 System Power Controls (Type 25)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// Next power-on date and time parts are BCD; one outside its range (0xFF
// among them) is not set.
struct BcdPart {
  uint8_t at;
  uint8_t low;
  uint8_t high;
};

constexpr BcdPart kPowerOnParts[] = {
    {0x04, 1, 12}, {0x05, 1, 31}, {0x06, 0, 23}, {0x07, 0, 59}, {0x08, 0, 59}};

bool BcdValue(const StructureView& s, const BcdPart& part, uint8_t* out) {
  uint8_t bcd = s.bytes[part.at];
  if ((bcd >> 4) > 9 || (bcd & 0x0F) > 9) return false;
  uint8_t decimal = static_cast<uint8_t>((bcd >> 4) * 10 + (bcd & 0x0F));
  if (decimal < part.low || decimal > part.high) return false;
  *out = decimal;
  return true;
}

bool PowerOnPart(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint8_t decimal;
  if (!BcdValue(s, kPowerOnParts[row.at - 0x04], &decimal)) return false;
  value.SetNumber(decimal);
  return true;
}

// "MM-DD hh:mm:ss", a star for each part that is not set.
bool PowerOnNext(const FieldRow&, const StructureView& s, FieldValue& value) {
  static const char kSeparators[] = {'-', ' ', ':', ':'};
  value.BeginText();
  for (size_t i = 0; i < std::size(kPowerOnParts); ++i) {
    if (i > 0) value.Append(kSeparators[i - 1]);
    uint8_t decimal;
    if (BcdValue(s, kPowerOnParts[i], &decimal)) {
      AppendTwoDigits(decimal, value);
    } else {
      value.Append('*');
    }
  }
  return true;
}

constexpr FieldRow kPowerControlRows[] = {
    {.selector = "/POWERCTRLNEXT", .type = 25, .decode = FieldDecode::Special, .at = 0x04,
     .size = 5, .name = "Next Scheduled Power-on", .special = PowerOnNext, .varies = true},
    {.selector = "/POWERCTRLMONTH", .type = 25, .decode = FieldDecode::Special, .at = 0x04,
     .since = 0x09, .kind = FieldKind::Number, .special = PowerOnPart,
     .label = "Next Power-on Month", .varies = true},
    {.selector = "/POWERCTRLDAY", .type = 25, .decode = FieldDecode::Special, .at = 0x05,
     .since = 0x09, .kind = FieldKind::Number, .special = PowerOnPart,
     .label = "Next Power-on Day", .varies = true},
    {.selector = "/POWERCTRLHOUR", .type = 25, .decode = FieldDecode::Special, .at = 0x06,
     .since = 0x09, .kind = FieldKind::Number, .special = PowerOnPart,
     .label = "Next Power-on Hour", .varies = true},
    {.selector = "/POWERCTRLMINUTE", .type = 25, .decode = FieldDecode::Special, .at = 0x07,
     .since = 0x09, .kind = FieldKind::Number, .special = PowerOnPart,
     .label = "Next Power-on Minute", .varies = true},
    {.selector = "/POWERCTRLSECOND", .type = 25, .decode = FieldDecode::Special, .at = 0x08,
     .since = 0x09, .kind = FieldKind::Number, .special = PowerOnPart,
     .label = "Next Power-on Second", .varies = true},
};

}  // namespace

extern const StructureGroup kType25Group{
    .selector = "/POWERCTRL", .type = 25, .heading = "System Power Control",
    .what = "system power controls",
    .rows = kPowerControlRows, .rowCount = std::size(kPowerControlRows)};

}  // namespace tarnlix
