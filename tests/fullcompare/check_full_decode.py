#!/usr/bin/env python3
"""The full decode against dmidecode 3.4 on every table of the corpus.

    check_full_decode.py TOOL CORPUS [--types 0-46] [other fullcompare.py options]

Runs the comparison (fullcompare.py, kept here unchanged) and passes when every
covered line agrees and at least 99 % of dmidecode's lines are covered. Two kinds
of line cannot agree whatever the tool prints, and are counted apart, by name:

- a string that begins with spaces: dmidecode prints them, but the comparison
  strips them from its lines, while the tool keeps the string as the firmware
  stored it (as its selectors always have), in a text or as a list's item;
- a list of one item made of digits (an on-board device described as "8"):
  the comparison reads such a value as a count of items;
- "Range Size: Invalid": dmidecode 3.4 works out a mapped range's size in 32
  bits, so a range of exactly 2^32 kB (4 TB) comes out as nothing; the tool
  gives its size, 4294967296 kB.

Anything else that differs fails the test.
"""
import collections
import importlib.util
import os
import shutil
import sys
import threading

HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    if shutil.which("dmidecode") is None:
        print("skipped: dmidecode is not installed (scripts/install-deps.sh installs it)")
        return 0
    spec = importlib.util.spec_from_file_location("fullcompare", os.path.join(HERE, "fullcompare.py"))
    compare = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(compare)

    strict = compare.same
    explained = collections.Counter()
    lock = threading.Lock()

    def same(kind, unit, name, want, got):
        if strict(kind, unit, name, want, got):
            return True
        reason = None
        if kind == "text" and isinstance(got, str) and got.startswith(" ") and \
                strict(kind, unit, name, want, got.lstrip(" ")):
            reason = "string beginning with spaces, which the comparison strips"
        elif kind == "list" and isinstance(got, list) and all(isinstance(g, str) for g in got) and \
                any(g.startswith(" ") for g in got) and \
                strict(kind, unit, name, want, [g.lstrip(" ") for g in got]):
            reason = "list item beginning with spaces, which the comparison strips"
        elif kind == "list" and isinstance(want, str) and want.isdigit() and got == [want]:
            reason = "list of one item of digits, which the comparison reads as a count"
        elif kind == "number" and name == "Range Size" and want == "Invalid" and got == 1 << 32:
            reason = "range of 4 TB, which dmidecode 3.4 works out in 32 bits"
        if reason is None:
            return False
        with lock:
            explained[reason] += 1
        return True

    compare.same = same
    sys.argv = ["fullcompare.py", "--bin", sys.argv[1], "--corpus", sys.argv[2]] + sys.argv[3:]
    result = compare.main()
    for reason, lines in sorted(explained.items()):
        print("counted as agreeing: %d line(s): %s" % (lines, reason))
    return result


if __name__ == "__main__":
    if len(sys.argv) < 3:
        print(__doc__)
        sys.exit(2)
    sys.exit(main())
