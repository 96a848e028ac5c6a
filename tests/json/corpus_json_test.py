#!/usr/bin/env python3
"""Every corpus table's /JSON output, read with Python's strict JSON parser:
valid UTF-8, no repeated keys, and every value what the text selectors print
(expected.tsv, instances.tsv, uuid.tsv), numbers as JSON numbers.

    corpus_json_test.py TOOL CORPUS_DIR
"""
import collections
import json
import subprocess
import sys

from corpus_tsv import read_tsv, unescape

NUMBERS = {"/PROCESSORSPEED", "/PROCESSORCORES", "/PROCESSORTHREADS",
           "/MEMSIZE", "/MEMSPEED", "/MEMTOTAL"}
# The JSON array of each selector's structures, by the selector's prefix.
GROUPS = [("/BIOS", "BIOS"), ("/ECREV", "BIOS"), ("/PC", "PC"), ("/BOARD", "BOARD"),
          ("/ENCLOS", "ENCLOSURE"), ("/PROCESSOR", "PROCESSOR"), ("/CACHE", "CACHE"),
          ("/PORT", "PORT"), ("/SLOT", "SLOT"), ("/DEVICE", "DEVICE"), ("/OEM", "OEM"),
          ("/MEM", "MEM"), ("/BAT", "BATTERY")]


def document_keys(tool):
    """The keys of the whole document: every group /FIELDS names, in structure
    type order (the other types' group last), each present even when empty."""
    listing = subprocess.run([tool, "/FIELDS"], capture_output=True, check=True).stdout.decode()
    groups = {}
    objects = []  # the groups of whole-table values: no type
    for line in listing.splitlines():
        selector, type_, group = line.split("\t")[:3]
        if group and not type_ and group != "OTHER":
            objects += [group] if group not in objects else []
        elif group:
            groups.setdefault(group, int(type_) if type_ else 256)
    order = sorted(groups, key=groups.get)
    if list(groups) != order or order[-1] != "OTHER":
        fail("/FIELDS groups not in structure type order: %r" % list(groups))
    return ["SMBIOS", "NAME", "SOURCE", "PARTIAL"] + order + ["MEMTOTAL"] + objects

failures = []

# The corpus' virtual machines, found by reading every table's system and
# baseboard makers and products and its BIOS vendor (/PCMAKER /PCNAME
# /BOARDMAN /BOARDPRODUCT /BIOSVENDOR /BIOSCHARS over every directory):
# only the Hyper-V guest names a hypervisor, and no table sets the BIOS's
# virtual machine bit. "Hetzner" (machines/00224.bin) is a dedicated server
# on an ASRock Rack board, and the OpenCore tables ("Acidanthera") are real
# machines with a borrowed identity.
VIRTUAL = {"raw/hyperv.bin": "Hyper-V"}
# Placeholders the corpus holds in the fields MACHINE reads, by reading them.
PLACEHOLDERS = {"To Be Filled By O.E.M.", "To be filled by O.E.M.", "Default string",
                "System Product Name", "System manufacturer", "All Series", "0123456789",
                "1234567890", "1234567890.", "Type2 - Board Serial Number",
                "03000200-0400-0500-0006-000700080009"}


def first_real(document, fields):
    """The first value of (group, key) fields present and no placeholder."""
    for group, key in fields:
        value = document[group][0].get(key) if document[group] else None
        if value is not None and value not in PLACEHOLDERS:
            return value
    return None


def check_machine(file, whole, verdicts):
    """The MACHINE object against the corpus' ground truth, counted by verdict."""
    machine = whole["MACHINE"]
    same(machine["MACHINEVIRTUAL"], VIRTUAL.get(file), file + " MACHINEVIRTUAL")
    wanted = {
        "MACHINEMAKER": first_real(whole, [("PC", "PCMAKER"), ("BOARD", "BOARDMAN")]),
        "MACHINEMODEL": first_real(whole, [("PC", "PCNAME"), ("BOARD", "BOARDPRODUCT")]),
        "MACHINESERIAL": first_real(whole, [("PC", "PCSERIAL"), ("ENCLOSURE", "ENCLOSURESERIAL"),
                                            ("BOARD", "BOARDSERIAL")]),
        "MACHINEUUID": first_real(whole, [("PC", "PCUUID")]),
    }
    for key, value in wanted.items():
        same(machine[key], value, "%s %s" % (file, key))
    system = whole["PC"][0].get("PCNAME") if whole["PC"] else None
    model = machine["MACHINEMODEL"]
    verdicts["virtual" if machine["MACHINEVIRTUAL"] else "physical"] += 1
    if system is None:
        verdicts["no system model, the board's" if model else "no model anywhere"] += 1
    elif model == system:
        verdicts["model kept"] += 1
    else:
        verdicts["placeholder model replaced" if model else "placeholder model, none left"] += 1


def fail(message):
    failures.append(message)
    if len(failures) <= 20:
        print("FAIL:", message)


def as_json(selector, raw):
    """The JSON value the text output raw stands for."""
    if raw == b"":
        return None
    if selector in NUMBERS:
        return int(raw)
    try:
        return raw.decode("utf-8")
    except UnicodeDecodeError:
        return raw.decode("latin-1")


def no_repeated_keys(pairs):
    keys = [k for k, _ in pairs]
    if len(keys) != len(set(keys)):
        raise ValueError("repeated key in %r" % keys)
    return dict(pairs)


def reject_constant(name):
    raise ValueError("not JSON: " + name)


def document(tool, arguments, where):
    run = subprocess.run([tool] + arguments, capture_output=True, timeout=30)
    if run.returncode != 0:
        fail("%s: exit code %d" % (where, run.returncode))
        return None
    try:
        text = run.stdout.decode("utf-8")
        if not text.endswith("}\n") or text.count("\n}\n") != 1:
            raise ValueError("not one object followed by one line end")
        return json.loads(text, object_pairs_hook=no_repeated_keys,
                          parse_constant=reject_constant)
    except ValueError as error:
        fail("%s: %s" % (where, error))
        return None


def same(value, wanted, where):
    if value != wanted or type(value) is not type(wanted):
        fail("%s: %r, expected %r" % (where, value, wanted))


def group_of(selector):
    return next(g for prefix, g in GROUPS if selector.startswith(prefix))


def key_of(selector):
    return "ENCLOSURETYPE" if selector == "/ENCLOSEURETYPE" else selector[1:]


def main(tool, corpus):
    expected = collections.OrderedDict()
    for file, selector, value in read_tsv(corpus + "/expected.tsv"):
        expected.setdefault(file.decode(), {})[selector.decode()] = unescape(value)
    instances = collections.defaultdict(lambda: collections.defaultdict(list))
    for file, selector, index, value in read_tsv(corpus + "/instances.tsv"):
        values = instances[file.decode()][selector.decode()]
        if int(index) != len(values) + 1:
            fail("instances.tsv out of order at %s %s" % (file, selector))
        values.append(unescape(value))
    uuids = {f.decode(): unescape(u) for f, u in read_tsv(corpus + "/uuid.tsv")}

    checked = 0
    verdicts = collections.Counter()
    keys = document_keys(tool)
    for file, values in expected.items():
        source = "/FROM:" + corpus + "/" + file
        # The whole document.
        whole = document(tool, [source, "/JSON"], file)
        if whole is None:
            continue
        if list(whole) != keys:
            fail("%s: keys %r" % (file, list(whole)))
            continue
        header = subprocess.run([tool, source, "/ALL"], capture_output=True).stdout
        version = None
        if header.startswith(b"- SMBBios data v"):
            version = header.split(b"\n")[0][16:-2].decode()
        same(whole["SMBIOS"], version, file + " SMBIOS")
        same((whole["SOURCE"], whole["PARTIAL"]), ("file", False), file + " SOURCE, PARTIAL")
        if whole["NAME"] is not None and not isinstance(whole["NAME"], str):
            fail("%s: NAME %r" % (file, whole["NAME"]))
        same(whole["MEMTOTAL"], as_json("/MEMTOTAL", values["/MEMTOTAL"]), file + " MEMTOTAL")
        check_machine(file, whole, verdicts)
        counts = collections.Counter()
        for selector, list_ in instances[file].items():
            group = group_of(selector)
            counts[group] = max(counts[group], len(list_))
            for i, raw in enumerate(list_):
                objects = whole[group]
                where = "%s %s:%d" % (file, selector, i + 1)
                if i >= len(objects):
                    fail(where + ": no object")
                    continue
                same(objects[i].get(key_of(selector), "missing"), as_json(selector, raw), where)
                checked += 1
        for group in dict.fromkeys(g for _, g in GROUPS):
            same(len(whole[group]), counts[group], "%s %s structures" % (file, group))
        if whole["PC"]:
            same(whole["PC"][0]["PCUUID"], as_json("/PCUUID", uuids[file]), file + " PCUUID")

        # The selector form: every structure of every field, and the first.
        selectors = [s for s in values if s not in ("/BIOSDATE+ISO", "/MEMTOTAL")]
        arguments = [source, "/JSON", "/MEMTOTAL"] + [s + ":*" for s in selectors]
        chosen = document(tool, arguments, file + " selector form")
        iso = document(tool, [source, "/JSON", "/ISO", "/BIOSDATE"], file + " /ISO")
        if chosen is None or iso is None:
            continue
        same(list(chosen), [a[1:] for a in arguments[2:]] + ["SOURCE", "PARTIAL"],
             file + " selector keys")
        same(iso, {"BIOSDATE": as_json("/BIOSDATE", values["/BIOSDATE+ISO"]), "SOURCE": "file",
                   "PARTIAL": False}, file + " /ISO")
        same(chosen["MEMTOTAL"], as_json("/MEMTOTAL", values["/MEMTOTAL"]), file + " MEMTOTAL")
        for selector in selectors:
            wanted = [as_json(selector, raw) for raw in instances[file].get(selector, [])]
            same(chosen[selector[1:] + ":*"], wanted, "%s %s:*" % (file, selector))
            checked += 1

    print("which machine: " + ", ".join("%s %d" % item for item in sorted(verdicts.items())))
    print("%d tables, %d values checked, %d failures" % (len(expected), checked, len(failures)))
    return 1 if failures or len(expected) != 316 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
