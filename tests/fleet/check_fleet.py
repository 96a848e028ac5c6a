#!/usr/bin/env python3
"""A fleet's saved tables in one run, and what changed between two of them.

    check_fleet.py TOOL CORPUS_DIR

- Several tables: the JSON Lines of every corpus directory equal each
  table's own /JSON with its FILE first; the CSV of /PCSERIAL /MEMTOTAL over
  the corpus equals the single-table runs; a directory that also holds an
  unreadable file and a text file prints every other table and exits 1.
- /DIFF: every corpus table against itself is no change (exit 0); copies
  changed in one place (a module's serial number, one that holds a line end,
  written \\xHH on its one line, a module removed, one removed of several
  that share a slot name, the BIOS version, a power supply removed, a
  processor's version, its status) give exactly that change (exit 8); a copy
  whose structures all have other handles is no change (exit 0), OEM
  structures, whose bytes hold their handle, among them; two machines'
  tables say so first.
- A directory entry that cannot be read as a file (a dangling link, a link
  loop, a FIFO) is its error line (exit 1); a subdirectory, or a link to one,
  is skipped. /PROM over a directory of one table is that table's; over an
  empty one it says none was found.
"""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor


failures = []


def fail(message):
    failures.append(message)


def run(tool, *arguments):
    done = subprocess.run([tool] + list(arguments), capture_output=True, timeout=120)
    return done.returncode, done.stdout


def check_json_lines(tool, corpus):
    for sub in ("raw", "machines", "edge"):
        directory = os.path.join(corpus, sub)
        files = sorted(os.path.join(directory, f) for f in os.listdir(directory)
                       if os.path.isfile(os.path.join(directory, f)))
        code, out = run(tool, "/FROM:" + directory, "/JSON")
        lines = out.decode("utf-8").split("\n")
        if lines[-1] != "":
            fail("%s: JSON Lines without a final line end" % sub)
        documents = [json.loads(line) for line in lines[:-1]]
        tables = [f for f in files if f.endswith(".bin")]
        readable = [d for d in documents if "ERROR" not in d]
        if [d["FILE"] for d in readable] != tables:
            fail("%s: documents for %r, tables %r" % (sub, [d["FILE"] for d in documents][:3], tables[:3]))
            continue
        # Every other file of the directory is not a table: its document says why.
        others = [d for d in documents if "ERROR" in d]
        if sorted(d["FILE"] for d in others) != sorted(set(files) - set(tables)) or \
                any(list(d) != ["FILE", "ERROR"] for d in others):
            fail("%s: the files that are not tables: %r" % (sub, others))
        if code != (1 if others else 0):
            fail("%s: exit %d" % (sub, code))

        def same(document):
            single = json.loads(run(tool, "/FROM:" + document["FILE"], "/JSON")[1])
            return list(document) == ["FILE"] + list(single) and \
                {k: v for k, v in document.items() if k != "FILE"} == single
        with ThreadPoolExecutor(os.cpu_count() or 2) as pool:
            for document, ok in zip(readable, pool.map(same, readable)):
                if not ok:
                    fail("%s: differs from its own /JSON" % document["FILE"])
        print("%s: %d JSON Lines, each its table's own document" % (sub, len(readable)))


def check_csv(tool, corpus):
    directories = [os.path.join(corpus, sub) for sub in ("raw", "machines")]
    code, out = run(tool, *["/FROM:" + d for d in directories], "/CSV", "/PCSERIAL", "/MEMTOTAL")
    lines = out.split(b"\n")[:-1]
    files = [os.path.join(d, f) for d in directories for f in sorted(os.listdir(d))]
    if code != 0 or len(lines) != len(files) or len(files) != 316:
        fail("CSV of the corpus: exit %d, %d lines for %d files" % (code, len(lines), len(files)))
        return

    def single(file):
        return run(tool, "/FROM:" + file, "/CSV", "/PCSERIAL", "/MEMTOTAL")[1]
    with ThreadPoolExecutor(os.cpu_count() or 2) as pool:
        for file, line, alone in zip(files, lines, pool.map(single, files)):
            quoted = b'"' + file.encode().replace(b'"', b'""') + b'",'
            if line + b"\n" != quoted + alone:
                fail("CSV line %r, single run %r" % (line, alone))
    print("CSV: %d lines, each the file and its single-table run" % len(lines))


def check_unreadable(tool, corpus):
    with tempfile.TemporaryDirectory() as work:
        for name in ("a.bin", "c.bin"):
            shutil.copy(os.path.join(corpus, "raw", "dell-r630.bin"), os.path.join(work, name))
        with open(os.path.join(work, "b.txt"), "w") as f:
            f.write("not a table\n")
        os.mkdir(os.path.join(work, "sub"))  # not read: the listing is not recursive
        unreadable = os.path.join(work, "b0.bin")
        with open(unreadable, "wb") as f:
            f.write(b"\0" * 64)
        # Entries that are no files: each its own error line, never skipped.
        os.symlink(os.path.join(work, "missing.bin"), os.path.join(work, "b1.bin"))
        os.symlink(os.path.join(work, "b2.bin"), os.path.join(work, "b2.bin"))
        os.mkfifo(os.path.join(work, "b3.fifo"))
        os.symlink(os.path.join(work, "sub"), os.path.join(work, "b4"))  # a directory: skipped
        code, out = run(tool, "/FROM:" + work, "/TAB", "/PCSERIAL")
        want = ("%s/a.bin\t790H8D2\n"
                "%s/b.txt\tError: cannot read SMBIOS table from %s/b.txt: no SMBIOS structure in it\n"
                "%s/b0.bin\tError: cannot read SMBIOS table from %s/b0.bin: no SMBIOS structure in it\n"
                "%s/b1.bin\tError: cannot read SMBIOS table from %s/b1.bin: No such file or directory\n"
                "%s/b2.bin\tError: cannot read SMBIOS table from %s/b2.bin: Too many levels of symbolic links\n"
                "%s/b3.fifo\tError: cannot read SMBIOS table from %s/b3.fifo: not a regular file\n"
                "%s/c.bin\t790H8D2\n") % ((work,) * 12)
        # b.txt sorts after b0.bin by byte
        want_lines = sorted(want.splitlines(), key=lambda l: l.split("\t")[0].encode())
        if code != 1 or out.decode().splitlines() != want_lines:
            fail("a directory with files that are not tables: exit %d\n%s" % (code, out.decode()))
        else:
            print("a directory with files that are not tables: every table printed, exit 1")


def check_one_table(tool, corpus):
    """/PROM takes a directory of one table; one of none is said so."""
    table = os.path.join(corpus, "raw", "dell-r630.bin")
    with tempfile.TemporaryDirectory() as work:
        empty = os.path.join(work, "empty")
        one = os.path.join(work, "one")
        os.mkdir(empty)
        os.mkdir(one)
        os.mkdir(os.path.join(one, "sub"))
        shutil.copy(table, one)
        cases = [
            (("/FROM:" + one, "/PROM"), run(tool, "/FROM:" + table, "/PROM")),
            (("/FROM:" + empty, "/PROM"), (1, b"Error: /PROM works on one table, and /FROM: found none\n")),
            (("/FROM:" + one, "/FROM:" + one, "/PROM"),
             (1, b"Error: /PROM works on one table, and /FROM: named several\n")),
        ]
        for arguments, want in cases:
            got = run(tool, *arguments)
            if got != want:
                fail("%s: %r, expected %r" % (" ".join(arguments), got[:1] + (got[1][:120],), want[:1] + (want[1][:120],)))
    print("/PROM over a directory of one table, of none, of two")


# The structures of a table file and where the table starts in it.
def table_of(path):
    with open(path, "rb") as f:
        data = bytearray(f.read())
    if data[:5] == b"_SM3_":
        start = struct.unpack_from("<Q", data, 0x10)[0]
    elif data[:4] == b"_SM_":
        start = struct.unpack_from("<I", data, 0x18)[0]
    elif len(data) >= 8 and struct.unpack_from("<I", data, 4)[0] == len(data) - 8:
        start = 8
    else:
        start = 0
    return data, start


def walk(data, start):
    """(offset, type, length, handle, strings) of each structure."""
    pos, out = start, []
    while pos + 4 <= len(data):
        kind, size = data[pos], data[pos + 1]
        end = data.find(b"\0\0", pos + size)
        if size < 4 or pos + size > len(data) or end < 0:
            break
        strings = bytes(data[pos + size:end]).split(b"\0") if end > pos + size else []
        out.append((pos, kind, size, struct.unpack_from("<H", data, pos + 2)[0], strings, pos + size))
        pos = end + 2
    return out


def string_offsets(strings_at, strings):
    """The offset in the file of each string."""
    offsets, at = [], strings_at
    for s in strings:
        offsets.append(at)
        at += len(s) + 1
    return offsets


def tool_lines(tool, table, *selectors):
    return run(tool, "/FROM:" + table, "/LINES", *selectors)[1].decode("utf-8", "replace").splitlines()


def label_of(tool, table, names, index):
    """How /DIFF names a structure: its identifying values, the empty ones left out."""
    if not names:
        return ""
    return " ".join(v for v in tool_lines(tool, table, *("%s:%d" % (n, index + 1) for n in names)) if v)


def changed_string(data, structures, kind, offset, string_fields, key_of, end=None):
    """Changes the last characters of the string a field names (to `end`, or to
    letters), in the first structure of the type that no other of its type shares its
    identity with and whose string is named by no other string field: (structure
    index, old, new) or None."""
    mine = [s for s in structures if s[1] == kind]
    keys = [key_of(data, s) for s in mine]
    for index, (pos, t, size, handle, strings, strings_at) in enumerate(mine):
        if keys.count(keys[index]) != 1:
            continue
        if size <= offset or data[pos + offset] == 0 or data[pos + offset] > len(strings):
            continue
        number = data[pos + offset]
        others = [data[pos + o] for o in string_fields if o != offset and o < size]
        old = strings[number - 1]
        if number in others or len(old.strip()) < 3 or not old.isascii() or old.rstrip() != old:
            continue
        new = old[:-3] + (end or (b"XYZ" if old[-3:] != b"XYZ" else b"ABC"))
        at = string_offsets(strings_at, strings)[number - 1]
        data[at:at + len(old)] = new
        return index, old.decode(), new.decode()
    return None


def removed(data, structures, kind, key_of):
    """Makes the first structure of the type whose key no other has inactive (type
    126): its index, or None."""
    mine = [s for s in structures if s[1] == kind]
    keys = [key_of(data, s) for s in mine]
    for index, (structure, key) in enumerate(zip(mine, keys)):
        if keys.count(key) == 1:
            data[structure[0]] = 126
            return index
    return None


def key(*offsets):
    """The identity of a structure as the tool reads it: the strings at these offsets,
    trimmed of trailing spaces."""
    def of(data, s):
        pos, _, size, _, strings, _ = s
        return tuple(strings[data[pos + o] - 1].rstrip(b" ")
                     if size > o and 0 < data[pos + o] <= len(strings) else b"" for o in offsets)
    return of


def compared_values(tool, path, kind_group):
    """Per structure of the group, the values /DIFF compares, as the tool reads them."""
    fields = [line.split("\t") for line in run(tool, "/FIELDS")[1].decode().splitlines()]
    selectors = [f[0] + ":*" for f in fields if f[2] == kind_group and f[6] == ""]
    values = run(tool, "/FROM:" + path, "/TAB", *selectors)[1].decode("utf-8", "replace").split("\t")[:-1]
    count = len(values) // len(selectors)
    return [tuple(values[s * count + i] for s in range(len(selectors))) for i in range(count)]


# What each change must read as: (file changed, the lines /DIFF must print).
def expected_changes(tool, path, work):
    data, start = table_of(path)
    structures = walk(data, start)
    cases = []

    def save(name, changed):
        target = os.path.join(work, name)
        with open(target, "wb") as f:
            f.write(changed)
        return target

    # A module's serial number (also with a line end in it), a processor's
    # version, the BIOS version.
    for kind, offset, fields, identity, group, selector, names, end in (
            (17, 0x18, (0x10, 0x11, 0x17, 0x19, 0x1A, 0x2B), key(0x10, 0x11), "MEM", "/MEMSERIAL",
             ("/MEMDEVLOC", "/MEMBANKLOC"), None),
            (17, 0x18, (0x10, 0x11, 0x17, 0x19, 0x1A, 0x2B), key(0x10, 0x11), "MEM", "/MEMSERIAL",
             ("/MEMDEVLOC", "/MEMBANKLOC"), b"\r\nZ"),
            (4, 0x10, (0x04, 0x07, 0x20, 0x21, 0x22, 0x32), key(0x04), "PROCESSOR", "/PROCESSORVER",
             ("/PROCESSORSOCKET",), None),
            (0, 0x05, (0x04, 0x08), key(), "BIOS", "/BIOSVER", (), None)):
        changed = bytearray(data)
        found = changed_string(changed, structures, kind, offset, fields, identity, end)
        if found is None:
            continue
        index, old, new = found
        table = save("%s%s.bin" % (selector[1:].lower(), "-line-end" if end else ""), changed)
        label = label_of(tool, path, names, index)
        shown = new.rstrip().replace("\r", "\\x0D").replace("\n", "\\x0A")
        cases.append((table, ["%s%s %s %s -> %s" % (group, " " + label if label else "", selector,
                                                  old.rstrip(), shown)]))
    # A processor the BIOS disabled (status 0x41 -> 0x43, as dmidecode names them).
    sockets = [s for s in structures if s[1] == 4]
    sockets_named = [key(0x04)(data, s) for s in sockets]
    for index, socket in enumerate(sockets):
        at = socket[0] + 0x18
        if socket[2] <= 0x18 or data[at] != 0x41 or sockets_named.count(sockets_named[index]) != 1:
            continue
        changed = bytearray(data)
        changed[at] = 0x43
        table = save("processorstatus.bin", changed)
        label = label_of(tool, path, ("/PROCESSORSOCKET",), index)
        cases.append((table, ["PROCESSOR%s /PROCESSORSTATUS Populated, Enabled -> Populated, Disabled By BIOS"
                              % (" " + label if label else "")]))
        break
    # Every structure renumbered (its header's handle only): no change. Only
    # tables with OEM structures count, whose bytes hold their handle.
    if any(s[1] >= 128 for s in structures):
        changed = bytearray(data)
        for pos, *_ in structures:
            struct.pack_into("<H", changed, pos + 2, struct.unpack_from("<H", changed, pos + 2)[0] ^ 0x4000)
        cases.append((save("renumbered.bin", changed), []))
    # A module and a power supply removed.
    for kind, key_of, group, names in ((17, key(0x10, 0x11), "MEM", ("/MEMDEVLOC", "/MEMBANKLOC")),
                                       (39, key(0x05, 0x06), "PSU", ("/PSULOCATION", "/PSUNAME"))):
        changed = bytearray(data)
        index = removed(changed, structures, kind, key_of)
        if index is None:
            continue
        table = save("%s-removed.bin" % group.lower(), changed)
        label = label_of(tool, path, names, index)
        cases.append((table, ["%s%s removed" % (group, " " + label if label else "")]))
    # A module removed among others of the same slot name: that one removed
    # (or, where others read exactly as it does, one of them), the others
    # untouched.
    mine = [s for s in structures if s[1] == 17]
    keys = [key(0x10, 0x11)(data, s) for s in mine]
    shared = [i for i in range(len(mine)) if keys.count(keys[i]) > 1]
    values = compared_values(tool, path, "MEM") if shared else []
    if shared and len(values) == len(mine):
        index = shared[0]
        alike = [i for i in shared if keys[i] == keys[index]]
        changed = bytearray(data)
        changed[mine[index][0]] = 126
        table = save("mem-shared-removed.bin", changed)
        label = label_of(tool, path, ("/MEMDEVLOC", "/MEMBANKLOC"), index)
        cases.append((table, [["MEM %s#%d removed" % (label + " " if label else "", k + 1)
                               for k, i in enumerate(alike) if values[i] == values[index]]]))
    return cases


def check_diff(tool, corpus):
    tables = [os.path.join(corpus, sub, f) for sub in ("raw", "machines", "edge")
              for f in sorted(os.listdir(os.path.join(corpus, sub))) if f.endswith(".bin")]
    same = 0
    counted = {}

    def one(path):
        problems, kinds = [], []
        code, out = run(tool, "/FROM:" + path, "/DIFF:" + path)
        if code != 0 or out:
            problems.append("%s against itself: exit %d, %r" % (path, code, out[:200]))
        with tempfile.TemporaryDirectory() as work:
            for changed, want in expected_changes(tool, path, work):
                code, out = run(tool, "/FROM:" + changed, "/DIFF:" + path)
                got = out.decode("utf-8", "replace").splitlines()
                # A line may be one of several (a list of them).
                if code != (8 if want else 0) or len(got) != len(want) or any(
                        g not in w if isinstance(w, list) else g != w for g, w in zip(got, want)):
                    problems.append("%s, %s: exit %d\n  got  %r\n  want %r" % (
                        path, os.path.basename(changed), code, got, want))
                kinds.append(os.path.basename(changed))
        return problems, kinds

    with ThreadPoolExecutor(os.cpu_count() or 2) as pool:
        for problems, kinds in pool.map(one, tables):
            for problem in problems:
                fail(problem)
            same += 1
            for kind in kinds:
                counted[kind] = counted.get(kind, 0) + 1
    print("/DIFF: %d tables against themselves; changed copies: %s" % (
        same, ", ".join("%s %d" % kv for kv in sorted(counted.items()))))
    for kind in ("memserial.bin", "processorver.bin", "biosver.bin", "mem-removed.bin", "psu-removed.bin",
                 "mem-shared-removed.bin", "memserial-line-end.bin", "processorstatus.bin",
                 "renumbered.bin"):
        if counted.get(kind, 0) < 5:
            fail("too few tables tried with %s" % kind)


def check_different_machines(tool, corpus):
    """Two machines' tables: the first line says so, and the document; a table
    whose serial and UUID are unknown is of no machine to tell apart."""
    r630, r640 = (os.path.join(corpus, "raw", f) for f in ("dell-r630.bin", "dell-poweredge-r640.bin"))
    code, out = run(tool, "/FROM:" + r630, "/DIFF:" + r640)
    lines = out.decode().splitlines()
    want = ("Different machines: /MACHINESERIAL B3SCFX2 -> 790H8D2, /MACHINEUUID "
            "4C4C4544-0033-5310-8043-C2C04F465832 -> 4C4C4544-0039-3010-8048-B7C04F384432")
    if code != 8 or lines[:1] != [want] or any(l.startswith("Different") for l in lines[1:]):
        fail("two machines: exit %d, %r" % (code, lines[:2]))
    code, out = run(tool, "/FROM:" + r630, "/DIFF:" + r640, "/JSON")
    if code != 8 or json.loads(out)["different_machines"] is not True:
        fail("two machines, /JSON: exit %d, %r" % (code, out[:80]))
    unknown = os.path.join(corpus, "edge", "connectors-memory.bin")
    for arguments in (["/FROM:" + unknown, "/DIFF:" + r630], ["/FROM:" + r630, "/DIFF:" + unknown]):
        code, out = run(tool, *arguments)
        code_json, document = run(tool, *arguments, "/JSON")
        if code != 8 or out.startswith(b"Different") or json.loads(document)["different_machines"]:
            fail("%s: a table of no known serial or UUID is of different machines" % arguments)


def main(tool, corpus):
    check_json_lines(tool, corpus)
    check_csv(tool, corpus)
    check_unreadable(tool, corpus)
    check_one_table(tool, corpus)
    check_diff(tool, corpus)
    check_different_machines(tool, corpus)
    for failure in failures[:20]:
        print("FAIL:", failure)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
