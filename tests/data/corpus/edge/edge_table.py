"""What the make_*.py scripts share: a structure's bytes, and a table in
dmidecode's --dump-bin form (an entry point at offset 0, the table at 0x20).
"""
import struct


def structure(kind, handle, body, strings=()):
    """A structure of that type and handle: its header and formatted area,
    then its string-set (strings are written as Latin-1)."""
    head = struct.pack("<BBH", kind, 4 + len(body), handle)
    text = b"".join(s.encode("latin-1") + b"\0" for s in strings)
    return head + bytes(body) + (text + b"\0" if text else b"\0\0")


def dump(structures, major=3, minor=8):
    """The structures and an end-of-table structure behind a 64-bit entry
    point (SMBIOS 3 and later) or a 32-bit one (2.x)."""
    table = b"".join(structures) + structure(127, 0xFFFF, b"")
    if major >= 3:
        entry = bytearray(0x18)
        entry[0:5] = b"_SM3_"
        entry[6], entry[7], entry[8], entry[10] = 0x18, major, minor, 1
        struct.pack_into("<IQ", entry, 0x0C, len(table), 0x20)
        entry[5] = -sum(entry) & 0xFF
    else:
        entry = bytearray(0x1F)
        entry[0:4], entry[5], entry[6], entry[7] = b"_SM_", 0x1F, major, minor
        entry[0x10:0x15] = b"_DMI_"
        struct.pack_into("<HIH", entry, 0x16, len(table), 0x20, 0)
        entry[0x15] = -sum(entry[0x10:0x1F]) & 0xFF
        entry[4] = -sum(entry) & 0xFF
    return bytes(entry).ljust(0x20, b"\0") + table
