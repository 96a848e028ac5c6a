#!/usr/bin/env python3
"""Writes the management-*.bin tables: structures of types 38-46 that the
machines of the corpus do not show (type 42 with protocol records, 44-46 at
all but in one form), in the --dump-bin form: an _SM3_ entry point at 0, the
table at 0x20.

    make_management.py   (writes next to itself)
"""
import os
import struct

from edge_table import dump, structure

HERE = os.path.dirname(os.path.abspath(__file__))


def cut(body, length):
    """The body of a structure of that length."""
    return body[:length - 4] if length else body


def ipmi(handle, interface, revision, slave, storage, address, modifier=0, irq=0, length=0):
    body = struct.pack("<BBBBQBB", interface, revision, slave, storage, address, modifier, irq)
    return structure(38, handle, cut(body, length))


def ipmi_devices():
    return [
        # I/O space, the address's low bit in the modifier, a described
        # interrupt; then memory-mapped with the bit clear.
        ipmi(0x0100, 0x01, 0x20, 0x20, 0xFF, 0xCA3, 0x1B, 5),
        ipmi(0x0101, 0x02, 0x15, 0xF4, 0x12, 0xFEDC000000001234, 0x43, 0),
        ipmi(0x0102, 0x03, 0x20, 0x00, 0x00, 0xE4, 0x88, 255),
        # SSIF: a slave address, no spacing or interrupt mode.
        ipmi(0x0103, 0x04, 0x20, 0x20, 0xFF, 0x3A2, 0x18, 9),
        # No interface type, one newer than any, and the 2.x structure
        # without modifier and interrupt.
        ipmi(0x0104, 0x00, 0x10, 0x20, 0xFF, 0xCA3, 0xD0, 0),
        ipmi(0x0105, 0x09, 0x20, 0x20, 0xFF, 0xCA3, length=0x10),
        ipmi(0x0106, 0x01, 0x20, 0x20, 0xFF, 0xCA3, 0x10, length=0x11),
        ipmi(0x0107, 0x01, 0x20, 0x20, 0xFF, 0xCA3, length=0x0C),
    ]


def characteristics(hot, present, unplugged, switching, status, kind):
    return hot | present << 1 | unplugged << 2 | switching << 3 | status << 7 | kind << 10


def power_supply(handle, group, power, bits, handles=(0xFFFF, 0xFFFF, 0xFFFF), length=0,
                 strings=("Rear", "PSU 1", "Maker", "SN-1", "Asset-1", "Part-1", "A01")):
    numbers = [i + 1 if i < len(strings) else 0 for i in range(7)]
    body = bytes([group] + numbers) + struct.pack("<HHHHH", power, bits, *handles)
    return structure(39, handle, cut(body, length), strings)


def power_supplies():
    return [
        power_supply(0x0200, 1, 750, characteristics(1, 1, 0, 4, 3, 4), (0x0010, 0x0011, 0x0012)),
        power_supply(0x0201, 2, 0x8000, characteristics(0, 1, 1, 1, 1, 8), (0x0000, 0xFFFF, 0x0013)),
        # Not present; codes no standard names.
        power_supply(0x0202, 0, 0, characteristics(0, 0, 0, 0, 5, 0)),
        power_supply(0x0203, 3, 1200, characteristics(1, 1, 0, 7, 5, 9), strings=()),
        power_supply(0x0204, 255, 65, characteristics(0, 1, 0, 6, 4, 1), length=0x10,
                     strings=(" ", "  ", "Maker")),
        power_supply(0x0205, 1, 500, characteristics(0, 1, 0, 2, 2, 2), length=0x12),
        power_supply(0x0206, 1, 500, characteristics(0, 1, 0, 2, 2, 2), length=0x0F),
        # Present, with status codes the standard does not name.
        power_supply(0x0207, 1, 500, characteristics(0, 1, 0, 2, 7, 2)),
        power_supply(0x0208, 1, 500, characteristics(0, 1, 0, 2, 0, 2)),
    ]


def entry(handle, offset, string, value):
    return bytes([5 + len(value)]) + struct.pack("<HBB", handle, offset, string) + bytes(value)


def additional(handle, entries, count=None, strings=("First", "Second  ")):
    body = bytes([len(entries) if count is None else count]) + b"".join(entries)
    return structure(40, handle, body, strings)


def additional_information():
    return [
        # Values of one, two and four bytes and of sizes dmidecode does not
        # show; an entry without a string.
        additional(0x0300, [entry(0xABCD, 0x1F, 1, [0xAA]), entry(0x0002, 0x03, 0, [1, 2]),
                            entry(0x0003, 0x04, 2, [1, 2, 3, 4]), entry(0x0004, 0x05, 1, [1, 2, 3]),
                            entry(0x0005, 0x06, 2, [])]),
        # One entry; more announced than the structure holds; an entry too
        # short to be one; none at all.
        additional(0x0301, [entry(0x0010, 0x10, 1, [0x10, 0x20])]),
        additional(0x0302, [entry(0x0011, 0x02, 1, [9]), entry(0x0012, 0x05, 2, [1, 2, 3, 4])[:7]]),
        additional(0x0303, [entry(0x0011, 0x02, 1, [9]), bytes([4, 0x12, 0, 5])], count=2),
        additional(0x0304, [], strings=()),
    ]


def onboard(handle, kind, instance, segment, bus, devfn, length=0, strings=("Onboard LAN",)):
    body = struct.pack("<BBBHBB", 1 if strings else 0, kind, instance, segment, bus, devfn)
    return structure(41, handle, cut(body, length), strings)


def onboard_devices():
    return [
        onboard(0x0400, 0x85, 1, 0x0000, 0x03, 0x00),
        onboard(0x0401, 0x10, 0, 0x1234, 0xAB, 0xFF, strings=("  Leading",)),
        onboard(0x0402, 0x8F, 255, 0xFFFF, 0xFF, 0xFF),
        onboard(0x0403, 0x91, 2, 0xFFFF, 0xFF, 0x00, strings=()),
        onboard(0x0404, 0x00, 3, 0x0000, 0xFF, 0xFF),
        onboard(0x0405, 0x83, 3, 0x0000, 0x00, 0x10, length=0x0A),
    ]


def record(kind, data):
    return bytes([kind, len(data)]) + bytes(data)


def ip(*parts):
    return bytes(parts).ljust(16, b"\0")


V6 = bytes.fromhex("fe800000000000000211223344556677")
V6_MASK = bytes.fromhex("ffffffffffffffff0000000000000000")
V4_MAPPED = bytes.fromhex("00000000000000000000ffffc0a80001")


def redfish(assignment, form, address, mask, discovery, service_form, service, service_mask,
            port=443, vlan=0, host=b"bmc.local", host_length=None):
    return (bytes.fromhex("00112233445566778899aabbccddeeff") + bytes([assignment, form])
            + address + mask + bytes([discovery, service_form]) + service + service_mask
            + struct.pack("<HIB", port, vlan, len(host) if host_length is None else host_length)
            + host)


def host_interface(handle, kind, data=b"", records=None, count=None, length=0):
    body = bytes([kind, len(data)]) + bytes(data)
    if records is not None:
        body += bytes([len(records) if count is None else count]) + b"".join(records)
    return structure(42, handle, cut(body, length))


def host_interfaces():
    # A Redfish record never comes first: the comparison reads the lines
    # under a single protocol line as its items.
    ipmi_record = record(0x02, [])
    return [
        # Interface types without network data: their data and records are
        # not decoded.
        host_interface(0x0500, 0x02, b"\x01\x02\x03\x04", [ipmi_record]),
        host_interface(0x0501, 0x05, b"", [ipmi_record, record(0x03, [1])]),
        host_interface(0x0502, 0x0F, b"\x00\x00\x00\x00", []),
        host_interface(0x0503, 0xF0, b"\x00\x00\x1c\x4c", [ipmi_record]),
        host_interface(0x0504, 0x41, b"\x00", []),
        # Network interfaces: USB with IPMI, MCTP and a Redfish service on
        # fixed IPv4 addresses; PCI with an IPv6 one.
        host_interface(0x0505, 0x40, b"\x02" + struct.pack("<HH", 0x1234, 0xABCD), [
            ipmi_record, record(0x03, []),
            record(0x04, redfish(1, 1, ip(169, 254, 0, 2), ip(255, 255, 0, 0), 1, 1,
                                 ip(169, 254, 0, 1), ip(255, 255, 0, 0), 443, 7))]),
        host_interface(0x0506, 0x40, b"\x03" + struct.pack("<HHHH", 0x8086, 0x1533, 0x15D9, 0x1534), [
            record(0xF0, [0, 0, 0x1C, 0x4C]),
            record(0x04, redfish(3, 2, V6, V6_MASK, 3, 2, V4_MAPPED, V6_MASK, 5000, 4094,
                                 b"redfish.example.com")),
            record(0x00, []), record(0x01, [])]),
        # Addresses the host gets itself, unknown forms, a host name longer
        # than its record; a record cut short of its fixed part.
        host_interface(0x0507, 0x40, b"\x80\x00\x00\x1c\x4c", [
            ipmi_record, record(0x04, redfish(2, 0, ip(), ip(), 4, 0, ip(), ip(), host=b""))]),
        host_interface(0x0508, 0x40, b"\x02\x01\x02\x03\x04", [
            ipmi_record,
            record(0x04, redfish(1, 0, ip(), ip(), 1, 2, bytes(16), bytes(16), host=b"ab",
                                 host_length=5))]),
        host_interface(0x0509, 0x40, b"\x02\x01\x02\x03\x04", [
            ipmi_record,
            record(0x04, redfish(1, 1, ip(10, 0, 0, 1), ip(255, 0, 0, 0), 0, 1, ip(), ip())[:90])]),
        # dmidecode's OEM device (type 4); data too short for a USB or PCI
        # device; more records announced than there are.
        host_interface(0x050A, 0x40, b"\x04\x01\x02\x03\x04", [ipmi_record]),
        host_interface(0x050B, 0x40, b"\x02\x34\x12", [ipmi_record, record(0x03, [])]),
        host_interface(0x050C, 0x40, b"\x03\x86\x80\x33\x15", [ipmi_record, record(0x03, [])],
                       count=3),
        host_interface(0x050D, 0x40, b"", None),
        # Interface data longer than the structure; a structure too short.
        host_interface(0x050E, 0x40, b"\x03\x86\x80\x33\x15\x00\x00\x00\x00", [], length=0x0B),
        host_interface(0x050F, 0x02, b"", [], length=0x08),
    ]


def tpm(handle, vendor, major, minor, first, second, chars, oem=0, length=0,
        strings=("TPM 2.0, ManufacturerID: IFX",)):
    body = (vendor + bytes([major, minor])
            + struct.pack("<IIBQI", first, second, 1 if strings else 0, chars, oem))
    return structure(43, handle, cut(body, length), strings)


def tpm_devices():
    return [
        tpm(0x0600, b"IFX\0", 2, 0, 0x00070002, 0x00010000, 0x10),
        tpm(0x0601, b"STM ", 1, 2, 0x01020304, 0x00000000, 0x3C, 0xDEADBEEF),
        tpm(0x0602, b"\x01A\x7fB", 3, 1, 0x00070002, 0x00010000, 0x38 | 0x3 | 1 << 40),
        tpm(0x0603, b"\0BC\0", 0, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0x03, strings=()),
        tpm(0x0604, b"NTC\0", 2, 0, 0x00070055, 0x00000000, 0x08, length=0x1B),
        tpm(0x0605, b"NTC\0", 2, 0, 0x00070055, 0x00000000, 0x08, length=0x1A),
    ]


def processor_info(handle, reference, kind, data, length=None, strings=()):
    body = struct.pack("<HBB", reference, len(data) if length is None else length, kind) + bytes(data)
    return structure(44, handle, body, strings)


def processor_information():
    return [
        processor_info(0x0700, 0x0004, 0x02, [0x01, 0x08, 0x00, 0x01, 1, 0, 0, 0]),
        processor_info(0x0701, 0xFFFF, 0x05, list(range(40))),
        processor_info(0x0702, 0x0004, 0x0B, [], length=4, strings=("core", "extra")),
        structure(44, 0x0703, b"\x04\x00"),
    ]


def firmware(handle, formats, size, chars, state, components, count=None, length=0,
             strings=("BIOS", "1.2.3", "ID-1", "2023-12-15", "Maker", "1.0.0")):
    numbers = [i + 1 if i < len(strings) else 0 for i in range(6)]
    body = (bytes([numbers[0], numbers[1], formats[0], numbers[2], formats[1], numbers[3],
                   numbers[4], numbers[5]])
            + struct.pack("<QHBB", size, chars, state, len(components) if count is None else count)
            + b"".join(struct.pack("<H", c) for c in components))
    return structure(45, handle, cut(body, length), strings)


def firmware_inventory():
    return [
        firmware(0x0800, (0x00, 0x00), 16 << 20, 0x1, 4, [0x0001, 0x0002, 0x0003]),
        firmware(0x0801, (0x01, 0x01), 12345678, 0x2, 1, []),
        firmware(0x0802, (0x02, 0x80), 1023, 0x3, 8, [0x0010]),
        firmware(0x0803, (0x03, 0x02), 0, 0xFFFC, 0, [0x0010], strings=()),
        firmware(0x0804, (0x80, 0xFF), 0xFFFFFFFFFFFFFFFF, 0, 9, [0x0010], count=3),
        firmware(0x0805, (0x00, 0x00), 1 << 40, 0, 5, [], length=0x17),
    ]


def string_property(handle, ident, parent, strings=("PciRoot(0x0)/Pci(0x1C,0x0)",), extra=b""):
    body = struct.pack("<HBH", ident, 1 if strings else 0, parent) + extra
    return structure(46, handle, body, strings)


def string_properties():
    return [
        string_property(0x0900, 0x0001, 0x0400),
        string_property(0x0901, 0x8001, 0x0401, ("vendor", "  second  ", "x\x01y")),
        string_property(0x0902, 0xC000, 0x0402, extra=bytes(range(12))),
        string_property(0x0903, 0x0000, 0xFFFF, strings=()),
    ]


TABLES = {
    "management-ipmi-power.bin": ipmi_devices() + power_supplies(),
    "management-onboard.bin": additional_information() + onboard_devices(),
    "management-host-interface.bin": host_interfaces(),
    "management-tpm-firmware.bin": (tpm_devices() + processor_information()
                                    + firmware_inventory() + string_properties()),
}


def main():
    for name, structures in TABLES.items():
        with open(os.path.join(HERE, name), "wb") as out:
            out.write(dump(structures))


if __name__ == "__main__":
    main()
