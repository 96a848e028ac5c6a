#!/usr/bin/env python3
"""The full decode against dmidecode 3.4 on every table of the corpus.

    check_full_decode.py TOOL CORPUS [--types 0-46] [other fullcompare.py options]

Runs the comparison (fullcompare.py, kept here unchanged) and passes when every
covered line agrees and at least 99 % of dmidecode's lines are covered. The
comparison knows the lines dmidecode 3.4 itself gets wrong, and this check one
more: dmidecode 3.4 reads a memory channel's devices one record late (its
"Device 1" is the second record, its last read past the structure), so those
lines are not compared. Nothing else is excused.
"""
import importlib.util
import os
import re
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    if shutil.which("dmidecode") is None:
        print("skipped: dmidecode is not installed (scripts/install-deps.sh installs it)")
        return 0
    spec = importlib.util.spec_from_file_location("fullcompare", os.path.join(HERE, "fullcompare.py"))
    compare = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(compare)
    known = compare.oracle_fault
    channel_device = re.compile(r"Device \d+ (Load|Handle)$")
    compare.oracle_fault = lambda t, label, got, rng: (
        t == 37 and channel_device.match(label) is not None) or known(t, label, got, rng)
    sys.argv = ["fullcompare.py", "--bin", sys.argv[1], "--corpus", sys.argv[2]] + sys.argv[3:]
    return compare.main()


if __name__ == "__main__":
    if len(sys.argv) < 3:
        print(__doc__)
        sys.exit(2)
    sys.exit(main())
