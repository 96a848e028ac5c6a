#!/usr/bin/env bash
# The contrib textfile writer:
# - the first run saves the table read as the baseline and reports no change;
#   a later run on another table counts the structures that differ;
# - an empty or damaged baseline counts as none: the writer says so on
#   standard error and saves the table read as the baseline;
# - when the tool fails, the last good inventory stays as it was, no
#   temporary file is left, the tool's own message reaches standard error
#   and the exit code is the tool's.
#   textfile_writer.sh TOOL TABLE OTHER_TABLE
set -euo pipefail
tool=$1 table=$2 other=$3
writer="$(cd "$(dirname "$0")" && pwd)/../../contrib/prometheus/tarnlix-textfile"
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnlix-writer.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
export TARNLIX_BIN=$tool TARNLIX_BASELINE=$work/state/baseline.bin

TARNLIX_FROM=$table "$writer" "$work"
[ -f "$work/state/baseline.bin" ] || fail "no baseline saved"
grep -q '^tarnlix_inventory_changes{group="MEM"} 0$' "$work/tarnlix.prom" || fail "a first run reports changes"
if grep '^tarnlix_inventory_changes{' "$work/tarnlix.prom" | grep -qv ' 0$'; then fail "a first run reports changes"; fi

TARNLIX_FROM=$other "$writer" "$work"
grep -q '^tarnlix_inventory_changes{group="PROCESSOR"} [1-9]' "$work/tarnlix.prom" ||
  fail "another table's processors are no change"
cmp -s "$table" "$work/state/baseline.bin" && fail "the baseline was not saved as a dump"
TARNLIX_FROM=$table "$writer" "$work"
cp "$work/tarnlix.prom" "$work/good"

for broken in "" "not a table"; do
  printf '%s' "$broken" >"$work/state/baseline.bin"
  TARNLIX_FROM=$table "$writer" "$work" 2>"$work/err" || fail "a run over a broken baseline failed: $(cat "$work/err")"
  grep -q "^tarnlix-textfile: Error: cannot read SMBIOS table from $work/state/baseline.bin: .*; the table read now is saved as the baseline instead$" \
    "$work/err" || fail "no word of the broken baseline: $(cat "$work/err")"
  cmp -s "$work/good" "$work/tarnlix.prom" || fail "a broken baseline is not replaced by the table read"
  TARNLIX_FROM=$table "$writer" "$work" 2>"$work/err"
  [ ! -s "$work/err" ] || fail "the saved baseline is not read back: $(cat "$work/err")"
done

status=0
TARNLIX_FROM="$work/missing.bin" "$writer" "$work" >"$work/out" 2>"$work/err" || status=$?
cat "$work/err"
[ "$status" = 1 ] || fail "exit code $status, expected the tool's 1"
[ ! -s "$work/out" ] || fail "wrote to standard output: $(cat "$work/out")"
grep -q "^Error: cannot read SMBIOS table from $work/missing.bin: " "$work/err" || fail "the tool's message is not on standard error"
grep -q "tarnlix.prom is left as it was" "$work/err" || fail "no word of the file that was kept"
cmp -s "$work/good" "$work/tarnlix.prom" || fail "the last good inventory changed"
leftovers=$(find "$work" -name '.tarnlix.prom.*')
[ -z "$leftovers" ] || fail "temporary file left: $leftovers"
echo "the writer kept a baseline, counted the changes, kept the last good inventory and said why it failed"
