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
