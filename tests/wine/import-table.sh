#!/usr/bin/env bash
# The exe is a self-contained Windows program of the expected kind: it
# imports only the system's own DLLs, and looks up at run time the services
# that not every Windows has.
#   import-table.sh OBJDUMP EXE FORMAT     (FORMAT: pei-i386 or pei-x86-64)
set -uo pipefail
objdump=$1 exe=$2 format=$3
fail() { echo "import table: FAIL: $*"; exit 1; }

dump=$("$objdump" -p "$exe") || fail "$objdump -p $exe failed"
grep -q "file format $format\$" <<<"$dump" ||
  fail "$exe is not a $format file: $(grep -m1 'file format' <<<"$dump")"
dlls=$(awk '/DLL Name:/ { print $3 }' <<<"$dump")
for dll in $dlls; do
  case "${dll,,}" in
    kernel32.dll | advapi32.dll | oleaut32.dll | msvcrt.dll | user32.dll | ntdll.dll) ;;
    *) fail "$exe imports $dll, which is not a system DLL" ;;
  esac
done
# Imported statically, these would stop the exe from loading at all on the
# systems that lack them, instead of falling back to the next source.
for entry in GetSystemFirmwareTable GetNetworkParams NtOpenSection \
             NtMapViewOfSection ZwOpenSection ZwMapViewOfSection; do
  if grep -qw "$entry" <<<"$dump"; then fail "$entry is imported instead of looked up at run time"; fi
done
echo "import table: $format, only system DLLs:" $dlls
