#!/usr/bin/env python3
"""Writes the events-*.bin tables: structures of types 15, 18, 21-25, 33 and 37
that the machines of the corpus do not show (types 33 and 37 at all), in the
--dump-bin form: an _SM3_ entry point at 0, the table at 0x20.

    make_events.py   (writes next to itself)
"""
import os
import struct

from edge_table import dump, structure

HERE = os.path.dirname(os.path.abspath(__file__))


def event_log(handle, method, status, address, header=None, types=(), size=2, cut=None,
              header_start=0x0000, data_start=0x0010):
    body = struct.pack("<HHHBBII", 0x0400, header_start, data_start, method, status,
                       0x0000ABCD, address)
    if header is not None:
        body += bytes([header, len(types), size])
        for kind, form in types:
            body += (bytes([kind, form]) + bytes(max(size - 2, 0)))[:size]
    return structure(15, handle, body[:cut - 4] if cut else body)


def event_logs():
    return [
        # Each access method, its address read its own way.
        event_log(0x0100, 0x00, 0x00, 0x00720070, 0x01, [(0x01, 0x00), (0x02, 0x01)]),
        event_log(0x0101, 0x01, 0x01, 0x00730071, 0x00, [(0x03, 0x02), (0x04, 0x03)]),
        event_log(0x0102, 0x02, 0x02, 0x046C046A, 0x80, [(0x05, 0x04), (0x06, 0x05)]),
        event_log(0x0103, 0x03, 0x03, 0xFFE01000, 0xFF, [(0x07, 0x06), (0x08, 0x80)]),
        event_log(0x0104, 0x04, 0x07, 0x123400F0, 0x01, [(0x09, 0xFF), (0x0A, 0x00)]),
        event_log(0x0105, 0x80, 0xFC, 0x12345678, 0x01, [(0x0B, 0x00), (0x0C, 0x00)]),
        event_log(0x0106, 0x05, 0x00, 0x12345678, 0x02, [(0x0D, 0x00), (0x0E, 0x00)]),
        # Codes no standard names among named ones: every descriptor keeps its
        # number.
        event_log(0x0107, 0x02, 0x01, 0x00720070, 0x01,
                  [(0x00, 0x07), (0x0F, 0x7F), (0x10, 0x00), (0x11, 0x01), (0x12, 0x02),
                   (0x13, 0x03), (0x14, 0x04), (0x15, 0x05), (0x16, 0x06), (0x17, 0x00),
                   (0x18, 0x00), (0x7F, 0x00), (0x80, 0x81), (0xFE, 0xFE), (0xFF, 0xFF)]),
        # Descriptors longer than the standard's two bytes, and too short.
        event_log(0x0108, 0x03, 0x01, 0xFFE00000, 0x01, [(0x01, 0x03), (0x17, 0x00)], size=4),
        event_log(0x0109, 0x03, 0x01, 0xFFE00000, 0x01, [(0x01, 0x03), (0x17, 0x00)], size=1),
        # More descriptors announced than the structure holds.
        event_log(0x010A, 0x03, 0x01, 0xFFE00000, 0x01, [(0x01, 0x03), (0x17, 0x00)],
                  cut=0x19),
        # No header; data right after a long header.
        event_log(0x010B, 0x04, 0x01, 0x00F0, 0x00, [], header_start=0x0010,
                  data_start=0x0010),
        event_log(0x010C, 0x04, 0x01, 0x00F0, 0x01, [(0x16, 0x00)], header_start=0x0100,
                  data_start=0x2100),
        # The 2.0 structure, and one cut inside the 2.1 fields.
        event_log(0x010D, 0x03, 0x01, 0xFFE00000, cut=0x14),
        event_log(0x010E, 0x03, 0x01, 0xFFE00000, 0x01, [(0x01, 0x00)], cut=0x16),
        event_log(0x010F, 0x03, 0x01, 0xFFE00000, 0x01, [], cut=0x17),
    ]


def memory_error(kind, handle, codes, syndrome, array, device, resolution, cut=None):
    wide = "Q" if kind == 33 else "I"
    body = struct.pack("<BBBI%s%sI" % (wide, wide), *codes, syndrome, array, device, resolution)
    return structure(kind, handle, body[:cut - 4] if cut else body)


def memory_channel(handle, kind, load, devices, count=None, cut=None):
    body = bytes([kind, load, len(devices) if count is None else count])
    body += b"".join(struct.pack("<BH", l, h) for l, h in devices)
    return structure(37, handle, body[:cut - 4] if cut else body)


def memory():
    out = []
    for kind, base, top in ((18, 0x0200, 1 << 31), (33, 0x0300, 1 << 63)):
        out += [
            memory_error(kind, base + 0, (0x01, 0x01, 0x01), 0, top, top, 1 << 31),
            memory_error(kind, base + 1, (0x02, 0x02, 0x02), 1, 0, 0, 0),
            memory_error(kind, base + 2, (0x0E, 0x04, 0x05), 0xFFFFFFFF, 2 * top - 1,
                         top - 1, 0xFFFFFFFF),
            memory_error(kind, base + 3, (0x0F, 0x05, 0x06), 0x1234ABCD, 0x1234ABCD,
                         0x00C0FFEE, 64),
            memory_error(kind, base + 4, (0x00, 0x00, 0x00), 5, 0x10000, 0x20, 8),
            memory_error(kind, base + 5, (0x06, 0x03, 0x03), 0x80000000, 0x80000000,
                         0x80000000, 16),
        ] + [memory_error(kind, base + 6 + i, (0x07 + i, 0x03, 0x04), 0x1000 + i, 0x4000,
                          0x40, 0x80000000) for i in range(7)]
        out.append(memory_error(kind, base + 0x0F, (0x03, 0x03, 0x03), 1, 2, 3, 4,
                                cut=0x16 if kind == 18 else 0x1E))
    out += [
        memory_channel(0x0400, 0x03, 8, [(1, 0x1100), (2, 0x1101)]),
        memory_channel(0x0401, 0x04, 255, [(3, 0x1100), (4, 0xFFFF), (0, 0xFFFE)]),
        memory_channel(0x0402, 0x01, 0, []),
        memory_channel(0x0403, 0x02, 2, [(1, 0x1100)], count=2),
        memory_channel(0x0404, 0x05, 1, [(1, 0x1100)]),
        memory_channel(0x0405, 0x00, 1, [(1, 0x1100)]),
        memory_channel(0x0406, 0x03, 1, [], cut=0x06),
    ]
    return out


def battery(handle, strings, chemistry, capacity, voltage, error, serial, date,
            multiplier, oem=0x00000000, cut=None, names=("Bay", "Maker", "Pack")):
    body = bytes(strings[:5]) + bytes([chemistry]) + struct.pack(
        "<HHBBHHBBI", capacity, voltage, strings[5], error, serial, date, strings[6],
        multiplier, oem)
    return structure(22, handle, body[:cut - 4] if cut else body, names)


def devices():
    out = [structure(21, 0x0500 + i, bytes([kind, face, buttons])) for i, (kind, face, buttons)
           in enumerate([(0x01, 0x01, 0), (0x02, 0x02, 1), (0x04, 0x03, 2), (0x05, 0x05, 3),
                         (0x06, 0x06, 5), (0x07, 0x08, 255), (0x08, 0xA0, 2), (0x09, 0xA1, 2),
                         (0x00, 0xA2, 2), (0x0A, 0xA3, 2), (0x03, 0xA4, 2), (0x03, 0xA5, 2),
                         (0x03, 0x09, 2), (0x03, 0x00, 2)])]
    out.append(structure(21, 0x050F, bytes([0x03, 0x04])))
    # A 2.1 battery, a battery of every chemistry, the SBDS fields standing
    # in for strings, an unknown capacity and error, a zero multiplier.
    out += [
        battery(0x0600, [1, 2, 0, 0, 3, 0, 0], 0x02, 0, 0, 0xFF, 0x1234, 0x2A6F, 0, cut=0x10),
        battery(0x0601, [1, 2, 0, 0, 3, 0, 0], 0x06, 4400, 10800, 3, 0x00AB, 0x4E21, 10,
                cut=0x15),
        battery(0x0602, [1, 2, 0, 0, 3, 0, 0], 0x05, 4400, 10800, 3, 0x00AB, 0x4E21, 10,
                cut=0x16),
        battery(0x0603, [1, 2, 0, 0, 3, 0, 0], 0x02, 4400, 11100, 100, 0x0931, 0x4E21, 10,
                0x00000801, cut=0x19),
        battery(0x0604, [1, 2, 3, 4, 5, 6, 7], 0x02, 0, 0, 0xFF, 0xFFFF, 0xFFFF, 0xFF,
                0xFFFFFFFF, names=("Bay", "Maker", "01/02/2003", "SN1", "Pack", "1.1", "LION")),
        battery(0x0605, [1, 2, 0, 0, 3, 4, 5], 0x02, 65535, 65535, 0, 0x0000, 0x0021, 255,
                0x12345678, names=("Bay", "Maker", "Pack", "03.01", "LiP")),
        battery(0x0606, [1, 2, 0, 3, 4, 0, 0], 0x07, 5000, 7400, 1, 0xBEEF, 0x0000, 0,
                names=("Bay", "Maker", "SN2", "Pack")),
        battery(0x0607, [1, 2, 3, 0, 4, 0, 0], 0x08, 5000, 7400, 1, 0xBEEF, 0xFFFF, 1,
                names=("Bay", "Maker", "2020-01-01", "Pack")),
    ] + [battery(0x0610 + code, [1, 2, 0, 0, 3, 0, 0], code, 100 + code, 3600, code, code,
                 code, 1) for code in (0x00, 0x01, 0x03, 0x04, 0x09)]
    # Status, watchdog and both boot options, unknown counts and times.
    for i, caps in enumerate((0x00, 0x01, 0x20, 0x23, 0x2D, 0x37, 0x3F, 0xDF)):
        unknown = 0xFFFF if i % 2 else 0
        out.append(structure(23, 0x0700 + i, struct.pack(
            "<BHHHH", caps, unknown or i, unknown or 2 * i, unknown or 10 * i, i)))
    out.append(structure(23, 0x0708, struct.pack("<BHHHH", 0x21, 1, 2, 3, 4)[:8]))
    out += [structure(24, 0x0800 + i, bytes([v])) for i, v in
            enumerate((0x00, 0x55, 0xAA, 0xFF, 0x1B, 0xE4))]
    # BCD parts at and past their ranges, and digits past 9.
    parts = [(0xFF, 0xFF, 0x00, 0x00, 0x00), (0x12, 0x31, 0x23, 0x59, 0x59),
             (0x01, 0x01, 0x00, 0x5A, 0x60), (0x00, 0x00, 0x24, 0x0A, 0x0F),
             (0x13, 0x32, 0x1A, 0x09, 0x10), (0x0A, 0x29, 0x09, 0xA0, 0x99),
             (0x09, 0x1F, 0x20, 0x30, 0x45)]
    out += [structure(25, 0x0900 + i, bytes(p)) for i, p in enumerate(parts)]
    out.append(structure(25, 0x0910, bytes([1, 2, 3, 4])))
    return out


def main():
    for name, structures in (("log", event_logs()), ("memory", memory()),
                             ("devices", devices())):
        with open(os.path.join(HERE, "events-%s.bin" % name), "wb") as f:
            f.write(dump(structures))


if __name__ == "__main__":
    main()
