#!/usr/bin/env python3
"""Writes the probes-*.bin tables: probes, cooling devices, remote access, boot
integrity services, system boot and management devices (types 26-32, 34-36) in
the cases the machines' tables leave out: negative and unknown readings, codes
no name is given for, short structures, handles that say "none", and a
management device whose length overstates its formatted area.

usage: make_probes.py   (writes next to itself)
"""
import os
import struct

from edge_table import dump, structure

HERE = os.path.dirname(os.path.abspath(__file__))
UNKNOWN = 0x8000


def words(*values):
    return struct.pack("<%dH" % len(values), *(v & 0xFFFF for v in values))


def probe(kind, handle, location, status, readings, oem, nominal=None, description="Probe"):
    """readings: maximum, minimum, resolution, tolerance, accuracy."""
    body = bytes([1 if description else 0, (status << 5) | location]) + words(*readings)
    body += struct.pack("<I", oem)
    if nominal is not None:
        body += words(nominal)
    return structure(kind, handle, body, [description] if description else [])


def write(name, structures, major=3, minor=4):
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(dump(structures, major, minor))


def probes():
    return [
        # Negative readings, and every reading known.
        probe(26, 0x2600, 0x03, 0x03, (1500, -1234, 15, 25, 150), 0x12345678, -5, "Vcore"),
        # Unknown readings; a location and a status without a name.
        probe(26, 0x2601, 0x0C, 0x07, (UNKNOWN,) * 5, 0, UNKNOWN, "Vbat"),
        # Too short for the nominal value.
        probe(26, 0x2602, 0x0B, 0x05, (32767, -32767, 65535, -1, 65535), 0x8000),
        probe(28, 0x2800, 0x0F, 0x04, (1270, -127, 4096, 5, 25), 0xDC00, 450, "DIMM"),
        probe(28, 0x2801, 0x10, 0x06, (UNKNOWN, -1270, UNKNOWN, UNKNOWN, UNKNOWN), 0,
              UNKNOWN),
        probe(28, 0x2802, 0x00, 0x01, (0, 0, 0, 0, 0), 0xDC02),
        probe(29, 0x2900, 0x0A, 0x03, (20000, -500, 5, 100, 1), 0, 12500, "12V"),
        probe(29, 0x2901, 0x0C, 0x02, (UNKNOWN,) * 5, 0xFFFFFFFF, UNKNOWN, None),
    ]


def devices():
    def cooling(handle, probe_handle, kind, status, group, speed=None, description=None):
        oem = 0xDD00 + (handle & 0xFF)
        body = struct.pack("<HBBI", probe_handle, (status << 5) | kind, group, oem)
        if speed is not None:
            body += words(speed)
        strings = []
        if description is not None:
            body += bytes([1])
            strings = [description]
        return structure(27, handle, body, strings)

    def bis(handle, entry16, entry32, valid):
        data = bytearray(structure(31, handle, struct.pack("<BBHIIQI", 0, 0, 0, entry16,
                                                           entry32, 0, 0)))
        if valid:
            data[4] = -sum(data[:data[1]]) & 0xFF
        return bytes(data)

    def boot(handle, status, extra=b""):
        return structure(32, handle, bytes(6) + bytes([status]) + extra)

    def device(handle, kind, address, address_type, tail=b"", description="LM78"):
        return structure(34, handle, bytes([1, kind]) + struct.pack("<IB", address, address_type)
                         + tail, [description])

    return [
        cooling(0x2700, 0x2800, 0x07, 0x03, 1, 5700, "PSU Fan"),
        # No probe, no group, a device that does not rotate, codes without a name.
        cooling(0x2701, 0xFFFF, 0x0A, 0x07, 0, UNKNOWN, "Pipe"),
        cooling(0x2702, 0x2801, 0x11, 0x04, 2, 0),
        # Before the nominal speed.
        cooling(0x2703, 0x2802, 0x10, 0x06, 3),
        structure(30, 0x3000, bytes([1, 0x01]), ["Intel"]),
        structure(30, 0x3001, bytes([0, 0xFE])),
        bis(0x3100, 0xF0001234, 0x000FABCD, True),
        bis(0x3101, 0xFFFFFFFF, 0xFFFFFFFF, False),
        boot(0x3200, 0x00, b"\x01\x02"),
        boot(0x3201, 0x08),
        boot(0x3202, 0x09),
        boot(0x3203, 0x80),
        boot(0x3204, 0xC0),
        # Too short for the status.
        structure(32, 0x3205, bytes(6)),
        device(0x3400, 0x0D, 0x295, 0x05),
        device(0x3401, 0x0E, 0, 0x06, description="Other"),
        # Sixteen bytes long, of which the last five are text: read as eleven.
        device(0x3402, 0x04, 0x290, 0x03, b"UNKNO", "WN-2"),
        # Sixteen bytes long, the last five not text: read as sixteen.
        device(0x3403, 0x04, 0x290, 0x03, b"\0\0\0\0\1", "LM78-3"),
        structure(35, 0x3500, bytes([1]) + words(0x3400, 0x2600, 0x3600), ["Vcore"]),
        # No thresholds.
        structure(35, 0x3501, bytes([1]) + words(0x3400, 0x2700, 0xFFFF), ["Fan"]),
        structure(36, 0x3600, words(1140, 1260, 1080, 1320, -100, 32767)),
        structure(36, 0x3601, words(UNKNOWN, 0, UNKNOWN, -1, UNKNOWN, UNKNOWN)),
    ]


if __name__ == "__main__":
    write("probes-readings.bin", probes())
    write("probes-devices.bin", devices())
