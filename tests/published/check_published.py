#!/usr/bin/env python3
"""The inventory a user without root reads on Linux, against the whole table.

    check_published.py TOOL CORPUS_DIR UDEV_DEB_DIR

systemd's helper dmi_memory_id (from Debian's udev package in UDEV_DEB_DIR,
unpacked here, never installed) prints for each corpus table with an entry
point (the others saved by /DUMP: first) what udev keeps world-readable. In
one private mount namespace (tmpfs over /sys/class, /sys/firmware and /run,
/dev/mem masked) each table is laid out as the kernel and udev publish it:
/sys/firmware/dmi/tables (0400), /sys/class/dmi/id (the four serial files
0400, the rest 0444) and /run/udev/data/+dmi:id. Then:

- as the unprivileged user nobody: every memory value udev carries equals the
  whole table's, apart from values udev's own text leaves ambiguous (a string
  that reads "Not Specified", leading spaces the helper drops; counted and
  told); the four root-only values print nothing; /JSON says SOURCE
  "published" and PARTIAL true; /STRICT exits 1;
- as root: the table comes through sysfs (SOURCE "firmware"), and every
  selector's /CSV line and the /JSON document (less NAME, SOURCE and FILE)
  equal the /FROM: run of the same table.

Needs root and unshare; says "skipped:" and exits 0 where either is missing.
"""
import glob
import json
import os
import shutil
import stat
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "json"))
sys.path.insert(0, os.path.join(HERE, "..", "data", "corpus", "edge"))
from corpus_tsv import structures  # noqa: E402
from edge_table import dump, structure  # noqa: E402

# What udev carries of the memory devices (voltages and handles are not
# among them), each for every structure, and of the one array.
DEVICE = ["/MEMDEVLOC", "/MEMBANKLOC", "/MEMMAN", "/MEMSERIAL", "/MEMASSET", "/MEMPARTNO",
          "/MEMSIZE", "/MEMSPEED", "/MEMTYPE", "/MEMTOTALWIDTH", "/MEMDATAWIDTH",
          "/MEMFORMFACTOR", "/MEMSET", "/MEMTYPEDETAIL", "/MEMRANK", "/MEMCONFSPEED",
          "/MEMTECH", "/MEMMODES", "/MEMFIRMWARE", "/MEMMODULEMAN", "/MEMMODULEPRODUCT",
          "/MEMCONTROLLERMAN", "/MEMCONTROLLERPRODUCT", "/MEMNVSIZE", "/MEMVOLATILESIZE",
          "/MEMCACHESIZE", "/MEMLOGICALSIZE"]
ARRAY = ["/MEMARRAYLOCATION", "/MEMARRAYECC", "/MEMARRAYMAX"]
ROOT_ONLY = ["/PCSERIAL", "/BOARDSERIAL", "/ENCLOSURESERIAL", "/PCUUID"]
USER_SELECTORS = [s + ":*" for s in DEVICE + ARRAY] + ["/MEMTOTAL"] + ROOT_ONLY
SERIAL_FILES = {"product_serial", "product_uuid", "board_serial", "chassis_serial"}

# The kernel's identity files: (structure type, offset of the string number).
ID_STRINGS = {
    "bios_vendor": (0, 4), "bios_version": (0, 5), "bios_date": (0, 8),
    "sys_vendor": (1, 4), "product_name": (1, 5), "product_version": (1, 6),
    "product_serial": (1, 7), "product_sku": (1, 0x19), "product_family": (1, 0x1A),
    "board_vendor": (2, 4), "board_name": (2, 5), "board_version": (2, 6),
    "board_serial": (2, 7), "board_asset_tag": (2, 8), "chassis_vendor": (3, 4),
    "chassis_version": (3, 6), "chassis_serial": (3, 7), "chassis_asset_tag": (3, 8),
}

# The fields udev names codes of, and its key for each.
NAMED = {"/MEMTYPE": "TYPE", "/MEMFORMFACTOR": "FORM_FACTOR", "/MEMTECH": "MEMORY_TECHNOLOGY",
         "/MEMTYPEDETAIL": "TYPE_DETAIL", "/MEMMODES": "MEMORY_OPERATING_MODE_CAPABILITY",
         "/MEMARRAYLOCATION": "LOCATION", "/MEMARRAYECC": "EC_TYPE"}
# Where each named field lives: (name table, offset, size, bits).
CODES = {"/MEMTYPE": ("memory-type", 0x12, 1, False),
         "/MEMFORMFACTOR": ("memory-device-form-factor", 0x0E, 1, False),
         "/MEMTECH": ("memory-technology", 0x28, 1, False),
         "/MEMTYPEDETAIL": ("memory-device-type-detail", 0x13, 2, True),
         "/MEMMODES": ("memory-operating-mode-capability", 0x29, 2, True)}

failures = []


def fail(message):
    failures.append(message)
    if len(failures) <= 30:
        print("FAIL " + message)


def run(*arguments, **kwargs):
    return subprocess.run(list(arguments), capture_output=True, timeout=600, **kwargs)


def identity_files(path):
    """The /sys/class/dmi/id files the kernel makes of a table."""
    with open(path, "rb") as f:
        data = f.read()
    at = struct.unpack_from("<Q", data, 0x10)[0] if data[:5] == b"_SM3_" else \
        struct.unpack_from("<I", data, 0x18)[0]
    table = data[at:]
    files, pos, first = {}, 0, {}
    for kind, _, formatted in structures(path):
        pos = table.find(formatted, pos)
        end = table.find(b"\0\0", pos + len(formatted))
        if kind in (0, 1, 2, 3) and kind not in first:
            first[kind] = (formatted, table[pos + len(formatted):end + 1].split(b"\0")[:-1])
    for name, (kind, offset) in ID_STRINGS.items():
        if kind in first and offset < len(first[kind][0]):
            number, strings = first[kind][0][offset], first[kind][1]
            if 0 < number <= len(strings):
                files[name] = strings[number - 1].strip() + b"\n"
    if 0 in first and len(first[0][0]) >= 0x18:
        for name, offset in (("bios_release", 0x14), ("ec_firmware_release", 0x16)):
            major, minor = first[0][0][offset], first[0][0][offset + 1]
            if major != 0xFF:
                files[name] = b"%d.%d\n" % (major, minor)
    if 1 in first and len(first[1][0]) >= 0x19:
        u = first[1][0][8:24]
        files["product_uuid"] = (u[3::-1] + u[5:3:-1] + u[7:5:-1] + u[8:]).hex().encode()
    if 3 in first and len(first[3][0]) > 5:
        files["chassis_type"] = b"%d\n" % (first[3][0][5] & 0x7F)
    return files


def codes(table):
    with open(os.path.join(HERE, "..", "..", "src", "smbios", "names", table + ".tsv")) as f:
        return [int(line.split("\t")[0], 16) for line in f.read().splitlines()[1:]]


def code_tables(work):
    """Tables of one structure per code the tool names: a device for each
    code of each named device field; an array for each location and error
    correction code, one array a table (udev keeps one)."""
    devices = []
    for selector, (table, offset, size, bits) in CODES.items():
        for code in codes(table):
            body = bytearray(0x5C - 4)
            body[0x0C - 4:0x0E - 4] = struct.pack("<H", 1024)
            body[offset - 4:offset - 4 + size] = (1 << code if bits else code).to_bytes(size, "little")
            body[0x10 - 4] = 1
            devices.append(structure(17, 0x100 + len(devices), body, ["%s %#x" % (selector, code)]))
    names = ["codes-devices.bin"]
    with open(work + "/tables/" + names[0], "wb") as f:
        f.write(dump(devices))
    locations, ecc = codes("memory-array-location"), codes("memory-array-ec-type")
    for i in range(max(len(locations), len(ecc))):
        body = bytearray(0x0F - 4)
        body[0], body[1], body[2] = locations[i % len(locations)], 3, ecc[i % len(ecc)]
        body[3:7] = struct.pack("<I", 0x100000)
        names.append("codes-array-%02d.bin" % i)
        with open(work + "/tables/" + names[-1], "wb") as f:
            f.write(dump([structure(16, 0x50, body), devices[0]]))
    return names


def tables(tool, corpus, work):
    """Each corpus table with an entry point, the others saved with one."""
    os.makedirs(work + "/tables")
    names = []
    for part in ("machines", "raw", "edge"):
        for path in sorted(glob.glob("%s/%s/*.bin" % (corpus, part))):
            name = "%s-%s" % (part, os.path.basename(path))
            target = work + "/tables/" + name
            with open(path, "rb") as f:
                head = f.read(5)
            if head[:4] == b"_SM_" or head == b"_SM3_":
                shutil.copyfile(path, target)
            elif run(tool, "/FROM:" + path, "/DUMP:" + target).returncode != 0:
                fail(name + ": /DUMP: failed")
                continue
            names.append(name)
    return names + code_tables(work)


def lay_out(tool, helper, names, work):
    """The files the namespace puts in place, per table: sysfs and udev."""
    for name in names:
        table = work + "/tables/" + name
        out = run(helper, "-F", table)
        if out.returncode != 0:
            fail("%s: dmi_memory_id: %s" % (name, out.stderr.decode(errors="replace")))
            continue
        d = "%s/layout/%s" % (work, name)
        os.makedirs(d + "/id")
        with open(d + "/udev", "wb") as f:
            f.write(b"I:1\n" + b"".join(b"E:" + line + b"\n" for line in out.stdout.splitlines()))
        with open(table, "rb") as f:
            data = f.read()
        if data[:5] == b"_SM3_":
            ep_length, length, at = data[6], *struct.unpack_from("<IQ", data, 0x0C)
        else:
            ep_length, at, length = data[5], 0x20, struct.unpack_from("<H", data, 0x16)[0]
        with open(d + "/smbios_entry_point", "wb") as f:
            f.write(data[:ep_length])
        with open(d + "/DMI", "wb") as f:
            f.write(data[at:at + length])
        for file, text in identity_files(table).items():
            with open("%s/id/%s" % (d, file), "wb") as f:
                f.write(text)
            os.chmod("%s/id/%s" % (d, file), 0o400 if file in SERIAL_FILES else 0o444)
        os.chmod(d + "/udev", 0o644)
        os.chmod(d + "/smbios_entry_point", 0o400)
        os.chmod(d + "/DMI", 0o400)


INNER = r"""
set -u
W=$1
for fs in /sys/class /sys/firmware /run; do mount -t tmpfs tmpfs "$fs" || exit 3; done
if [ -e /dev/mem ]; then mount --bind /dev/null /dev/mem || exit 3; fi
mkdir -p /sys/firmware/dmi/tables /sys/class/dmi/id /run/udev/data
while read -r name; do
  L=$W/layout/$name O=$W/out/$name
  [ -f "$L/udev" ] || continue
  rm -f /sys/firmware/dmi/tables/* /sys/class/dmi/id/*
  cp -p "$L/smbios_entry_point" "$L/DMI" /sys/firmware/dmi/tables/
  cp -p "$L"/id/* /sys/class/dmi/id/ 2>/dev/null
  cp -p "$L/udev" "/run/udev/data/+dmi:id"
  setpriv --reuid=65534 --regid=65534 --clear-groups "$W/tarnlix" /STRICT /JSON $USER_SELECTORS \
    >"$O.user" 2>"$O.user.err"
  echo $? >"$O.user.rc"
  if [ ! -e "$W/out/facts" ]; then
    # The facts of the first table, a baseline beside them.
    for fact in ansible facter; do
      TARNLIX_BIN=$W/tarnlix TARNLIX_BASELINE=$W/tables/$name setpriv --reuid=65534 \
        --regid=65534 --clear-groups sh "$W/$fact.fact" >"$W/out/$fact.fact"
    done
    echo "$name" >"$W/out/facts"
  fi
  "$W/tarnlix" /JSON >"$O.root.json"
  i=0
  while read -r chunk; do
    "$W/tarnlix" /CSV $chunk >"$O.root.csv$i"
    i=$((i + 1))
  done <"$W/chunks"
done <"$W/names"
"""


def field_selectors(tool):
    return [line.split(b"\t")[0].decode() + ":*" for line in run(tool, "/FIELDS").stdout.splitlines()]


def json_lines(stdout):
    documents = {}
    for line in stdout.splitlines():
        document = json.loads(line)
        documents[os.path.basename(document.pop("FILE"))] = document
    return documents


def ambiguous(whole, partial):
    """A value udev's own text cannot give back."""
    if not isinstance(whole, str):
        return False
    return (whole == "Not Specified" and partial is None) or \
        (whole != whole.lstrip(" ") and partial == whole.strip(" "))


def udev_values(work, name):
    """udev's texts of a table: (device number or None for the array, key) -> text."""
    texts = {}
    with open("%s/layout/%s/udev" % (work, name), "rb") as f:
        for line in f.read().decode(errors="replace").splitlines():
            key, _, value = line[2:].partition("=")
            if key.startswith("MEMORY_ARRAY_"):
                texts[(None, key[13:])] = value
            elif key.startswith("MEMORY_DEVICE_"):
                number, _, rest = key[14:].partition("_")
                texts[(int(number), rest)] = value
    return texts


def compare_user(name, user, whole, counts, texts):
    for selector in DEVICE + ARRAY:
        key = selector[1:] + ":*"
        got, want = user.get(key), whole.get(key)
        if selector in ARRAY:
            # One array: the helper prints the last; compared where there is one.
            if len(want) != 1:
                counts["arrays apart"] += selector == ARRAY[0]
                continue
            want = want[:1]
            got = got[:1]
        if got is None or len(got) != len(want):
            fail("%s %s: %r, whole table %r" % (name, key, got, want))
            continue
        for i, (g, w) in enumerate(zip(got, want)):
            counts["values"] += 1
            if g == w:
                continue
            if ambiguous(w, g):
                counts["ambiguous"] += 1
                continue
            # A code udev's helper has no name for: "<OUT OF SPEC>", or
            # nothing printed for a bit.
            text = texts.get((None if selector in ARRAY else i, NAMED.get(selector, "")))
            if selector in NAMED and text in ("<OUT OF SPEC>", ""):
                counts["unnamed"] += 1
                counts["unnamed codes"].add("%s=%s" % (selector, w))
                continue
            fail("%s %s[%d]: %r, whole table %r" % (name, key, i, g, w))
    counts["devices"] += len(whole.get("MEMSIZE:*", []))
    if user.get("MEMTOTAL") != whole.get("MEMTOTAL"):
        fail("%s MEMTOTAL: %r, whole table %r" % (name, user.get("MEMTOTAL"), whole.get("MEMTOTAL")))
    for selector in ROOT_ONLY:
        if user.get(selector[1:]) is not None:
            fail("%s %s: %r without root" % (name, selector, user.get(selector[1:])))
    if user.get("SOURCE") != "published" or user.get("PARTIAL") is not True:
        fail("%s: SOURCE %r PARTIAL %r" % (name, user.get("SOURCE"), user.get("PARTIAL")))


def main(tool, corpus, debs):
    if os.geteuid() != 0:
        print("skipped: needs root (a private mount namespace and the user nobody)")
        return 0
    if shutil.which("unshare") is None or shutil.which("setpriv") is None or \
            run("unshare", "-m", "true").returncode != 0:
        print("skipped: unshare -m is not available here")
        return 0
    deb = sorted(glob.glob(os.path.join(debs, "udev_*.deb")))
    if not deb:
        print("skipped: no udev package in %s (scripts/install-deps.sh fetches it)" % debs)
        return 0
    work = tempfile.mkdtemp(prefix="tarnlix-published-")
    try:
        os.chmod(work, 0o755)
        run("dpkg", "-x", deb[-1], work + "/udev-package").check_returncode()
        helper = (glob.glob(work + "/udev-package/*lib/udev/dmi_memory_id") +
                  glob.glob(work + "/udev-package/usr/lib/udev/dmi_memory_id"))[0]
        shutil.copyfile(tool, work + "/tarnlix")
        os.chmod(work + "/tarnlix", stat.S_IRWXU | stat.S_IRGRP | stat.S_IXGRP | stat.S_IROTH |
                 stat.S_IXOTH)
        contrib = os.path.join(HERE, "..", "..", "contrib")
        shutil.copyfile(contrib + "/ansible/tarnlix.fact", work + "/ansible.fact")
        shutil.copyfile(contrib + "/facter/tarnlix", work + "/facter.fact")
        names = tables(tool, corpus, work)
        lay_out(tool, helper, names, work)
        # The /JSON document holds every field; one /CSV run of as many
        # selectors as a run takes: the memory ones and the first of the others.
        selectors = field_selectors(tool)
        others = [s for s in selectors if s not in USER_SELECTORS]
        chunks = [USER_SELECTORS + others[:100 - len(USER_SELECTORS)]]
        with open(work + "/names", "w") as f:
            f.write("".join(n + "\n" for n in names))
        with open(work + "/chunks", "w") as f:
            f.write("".join(" ".join(c) + "\n" for c in chunks))
        os.makedirs(work + "/out")
        inner = run("unshare", "-m", "sh", "-c", INNER, "sh", work,
                    env=dict(os.environ, USER_SELECTORS=" ".join(USER_SELECTORS)))
        if inner.returncode == 3:
            print("skipped: the namespace cannot mount over /sys and /run here")
            return 0
        source = "/FROM:" + work + "/tables"
        whole_values = json_lines(run(tool, source, "/JSON", *USER_SELECTORS).stdout)
        whole_documents = json_lines(run(tool, source, "/JSON").stdout)
        # Each line of a run over several tables is the table's file, then
        # the line of a run over that table alone.
        whole_csv = []
        for chunk in chunks:
            lines = run(tool, source, "/CSV", *chunk).stdout.splitlines()
            whole_csv.append({os.path.basename(line[1:line.index(b'",')]).decode():
                              line[line.index(b'",') + 2:] + b"\n" for line in lines})

        # The facts without root: the partial inventory, no comparison.
        for fact in ("ansible", "facter"):
            with open("%s/out/%s.fact" % (work, fact), "rb") as f:
                document = json.loads(f.read())
            document = document.get("tarnlix", document)
            if document.get("PARTIAL") is not True or "DIFF" in document or \
                    "partial" not in document.get("DIFF_SKIPPED", ""):
                fail("%s fact without root: %r" % (fact, {k: document.get(k) for k in
                                                          ("PARTIAL", "DIFF", "DIFF_SKIPPED")}))
        counts = {"values": 0, "ambiguous": 0, "devices": 0, "arrays apart": 0, "unnamed": 0,
                  "unnamed codes": set()}
        for name in names:
            out = "%s/out/%s" % (work, name)
            if not os.path.exists(out + ".user"):
                continue
            with open(out + ".user", "rb") as f:
                user = json.loads(f.read())
            compare_user(name, user, whole_values[name], counts, udev_values(work, name))
            with open(out + ".user.rc") as f:
                rc = f.read().strip()
            with open(out + ".user.err", "rb") as f:
                err = f.read()
            if rc != "1" or err != b"Error: partial inventory: the whole SMBIOS table needs root\n":
                fail("%s: /STRICT without root: exit %s, %r" % (name, rc, err))
            with open(out + ".root.json", "rb") as f:
                root = json.loads(f.read())
            if root.get("SOURCE") != "firmware" or root.get("PARTIAL") is not False:
                fail("%s as root: SOURCE %r PARTIAL %r" % (name, root.get("SOURCE"), root.get("PARTIAL")))
            for document in (root, whole_documents[name]):
                for key in ("NAME", "SOURCE"):
                    document.pop(key, None)
            if root != whole_documents[name]:
                fail("%s as root: the /JSON document differs from /FROM:'s" % name)
            for i, lines in enumerate(whole_csv):
                with open("%s.root.csv%d" % (out, i), "rb") as f:
                    got = f.read()
                if got != lines.get(name):
                    fail("%s as root: /CSV of selectors %d-%d differs from /FROM:'s" %
                         (name, 100 * i + 1, 100 * i + len(chunks[i])))
        print("%d tables, %d memory devices, %d memory values compared, %d of them ambiguous in "
              "udev's text (\"Not Specified\" strings, leading spaces), %d tables with more than "
              "one array (array values not compared), %d codes the helper does not name (%s), "
              "%d failures" %
              (len(names), counts["devices"], counts["values"], counts["ambiguous"],
               counts["arrays apart"], counts["unnamed"], ", ".join(sorted(counts["unnamed codes"])),
               len(failures)))
        if counts["devices"] < 500:
            fail("only %d memory devices went through" % counts["devices"])
        return 1 if failures else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
