#!/usr/bin/env python3
"""/SCHEMA against what the tool writes, with Debian's python3-jsonschema.

    check_schema.py TOOL CORPUS_DIR SHIPPED_SCHEMA

- /SCHEMA is a valid draft 2020-12 schema, byte for byte the shipped file;
- every JSON Lines line of each corpus directory (one run per directory)
  validates as a line, that is as the /JSON document with its FILE (the
  fleet test proves each line is its table's own document), every key of
  every object declared; one single-table document validates too;
- the /DIFF: /JSON document of every corpus table against the next one in
  its directory (changes, different machines) and against itself validates;
- documents with one value of a wrong type do not.
"""
import copy
import json
import os
import subprocess
import sys

try:
    from jsonschema import Draft202012Validator
except ImportError:
    print("skipped: python3-jsonschema is not installed (scripts/install-deps.sh installs it)")
    sys.exit(0)

failures = []


def fail(message):
    failures.append(message)
    if len(failures) <= 20:
        print("FAIL:", message)


def run(tool, *arguments):
    done = subprocess.run([tool] + list(arguments), capture_output=True, timeout=120)
    return done.returncode, done.stdout


def validator(schema, definition):
    """A validator of one of the schema's $defs, its references resolved in the whole."""
    root = dict(schema)
    root["$ref"] = "#/$defs/" + definition
    return Draft202012Validator(root)


def undeclared(schema, value, node, where):
    """Keys of value that the schema node does not declare (it lets new keys
    appear, so that older schemas read newer documents: the tool's own must
    declare every key it writes)."""
    while "$ref" in node and "properties" not in node:
        node = schema["$defs"][node["$ref"].rsplit("/", 1)[1]]
    if isinstance(value, dict):
        properties = node.get("properties", {})
        for key, member in value.items():
            if key not in properties:
                yield "%s: %s not in the schema" % (where, key)
            else:
                yield from undeclared(schema, member, properties[key], where + "." + key)
    elif isinstance(value, list) and isinstance(node.get("items"), dict):
        for item in value[:3]:
            yield from undeclared(schema, item, node["items"], where + "[]")


def check(valid, document, where):
    error = next(valid.iter_errors(document), None)
    if error is not None:
        fail("%s: %s at %s" % (where, error.message[:200], "/".join(map(str, error.path))))


def wrong_types(document, changes):
    """Copies of document, each with one value given a wrong type."""
    for path, value in changes:
        wrong = copy.deepcopy(document)
        target = wrong
        for step in path[:-1]:
            target = target[step]
        target[path[-1]] = value
        yield "/".join(map(str, path)), wrong


def main(tool, corpus, shipped):
    code, text = run(tool, "/SCHEMA")
    schema = json.loads(text)
    Draft202012Validator.check_schema(schema)
    with open(shipped, "rb") as file:
        if code != 0 or file.read() != text:
            fail("%s differs from /SCHEMA: write it again with tarnlix /SCHEMA > %s" %
                 (shipped, shipped))
    document = validator(schema, "document")
    line = validator(schema, "line")
    diff = validator(schema, "diff")

    lines = 0
    tables = {}
    for sub in ("machines", "raw", "edge"):
        directory = os.path.join(corpus, sub)
        _, out = run(tool, "/FROM:" + directory, "/JSON")
        for text_line in out.decode("utf-8").splitlines():
            value = json.loads(text_line)
            check(line, value, value.get("FILE", sub))
            lines += 1
            if "ERROR" in value:
                continue
            tables.setdefault(sub, []).append(value["FILE"])
            # A line is valid as its document is: checked once, through the line.
            whole = {k: v for k, v in value.items() if k != "FILE"}
            for message in undeclared(schema, whole, schema["$defs"]["document"], value["FILE"]):
                fail(message)
    single = json.loads(run(tool, "/FROM:" + tables["raw"][0], "/JSON")[1])
    check(document, single, tables["raw"][0] + " /JSON")

    diffs = 0
    different = 0
    for files in tables.values():
        for saved, now in zip(files, files[1:] + files[:1]):
            code, out = run(tool, "/FROM:" + now, "/DIFF:" + saved, "/JSON")
            value = json.loads(out)
            check(diff, value, "%s /DIFF:%s" % (now, saved))
            if code not in (0, 8):
                fail("%s /DIFF:%s: exit %d" % (now, saved, code))
            diffs += 1
            different += value.get("different_machines") is True
    same = json.loads(run(tool, "/FROM:" + tables["raw"][0], "/DIFF:" + tables["raw"][0], "/JSON")[1])
    check(diff, same, "a table against itself")
    if different == 0:
        fail("no /DIFF: of two corpus tables was of different machines")

    # A wrong type must not pass: a string for a number, a number for a
    # string, an object for an array, null where a value is always there.
    changed = json.loads(run(tool, "/FROM:" + tables["raw"][0], "/DIFF:" + tables["raw"][1], "/JSON")[1])
    memory = next(i for i, m in enumerate(single["MEM"]) if m["MEMSIZE"] is not None)
    cases = [(document, single, [(("MEMTOTAL",), "32768"), (("SMBIOS",), 3.0),
                                 (("MEM", memory, "MEMSIZE"), "16384"), (("BIOS",), {}),
                                 (("BIOS", 0, "BIOSCHARS"), "PCI is supported"),
                                 (("MACHINE",), []), (("MACHINE", "MACHINESERIAL"), 1),
                                 (("PC", 0, "HANDLE"), None)]),
             (diff, changed, [(("different_machines",), "true"), (("changed", 0, "was"), {}),
                              (("added",), None), (("changed", 0, "group"), "MEMORY")])]
    rejected = 0
    for valid, good, changes in cases:
        for where, wrong in wrong_types(good, changes):
            if valid.is_valid(wrong):
                fail("a document with a wrong %s validates" % where)
            rejected += 1

    print("%d JSON Lines lines, %d /DIFF: documents (%d of different machines) valid; "
          "%d documents of a wrong type rejected; %d failures" %
          (lines, diffs + 1, different, rejected, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3]))
