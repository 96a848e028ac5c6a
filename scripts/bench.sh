#!/usr/bin/env bash
# Speed of tarnlix: the in-process benchmark (load, every accessor, the full
# dump) and, where dmidecode is installed, the whole process against
# `dmidecode --from-dump` reading the same dump. Wall times on a busy machine
# are noisy; the instruction counts (valgrind) are repeatable.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTARNLIX_BENCHMARKS=ON \
  -DTARNLIX_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc 2>/dev/null || echo 2)" --target tarnlix tarnlix_bench

echo "== in-process"
build-bench/bench/tarnlix_bench

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
