#!/usr/bin/env bash
# Debian's facter reads the contrib external fact, pointed at a corpus table,
# and answers its serial number (as the firmware holds it and without
# placeholders) and memory total, then, with another table as the baseline,
# what changed since and that the two are of different machines.
#   facter.sh TOOL TABLE SERIAL MEMTOTAL BASELINE
# Exits 77 (skipped) when facter is not installed.
set -euo pipefail
tool=$1 table=$2 serial=$3 total=$4 baseline=$5
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v facter >/dev/null 2>&1; then
  echo "skipped: facter is not installed (Debian facter)"
  exit 77
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnlix-facter.XXXXXX")
trap 'rm -rf "$work"' EXIT
install -m 0755 "$here/../../contrib/facter/tarnlix" "$work/tarnlix"
answer=$(TARNLIX_BIN=$tool TARNLIX_FROM=$table TARNLIX_BASELINE=$work/none HOME=$work timeout 120 \
         facter --external-dir "$work" tarnlix.PC.0.PCSERIAL tarnlix.MACHINE.MACHINESERIAL \
                tarnlix.MEMTOTAL tarnlix.DIFF)
echo "$answer"
printf '%s\n' "$answer" | grep -qx "tarnlix.PC.0.PCSERIAL => $serial" || { echo "FAIL: serial"; exit 1; }
printf '%s\n' "$answer" | grep -qx "tarnlix.MACHINE.MACHINESERIAL => $serial" ||
  { echo "FAIL: the machine's serial"; exit 1; }
printf '%s\n' "$answer" | grep -qx "tarnlix.MEMTOTAL => $total" || { echo "FAIL: memory total"; exit 1; }
printf '%s\n' "$answer" | grep -qx "tarnlix.DIFF => " || { echo "FAIL: a DIFF without a baseline"; exit 1; }
changes=$("$tool" "/FROM:$table" "/DIFF:$baseline") || [ $? -eq 8 ]
# The first change after the line that says the tables are of different machines.
first=$(grep -v -m 1 '^Different machines: ' <<<"$changes")
want="tarnlix.DIFF.changed.0.group => ${first%% *}
tarnlix.DIFF.different_machines => true"
answer=$(TARNLIX_BIN=$tool TARNLIX_FROM=$table TARNLIX_BASELINE=$baseline HOME=$work timeout 120 \
         facter --external-dir "$work" tarnlix.DIFF.changed.0.group tarnlix.DIFF.different_machines)
echo "$answer"
[ "$answer" = "$want" ] || { echo "FAIL: the changes since the baseline"; exit 1; }
