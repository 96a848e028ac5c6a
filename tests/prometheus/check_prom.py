#!/usr/bin/env python3
"""Every corpus table's /PROM exposition: promtool accepts it, every line has
the exposition form, the same table gives the same bytes, the serial number,
the memory total and the module count are the corpus' own, every module and
populated socket has its own series, told apart by handle, every power supply
its own, told apart by its place among those of its name, location and serial
(index), and each socket's enabled gauge is what its status byte says.

    check_prom.py TOOL CORPUS_DIR
"""
import collections
import json
import os
import re
import shutil
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "json"))
import corpus_tsv  # noqa: E402
from corpus_tsv import read_tsv, unescape  # noqa: E402

NAME = r"[a-zA-Z_:][a-zA-Z0-9_:]*"
LABEL = r'[a-zA-Z_][a-zA-Z0-9_]*="(?:[^"\\\n]|\\[\\"n])*"'
SAMPLE = re.compile(r"^(%s)(\{(?:%s(?:,%s)*)?\})? (-?[0-9]+(?:\.[0-9]+)?)$" % (NAME, LABEL, LABEL))
HELP = re.compile(r"^# HELP (%s) \S.*$" % NAME)
TYPE = re.compile(r"^# TYPE (%s) gauge$" % NAME)


def labels_of(series):
    return dict((m.group(1), m.group(2)) for m in re.finditer(r'([a-zA-Z_]+)="((?:[^"\\]|\\.)*)"', series))


def check(tool, promtool, corpus, file, expected, instances, machines):
    failures = []
    run = subprocess.run([tool, "/FROM:" + os.path.join(corpus, file), "/PROM"], capture_output=True, timeout=30)
    text = run.stdout
    if run.returncode != 0 or not text.endswith(b"\n"):
        return ["%s: exit %d, %r" % (file, run.returncode, text[-40:])]
    if promtool:
        lint = subprocess.run([promtool, "check", "metrics"], input=text, capture_output=True, timeout=60)
        if lint.returncode != 0:
            failures.append("%s: promtool: %s" % (file, (lint.stdout + lint.stderr).decode(errors="replace")[:300]))
    samples = collections.defaultdict(list)
    family = None
    for line in text.decode("utf-8").split("\n")[:-1]:
        if HELP.match(line):
            family = HELP.match(line).group(1)
        elif TYPE.match(line):
            if TYPE.match(line).group(1) != family:
                failures.append("%s: TYPE without its HELP: %s" % (file, line))
        elif SAMPLE.match(line):
            m = SAMPLE.match(line)
            if m.group(1) != family:
                failures.append("%s: sample outside its family: %s" % (file, line))
            samples[m.group(1)].append((labels_of(m.group(2) or ""), m.group(3)))
        else:
            failures.append("%s: not the exposition form: %r" % (file, line))
    system = samples["tarnlix_system_info"]
    want_serial = expected["/PCSERIAL"].decode("utf-8", "replace")
    if len(system) != 1 or system[0][0].get("system_serial", "").replace("\\\\", "\\") != want_serial:
        failures.append("%s: system_serial %r, expected %r" % (file, system, want_serial))
    # The MACHINE group's values, as /JSON gives them.
    if len(system) == 1 and file in machines:
        for label, key in (("machine_maker", "MACHINEMAKER"), ("machine_model", "MACHINEMODEL"),
                           ("machine_serial", "MACHINESERIAL"), ("machine_uuid", "MACHINEUUID"),
                           ("machine_virtual", "MACHINEVIRTUAL")):
            want = machines[file].get(key) or ""
            got = system[0][0].get(label, "").replace("\\\\", "\\").replace('\\"', '"')
            if got != want:
                failures.append("%s: %s %r, expected %r" % (file, label, got, want))
    total = [v for _, v in samples["tarnlix_memory_total_bytes"]]
    want_total = [str(int(expected["/MEMTOTAL"]) << 20)] if expected["/MEMTOTAL"] else []
    if total != want_total:
        failures.append("%s: memory total %r, expected %r" % (file, total, want_total))
    modules = sum(1 for size in instances.get("/MEMSIZE", []) if size)
    if [v for _, v in samples["tarnlix_memory_populated_slots"]] != [str(modules)]:
        failures.append("%s: populated slots %r, expected %d" % (file, samples["tarnlix_memory_populated_slots"], modules))
    # Every component its own series, whatever its slot texts: modules that
    # share a locator, supplies that share a name.
    structures = corpus_tsv.structures(os.path.join(corpus, file))
    psus = sum(1 for kind, _, _ in structures if kind == 39)
    # A socket is populated unless its status byte (0x18) says otherwise.
    sockets = sum(1 for kind, _, body in structures if kind == 4 and (len(body) <= 0x18 or body[0x18] & 0x40))
    counts = {"tarnlix_memory_module_info": modules, "tarnlix_memory_module_size_bytes": modules,
              "tarnlix_power_supply_info": psus, "tarnlix_processor_info": sockets}
    for family, want in counts.items():
        if len(samples[family]) != want:
            failures.append("%s: %d %s series for %d components" % (file, len(samples[family]), family, want))
    sizes = sum(int(v) for _, v in samples["tarnlix_memory_module_size_bytes"])
    if [str(sizes)] != (total or ["0"]):
        failures.append("%s: module sizes add up to %d, the total is %r" % (file, sizes, total))
    for family in counts:
        keys = [(labels.get("handle"),) for labels, _ in samples[family]]
        if family.startswith("tarnlix_power_supply"):
            keys = [tuple(labels.get(k) for k in ("location", "name", "serial", "index"))
                    for labels, _ in samples[family]]
            if any("handle" in labels for labels, _ in samples[family]):
                failures.append("%s: a supply's series carries its handle" % file)
        if any(None in k for k in keys) or len(set(keys)) != len(keys):
            failures.append("%s: %s series without a key of their own: %r" % (file, family, keys))
    # A supply's index: its place among those of the same identity, from 1.
    seen = collections.Counter()
    for labels, _ in samples["tarnlix_power_supply_info"]:
        identity = (labels["location"], labels["name"], labels["serial"])
        seen[identity] += 1
        if labels["index"] != str(seen[identity]):
            failures.append("%s: supply %r has index %s" % (file, identity, labels["index"]))
    # Every socket that has a status byte: 1 when populated (bit 6) and
    # enabled (bits 0-2 = 1), else 0.
    enabled = sorted(str(int(body[0x18] & 0x40 != 0 and body[0x18] & 7 == 1))
                     for kind, _, body in structures if kind == 4 and len(body) > 0x18)
    if sorted(v for _, v in samples["tarnlix_processor_enabled"]) != enabled:
        failures.append("%s: processor enabled %r, status bytes say %r" % (file, samples["tarnlix_processor_enabled"], enabled))
    return failures


def main(tool, corpus):
    promtool = shutil.which("promtool")
    if promtool is None:
        print("promtool is not installed (Debian prometheus): checking the form only")
    expected = collections.OrderedDict()
    for file, selector, value in read_tsv(os.path.join(corpus, "expected.tsv")):
        expected.setdefault(file.decode(), {})[selector.decode()] = unescape(value)
    instances = collections.defaultdict(lambda: collections.defaultdict(list))
    for file, selector, _, value in read_tsv(os.path.join(corpus, "instances.tsv")):
        instances[file.decode()][selector.decode()].append(unescape(value))
    # Each table's MACHINE object, from one JSON Lines run per directory.
    machines = {}
    for directory in sorted({os.path.dirname(f) for f in expected}):
        run = subprocess.run([tool, "/FROM:" + os.path.join(corpus, directory), "/JSON"],
                             capture_output=True, timeout=120)
        for line in run.stdout.decode("utf-8", "replace").splitlines():
            document = json.loads(line)
            machines[os.path.relpath(document["FILE"], corpus)] = document["MACHINE"]
    with ThreadPoolExecutor(os.cpu_count() or 2) as pool:
        results = pool.map(lambda f: check(tool, promtool, corpus, f, expected[f], instances[f], machines), expected)
        failures = [failure for result in results for failure in result]
    first = os.path.join(corpus, next(iter(expected)))
    outputs = {subprocess.run([tool, "/FROM:" + first, "/PROM"], capture_output=True).stdout for _ in range(3)}
    if len(outputs) != 1:
        failures.append("the same table gave different bytes")
    refused = subprocess.run([tool, "/FROM:" + first, "/PROM", "/PCSERIAL"], capture_output=True)
    if refused.returncode != 1 or refused.stdout != b"Error: /PROM takes no selectors: it prints the whole inventory\n":
        failures.append("/PROM with a selector: exit %d, %r" % (refused.returncode, refused.stdout))
    for failure in failures[:20]:
        print("FAIL:", failure)
    print("%d tables, %d failures%s" % (len(expected), len(failures), "" if promtool else " (without promtool)"))
    return 1 if failures or len(expected) != 316 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
