"""The corpus' expectation files (expected.tsv, instances.tsv, uuid.tsv) as
the Python tests read them."""


def unescape(raw):
    """A value of the files, whose backslash, tab, line end and carriage return are
    written escaped."""
    out, i = bytearray(), 0
    while i < len(raw):
        if raw[i] == 0x5C and i + 1 < len(raw):
            out.append({ord("t"): 9, ord("n"): 10, ord("r"): 13}.get(raw[i + 1], raw[i + 1]))
            i += 2
        else:
            out.append(raw[i])
            i += 1
    return bytes(out)


def read_tsv(path):
    """The rows after the header line, each a list of byte strings."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\n")[1:]
    return [line.split(b"\t") for line in lines if line]


def structures(path):
    """The structures of a corpus table file, in table order, as (type, handle,
    formatted bytes), read by the standard's layout alone: the table behind an
    entry point, after the 8-byte header form, or from byte 0; the walk stops
    at the first structure that cannot be stepped over."""
    import struct
    with open(path, "rb") as f:
        data = f.read()
    if data[:5] == b"_SM3_":
        length, at = struct.unpack_from("<IQ", data, 0x0C)
    elif data[:4] == b"_SM_":
        length, at = struct.unpack_from("<HI", data, 0x16)
    elif len(data) >= 8 and struct.unpack_from("<I", data, 4)[0] == len(data) - 8:
        length, at = len(data) - 8, 8
    else:
        length, at = len(data), 0
    table, pos, out = data[at:at + length], 0, []
    while pos + 4 <= len(table):
        kind, size = table[pos], table[pos + 1]
        end = table.find(b"\0\0", pos + size)
        if size < 4 or pos + size > len(table) or end < 0:
            break
        out.append((kind, struct.unpack_from("<H", table, pos + 2)[0], table[pos:pos + size]))
        pos = end + 2
    return out
