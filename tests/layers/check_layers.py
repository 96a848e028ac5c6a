#!/usr/bin/env python3
"""Includes only look down the layers of src/:

    cli -> smbios -> acquire -> platform,  cli -> net -> platform

A layer includes its own headers and those of the layers below it. The one
call that may go up is the fatal stop, declared alone in cli/exit.h.

The Linux backend speaks Linux: none of Windows' module, registry, section
or status names appear in src/platform/linux.

    check_layers.py SRC_DIR
"""
import os
import re
import sys

BELOW = {
    "platform": {"platform"},
    "acquire": {"acquire", "platform"},
    "smbios": {"smbios", "acquire", "platform"},
    "net": {"net", "platform"},
    "cli": {"cli", "smbios", "acquire", "net", "platform"},
}
ALLOWED_UP = {"cli/exit.h"}
INCLUDE = re.compile(r'^#include "([a-z_]+)/([^"]+)"', re.M)
WIN32_NAMES = re.compile(
    r"\b(LoadLibrary\w*|GetProcAddress|GetModuleHandle\w*|FreeLibrary|Reg[A-Z]\w+|"
    r"RegistryApi|SectionApi|ModuleApi|(Nt|Zw)\w*Section|\w*ViewOfSection|"
    r"GetNetworkParams|GetSystemFirmwareTable|GetVersion|kStatus\w+|NTSTATUS)\b")
LINUX_BACKEND = os.path.join("platform", "linux")


def main(src):
    faults, files = [], 0
    for root, _, names in os.walk(src):
        for name in names:
            if not name.endswith((".cpp", ".h", ".in")):
                continue
            path = os.path.join(root, name)
            layer = os.path.relpath(path, src).split(os.sep)[0]
            if layer not in BELOW:
                faults.append("%s: not in a layer" % path)
                continue
            files += 1
            with open(path, encoding="utf-8") as f:
                text = f.read()
            relative = os.path.relpath(path, src)
            for target, header in INCLUDE.findall(text):
                if target not in BELOW[layer] and "%s/%s" % (target, header) not in ALLOWED_UP:
                    faults.append("%s includes %s/%s" % (relative, target, header))
            if relative.startswith(LINUX_BACKEND + os.sep):
                for found in sorted({m.group(0) for m in WIN32_NAMES.finditer(text)}):
                    faults.append("%s names Windows' %s" % (relative, found))
    for fault in faults:
        print("FAIL:", fault)
    print("%d files, %d faults" % (files, len(faults)))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
