// IPMI devices (type 38), power supplies (39), additional information
// (40), on-board devices (41), management controller host interfaces (42),
// TPM devices (43), processor additional information (44), firmware
// inventory (45) and string properties (46).
#include <cstring>

#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// dmidecode shows a byte outside printable ASCII as a dot.
void AppendPrintable(std::string_view text, FieldValue& value) {
  for (char c : text) value.Append(c >= 0x20 && c <= 0x7E ? c : '.');
}

// The formatted area, 16 bytes a line, as dmidecode dumps the structures it
// does not decode.
bool HeaderAndData(const FieldRow&, const StructureView& s, FieldValue& value) {
  value.BeginList();
  for (size_t at = 0; at < s.length; at += 16) {
    value.AppendHexBytes(s.bytes + at, s.length - at < 16 ? s.length - at : 16);
    value.EndItem();
  }
  return true;
}

// The string-set of a structure dmidecode does not decode, as it lists it.
bool StringSet(const FieldRow&, const StructureView& s, FieldValue& value) {
  if (!s.HasString(1)) return false;
  value.BeginList();
  for (uint8_t n = 1; n != 0 && s.HasString(n); ++n) {
    AppendPrintable(s.String(n), value);
    value.EndItem();
  }
  return true;
}

inline constexpr CodeName kNoYesEntries[] = {{0, "No"}, {1, "Yes"}};
inline constexpr NameTable kNoYesNames{kNoYesEntries, 2};

// Type 38. The interface, whose SMBus form (SSIF) has a slave address
// instead of a base address and no register spacing or interrupt mode.
constexpr uint8_t kSsif = 0x04;

// Four bits of major version, four of minor.
bool IpmiRevision(const FieldRow& row, const StructureView& s, FieldValue& value) {
  value.BeginText();
  value.AppendDecimal(s.bytes[row.at] >> 4);
  value.Append('.');
  value.AppendDecimal(s.bytes[row.at] & 0x0F);
  return true;
}

// A seven-bit I2C address, stored shifted left by one.
bool IpmiSlaveAddress(const FieldRow& row, const StructureView& s, FieldValue& value) {
  value.BeginText();
  value.AppendHex(s.bytes[row.at] >> 1, 2, true);
  return true;
}

// Bit 0 of the stored address says I/O space; the address's own bit 0 is
// bit 4 of the modifier byte, where the structure has it.
bool IpmiBaseAddress(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint64_t address = ReadLe64(s.bytes + 0x08);
  value.BeginText();
  if (s.bytes[0x04] == kSsif) {
    value.AppendHex((address >> 1) & 0x7F, 2, true);
    value.Append(" (SMBus)");
    return true;
  }
  bool io = (address & 1) != 0;
  address &= ~uint64_t{1};
  if (s.Has(0x10, 1)) address |= (s.bytes[0x10] >> 4) & 1;
  value.AppendHex(address, 16);
  value.Append(io ? " (I/O)" : " (Memory-mapped)");
  return true;
}

bool IpmiRegisterSpacing(const FieldRow&, const StructureView& s, FieldValue& value) {
  if (s.bytes[0x04] == kSsif) return false;
  const char* name = names::kIpmiRegisterSpacing.Find(s.bytes[0x10] >> 6);
  if (name == nullptr) return false;
  value.SetText(name);
  return true;
}

// The polarity and trigger mode mean something only when bit 3 says the
// interrupt is described.
bool IpmiInterruptMode(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint8_t modifier = s.bytes[0x10];
  if (s.bytes[0x04] == kSsif || (modifier & 0x08) == 0) return false;
  value.SetText(row.names->Find((modifier >> row.shift) & row.mask));
  return true;
}

inline constexpr CodeName kPolarityEntries[] = {{0, "Active Low"}, {1, "Active High"}};
inline constexpr NameTable kPolarityNames{kPolarityEntries, 2};
inline constexpr CodeName kTriggerEntries[] = {{0, "Edge"}, {1, "Level"}};
inline constexpr NameTable kTriggerNames{kTriggerEntries, 2};

// Type 39. Bit 1 says the supply is present; only then has it a status.
// A supply that is not there says so: an administrator watching supplies
// needs that word, not nothing.
bool PowerSupplyStatus(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint16_t bits = ReadLe16(s.bytes + 0x0E);
  if ((bits & 0x0002) == 0) {
    value.SetLasting("Not Present");
    return true;
  }
  // A present supply always has a status, even one the standard has no
  // name for: the alert on failed supplies reads it.
  if (const char* name = names::kPowerSupplyStatus.Find((bits >> 7) & 0x07)) {
    value.SetLasting(name);
  } else {
    value.BeginText();
    value.Append("Present, ");
    value.Append(kUnnamedCode);
  }
  return true;
}

inline constexpr CodeName kPluggedEntries[] = {{0, "Yes"}, {1, "No"}};  // bit 2: unplugged
inline constexpr NameTable kPluggedNames{kPluggedEntries, 2};

// Type 40. The entries follow the count: a length, the handle and offset
// of the field they update, a string and the value. The walk stops at the
// first entry the structure does not hold whole.
template <typename F>
bool ForEachAdditionalEntry(const StructureView& s, FieldValue& value, F f) {
  value.BeginList();
  size_t at = 0x05;
  bool any = false;
  for (uint8_t i = 0; i < s.bytes[0x04]; ++i) {
    if (!s.Has(at, 1)) break;
    uint8_t length = s.bytes[at];
    if (length < 5 || !s.Has(at, length)) break;
    f(s.bytes + at, length);
    value.EndItem();
    any = true;
    at += length;
  }
  return any;
}

bool AdditionalHandle(const FieldRow&, const StructureView& s, FieldValue& value) {
  return ForEachAdditionalEntry(s, value, [&](const uint8_t* entry, uint8_t) {
    value.AppendHex(ReadLe16(entry + 1), 4, true);
  });
}

bool AdditionalOffset(const FieldRow&, const StructureView& s, FieldValue& value) {
  return ForEachAdditionalEntry(s, value, [&](const uint8_t* entry, uint8_t) {
    value.AppendHex(entry[3], 2, true);
  });
}

// Each entry keeps its place in the list, so a missing string reads as
// dmidecode shows it.
bool AdditionalString(const FieldRow&, const StructureView& s, FieldValue& value) {
  return ForEachAdditionalEntry(s, value, [&](const uint8_t* entry, uint8_t) {
    std::string_view text = s.String(entry[4]);
    if (entry[4] == 0) text = "Not Specified";
    value.Append(text);
  });
}

// A value of one, two or four bytes; dmidecode shows no other size.
bool AdditionalValue(const FieldRow&, const StructureView& s, FieldValue& value) {
  return ForEachAdditionalEntry(s, value, [&](const uint8_t* entry, uint8_t length) {
    switch (length - 5) {
      case 1: value.AppendHex(entry[5], 2, true); break;
      case 2: value.AppendHex(ReadLe16(entry + 5), 4, true); break;
      case 4: value.AppendHex(ReadLe32(entry + 5), 8, true); break;
      default: value.Append("Unexpected size"); break;
    }
  });
}

// Type 41. Segment, bus and device/function all ones: no PCI address.
bool OnboardBusAddress(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint16_t segment = ReadLe16(s.bytes + 0x07);
  uint8_t bus = s.bytes[0x09];
  uint8_t devfn = s.bytes[0x0A];
  if (segment == 0xFFFF && bus == 0xFF && devfn == 0xFF) return false;
  // ssss:bb:dd.f
  value.BeginText();
  value.AppendHexDigits(segment, 4, true);
  value.Append(':');
  value.AppendHexDigits(bus, 2, true);
  value.Append(':');
  value.AppendHexDigits(devfn >> 3, 2, true);
  value.Append('.');
  value.AppendHexDigits(devfn & 0x7, 1, true);
  return true;
}

inline constexpr CodeName kEnabledEntries[] = {{0, "Disabled"}, {1, "Enabled"}};
inline constexpr NameTable kEnabledNames{kEnabledEntries, 2};

// Type 42. After the interface type come the length of the interface's own
// data, that data, the count of protocol records and the records: a
// protocol type, a length and the protocol's data. Only a network
// interface's data has a decoding; dmidecode reads none of a structure
// too short for its interface data.
constexpr uint8_t kNetworkInterface = 0x40;

struct HostInterface {
  const uint8_t* data;  // the interface's own data
  uint8_t dataLength;
  bool valid;
};

HostInterface HostInterfaceOf(const StructureView& s) {
  if (!s.Has(0x04, 2)) return {nullptr, 0, false};
  uint8_t length = s.bytes[0x05];
  return {s.bytes + 0x06, length, s.length >= 0x0B && s.Has(0x06, length)};
}

// The network interface's data: a device type, then its identifiers.
const uint8_t* NetworkData(const StructureView& s, uint8_t minimum, uint8_t deviceType) {
  HostInterface hi = HostInterfaceOf(s);
  if (!hi.valid || s.bytes[0x04] != kNetworkInterface || hi.dataLength < minimum) return nullptr;
  if (deviceType != 0 && hi.data[0] != deviceType) return nullptr;
  return hi.data;
}

// Codes 0x80 on are the OEM's.
bool HostDeviceType(const FieldRow&, const StructureView& s, FieldValue& value) {
  const uint8_t* data = NetworkData(s, 1, 0);
  if (data == nullptr) return false;
  const char* name = data[0] >= 0x80 ? "OEM" : names::kHostInterfaceDeviceType.Find(data[0]);
  if (name == nullptr) return false;
  value.SetText(name);
  return true;
}

// The identifier words of a USB (device type 2) and a PCI (3) device;
// row.at is the word's offset in the interface data.
bool AppendDeviceWord(const uint8_t* data, const FieldRow& row, FieldValue& value) {
  if (data == nullptr) return false;
  value.BeginText();
  value.AppendHex(ReadLe16(data + row.at), 4, true);
  return true;
}

bool HostUsbWord(const FieldRow& row, const StructureView& s, FieldValue& value) {
  return AppendDeviceWord(NetworkData(s, 5, 0x02), row, value);
}

bool HostPciWord(const FieldRow& row, const StructureView& s, FieldValue& value) {
  return AppendDeviceWord(NetworkData(s, 9, 0x03), row, value);
}

// dmidecode reads device type 4 as the OEM's, with the vendor's IANA
// number in the four bytes after it.
bool HostDeviceVendor(const FieldRow&, const StructureView& s, FieldValue& value) {
  const uint8_t* data = NetworkData(s, 5, 0x04);
  if (data == nullptr) return false;
  value.BeginText();
  for (int i = 1; i <= 4; ++i) {
    if (i != 1) value.Append(':');
    value.AppendHex(data[i], 2, true);
  }
  return true;
}

bool HostInterfaceData(const FieldRow&, const StructureView& s, FieldValue& value) {
  HostInterface hi = HostInterfaceOf(s);
  if (hi.dataLength == 0 || !s.Has(0x06, hi.dataLength)) return false;
  value.BeginText();
  value.AppendHexBytes(hi.data, hi.dataLength);
  return true;
}

// The count byte after the interface data, when the structure holds it.
const uint8_t* ProtocolCount(const StructureView& s) {
  HostInterface hi = HostInterfaceOf(s);
  if (!hi.valid || !s.Has(0x06 + size_t{hi.dataLength}, 1)) return nullptr;
  return hi.data + hi.dataLength;
}

bool HostProtocolCount(const FieldRow&, const StructureView& s, FieldValue& value) {
  const uint8_t* count = ProtocolCount(s);
  if (count == nullptr) return false;
  value.SetNumber(*count);
  return true;
}

// f(type, data, length) for each protocol record, up to the first the
// structure does not hold whole. dmidecode lists those of network
// interfaces alone, but every interface type has them.
template <typename F>
void ForEachProtocol(const StructureView& s, F f) {
  const uint8_t* count = ProtocolCount(s);
  if (count == nullptr) return;
  const uint8_t* end = s.bytes + s.length;
  const uint8_t* record = count + 1;
  for (uint8_t i = 0; i < *count; ++i) {
    if (end - record < 2 || end - record - 2 < record[1]) break;
    f(record[0], record + 2, record[1]);
    record += 2 + record[1];
  }
}

// Each record's type as "02 (IPMI)"; a type without a name keeps its
// number alone.
bool HostProtocols(const FieldRow&, const StructureView& s, FieldValue& value) {
  value.BeginList();
  bool any = false;
  ForEachProtocol(s, [&](uint8_t type, const uint8_t*, uint8_t) {
    value.AppendHexDigits(type, 2, true);
    if (const char* name = names::kHostInterfaceProtocol.Find(type)) {
      value.Append(" (");
      value.Append(name);
      value.Append(')');
    }
    value.EndItem();
    any = true;
  });
  return any;
}

// Redfish over IP (protocol 4): the service's UUID, how the host got its
// address and which form it has, the address and mask, the same four for
// the service, its port, VLAN and host name.
constexpr uint8_t kRedfishOverIp = 0x04;
constexpr uint8_t kRedfishFixedLength = 91;  // up to the host name's length

enum RedfishAt : uint8_t {
  kServiceUuid = 0,
  kHostAssignment = 16,
  kHostFormat = 17,
  kHostAddress = 18,
  kHostMask = 34,
  kServiceDiscovery = 50,
  kServiceFormat = 51,
  kServiceAddress = 52,
  kServiceMask = 68,
  kServicePort = 84,
  kServiceVlan = 86,
  kHostNameLength = 90,
};

// One item per Redfish record for which f writes one; absent when none
// does.
template <typename F>
bool RedfishList(const StructureView& s, FieldValue& value, F f) {
  value.BeginList();
  bool any = false;
  ForEachProtocol(s, [&](uint8_t type, const uint8_t* data, uint8_t length) {
    if (type != kRedfishOverIp || length < kRedfishFixedLength) return;
    if (f(data, length)) {
      value.EndItem();
      any = true;
    }
  });
  return any;
}

// The address and mask of an assignment or discovery the record fixes
// (static or auto-configured), in the record's form.
bool AppendAddress(const uint8_t* data, uint8_t how, uint8_t format, uint8_t at,
                   FieldValue& value) {
  uint8_t assignment = data[how];
  if (assignment != 1 && assignment != 3) return false;
  const uint8_t* address = data + at;
  if (data[format] == 1) {
    for (int i = 0; i < 4; ++i) {
      if (i != 0) value.Append('.');
      value.AppendDecimal(address[i]);
    }
    return true;
  }
  if (data[format] != 2) return false;
  // The text inet_ntop gives: the first longest run of two or more zero
  // groups as "::", and the last four bytes of a v4-compatible or
  // v4-mapped address in dotted form.
  uint16_t words[8];
  for (int i = 0; i < 8; ++i) {
    words[i] = static_cast<uint16_t>(address[2 * i] << 8 | address[2 * i + 1]);
  }
  int best = -1;
  int bestLength = 0;
  for (int i = 0; i < 8; ++i) {
    int run = 0;
    while (i + run < 8 && words[i + run] == 0) ++run;
    if (run >= 2 && run > bestLength) {
      best = i;
      bestLength = run;
    }
    i += run;
  }
  for (int i = 0; i < 8; ++i) {
    if (best >= 0 && i >= best && i < best + bestLength) {
      if (i == best) value.Append(':');
      continue;
    }
    if (i != 0) value.Append(':');
    if (i == 6 && best == 0 && (bestLength == 6 || (bestLength == 5 && words[5] == 0xFFFF))) {
      for (int b = 12; b < 16; ++b) {
        if (b != 12) value.Append('.');
        value.AppendDecimal(address[b]);
      }
      return true;
    }
    bool started = false;
    for (int shift = 12; shift >= 0; shift -= 4) {
      int digit = (words[i] >> shift) & 0xF;
      if (digit == 0 && !started && shift != 0) continue;
      started = true;
      value.AppendHexDigits(static_cast<uint64_t>(digit), 1, true);
    }
  }
  if (best >= 0 && best + bestLength == 8) value.Append(':');
  return true;
}

bool AppendRedfishName(const NameTable& names, uint8_t code, FieldValue& value) {
  const char* name = names.Find(code);
  if (name == nullptr) return false;
  value.Append(name);
  return true;
}

bool RedfishUuid(const FieldRow&, const StructureView& s, FieldValue& value) {
  return RedfishList(s, value, [&](const uint8_t* data, uint8_t) {
    const int* order = UuidByteOrder(true);
    for (int i = 0; i < 16; ++i) {
      if (i == 4 || i == 6 || i == 8 || i == 10) value.Append('-');
      value.AppendHexDigits(data[kServiceUuid + order[i]], 2, true);
    }
    return true;
  });
}

bool RedfishHostAssignment(const FieldRow&, const StructureView& s, FieldValue& value) {
  return RedfishList(s, value, [&](const uint8_t* data, uint8_t) {
    return AppendRedfishName(names::kRedfishIpAssignment, data[kHostAssignment], value);
  });
}

bool RedfishHostFormat(const FieldRow&, const StructureView& s, FieldValue& value) {
  return RedfishList(s, value, [&](const uint8_t* data, uint8_t) {
    return AppendRedfishName(names::kRedfishIpFormat, data[kHostFormat], value);
  });
}

bool RedfishHostAddress(const FieldRow&, const StructureView& s, FieldValue& value) {
  return RedfishList(s, value, [&](const uint8_t* data, uint8_t) {
    return AppendAddress(data, kHostAssignment, kHostFormat, kHostAddress, value);
  });
}

bool RedfishHostMask(const FieldRow&, const StructureView& s, FieldValue& value) {
  return RedfishList(s, value, [&](const uint8_t* data, uint8_t) {
    return AppendAddress(data, kHostAssignment, kHostFormat, kHostMask, value);
  });
}

bool RedfishDiscovery(const FieldRow&, const StructureView& s, FieldValue& value) {
  return RedfishList(s, value, [&](const uint8_t* data, uint8_t) {
    return AppendRedfishName(names::kRedfishIpAssignment, data[kServiceDiscovery], value);
  });
}

bool RedfishServiceFormat(const FieldRow&, const StructureView& s, FieldValue& value) {
  return RedfishList(s, value, [&](const uint8_t* data, uint8_t) {
    return AppendRedfishName(names::kRedfishIpFormat, data[kServiceFormat], value);
  });
}

bool RedfishServiceAddress(const FieldRow&, const StructureView& s, FieldValue& value) {
  return RedfishList(s, value, [&](const uint8_t* data, uint8_t) {
    return AppendAddress(data, kServiceDiscovery, kServiceFormat, kServiceAddress, value);
  });
}

bool RedfishServiceMask(const FieldRow&, const StructureView& s, FieldValue& value) {
  return RedfishList(s, value, [&](const uint8_t* data, uint8_t) {
    return AppendAddress(data, kServiceDiscovery, kServiceFormat, kServiceMask, value);
  });
}

// The port and VLAN count only where the service's address is fixed.
bool RedfishServicePort(const FieldRow&, const StructureView& s, FieldValue& value) {
  return RedfishList(s, value, [&](const uint8_t* data, uint8_t) {
    uint8_t discovery = data[kServiceDiscovery];
    if (discovery != 1 && discovery != 3) return false;
    value.AppendDecimal(ReadLe16(data + kServicePort));
    return true;
  });
}

bool RedfishServiceVlan(const FieldRow&, const StructureView& s, FieldValue& value) {
  return RedfishList(s, value, [&](const uint8_t* data, uint8_t) {
    uint8_t discovery = data[kServiceDiscovery];
    if (discovery != 1 && discovery != 3) return false;
    value.AppendDecimal(ReadLe32(data + kServiceVlan));
    return true;
  });
}

// A name longer than the record is none.
bool RedfishHostName(const FieldRow&, const StructureView& s, FieldValue& value) {
  return RedfishList(s, value, [&](const uint8_t* data, uint8_t length) {
    uint8_t size = data[kHostNameLength];
    if (kRedfishFixedLength + size > length) return false;
    const char* name = reinterpret_cast<const char*>(data + kRedfishFixedLength);
    AppendPrintable({name, strnlen(name, size)}, value);
    return true;
  });
}

// Type 43. Four bytes of vendor letters, up to the first NUL.
bool TpmVendor(const FieldRow&, const StructureView& s, FieldValue& value) {
  const char* vendor = reinterpret_cast<const char*>(s.bytes + 0x04);
  size_t size = strnlen(vendor, 4);
  if (size == 0) return false;
  value.BeginText();
  AppendPrintable({vendor, size}, value);
  return true;
}

// A TPM 1.2 stores its revision in the last two bytes of the first
// version double word, a TPM 2.0 in its two words.
bool TpmFirmwareRevision(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint32_t first, second;
  switch (s.bytes[0x08]) {
    case 1: first = s.bytes[0x0C]; second = s.bytes[0x0D]; break;
    case 2: {
      uint32_t version = ReadLe32(s.bytes + 0x0A);
      first = version >> 16;
      second = version & 0xFFFF;
      break;
    }
    default: return false;
  }
  value.BeginText();
  value.AppendDecimal(first);
  value.Append('.');
  value.AppendDecimal(second);
  return true;
}

// Bit 2 says the other bits mean nothing.
bool TpmCharacteristics(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint64_t bits = ReadLe64(s.bytes + 0x13);
  const NameTable& names = names::kTpmCharacteristics;
  value.BeginList();
  if (bits & (1u << 2)) {
    value.Item(names.Find(2));
    return true;
  }
  for (uint32_t bit = 3; bit < 64; ++bit) {
    if ((bits >> bit) & 1) {
      if (const char* name = names.Find(bit)) value.Item(name);
    }
  }
  return true;
}

// Type 44. The processor-specific block: its length, the architecture,
// then that many bytes of data.
bool ProcessorSpecificData(const FieldRow&, const StructureView& s, FieldValue& value) {
  size_t length = s.bytes[0x06];
  if (!s.Has(0x08, length)) length = s.length - 0x08;
  if (length == 0) return false;
  value.BeginText();
  value.AppendHexBytes(s.bytes + 0x08, length);
  return true;
}

// Type 45. All ones: the size is not known; 0: there is no image.
bool FirmwareImageSize(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint64_t bytes = ReadLe64(s.bytes + 0x0C);
  if (bytes == 0 || bytes == ~uint64_t{0}) return false;
  uint64_t kilobytes = ShownSize(bytes, kBytes, kKilobytes);
  if (kilobytes == 0) return false;  // below a kB
  value.SetNumber(kilobytes);
  return true;
}

bool FirmwareCharacteristics(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint16_t bits = ReadLe16(s.bytes + 0x14);
  value.BeginList();
  value.Append("Updatable: ");
  value.Append(bits & 1 ? "Yes" : "No");
  value.EndItem();
  value.Append("Write-Protect: ");
  value.Append(bits & 2 ? "Yes" : "No");
  value.EndItem();
  return true;
}

// The handles of the components the firmware belongs to, listed only when
// the structure holds them all.
bool FirmwareComponents(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t count = s.bytes[0x17];
  if (!s.Has(0x18, 2 * size_t{count})) return false;
  value.BeginList();
  for (uint8_t i = 0; i < count; ++i) {
    value.AppendHex(ReadLe16(s.bytes + 0x18 + 2 * i), 4);
    value.EndItem();
  }
  return true;
}

// Type 46. The standard names one property and two ranges; the others are
// reserved.
bool StringPropertyId(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint16_t id = ReadLe16(s.bytes + 0x04);
  if (id == 0x0001) {
    value.SetText("UEFI device path");
  } else if (id >= 0xC000) {
    value.SetText("OEM defined");
  } else if (id >= 0x8000) {
    value.SetText("BIOS vendor defined");
  } else {
    return false;
  }
  return true;
}

// 7.39 IPMI Device Information (type 38)
// An NV storage device address of all ones: there is none.
bool NvStorageDevice(const FieldRow& row, const StructureView& s, FieldValue& value) {
  value.SetLasting(s.bytes[row.at] == 0xFF ? "Not Present" : "Present");
  return true;
}

constexpr FieldRow kIpmiRows[] = {
    {.selector = "/IPMIINTERFACE", .type = 38, .decode = FieldDecode::Name, .at = 0x04,
     .name = "Interface Type", .names = &names::kIpmiInterfaceType},
    {.selector = "/IPMISPECVER", .type = 38, .decode = FieldDecode::Special, .at = 0x05,
     .name = "Specification Version", .special = IpmiRevision},
    {.selector = "/IPMII2CADDRESS", .type = 38, .decode = FieldDecode::Special, .at = 0x06,
     .name = "I2C Slave Address", .special = IpmiSlaveAddress},
    // All ones: no NV storage device, which dmidecode labels
    // "NV Storage Device: Not Present".
    {.selector = "/IPMINVSTORAGE", .type = 38, .decode = FieldDecode::Number, .at = 0x07,
     .name = "NV Storage Device Address", .kind = FieldKind::Number, .none = kNoneIfAllOnes},
    {.selector = "/IPMINVSTORAGEDEVICE", .type = 38, .decode = FieldDecode::Special, .at = 0x07,
     .name = "NV Storage Device", .special = NvStorageDevice},
    {.selector = "/IPMIADDRESS", .type = 38, .decode = FieldDecode::Special, .at = 0x08,
     .size = 8, .name = "Base Address", .special = IpmiBaseAddress},
    {.selector = "/IPMIREGSPACING", .type = 38, .decode = FieldDecode::Special, .at = 0x10,
     .since = 0x12, .name = "Register Spacing", .special = IpmiRegisterSpacing},
    {.selector = "/IPMIINTPOLARITY", .type = 38, .decode = FieldDecode::Special, .at = 0x10,
     .since = 0x12, .name = "Interrupt Polarity", .names = &kPolarityNames, .shift = 1,
     .mask = 1, .special = IpmiInterruptMode},
    {.selector = "/IPMIINTTRIGGER", .type = 38, .decode = FieldDecode::Special, .at = 0x10,
     .since = 0x12, .name = "Interrupt Trigger Mode", .names = &kTriggerNames, .shift = 0,
     .mask = 1, .special = IpmiInterruptMode},
    {.selector = "/IPMIINTNUMBER", .type = 38, .decode = FieldDecode::Number, .at = 0x11,
     .name = "Interrupt Number", .kind = FieldKind::Number, .none = kNoneIfZero},
};

// 7.40 System Power Supply (type 39)
constexpr FieldRow kPowerSupplyRows[] = {
    {.selector = "/PSUGROUP", .type = 39, .decode = FieldDecode::Number, .at = 0x04,
     .name = "Power Unit Group", .kind = FieldKind::Number, .none = kNoneIfZero},
    {.selector = "/PSULOCATION", .type = 39, .decode = FieldDecode::String, .at = 0x05,
     .name = "Location", .identifies = true},
    {.selector = "/PSUNAME", .type = 39, .decode = FieldDecode::String, .at = 0x06,
     .name = "Name", .identifies = true},
    {.selector = "/PSUMAN", .type = 39, .decode = FieldDecode::String, .at = 0x07,
     .name = "Manufacturer"},
    {.selector = "/PSUSERIAL", .type = 39, .decode = FieldDecode::String, .at = 0x08,
     .name = "Serial Number"},
    {.selector = "/PSUASSET", .type = 39, .decode = FieldDecode::String, .at = 0x09,
     .name = "Asset Tag"},
    {.selector = "/PSUPARTNO", .type = 39, .decode = FieldDecode::String, .at = 0x0A,
     .name = "Model Part Number"},
    {.selector = "/PSUREV", .type = 39, .decode = FieldDecode::String, .at = 0x0B,
     .name = "Revision"},
    // 0x8000: unknown.
    {.selector = "/PSUMAXPOWER", .type = 39, .decode = FieldDecode::Number, .at = 0x0C,
     .size = 2, .name = "Max Power Capacity", .unit = "W", .kind = FieldKind::Number,
     .escape = 0x8000, .escapeNeedsWide = true},
    {.selector = "/PSUSTATUS", .type = 39, .decode = FieldDecode::Special, .at = 0x0E,
     .size = 2, .name = "Status", .special = PowerSupplyStatus},
    {.selector = "/PSUTYPE", .type = 39, .decode = FieldDecode::Name, .at = 0x0E, .size = 2,
     .name = "Type", .names = &names::kPowerSupplyType, .shift = 10, .mask = 0x0F},
    {.selector = "/PSUINPUTSWITCHING", .type = 39, .decode = FieldDecode::Name, .at = 0x0E,
     .size = 2, .name = "Input Voltage Range Switching",
     .names = &names::kPowerSupplyRangeSwitching, .shift = 3, .mask = 0x0F},
    {.selector = "/PSUPLUGGED", .type = 39, .decode = FieldDecode::Name, .at = 0x0E,
     .size = 2, .name = "Plugged", .names = &kPluggedNames, .shift = 2, .mask = 1},
    {.selector = "/PSUHOTREPLACE", .type = 39, .decode = FieldDecode::Name, .at = 0x0E,
     .size = 2, .name = "Hot Replaceable", .names = &kNoYesNames, .shift = 0, .mask = 1},
    {.selector = "/PSUPRESENT", .type = 39, .decode = FieldDecode::Name, .at = 0x0E,
     .size = 2, .names = &kNoYesNames, .shift = 1, .mask = 1, .label = "Present"},
    // The three handles came together, in the 22-byte structure.
    {.selector = "/PSUVOLTAGEPROBE", .type = 39, .decode = FieldDecode::Handle, .at = 0x10,
     .size = 2, .since = 0x16, .name = "Input Voltage Probe Handle", .none = kNoneIfAllOnes},
    {.selector = "/PSUCOOLINGDEVICE", .type = 39, .decode = FieldDecode::Handle, .at = 0x12,
     .size = 2, .since = 0x16, .name = "Cooling Device Handle", .none = kNoneIfAllOnes},
    {.selector = "/PSUCURRENTPROBE", .type = 39, .decode = FieldDecode::Handle, .at = 0x14,
     .size = 2, .since = 0x16, .name = "Input Current Probe Handle", .none = kNoneIfAllOnes},
};

// 7.41 Additional Information (type 40)
// One item per entry, in entry order, in each list.
constexpr FieldRow kAdditionalInfoRows[] = {
    {.selector = "/ADDINFOCOUNT", .type = 40, .decode = FieldDecode::Number, .at = 0x04,
     .kind = FieldKind::Number, .label = "Number Of Entries"},
    {.selector = "/ADDINFOHANDLE", .type = 40, .decode = FieldDecode::Special, .at = 0x04,
     .name = "Referenced Handle", .kind = FieldKind::List, .special = AdditionalHandle,
     .refersToHandle = true},
    {.selector = "/ADDINFOOFFSET", .type = 40, .decode = FieldDecode::Special, .at = 0x04,
     .name = "Referenced Offset", .kind = FieldKind::List, .special = AdditionalOffset},
    {.selector = "/ADDINFOSTRING", .type = 40, .decode = FieldDecode::Special, .at = 0x04,
     .name = "String", .kind = FieldKind::List, .special = AdditionalString},
    {.selector = "/ADDINFOVALUE", .type = 40, .decode = FieldDecode::Special, .at = 0x04,
     .name = "Value", .kind = FieldKind::List, .special = AdditionalValue},
};

// 7.42 Onboard Devices Extended Information (type 41)
constexpr FieldRow kOnboardRows[] = {
    {.selector = "/ONBOARDREF", .type = 41, .decode = FieldDecode::String, .at = 0x04,
     .name = "Reference Designation", .identifies = true},
    {.selector = "/ONBOARDTYPE", .type = 41, .decode = FieldDecode::Name, .at = 0x05,
     .name = "Type", .names = &names::kOnboardDeviceType, .mask = 0x7F},
    {.selector = "/ONBOARDSTATUS", .type = 41, .decode = FieldDecode::Name, .at = 0x05,
     .name = "Status", .names = &kEnabledNames, .shift = 7, .mask = 1},
    {.selector = "/ONBOARDINSTANCE", .type = 41, .decode = FieldDecode::Number, .at = 0x06,
     .name = "Type Instance", .kind = FieldKind::Number},
    {.selector = "/ONBOARDBUSADDRESS", .type = 41, .decode = FieldDecode::Special, .at = 0x07,
     .size = 4, .name = "Bus Address", .special = OnboardBusAddress},
    // The parts of the bus address; all ones where the device is not on PCI.
    {.selector = "/ONBOARDSEGMENT", .type = 41, .decode = FieldDecode::Number, .at = 0x07,
     .size = 2, .kind = FieldKind::Number, .none = kNoneIfAllOnes,
     .label = "Segment Group Number"},
    {.selector = "/ONBOARDBUS", .type = 41, .decode = FieldDecode::Number, .at = 0x09,
     .kind = FieldKind::Number, .none = kNoneIfAllOnes, .label = "Bus Number"},
    {.selector = "/ONBOARDDEVFN", .type = 41, .decode = FieldDecode::Number, .at = 0x0A,
     .kind = FieldKind::Number, .none = kNoneIfAllOnes, .label = "Device/Function Number"},
};

bool HostInterfaceTypeBefore32(const FieldRow& row, const StructureView& s, FieldValue& value) {
  const char* name = row.names->Find(s.bytes[row.at]);
  if (!s.Before(3, 2) || name == nullptr) return false;
  value.SetLasting(name);
  return true;
}

// 7.43 Management Controller Host Interface (type 42)
// The Redfish rows list one item per Redfish over IP record. dmidecode
// prints their lines under the record's protocol line; those whose label
// depends on the address form have none here.
constexpr FieldRow kHostInterfaceRows[] = {
    {.selector = "/HOSTIFTYPE", .type = 42, .decode = FieldDecode::Name, .at = 0x04,
     .name = "Host Interface Type", .names = &names::kHostInterfaceType},
    // Before SMBIOS 3.2 dmidecode labels the same byte otherwise.
    {.selector = "/HOSTIFINTERFACETYPE", .type = 42, .decode = FieldDecode::Special, .at = 0x04,
     .name = "Interface Type", .names = &names::kHostInterfaceType,
     .special = HostInterfaceTypeBefore32},
    {.selector = "/HOSTIFDATALENGTH", .type = 42, .decode = FieldDecode::Number, .at = 0x05,
     .kind = FieldKind::Number, .label = "Interface Data Length"},
    {.selector = "/HOSTIFDATA", .type = 42, .decode = FieldDecode::Special, .at = 0x05,
     .special = HostInterfaceData, .label = "Interface Data"},
    {.selector = "/HOSTIFDEVICETYPE", .type = 42, .decode = FieldDecode::Special, .at = 0x05,
     .name = "Device Type", .special = HostDeviceType},
    // .at: the word's offset in the interface data.
    {.selector = "/HOSTIFUSBVENDOR", .type = 42, .decode = FieldDecode::Special, .at = 1,
     .since = 0x0B, .name = "idVendor", .special = HostUsbWord},
    {.selector = "/HOSTIFUSBPRODUCT", .type = 42, .decode = FieldDecode::Special, .at = 3,
     .since = 0x0B, .name = "idProduct", .special = HostUsbWord},
    {.selector = "/HOSTIFPCIVENDOR", .type = 42, .decode = FieldDecode::Special, .at = 1,
     .since = 0x0B, .name = "VendorID", .special = HostPciWord},
    {.selector = "/HOSTIFPCIDEVICE", .type = 42, .decode = FieldDecode::Special, .at = 3,
     .since = 0x0B, .name = "DeviceID", .special = HostPciWord},
    {.selector = "/HOSTIFPCISUBVENDOR", .type = 42, .decode = FieldDecode::Special, .at = 5,
     .since = 0x0B, .name = "SubVendorID", .special = HostPciWord},
    {.selector = "/HOSTIFPCISUBDEVICE", .type = 42, .decode = FieldDecode::Special, .at = 7,
     .since = 0x0B, .name = "SubDeviceID", .special = HostPciWord},
    {.selector = "/HOSTIFVENDOR", .type = 42, .decode = FieldDecode::Special, .at = 0x05,
     .name = "Vendor ID", .special = HostDeviceVendor},
    {.selector = "/HOSTIFPROTOCOLCOUNT", .type = 42, .decode = FieldDecode::Special,
     .at = 0x05, .kind = FieldKind::Number, .special = HostProtocolCount,
     .label = "Number Of Protocol Records"},
    {.selector = "/HOSTIFPROTOCOLS", .type = 42, .decode = FieldDecode::Special, .at = 0x05,
     .name = "Protocol ID", .kind = FieldKind::List, .special = HostProtocols},
    {.selector = "/HOSTIFSERVICEUUID", .type = 42, .decode = FieldDecode::Special, .at = 0x05,
     .name = "Service UUID", .kind = FieldKind::List, .special = RedfishUuid},
    {.selector = "/HOSTIFIPASSIGNMENT", .type = 42, .decode = FieldDecode::Special,
     .at = 0x05, .name = "Host IP Assignment Type", .kind = FieldKind::List,
     .special = RedfishHostAssignment},
    {.selector = "/HOSTIFIPFORMAT", .type = 42, .decode = FieldDecode::Special, .at = 0x05,
     .name = "Host IP Address Format", .kind = FieldKind::List, .special = RedfishHostFormat},
    {.selector = "/HOSTIFIPADDRESS", .type = 42, .decode = FieldDecode::Special, .at = 0x05,
     .kind = FieldKind::List, .special = RedfishHostAddress, .label = "Host IP Address"},
    {.selector = "/HOSTIFIPMASK", .type = 42, .decode = FieldDecode::Special, .at = 0x05,
     .kind = FieldKind::List, .special = RedfishHostMask, .label = "Host IP Mask"},
    {.selector = "/HOSTIFSERVICEDISCOVERY", .type = 42, .decode = FieldDecode::Special,
     .at = 0x05, .name = "Redfish Service IP Discovery Type", .kind = FieldKind::List,
     .special = RedfishDiscovery},
    {.selector = "/HOSTIFSERVICEFORMAT", .type = 42, .decode = FieldDecode::Special,
     .at = 0x05, .name = "Redfish Service IP Address Format", .kind = FieldKind::List,
     .special = RedfishServiceFormat},
    {.selector = "/HOSTIFSERVICEADDRESS", .type = 42, .decode = FieldDecode::Special,
     .at = 0x05, .kind = FieldKind::List, .special = RedfishServiceAddress,
     .label = "Redfish Service Address"},
    {.selector = "/HOSTIFSERVICEMASK", .type = 42, .decode = FieldDecode::Special, .at = 0x05,
     .kind = FieldKind::List, .special = RedfishServiceMask, .label = "Redfish Service Mask"},
    {.selector = "/HOSTIFSERVICEPORT", .type = 42, .decode = FieldDecode::Special, .at = 0x05,
     .name = "Redfish Service Port", .kind = FieldKind::List, .special = RedfishServicePort},
    {.selector = "/HOSTIFSERVICEVLAN", .type = 42, .decode = FieldDecode::Special, .at = 0x05,
     .name = "Redfish Service Vlan", .kind = FieldKind::List, .special = RedfishServiceVlan},
    {.selector = "/HOSTIFSERVICEHOST", .type = 42, .decode = FieldDecode::Special, .at = 0x05,
     .name = "Redfish Service Hostname", .kind = FieldKind::List, .special = RedfishHostName},
};

// 7.44 TPM Device (type 43)
constexpr FieldRow kTpmRows[] = {
    {.selector = "/TPMVENDOR", .type = 43, .decode = FieldDecode::Special, .at = 0x04,
     .size = 4, .name = "Vendor ID", .special = TpmVendor},
    {.selector = "/TPMSPECVER", .type = 43, .decode = FieldDecode::Release, .at = 0x08,
     .size = 2, .name = "Specification Version"},
    {.selector = "/TPMFWREV", .type = 43, .decode = FieldDecode::Special, .at = 0x08,
     .size = 6, .name = "Firmware Revision", .special = TpmFirmwareRevision},
    {.selector = "/TPMFWVERSION1", .type = 43, .decode = FieldDecode::Hex, .at = 0x0A,
     .size = 4, .label = "Firmware Version 1"},
    {.selector = "/TPMFWVERSION2", .type = 43, .decode = FieldDecode::Hex, .at = 0x0E,
     .size = 4, .label = "Firmware Version 2"},
    {.selector = "/TPMDESC", .type = 43, .decode = FieldDecode::String, .at = 0x12,
     .name = "Description"},
    {.selector = "/TPMCHARS", .type = 43, .decode = FieldDecode::Special, .at = 0x13,
     .size = 8, .name = "Characteristics", .kind = FieldKind::List,
     .special = TpmCharacteristics},
    {.selector = "/TPMOEM", .type = 43, .decode = FieldDecode::Hex, .at = 0x1B, .size = 4,
     .name = "OEM-specific Information"},
};

// 7.45 Processor Additional Information (type 44)
// dmidecode does not decode this type: it dumps it.
constexpr FieldRow kProcessorInfoRows[] = {
    {.selector = "/PROCADDINFOHANDLE", .type = 44, .decode = FieldDecode::Handle, .at = 0x04,
     .size = 2, .label = "Referenced Handle"},
    {.selector = "/PROCADDINFOLENGTH", .type = 44, .decode = FieldDecode::Number, .at = 0x06,
     .kind = FieldKind::Number, .label = "Block Length"},
    {.selector = "/PROCADDINFOTYPE", .type = 44, .decode = FieldDecode::Name, .at = 0x07,
     .names = &names::kProcessorArchitecture, .label = "Processor Type"},
    {.selector = "/PROCADDINFODATA", .type = 44, .decode = FieldDecode::Special, .at = 0x06,
     .size = 2, .special = ProcessorSpecificData, .label = "Processor-Specific Data"},
    {.selector = "/PROCADDINFODUMP", .type = 44, .decode = FieldDecode::Special, .size = 4,
     .name = "Header and Data", .kind = FieldKind::List, .special = HeaderAndData},
    {.selector = "/PROCADDINFOSTRINGS", .type = 44, .decode = FieldDecode::Special, .size = 4,
     .name = "Strings", .kind = FieldKind::List, .special = StringSet},
};

// 7.46 Firmware Inventory Information (type 45)
constexpr FieldRow kFirmwareRows[] = {
    {.selector = "/FIRMWARENAME", .type = 45, .decode = FieldDecode::String, .at = 0x04,
     .name = "Firmware Component Name", .identifies = true},
    {.selector = "/FIRMWAREVER", .type = 45, .decode = FieldDecode::String, .at = 0x05,
     .name = "Firmware Version"},
    {.selector = "/FIRMWAREVERFORMAT", .type = 45, .decode = FieldDecode::Name, .at = 0x06,
     .names = &names::kFirmwareVersionFormat, .label = "Version Format"},
    {.selector = "/FIRMWAREID", .type = 45, .decode = FieldDecode::String, .at = 0x07,
     .name = "Firmware ID"},
    {.selector = "/FIRMWAREIDFORMAT", .type = 45, .decode = FieldDecode::Name, .at = 0x08,
     .names = &names::kFirmwareIdFormat, .label = "Firmware ID Format"},
    {.selector = "/FIRMWAREDATE", .type = 45, .decode = FieldDecode::String, .at = 0x09,
     .name = "Release Date"},
    {.selector = "/FIRMWAREMAN", .type = 45, .decode = FieldDecode::String, .at = 0x0A,
     .name = "Manufacturer"},
    {.selector = "/FIRMWARELOWEST", .type = 45, .decode = FieldDecode::String, .at = 0x0B,
     .name = "Lowest Supported Firmware Version"},
    {.selector = "/FIRMWARESIZE", .type = 45, .decode = FieldDecode::Special, .at = 0x0C,
     .size = 8, .name = "Image Size", .unit = "kB", .kind = FieldKind::Number,
     .special = FirmwareImageSize},
    {.selector = "/FIRMWARECHARS", .type = 45, .decode = FieldDecode::Special, .at = 0x14,
     .size = 2, .name = "Characteristics", .kind = FieldKind::List,
     .special = FirmwareCharacteristics},
    {.selector = "/FIRMWARESTATE", .type = 45, .decode = FieldDecode::Name, .at = 0x16,
     .name = "State", .names = &names::kFirmwareInventoryState},
    {.selector = "/FIRMWARECOMPONENTS", .type = 45, .decode = FieldDecode::Special, .at = 0x17,
     .name = "Associated Components", .kind = FieldKind::List, .special = FirmwareComponents,
     .refersToHandle = true},
};

// 7.47 String Property (type 46)
// dmidecode does not decode this type either.
constexpr FieldRow kStringPropertyRows[] = {
    {.selector = "/STRINGPROPID", .type = 46, .decode = FieldDecode::Special, .at = 0x04,
     .size = 2, .special = StringPropertyId, .label = "String Property ID"},
    {.selector = "/STRINGPROPVALUE", .type = 46, .decode = FieldDecode::String, .at = 0x06,
     .label = "String Property Value"},
    {.selector = "/STRINGPROPPARENT", .type = 46, .decode = FieldDecode::Handle, .at = 0x07,
     .size = 2, .label = "Parent Handle"},
    {.selector = "/STRINGPROPDUMP", .type = 46, .decode = FieldDecode::Special, .size = 4,
     .name = "Header and Data", .kind = FieldKind::List, .special = HeaderAndData},
    {.selector = "/STRINGPROPSTRINGS", .type = 46, .decode = FieldDecode::Special, .size = 4,
     .name = "Strings", .kind = FieldKind::List, .special = StringSet},
};

constexpr StructureGroup kGroups[] = {
    {.selector = "/IPMI", .type = 38, .heading = "IPMI Device Information",
     .what = "IPMI device",
     .rows = kIpmiRows, .rowCount = std::size(kIpmiRows)},
    {.selector = "/PSU", .type = 39, .heading = "System Power Supply",
     .what = "system power supply",
     .rows = kPowerSupplyRows, .rowCount = std::size(kPowerSupplyRows)},
    {.selector = "/ADDINFO", .type = 40, .heading = "Additional Information",
     .what = "additional information",
     .rows = kAdditionalInfoRows, .rowCount = std::size(kAdditionalInfoRows)},
    {.selector = "/ONBOARD", .type = 41, .heading = "Onboard Device",
     .what = "on-board device",
     .rows = kOnboardRows, .rowCount = std::size(kOnboardRows)},
    {.selector = "/HOSTIF", .type = 42, .heading = "Management Controller Host Interface",
     .what = "management controller host interface",
     .rows = kHostInterfaceRows, .rowCount = std::size(kHostInterfaceRows)},
    {.selector = "/TPM", .type = 43, .heading = "TPM Device",
     .what = "TPM device",
     .rows = kTpmRows, .rowCount = std::size(kTpmRows)},
    {.selector = "/PROCADDINFO", .type = 44, .heading = "Processor Additional Information",
     .what = "processor additional information",
     .rows = kProcessorInfoRows, .rowCount = std::size(kProcessorInfoRows)},
    {.selector = "/FIRMWARE", .type = 45, .heading = "Firmware Inventory Information",
     .what = "firmware inventory",
     .rows = kFirmwareRows, .rowCount = std::size(kFirmwareRows)},
    {.selector = "/STRINGPROP", .type = 46, .heading = "String Property",
     .what = "string property",
     .rows = kStringPropertyRows, .rowCount = std::size(kStringPropertyRows)},
};

}  // namespace

extern const GroupList kManagementGroups{kGroups, std::size(kGroups)};

}  // namespace tarnlix
