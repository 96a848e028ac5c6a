#!/usr/bin/env python3
"""The shipped alerting rules under promtool test rules, on hosts whose series
are real corpus tables' /PROM output, changed half-way as a machine changes.

    alert_rules_test.py TOOL CORPUS_DIR RULES_FILE

Every rule is checked at one moment against every host at once: the alerts it
gives must be exactly the expected ones, labels and texts included, so each
case that must fire fires and every other host stays silent: among them a
table whose handles were renumbered (real /PROM output of a renumbered copy),
a supply that degrades then goes (one alert), a processor the BIOS disabled
and one renumbered, a deleted textfile and a retired host.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

HOURS = 72       # samples, one an hour
CHANGE = 36      # the hour a host changes
EVAL = "40h"     # within a day of the change; a day back is before it
SAMPLE = re.compile(r'^([a-z_]+)(?:\{(.*)\})? (\S+)$')
LABEL = re.compile(r'([a-z_]+)="((?:[^"\\]|\\.)*)"')


def renumbered(table, work):
    """A copy of a table file whose structures all have other handles (their
    headers' only), as a BIOS update that adds a structure early leaves it."""
    import struct
    with open(table, "rb") as f:
        data = bytearray(f.read())
    start = struct.unpack_from("<I", data, 0x18)[0] if data[:4] == b"_SM_" else \
        struct.unpack_from("<Q", data, 0x10)[0] if data[:5] == b"_SM3_" else 0
    pos = start
    while pos + 4 <= len(data) and data[pos + 1] >= 4:
        end = data.find(b"\0\0", pos + data[pos + 1])
        if end < 0:
            break
        struct.pack_into("<H", data, pos + 2, struct.unpack_from("<H", data, pos + 2)[0] + 1)
        pos = end + 2
    path = os.path.join(work, "renumbered-" + os.path.basename(table))
    with open(path, "wb") as f:
        f.write(data)
    return path


def phases(*runs):
    """One sample an hour: (value, hours) after another (value None: absent)."""
    return " ".join(("_" if v is None else str(v)) + ("x%d" % (n - 1) if n > 1 else "") for v, n in runs)


def exposition(tool, table, baseline=None):
    arguments = [tool, "/FROM:" + table, "/PROM"] + (["/DIFF:" + baseline] if baseline else [])
    run = subprocess.run(arguments, capture_output=True)
    if run.returncode not in (0, 8):
        raise RuntimeError("%s: exit %d" % (arguments, run.returncode))
    out = run.stdout
    samples = []
    for line in out.decode().splitlines():
        m = SAMPLE.match(line)
        if m:
            labels = {k: v.replace('\\"', '"').replace("\\\\", "\\") for k, v in LABEL.findall(m.group(2) or "")}
            samples.append((m.group(1), labels, m.group(3)))
    return samples


def series_text(name, labels):
    return name + "{" + ",".join('%s=%s' % (k, json.dumps(v)) for k, v in labels.items()) + "}"


def values(before, after, change=CHANGE):
    """One sample an hour: `before` until the change, `after` from it on (None: absent)."""
    def run(value, count):
        return ("_" if value is None else str(value)) + ("x%d" % (count - 1) if count > 1 else "")
    return " ".join(p for p in (run(before, change), run(after, HOURS - change)) if p)


class Scenario:
    def __init__(self):
        self.series = []

    def host(self, instance, samples, change=lambda name, labels, value: (labels, value)):
        """A host's series; change(name, labels, value) gives what it reports after the
        change: (labels, value), or None when the series is gone."""
        for name, labels, value in samples:
            labels = dict(labels, instance=instance, job="node")
            after = change(name, dict(labels), value)
            if after is None:
                self.series.append((name, labels, values(value, None)))
            elif after[0] == labels:
                self.series.append((name, labels, values(value, after[1])))
            else:
                self.series.append((name, labels, values(value, None)))
                self.series.append((name, after[0], values(None, after[1])))

    def switch(self, instance, before, after):
        """A host that reports `before` until the change, `after` from it on."""
        def key(name, labels):
            return name, tuple(sorted(dict(labels, instance=instance, job="node").items()))
        was = {key(n, l): v for n, l, v in before}
        now = {key(n, l): v for n, l, v in after}
        for k in list(was) + [k for k in now if k not in was]:
            self.series.append((k[0], dict(k[1]), values(was.get(k), now.get(k))))

    def raw(self, name, labels, before, after):
        self.series.append((name, labels, values(before, after)))

    def input_series(self):
        return [{"series": series_text(n, l), "values": v} for n, l, v in self.series]


def alert(labels, severity, **annotations):
    # Prometheus keeps no label whose value is empty.
    exp = {"exp_labels": dict({k: v for k, v in labels.items() if v}, severity=severity)}
    if annotations:
        exp["exp_annotations"] = annotations
    return exp


def humanize1024(value):
    units = ["", "ki", "Mi", "Gi", "Ti"]
    i = 0
    while value >= 1024 and i < len(units) - 1:
        value /= 1024
        i += 1
    return ("%.4g" % value) + units[i]


def first(samples, name, **where):
    return next(l for n, l, _ in samples if n == name and all(l.get(k) == v for k, v in where.items()))


def main(tool, corpus, rules):
    promtool = shutil.which("promtool")
    if promtool is None:
        print("skipped: promtool is not installed (Debian prometheus)")
        return 0
    r630 = exposition(tool, os.path.join(corpus, "raw/dell-r630.bin"))        # 2 supplies, Present, Unknown
    r7xx = exposition(tool, os.path.join(corpus, "raw/dell-poweredge-r7xx.bin"))  # 2 supplies of one name and serial
    with tempfile.TemporaryDirectory() as work:
        renumbered_r630 = exposition(tool, renumbered(os.path.join(corpus, "raw/dell-r630.bin"), work))
    soldered = exposition(tool, os.path.join(corpus, "machines/00101.bin"))  # 8 modules, all "Motherboard"
    empty_bays = exposition(tool, os.path.join(corpus, "machines/00156.bin"))  # 2 bays, Not Present
    s = Scenario()
    fires = {}

    def instance_labels(samples, name, instance, **where):
        return dict(first(samples, name, **where), instance=instance, job="node")

    # Power supplies, told apart by their identity and their place among
    # those that share it (index).
    psus = [l for n, l, _ in r630 if n == "tarnlix_power_supply_info"]
    assert len(psus) == 2 and all(p["status"] == "Present, Unknown" for p in psus), psus
    identity = ("location", "name", "serial", "index")

    def same_psu(labels, psu):
        return all(labels.get(k) == psu[k] for k in identity)

    def psu_status(psu, status):
        def change(name, labels, value):
            if name == "tarnlix_power_supply_info" and same_psu(labels, psu):
                labels["status"] = status
            return labels, value
        return change

    def psu_removed(psu):
        def change(name, labels, value):
            return None if name.startswith("tarnlix_power_supply") and same_psu(labels, psu) else (labels, value)
        return change

    def psu_alert(psu, instance, summary):
        return alert(dict({k: psu[k] for k in identity}, instance=instance, job="node"), "critical",
                     summary=summary)

    first_psu, second_psu = psus
    s.host("psu-unknown", r630)
    s.host("psu-other", r630, psu_status(first_psu, "Present, Other"))
    s.host("psu-empty-bays", empty_bays)
    s.host("psu-critical", r630, psu_status(first_psu, "Present, Critical"))
    s.host("psu-non-critical", r630, psu_status(second_psu, "Present, Non-critical"))
    s.host("psu-pulled", r630, psu_status(second_psu, "Not Present"))
    s.host("psu-structure-gone", r630, psu_removed(second_psu))
    s.host("host-gone", r630, lambda name, labels, value: None)
    # The same table renumbered: its series go on as they were.
    s.switch("psu-renumbered", r630, renumbered_r630)
    # Two supplies of one name and serial (r7xx): the second one pulled.
    twins = [l for n, l, _ in r7xx if n == "tarnlix_power_supply_info"]
    assert len(twins) == 2 and len({(t["name"], t["serial"]) for t in twins}) == 1, twins
    s.host("psu-twin-pulled", r7xx, psu_status(twins[1], "Not Present"))
    # OK, then Critical for six hours, then Not Present: one alert.
    for n, l, v in r630:
        l = dict(l, instance="psu-degrades", job="node")
        if n != "tarnlix_power_supply_info" or not same_psu(l, first_psu):
            s.series.append((n, l, values(v, v)))
            continue
        s.series.append((n, l, phases((1, CHANGE - 6), (None, HOURS - CHANGE + 6))))
        s.series.append((n, dict(l, status="Present, Critical"), phases((None, CHANGE - 6), (1, 6), (None, HOURS - CHANGE))))
        s.series.append((n, dict(l, status="Not Present"), phases((None, CHANGE), (1, HOURS - CHANGE))))
    name = first_psu["name"]
    fires["PowerSupplyNotOk"] = [
        alert(dict(instance_labels(r630, "tarnlix_power_supply_info", "psu-critical", serial=first_psu["serial"]),
                   status="Present, Critical"), "critical",
              summary="Power supply %s of psu-critical: Present, Critical" % name),
        alert(dict(instance_labels(r630, "tarnlix_power_supply_info", "psu-non-critical", serial=second_psu["serial"]),
                   status="Present, Non-critical"), "critical",
              summary="Power supply %s of psu-non-critical: Present, Non-critical" % name),
    ]
    fires["PowerSupplyGone"] = [
        psu_alert(second_psu, host, "Power supply %s of %s is no longer present" % (name, host))
        for host in ("psu-pulled", "psu-structure-gone")] + [
        psu_alert(first_psu, "psu-degrades", "Power supply %s of psu-degrades is no longer present" % name),
        psu_alert(twins[1], "psu-twin-pulled",
                  "Power supply %s of psu-twin-pulled is no longer present" % twins[1]["name"])]

    # Processors: one the BIOS disabled, a table renumbered, and sockets that
    # were always empty (r630's second: 0 from the start) stay silent.
    sockets = [(l, v) for n, l, v in r7xx if n == "tarnlix_processor_enabled"]
    assert [v for _, v in sockets] == ["1", "1"], sockets
    assert any(n == "tarnlix_processor_enabled" and v == "0" for n, _, v in r630)
    disabled = sockets[1][0]

    def processor_disabled(name, labels, value):
        if name == "tarnlix_processor_enabled" and labels["handle"] == disabled["handle"]:
            return labels, 0
        return labels, value

    def processor_renumbered(name, labels, value):
        if "handle" in labels and name.startswith("tarnlix_processor"):
            labels["handle"] = "0x%04X" % (int(labels["handle"], 16) + 1)
        return labels, value
    s.host("cpu-disabled", r7xx, processor_disabled)
    s.host("cpu-renumbered", r7xx, processor_renumbered)
    fires["ProcessorDisabled"] = [
        alert(dict(disabled, instance="cpu-disabled", job="node"), "critical",
              summary="Processor %s of cpu-disabled is disabled or gone" % disabled["socket"])]

    # Memory.
    modules = [l for n, l, _ in r630 if n == "tarnlix_memory_module_info"]
    total = int(next(v for n, _, v in r630 if n == "tarnlix_memory_total_bytes"))
    size = {l["handle"]: int(v) for n, l, v in r630 if n == "tarnlix_memory_module_size_bytes"}
    assert len(modules) == 2, modules
    kept, pulled = modules

    def serial_changed(name, labels, value):
        if name == "tarnlix_memory_module_info" and labels["handle"] == kept["handle"]:
            labels["serial"] = "12BDC999"
        return labels, value

    def module_pulled(handle, samples):
        count = sum(1 for n, l, _ in samples if n == "tarnlix_memory_module_info")
        gone = {l["handle"]: int(v) for n, l, v in samples if n == "tarnlix_memory_module_size_bytes"}[handle]

        def change(name, labels, value):
            if name.startswith("tarnlix_memory_module") and labels["handle"] == handle:
                return None
            if name == "tarnlix_memory_populated_slots":
                return labels, count - 1
            if name == "tarnlix_memory_total_bytes":
                return labels, int(value) - gone
            return labels, value
        return change

    soldered_modules = [l for n, l, _ in soldered if n == "tarnlix_memory_module_info"]
    assert len(soldered_modules) == 8 and len({m["locator"] for m in soldered_modules}) == 1, soldered_modules
    s.host("mem-unchanged", r630)
    s.host("mem-soldered", soldered)
    s.host("mem-serial", r630, serial_changed)
    s.host("mem-pulled", r630, module_pulled(pulled["handle"], r630))
    s.host("mem-soldered-pulled", soldered, module_pulled(soldered_modules[3]["handle"], soldered))
    # A host that begins to report half-way has no day-old inventory to differ from.
    for n, l, v in r630:
        s.raw(n, dict(l, instance="mem-new", job="node"), None, v)

    def serials(mods, changed=None):
        return "".join("%s %s; " % (m["locator"], changed if changed and m is kept else m["serial"])
                       for m in sorted(mods, key=lambda m: m["locator"]))

    soldered_total = int(next(v for n, _, v in soldered if n == "tarnlix_memory_total_bytes"))
    soldered_size = {l["handle"]: int(v) for n, l, v in soldered if n == "tarnlix_memory_module_size_bytes"}
    removed = soldered_modules[3]
    left = [m for m in soldered_modules if m is not removed]
    fires["MemoryChanged"] = [
        alert({"instance": "mem-serial", "job": "node"}, "warning",
              summary="Memory of mem-serial changed in the last day",
              description="mem-serial now has %sB of memory, %sB a day ago; its modules' serial numbers: %s"
              % (humanize1024(total), humanize1024(total), serials(modules, "12BDC999"))),
        alert({"instance": "mem-pulled", "job": "node"}, "warning",
              summary="Memory of mem-pulled changed in the last day",
              description="mem-pulled now has %sB of memory, %sB a day ago; its modules' serial numbers: %s"
              % (humanize1024(total - size[pulled["handle"]]), humanize1024(total), serials([kept]))),
        alert({"instance": "mem-soldered-pulled", "job": "node"}, "warning",
              summary="Memory of mem-soldered-pulled changed in the last day",
              description="mem-soldered-pulled now has %sB of memory, %sB a day ago; its modules' serial numbers: %s"
              % (humanize1024(soldered_total - soldered_size[removed["handle"]]), humanize1024(soldered_total),
                 serials(left))),
    ]
    fires["MemoryModuleGone"] = [
        alert(dict(pulled, instance="mem-pulled", job="node"), "warning",
              summary="The memory module in slot %s of mem-pulled is gone" % pulled["locator"]),
        alert(dict(removed, instance="mem-soldered-pulled", job="node"), "warning",
              summary="The memory module in slot Motherboard (%s) of mem-soldered-pulled is gone" % removed["bank"]
              if removed["bank"] else "The memory module in slot Motherboard of mem-soldered-pulled is gone"),
    ]

    # The inventory file: refreshed (its mtime follows the clock), frozen at
    # the change, or not readable.
    now = 3600
    for inst, exporter, frozen in (("fresh", "node", False), ("stale", "node", True),
                                   ("stale-windows", "windows", True)):
        path = "C:\\Program Files\\windows_exporter\\textfile_inputs\\tarnlix.prom" if exporter == "windows" \
            else "/var/lib/prometheus/node-exporter/tarnlix.prom"
        s.series.append(("%s_textfile_mtime_seconds" % exporter, {"file": path, "instance": inst, "job": "node"},
                         "0+%dx%d" % (now, CHANGE - 1) + (" %dx%d" % ((CHANGE - 1) * now, HOURS - CHANGE)
                                                           if frozen else " %d+%dx%d" % (CHANGE * now, now, HOURS - CHANGE - 1))))
    # A textfile deleted while the exporter is up; a host retired, its
    # exporter gone with its file.
    for inst, up in (("deleted", 1), ("retired", None)):
        path = "/var/lib/prometheus/node-exporter/tarnlix.prom"
        s.series.append(("node_textfile_mtime_seconds", {"file": path, "instance": inst, "job": "node"},
                         "0+%dx%d" % (now, CHANGE - 1) + " _x%d" % (HOURS - CHANGE - 1)))
        s.raw("up", {"instance": inst, "job": "node"}, 1, up)
    s.raw("node_textfile_scrape_error", {"instance": "fresh", "job": "node"}, 0, 0)
    s.raw("node_textfile_scrape_error", {"instance": "unreadable", "job": "node"}, 0, 1)
    fires["InventoryStale"] = [
        alert({"file": "/var/lib/prometheus/node-exporter/tarnlix.prom", "instance": "stale", "job": "node"}, "warning",
              summary="The hardware inventory of stale is stale or cannot be read"),
        alert({"file": "C:\\Program Files\\windows_exporter\\textfile_inputs\\tarnlix.prom", "instance": "stale-windows",
               "job": "node"}, "warning",
              summary="The hardware inventory of stale-windows is stale or cannot be read"),
        alert({"instance": "unreadable", "job": "node"}, "warning",
              summary="The hardware inventory of unreadable is stale or cannot be read"),
        alert({"file": "/var/lib/prometheus/node-exporter/tarnlix.prom", "instance": "deleted", "job": "node"},
              "warning", summary="The hardware inventory of deleted is stale or cannot be read"),
    ]

    # Changes since the baseline: a host whose table is another model's
    # than its baseline, and one whose table is its baseline.
    changed = exposition(tool, os.path.join(corpus, "raw/dell-poweredge-r640.bin"),
                         os.path.join(corpus, "raw/dell-r630.bin"))
    same = exposition(tool, os.path.join(corpus, "raw/dell-r630.bin"),
                      os.path.join(corpus, "raw/dell-r630.bin"))
    for inst, samples in (("baseline-changed", changed), ("baseline-same", same)):
        for n, l, v in samples:
            if n == "tarnlix_inventory_changes":
                s.raw(n, dict(l, instance=inst, job="node"), v, v)
    counts = [(l["group"], int(v)) for n, l, v in changed if n == "tarnlix_inventory_changes"]
    assert any(c for _, c in counts) and not any(int(v) for n, _, v in same if n == "tarnlix_inventory_changes")
    fires["InventoryChanged"] = [
        alert({"group": group, "instance": "baseline-changed", "job": "node"}, "warning",
              summary="%d %s structure(s) of baseline-changed differ from its baseline inventory" % (count, group))
        for group, count in counts if count > 0]

    # The BIOS rule is an example: silent on every real machine above; once
    # adapted (here: a machine of the example's model) it fires.
    example = dict(first(r630, "tarnlix_system_info"), system_product="Example Model", bios_version="0.9.0",
                   instance="example", job="node")
    s.raw("tarnlix_system_info", example, 1, 1)
    fires["BiosBehind"] = [alert(example, "info", summary="example runs BIOS 0.9.0")]

    test = {
        "rule_files": [os.path.abspath(rules)],
        "evaluation_interval": "1h",
        "tests": [{
            "interval": "1h",
            "input_series": s.input_series(),
            "alert_rule_test": [{"eval_time": EVAL, "alertname": a, "exp_alerts": e} for a, e in fires.items()],
        }],
    }
    with open(rules) as f:
        shipped = set(re.findall(r"^\s*- alert: (\S+)", f.read(), re.M))
    if shipped != set(fires):
        print("FAIL: rules without tests: %s; tests without rules: %s" % (shipped - set(fires), set(fires) - shipped))
        return 1
    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, "tarnlix-alerts.test.yml")
        with open(path, "w") as f:
            json.dump(test, f, indent=1)  # JSON is YAML
        run = subprocess.run([promtool, "test", "rules", path], capture_output=True, text=True)
        print(run.stdout + run.stderr)
    for rule, alerts in fires.items():
        print("%s: fires for %s" % (rule, ", ".join(a["exp_labels"]["instance"] for a in alerts)))
    print("%d hosts, %d series" % (len({l["instance"] for _, l, _ in s.series}), len(s.series)))
    return run.returncode


if __name__ == "__main__":
    if len(sys.argv) != 4:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
