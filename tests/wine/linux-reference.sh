#!/usr/bin/env bash
# Writes what the Linux build answers where the Windows build must answer
# the same, for the Windows tests to compare with:
#   linux-reference.sh TOOL CORPUS OUT
# Every answer is OUT/NAME.out with its exit code in OUT/NAME.rc:
#   corpus/TABLE        /ALL of every table that expected.tsv lists
#   json/raw/TABLE      /JSON of the raw dumps
#   jsonl/DIR           /JSON of the corpus directory DIR in one run (one
#                       document a line), without the paths
#   prom/TABLE          /PROM of the raw dumps
#   registry/NAME.bin   the two values the registry tests store, and
#   registry/NAME       /ALL of each: laptop (the bytes Windows stored) and
#                       hyperv (a 17 KB table, far past any fixed buffer)
#   help                /?
#   dump.bin, dump      /DUMP and /PCUUID of dell-r630.bin
#   several             a run over corpus/raw, /CSV, without the paths
#   diff                /DIFF of two Dell tables
#   hostname            the unqualified host name
set -euo pipefail
tool=$1 corpus=$2 out=$3
rm -rf "$out"
mkdir -p "$out/corpus" "$out/json" "$out/jsonl" "$out/prom" "$out/registry"

# answer NAME ARGS... : the tool's output and exit code, without a terminal.
answer() {
  local name=$1 rc=0
  shift
  mkdir -p "$(dirname "$out/$name")"
  setsid -w timeout -k 5 60 "$tool" "$@" </dev/null >"$out/$name.out" 2>/dev/null || rc=$?
  echo "$rc" >"$out/$name.rc"
}

awk -F'\t' 'NR > 1 && !seen[$1]++ { print $1 }' "$corpus/expected.tsv" |
  while read -r table; do
    answer "corpus/$table" "/FROM:$corpus/$table" /ALL
  done

for table in "$corpus"/raw/*.bin; do
  answer "json/raw/$(basename "$table")" "/FROM:$table" /JSON
done
for dir in raw machines; do
  answer "jsonl/$dir" "/FROM:$corpus/$dir" /JSON
  sed -i 's/^{"FILE": "[^"]*", /{/' "$out/jsonl/$dir.out"
done

for table in "$corpus"/raw/*.bin; do
  answer "prom/raw/$(basename "$table")" "/FROM:$table" /PROM
done

cp "$corpus/raw/laptop-rsmb-3.2.bin" "$out/registry/laptop.bin"
# The form the system stores: calling method, major, minor, DMI revision,
# the table's 32-bit length, then the table.
length=$(wc -c <"$corpus/raw/hyperv.bin")
# shellcheck disable=SC2059 # the format is built of \x escapes
printf "$(printf '\\x%02x' 0 3 1 0 $((length & 255)) $((length >> 8 & 255)) \
  $((length >> 16 & 255)) $((length >> 24 & 255)))" >"$out/registry/hyperv.bin"
cat "$corpus/raw/hyperv.bin" >>"$out/registry/hyperv.bin"
for value in laptop hyperv; do
  answer "registry/$value" "/FROM:$out/registry/$value.bin" /ALL
done

answer help '/?'
# The values of a run over a directory, without the paths (those are the
# system's own), and what /DIFF says.
answer several "/FROM:$corpus/raw" /CSV /PCSERIAL /MEMTOTAL
sed -i 's/^"[^"]*",//' "$out/several.out"
answer diff "/FROM:$corpus/raw/dell-poweredge-r640.bin" "/DIFF:$corpus/raw/dell-r630.bin"
answer dump "/FROM:$corpus/raw/dell-r630.bin" "/DUMP:$out/dump.bin" /PCUUID
name=$(hostname -s 2>/dev/null || uname -n)
printf '%s' "${name%%.*}" >"$out/hostname.out"
echo "linux-reference: $(find "$out" -name '*.rc' | wc -l) answers of $tool in $out"
