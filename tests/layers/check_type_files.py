#!/usr/bin/env python3
"""Each structure type's rows live in the file named after it.

    check_type_files.py SRC_DIR

Every src/smbios/typeNN_<name>.cpp opens with the standard's section of type NN
and holds rows and a group of type NN only (a value of the whole table, such as
the memory total, is exempt); type_other.cpp holds the types the standard does
not define. No other file of src/smbios holds a row of a structure: a group of
values of the whole table may have a file of its own.
"""
import glob
import os
import re
import sys

ROW_TYPE = re.compile(r"\.type = (\w+), \.(decode|heading)")


def main():
    smbios = os.path.join(sys.argv[1], "smbios")
    faults = []
    for path in sorted(glob.glob(os.path.join(smbios, "*.cpp"))):
        name = os.path.basename(path)
        text = open(path, encoding="utf-8").read()
        m = re.fullmatch(r"type(\d\d)_[a-z0-9_]+\.cpp", name)
        if m:
            want = str(int(m.group(1)))
            first = text.split("\n", 1)[0]
            if not re.fullmatch(r"// SMBIOS 3\.\d+, 7\.%d .+ \(Type %s\)" % (int(want) + 1, want), first):
                faults.append("%s: does not open with its section: %r" % (name, first))
        elif name == "type_other.cpp":
            want = "kOtherTypes"
        else:
            want = None
        for line in text.split("\n"):
            for found, what in ROW_TYPE.findall(line):
                table_value = "FieldDecode::Table" in line
                if want is None:
                    if what == "heading" or table_value:
                        continue  # a group of the whole table's values
                    faults.append("%s: a row outside its type's file: %s" % (name, line.strip()))
                elif found != want and not table_value:
                    faults.append("%s: type %s in the file of type %s: %s" % (name, found, want, line.strip()))
    for fault in faults:
        print(fault)
    print("type files: %d faults" % len(faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
