#!/usr/bin/env bash
# Speed of tarnlix: the in-process benchmark (load, every field, the full
# dump) and, where dmidecode is installed, the whole process against
# `dmidecode --from-dump` reading the same dump: one value against
# `dmidecode -s`, and the JSON document against dmidecode's full decode, on
# real dumps and on tables 1, 4, 16 and 64 times as large. Wall times on a
# busy machine are noisy; the instruction counts (valgrind) are repeatable.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTARNLIX_BENCHMARKS=ON \
  -DTARNLIX_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc 2>/dev/null || echo 2)" --target tarnlix tarnlix_bench

# A run without root, in process: udev's lines for raw/dell-r630.bin as
# systemd's helper prints them (from Debian's udev package, which
# scripts/install-deps.sh keeps; never installed), and a udev file of 100 MB.
published=$(mktemp -d)
deb=$(ls /var/cache/tarnlix/udev_*.deb 2>/dev/null | tail -n 1 || true)
if [ -n "$deb" ]; then
  dpkg -x "$deb" "$published/udev"
  helper=$(find "$published/udev" -name dmi_memory_id | head -n 1)
  build-bench/tarnlix /FROM:tests/data/corpus/raw/dell-r630.bin "/DUMP:$published/dell.bin" \
    /PCSERIAL >/dev/null
  "$helper" -F "$published/dell.bin" | sed 's/^/E:/' >"$published/udev.txt"
  export TARNLIX_BENCH_UDEV=$published/udev.txt TARNLIX_BENCH_TABLE=$published/dell.bin
else
  echo "== the run without root is not measured: no udev package in /var/cache/tarnlix"
fi
yes 'E:MEMORY_DEVICE_0_LOCATOR=DIMM' | head -c 100000000 >"$published/big" || true
export TARNLIX_BENCH_BIG_UDEV=$published/big

echo "== in-process"
build-bench/bench/tarnlix_bench --benchmark_out="$published/bench.json" --benchmark_out_format=json
# The bounds: the same selectors cost at most twice the instructions without
# root as from the saved table (2,000 runs each under callgrind); the 100 MB
# file is left out, read no further than its limit.
if [ -n "$deb" ] && command -v valgrind >/dev/null; then
  valgrind --tool=callgrind --callgrind-out-file="$published/callgrind.out" \
    build-bench/bench/tarnlix_bench --benchmark_filter=BM_Selectors >/dev/null 2>&1
  callgrind_annotate --inclusive=yes "$published/callgrind.out" >"$published/inclusive.txt"
fi
python3 - "$published/bench.json" "$published/inclusive.txt" <<'PY' || status=1
import json, os, re, sys
runs = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
failed = False
if os.path.exists(sys.argv[2]):
    counts = {}
    for line in open(sys.argv[2]):
        found = re.match(r"\s*([\d,]+) .*(BM_Selectors\w+)\(", line)
        if found:
            counts.setdefault(found.group(2), int(found.group(1).replace(",", "")))
    published = counts["BM_SelectorsWithoutRoot"] // 2000
    saved = counts["BM_SelectorsFromSavedTable"] // 2000
    print("the same selectors without root: %d instructions a run, from the saved table: %d "
          "(ratio %.2f); bound: at most 2" % (published, saved, published / saved))
    failed = published > 2 * saved
big = runs["BM_OversizedUdevFile"]
print("100 MB udev file: %.1f ms a read, %d KiB read (its limit: 1024), peak memory grew "
      "%d KiB; bound: read no further than the limit and left out, under 16 MiB"
      % (big["cpu_time"], big["readKiB"], big["peakGrowthKiB"]))
failed = failed or big["truncated"] != 1 or big["readKiB"] > 1024 or big["peakGrowthKiB"] > 16384
if failed:
    print("bench.sh: a bound of the run without root is not met", file=sys.stderr)
sys.exit(1 if failed else 0)
PY
rm -rf "$published"

if ! command -v dmidecode >/dev/null; then
  echo "== process comparison skipped: dmidecode is not installed"
  exit 0
fi

dumps=(tests/data/corpus/raw/toshiba-satellite-pro-l70.bin tests/data/corpus/raw/beelink-eq12.bin)
for dump in "${dumps[@]}"; do
  ours="build-bench/tarnlix /FROM:$dump /PCSERIAL"
  theirs="dmidecode --from-dump $dump -s system-serial-number"
  echo "== whole process on $dump"
  if command -v hyperfine >/dev/null; then
    hyperfine -N --warmup 20 --runs 300 "$ours" "$theirs"
  else
    for command in "$ours" "$theirs"; do
      start=$(date +%s%N)
      for _ in $(seq 300); do $command >/dev/null; done
      echo "$command: $(( ($(date +%s%N) - start) / 300000 )) us per run"
    done
  fi
  if command -v valgrind >/dev/null; then
    for command in "$ours" "$theirs"; do
      count=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null $command 2>&1 >/dev/null |
              sed -n 's/.*Collected : //p')
      echo "$command: $count instructions"
    done
  fi
done

command -v valgrind >/dev/null || { echo "== instruction counts skipped: valgrind is not installed"; exit 0; }
# With an empty environment, so that neither tool is charged for the
# caller's (the C library reads it at start-up).
instructions() {
  local program
  program=$(command -v "$1")
  shift
  env -i "$(command -v valgrind)" --tool=callgrind --callgrind-out-file=/dev/null \
    "$program" "$@" 2>&1 >/dev/null | sed -n 's/.*Collected : //p'
}

# The bounds: the whole inventory of raw/dell-r630.bin as JSON costs at most
# a quarter of dmidecode's full decode of it, one value at most 100,000
# instructions. dmidecode reads the bare table with a 2.8 entry point in
# front of it.
echo "== bounds on raw/dell-r630.bin (instructions, empty environment)"
bounds=$(mktemp -d)
python3 - tests/data/corpus/raw/dell-r630.bin "$bounds/dell.dump" <<'PY'
import struct, sys
table = open(sys.argv[1], "rb").read()
ep = bytearray(0x1F)
ep[0:4], ep[5], ep[6], ep[7] = b"_SM_", 0x1F, 2, 8
ep[0x10:0x15] = b"_DMI_"
struct.pack_into("<HIH", ep, 0x16, len(table), 0x20, 0)
ep[0x15] = -sum(ep[0x10:0x1F]) & 0xFF
ep[4] = -sum(ep) & 0xFF
open(sys.argv[2], "wb").write(bytes(ep).ljust(0x20, b"\0") + table)
PY
json=$(instructions build-bench/tarnlix /FROM:tests/data/corpus/raw/dell-r630.bin /JSON)
serial=$(instructions build-bench/tarnlix /FROM:tests/data/corpus/raw/dell-r630.bin /PCSERIAL)
full=$(instructions dmidecode --from-dump "$bounds/dell.dump")
rm -rf "$bounds"
json=${json//,/} serial=${serial//,/} full=${full//,/}
echo "tarnlix /JSON: $json, dmidecode's full decode: $full (ratio 1/$((full / json)).$(( (full * 10 / json) % 10 ))); bound: at most $((full / 4))"
echo "tarnlix /PCSERIAL: $serial; bound: at most 100000"
if [ "$json" -gt $((full / 4)) ] || [ "$serial" -gt 100000 ]; then
  echo "bench.sh: a bound is not met" >&2
  status=1
fi

# /DIFF of two Dell tables costs at most twice the /JSON of the table read.
dell2=tests/data/corpus/raw/dell-poweredge-r640.bin
# (exit code 8: the tables differ)
diff=$(instructions build-bench/tarnlix "/FROM:$dell2" /DIFF:tests/data/corpus/raw/dell-r630.bin || true)
json2=$(instructions build-bench/tarnlix "/FROM:$dell2" /JSON)
diff=${diff//,/} json2=${json2//,/}
echo "tarnlix /DIFF of the two Dell tables: $diff, /JSON of the table read: $json2; bound: at most $((json2 * 2))"
if [ "$diff" -gt $((json2 * 2)) ]; then
  echo "bench.sh: the /DIFF bound is not met" >&2
  status=1
fi

# The corpus' 316 tables in one run against dmidecode once per table (its
# cheapest run, one value), in wall time measured here and now, and in
# instructions (dmidecode's from ten tables, scaled). dmidecode reads the
# tables that have an entry point in front.
echo "== the corpus' tables in one run against dmidecode once per table"
corpus=(tests/data/corpus/raw tests/data/corpus/machines)
tables=()
for directory in "${corpus[@]}"; do
  for table in "$directory"/*.bin; do
    head -c 5 "$table" | grep -qE '^(_SM3_|_SM_)' && tables+=("$table")
  done
done
start=$(date +%s%N)
build-bench/tarnlix "${corpus[@]/#//FROM:}" /CSV /PCSERIAL /MEMTOTAL >/dev/null
ours_ns=$(( $(date +%s%N) - start ))
start=$(date +%s%N)
for table in "${tables[@]}"; do dmidecode --from-dump "$table" -s system-serial-number >/dev/null 2>&1; done
theirs_ns=$(( ($(date +%s%N) - start) * 316 / ${#tables[@]} ))
echo "tarnlix, one run over 316 tables: $((ours_ns / 1000)) us;" \
     "dmidecode, one run per table: $((theirs_ns / 1000)) us for 316 (ratio 1/$((theirs_ns / ours_ns))); bound: at most 1/20"
many=$(instructions build-bench/tarnlix "${corpus[@]/#//FROM:}" /CSV /PCSERIAL /MEMTOTAL)
sample=0
for table in "${tables[@]:0:10}"; do
  count=$(instructions dmidecode --from-dump "$table" -s system-serial-number)
  sample=$((sample + ${count//,/}))
done
many=${many//,/}
echo "instructions: tarnlix $many, dmidecode about $((sample * 316 / 10)) (ratio 1/$((sample * 316 / 10 / many)))"
if [ $((ours_ns * 20)) -gt "$theirs_ns" ]; then
  echo "bench.sh: the several-tables bound is not met" >&2
  status=1
fi
echo "== /JSON against dmidecode's full decode (instructions)"
for dump in "${dumps[@]}" tests/data/corpus/raw/uroot-sample.bin; do
  echo "$dump: tarnlix /JSON $(instructions build-bench/tarnlix "/FROM:$dump" /JSON)," \
       "dmidecode $(instructions dmidecode --from-dump "$dump")"
done

# The Dell table's structures repeated, saved as a dump both tools read.
echo "== /JSON on growing tables (instructions per byte of dump)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for times in 1 4 16 64; do
  python3 - tests/data/corpus/raw/dell-r630.bin "$work/bare.bin" "$times" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
body, i = bytearray(), 0
while i + 4 <= len(data) and data[i + 1] >= 4:
    end = data.find(b"\0\0", i + data[i + 1])
    if end < 0:
        break
    if data[i] != 127:
        body += data[i:end + 2]
    i = end + 2
open(sys.argv[2], "wb").write(bytes(body) * int(sys.argv[3]) + bytes([127, 4, 0xFF, 0xFF, 0, 0]))
PY
  build-bench/tarnlix "/FROM:$work/bare.bin" "/DUMP:$work/dump.bin" /PCSERIAL >/dev/null
  size=$(stat -c %s "$work/dump.bin")
  ours=$(instructions build-bench/tarnlix "/FROM:$work/dump.bin" /JSON)
  theirs=$(instructions dmidecode --from-dump "$work/dump.bin")
  echo "${times}x, $size bytes: tarnlix $ours ($((${ours//,/} / size))/byte)," \
       "dmidecode $theirs ($((${theirs//,/} / size))/byte)"
done
exit "${status:-0}"
