#!/usr/bin/env bash
# The contrib textfile writer when the tool fails: the last good inventory
# stays as it was, no temporary file is left, the tool's own message reaches
# standard error and the exit code is the tool's.
#   textfile_writer.sh TOOL TABLE
set -euo pipefail
tool=$1 table=$2
writer="$(cd "$(dirname "$0")" && pwd)/../../contrib/prometheus/tarnlix-textfile"
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnlix-writer.XXXXXX")
trap 'rm -rf "$work"' EXIT

TARNLIX_BIN=$tool TARNLIX_FROM=$table "$writer" "$work"
cp "$work/tarnlix.prom" "$work/good"

status=0
TARNLIX_BIN=$tool TARNLIX_FROM="$work/missing.bin" "$writer" "$work" >"$work/out" 2>"$work/err" || status=$?
cat "$work/err"
fail() { echo "FAIL: $*"; exit 1; }
[ "$status" = 1 ] || fail "exit code $status, expected the tool's 1"
[ ! -s "$work/out" ] || fail "wrote to standard output: $(cat "$work/out")"
grep -q "^Error: cannot read SMBIOS table from $work/missing.bin: " "$work/err" || fail "the tool's message is not on standard error"
grep -q "tarnlix.prom is left as it was" "$work/err" || fail "no word of the file that was kept"
cmp -s "$work/good" "$work/tarnlix.prom" || fail "the last good inventory changed"
leftovers=$(find "$work" -name '.tarnlix.prom.*')
[ -z "$leftovers" ] || fail "temporary file left: $leftovers"
echo "the writer kept the last good inventory and said why it failed"
