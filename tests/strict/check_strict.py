#!/usr/bin/env python3
"""/STRICT on the corpus and on tables a script damages.

    check_strict.py TOOL CORPUS_DIR

- A misspelt selector: "Error: unknown selector <word>", exit 1, nothing else.
- Every corpus table whose walk reaches its end-of-table structure (or its last
  byte, and the length its entry point announces): the same output and exit
  code as without /STRICT, nothing on standard error.
- Copies of corpus tables damaged in each way: a structure running past the
  table, a length byte below 4, a string-set that does not end (each told at
  its byte in the file), a table that ends before the length or the number of
  structures its entry point announces, a 32-bit entry point whose number of
  structures or length is not the table's although it ends with its
  end-of-table structure: the values as without /STRICT, then "Error: damaged
  SMBIOS table: " on standard error, exit 1.
"""
import os
import struct
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor

SELECTORS = ["/TAB", "/PCSERIAL", "/MEMSIZE:*", "/BIOSVER"]
failures = []


def run(tool, *arguments):
    done = subprocess.run([tool] + list(arguments), capture_output=True, timeout=60)
    return done.returncode, done.stdout, done.stderr


def entry_point(data):
    """(kind, table start, announced length, announced count) of a table file."""
    if data[:5] == b"_SM3_":
        length, at = struct.unpack_from("<IQ", data, 0x0C)
        return "sm3", at, length, 0
    if data[:4] == b"_SM_":
        length, at, count = struct.unpack_from("<HIH", data, 0x16)
        return "sm2", at, length, count
    if len(data) >= 8 and struct.unpack_from("<I", data, 4)[0] == len(data) - 8:
        return "header", 8, 0, 0
    return "bare", 0, 0, 0


def damaged(data):
    """Whether the table is damaged, by the rules /STRICT states, read here alone."""
    _, start, announced, count = entry_point(data)
    table = data[start:start + announced] if announced else data[start:]
    pos, walked = 0, 0
    while pos < len(table):
        if len(table) - pos < 4 or table[pos + 1] < 4 or table[pos + 1] > len(table) - pos:
            return True
        end = table.find(b"\0\0", pos + table[pos + 1])
        if end < 0:
            return True
        walked += 1
        if table[pos] == 127:
            # A 32-bit entry point's count and length are exact; a 64-bit
            # one's length is a maximum, which a cut table cannot pass.
            return bool(count) and (walked != count or end + 2 != announced)
        pos = end + 2
    return announced > len(table) or count > walked


def structures(table):
    pos, out = 0, []
    while pos + 4 <= len(table) and table[pos + 1] >= 4:
        end = table.find(b"\0\0", pos + table[pos + 1])
        if end < 0:
            break
        out.append((pos, table[pos], table[pos + 1], end + 2))
        pos = end + 2
    return out


def sm2_dump(table, announced_length, announced_count):
    ep = bytearray(0x20)
    ep[0:4], ep[5], ep[6], ep[7] = b"_SM_", 0x1F, 2, 8
    ep[0x10:0x15] = b"_DMI_"
    struct.pack_into("<HIH", ep, 0x16, announced_length, 0x20, announced_count)
    ep[0x15] = -sum(ep[0x10:0x1F]) & 0xFF
    ep[4] = -sum(ep[0:0x1F]) & 0xFF
    return bytes(ep) + table


def damages(table):
    """(kind, damaged table file, the byte in the file the message names or None)
    made from an intact table."""
    walked = structures(table)
    found = [s for s in walked if s[1] != 127]
    if len(found) < 4:
        return []
    pos, kind, length, end = found[len(found) // 2]
    strings_at = pos + length
    at = 0x20 + pos  # in the file sm2_dump writes
    out = [
        # Cut inside a structure's formatted area: it runs past the table.
        ("runs past the end", sm2_dump(table[:pos + length - 1], pos + length - 1, 0), at),
        # A length byte below 4.
        ("length byte below 4", sm2_dump(table[:pos + 1] + b"\x02" + table[pos + 2:], len(table), 0), at),
        # Cut inside a string-set (or right after the formatted area): it does not end.
        ("strings that do not end", sm2_dump(table[:max(strings_at, end - 2)], max(strings_at, end - 2), 0), at),
        # Complete structures only, then the end of the bytes, before the announced length.
        ("announced length", sm2_dump(table[:pos], len(table), 0), None),
        # ... or before the announced number of structures.
        ("announced count", sm2_dump(table[:pos], pos, len(structures(table))), None),
    ]
    if walked[-1][1] == 127:
        whole = walked[-1][3]
        # The whole table, up to its end-of-table structure, but more
        # structures announced, or more bytes (the rest of the area zeros).
        out.append(("count not the table's", sm2_dump(table[:whole], whole, len(walked) + 5), None))
        out.append(("length not the table's", sm2_dump(table[:whole] + bytes(200), whole + 200, len(walked)), None))
    return out


# What the message says of each kind of damage.
SAYS = {
    "runs past the end": b") runs past the end of the table\n",
    "length byte below 4": b") has a length byte below 4\n",
    "strings that do not end": b") has strings that do not end before the end of the table\n",
    "announced length": b" bytes without an end-of-table structure; its entry point announces ",
    "announced count": b" structures without an end-of-table structure; its entry point announces ",
    "count not the table's": b": the table holds ",
    "length not the table's": b": the table's structures occupy ",
}


def main(tool, corpus):
    code, out, err = run(tool, "/STRICT", "/FROM:" + os.path.join(corpus, "raw/dell-r630.bin"),
                         "/PCSERIAL", "/PCSERIEL")
    if (code, out, err) != (1, b"Error: unknown selector /PCSERIEL\n", b""):
        failures.append("misspelt selector: %r" % ((code, out, err),))

    tables = [os.path.join(corpus, sub, f) for sub in ("raw", "machines")
              for f in sorted(os.listdir(os.path.join(corpus, sub)))]

    def check(path):
        """(problems, whether intact, the damage kinds tried) of one table."""
        problems, kinds = [], []
        with open(path, "rb") as f:
            data = f.read()
        plain = run(tool, "/FROM:" + path, *SELECTORS)
        strict = run(tool, "/STRICT", "/FROM:" + path, *SELECTORS)
        if damaged(data):
            if strict[0] != 1 or strict[1] != plain[1] or \
                    not strict[2].startswith(b"Error: damaged SMBIOS table: " + path.encode() + b": "):
                problems.append("%s, damaged: %r" % (path, strict))
            return problems, False, kinds
        if strict != plain or plain[2]:
            return ["%s: /STRICT %r, without %r" % (path, strict, plain)], True, kinds
        # Made damaged, one way at a time.
        _, start, announced, _ = entry_point(data)
        table = data[start:start + announced] if announced else data[start:]
        with tempfile.TemporaryDirectory() as work:
            copies = []
            for number, (kind, broken, at) in enumerate(damages(table)):
                if not damaged(broken):
                    problems.append("%s, %s: the script's table is not damaged" % (path, kind))
                    continue
                copy = os.path.join(work, "%d.bin" % number)
                with open(copy, "wb") as f:
                    f.write(broken)
                copies.append((kind, copy, at))
            # Their values without /STRICT, read in one run: a line each, the
            # file first, then the values a run of that file alone prints.
            plain = {}
            for line in run(tool, "/FROM:" + work, *SELECTORS)[1].splitlines():
                file, _, values = line.partition(b"\t")
                plain[file.decode()] = values + b"\t"
            for kind, copy, at in copies:
                strict = run(tool, "/STRICT", "/FROM:" + copy, *SELECTORS)
                message = b"Error: damaged SMBIOS table: " + copy.encode() + b": "
                if at is not None:
                    message += b"the structure at byte %d " % at
                if strict[0] != 1 or strict[1] != plain.get(copy) or \
                        not strict[2].startswith(message) or strict[2].count(b"\n") != 1 or \
                        SAYS[kind] not in strict[2]:
                    problems.append("%s, %s: %r, without /STRICT %r" % (path, kind, strict, plain.get(copy)))
                kinds.append(kind)
        return problems, True, kinds

    intact = 0
    tried = {}
    with ThreadPoolExecutor(os.cpu_count() or 2) as pool:
        for problems, whole, kinds in pool.map(check, tables):
            failures.extend(problems)
            intact += whole
            for kind in kinds:
                tried[kind] = tried.get(kind, 0) + 1
    print("%d intact tables as without /STRICT; damaged copies reported: %s" % (
        intact, ", ".join("%s %d" % kv for kv in sorted(tried.items()))))
    for failure in failures[:20]:
        print("FAIL:", failure)
    print("%d failures" % len(failures))
    return 1 if failures or intact < 300 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
