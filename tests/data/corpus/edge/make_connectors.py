#!/usr/bin/env python3
"""Writes the connectors-*.bin tables: structures of types 5, 6 and 8-14 in the
forms the machines of the corpus do not show (short and long system slots, peer
groups, codes past the named ones, strings missing from the string-set), in the
--dump-bin form: an entry point at 0, the table at 0x20.

    make_connectors.py   (writes next to itself)
"""
import os
import struct

from edge_table import dump as dump_table, structure


def dump(structures, major=3, minor=5):
    return dump_table(structures, major, minor)

HERE = os.path.dirname(os.path.abspath(__file__))


def controller(handle, method, ecc, interleave, current, power, speeds, types, voltage,
               slots, enabled=None, cut=None):
    body = [method, ecc, interleave, current, power] + list(struct.pack("<HH", speeds, types))
    body += [voltage, len(slots)]
    for slot in slots:
        body += list(struct.pack("<H", slot))
    if enabled is not None:
        body.append(enabled)
    return structure(5, handle, body[:cut - 4] if cut else body)


def module(handle, banks, speed, types, installed, enabled, error):
    body = [1, banks, speed] + list(struct.pack("<H", types)) + [installed, enabled, error]
    return structure(6, handle, body, ["DIMM%d" % (handle & 0xF)])


def memory():
    return [
        controller(0x0100, 0x06, 0x04, 0x03, 0x03, 10, 0x000C, 0x0500, 0x02, [0x0110, 0x0111],
                   0x08),
        # Every named bit, two voltages, a code past the interleave names.
        controller(0x0101, 0x08, 0x3F, 0x07, 0x08, 12, 0x001F, 0x07FF, 0x07, [0x0112], 0x3C),
        # Voltage in tenths, no slots, nothing named.
        controller(0x0102, 0x09, 0xC0, 0x00, 0x01, 0, 0xFFE0, 0xF800, 0x8C, [], 0x00),
        controller(0x0103, 0x02, 0x02, 0x02, 0x02, 31, 0x0002, 0x0002, 0x00, [0x0113]),
        # More slots than the structure holds handles for.
        controller(0x0104, 0x03, 0x01, 0x01, 0x01, 9, 0x0001, 0x0001, 0x01, [1, 2, 3], cut=0x11),
        module(0x0110, 0xFF, 0, 0x0000, 0x7F, 0x7F, 0x00),
        module(0x0111, 0xF1, 60, 0x0500, 0x7D, 0x7E, 0x01),
        module(0x0112, 0x2F, 70, 0x0402, 0x85, 0x05, 0x02),
        module(0x0113, 0x23, 255, 0x0002, 0x00, 0x80, 0x03),
        module(0x0114, 0x00, 10, 0xF801, 0x1F, 0x8A, 0xFC),
    ]


def slot(handle, kind, width, usage, length, ident, chars, tail=(), name="SLOT"):
    body = [1, kind, width, usage, length] + list(struct.pack("<H", ident)) + list(chars)
    return structure(9, handle, body + list(tail), [name])


def pci(segment, bus, devfn):
    return list(struct.pack("<HBB", segment, bus, devfn))


def slots():
    return [
        # The 2.0 and 2.1 lengths: one characteristics byte, then two.
        slot(0x0200, 0x06, 0x05, 0x03, 0x03, 0x0102, [0x06]),
        slot(0x0201, 0x07, 0x04, 0x04, 0x04, 0x0201, [0x30, 0x03]),
        # Unknown characteristics stand for all of them.
        slot(0x0202, 0x12, 0x06, 0x02, 0x02, 0x0007, [0xFF, 0xFF], pci(0xFFFF, 0xFF, 0xFF)),
        slot(0x0203, 0xA8, 0x0A, 0x05, 0x05, 0x0003, [0x80, 0x7F], pci(0x0001, 0x3A, 0xFA)),
        # Codes no name: the bus width, the slot type, the usage and length.
        slot(0x0204, 0x17, 0x00, 0x06, 0x07, 0x0001, [0x04, 0x01], pci(0xFFFF, 0x00, 0x00)),
        slot(0x0205, 0x29, 0x0D, 0x01, 0x06, 0x0001, [0x00, 0x00], pci(0x0000, 0xFF, 0xFF)),
        # 3.2: data bus width and peer groups, some not held by the structure.
        slot(0x0206, 0xB6, 0x0D, 0x04, 0x04, 0x0002, [0x04, 0x01],
             pci(0x0000, 0x00, 0x08) + [0x0D, 0x02] + pci(0x0000, 0x05, 0x10) + [8]
             + pci(0x0001, 0x06, 0x11) + [0x0A]),
        slot(0x0207, 0xB6, 0x0D, 0x04, 0x04, 0x0002, [0x04, 0x01],
             pci(0x0000, 0x00, 0x08) + [0x0D, 0x05, 0x00]),
        # 3.4 and 3.5: generation, physical width, pitch, height after the peers.
        slot(0x0208, 0xBD, 0x0A, 0x03, 0x04, 0x0004, [0x04, 0x03],
             pci(0x0000, 0x17, 0x00) + [0x0A, 0x01] + pci(0x0000, 0x18, 0x00) + [4]
             + [0x04, 0x0D] + list(struct.pack("<H", 2032)) + [0x03]),
        slot(0x0209, 0xC4, 0x0B, 0x03, 0x03, 0x0005, [0x04, 0x00],
             pci(0x0000, 0x19, 0x00) + [0x0B, 0x00, 0x06, 0x0E]
             + list(struct.pack("<H", 1000)) + [0x04]),
        # The same fields on slots that are not PCI Express, and codes past
        # the named ones.
        slot(0x020A, 0x17, 0x08, 0x03, 0x06, 0x0006, [0x04, 0x00],
             pci(0x0000, 0x1A, 0x00) + [0x08, 0x00, 0x02, 0x08, 0x00, 0x00, 0x00]),
        slot(0x020B, 0xC5, 0x0A, 0x03, 0x05, 0x0007, [0x04, 0x00],
             pci(0x0000, 0x1B, 0x00) + [0x0A, 0x00, 0x00, 0x0F]
             + list(struct.pack("<H", 1)) + [0x07]),
        slot(0x020C, 0xA5, 0x0A, 0x03, 0x04, 0x0008, [0x04, 0x00],
             pci(0x0000, 0x1C, 0x00) + [0x0A, 0x00, 0x00, 0x01, 0x00, 0x00]),
        slot(0x020D, 0x24, 0x0A, 0x03, 0x04, 0x0009, [0x04, 0x00],
             pci(0x0000, 0x1D, 0x00) + [0x0A, 0x00, 0x04, 0x0A]
             + list(struct.pack("<H", 1500)) + [0x02]),
        slot(0x020E, 0xB7, 0x0A, 0x03, 0x04, 0x000A, [0x04, 0x00],
             pci(0x0000, 0x1E, 0x00) + [0x0A, 0x00, 0x04, 0x0A]
             + list(struct.pack("<H", 1500)) + [0x01]),
    ]


def others():
    return [
        structure(8, 0x0300, [1, 0x00, 2, 0x0F, 0x0E], ["J1", "Mouse"]),
        structure(8, 0x0301, [0, 0x22, 0, 0xFF, 0xFF]),
        structure(8, 0x0302, [1, 0x30, 0, 0x23, 0x22], ["USB-C"]),
        structure(8, 0x0303, [1, 0xA4, 2, 0x1F, 0xA1], ["J2", "Audio"]),
        # Devices: string 0, strings past the set, codes past the names.
        structure(10, 0x0400, [0x83, 1, 0x05, 0, 0x7F, 3, 0x0F, 2, 0x91, 9, 0x8A, 1, 0x00],
                  ["Video", "Storage"]),
        structure(10, 0x0401, [0x02, 1], ["Device"]),
        structure(11, 0x0500, [3], ["first", "second"]),
        structure(11, 0x0501, [0], ["unlisted"]),
        structure(12, 0x0502, [2], ["J13 1-2 Normal"]),
        structure(12, 0x0503, [1], ["Clear CMOS", "unlisted"]),
        structure(13, 0x0600, [2, 1] + [0] * 15 + [1], ["en|US|iso8859-1"]),
        structure(13, 0x0601, [3, 0] + [0] * 15 + [0], ["enUS", "frFR", "deDE"]),
        structure(13, 0x0602, [1, 0] + [0] * 14, ["enUS"]),
        structure(14, 0x0700, [1, 0x05, 0x00, 0x01, 0x7E, 0x02, 0x00, 0x7F, 0x03, 0x00,
                               0x2E, 0x04, 0x00, 0x2F, 0x05, 0x00, 0xDB, 0x06, 0x00, 0x09],
                  ["Group"]),
        structure(14, 0x0701, [0]),
    ]


def main():
    tables = {
        "connectors-memory.bin": dump(memory()),
        "connectors-slots.bin": dump(slots()),
        "connectors-misc.bin": dump(others()),
        # Before 2.1 the language structure has no format flag.
        "connectors-v20.bin": dump(others()[10:13] + memory()[:1], 2, 0),
    }
    for name, data in tables.items():
        with open(os.path.join(HERE, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
