// SMBIOS 3.9, 7.43 Management Controller Host Interface (Type 42)
#include <cstring>

#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

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

// The interface type, for a table older than 3.2 only.
bool HostInterfaceTypeBefore32(const FieldRow& row, const StructureView& s, FieldValue& value) {
  const char* name = row.names->Find(s.bytes[row.at]);
  if (!s.Before(3, 2) || name == nullptr) return false;
  value.SetLasting(name);
  return true;
}

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

}  // namespace

extern const StructureGroup kType42Group{
    .selector = "/HOSTIF", .type = 42, .heading = "Management Controller Host Interface",
    .what = "management controller host interface",
    .rows = kHostInterfaceRows, .rowCount = std::size(kHostInterfaceRows)};

}  // namespace tarnlix
