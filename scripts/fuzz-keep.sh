#!/usr/bin/env bash
# Grows the kept fuzz corpus (tests/fuzz/corpus/TARGET) with what a run of
# scripts/fuzz.sh found: the inputs of build-fuzzers/corpus/TARGET that reach
# edges which neither the seeds made from tests/data/corpus nor the inputs
# kept already reach, the fewest that reach them all (libFuzzer's set-cover
# merge on edges alone, hit counts aside: a few hundred inputs rather than
# thousands; named by their SHA-1), and
# every finding of build-fuzzers/findings whole, once its fault is fixed
# (named crash-..., leak-..., timeout-... or oom-...: they stay for good, so
# that the fault stays fixed). Run it after a long fuzzing run, then commit
# the new files:
#
#   scripts/fuzz.sh 3600 table_fuzzer && scripts/fuzz-keep.sh table_fuzzer
#   scripts/fuzz-keep.sh [TARGET...]     (default: every target)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${FUZZ_BUILD_DIR:-build-fuzzers}"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in tests/fuzz/*_fuzzer.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
[ -x "$build/tests/fuzz/fuzz_make_seeds" ] || { echo "fuzz-keep.sh: run scripts/fuzz.sh first"; exit 1; }
seeds=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$seeds" "$work"' EXIT
"$build/tests/fuzz/fuzz_make_seeds" tests/data/corpus "$seeds" >/dev/null

for target in "${targets[@]}"; do
  name="${target%_fuzzer}"
  kept="tests/fuzz/corpus/$name"
  mkdir -p "$kept"
  # What the seeds reach, then what the kept inputs, the new ones and the
  # findings add to it: merge keeps an input only for coverage of its own.
  base="$work/$name"
  rm -rf "$base"
  mkdir -p "$base"
  [ -d "$seeds/$name" ] && cp "$seeds/$name"/* "$base/"
  if [ "$name" = dump_file ]; then cp tests/data/corpus/raw/* tests/data/corpus/machines/* "$base/"; fi
  ( cd "$base" && ls ) >"$work/$name.seeds"
  # The merged inputs kept so far, without the findings.
  merged="$work/kept-$name"
  mkdir -p "$merged"
  find "$kept" -maxdepth 1 -type f ! -name '*-*' -exec cp {} "$merged/" \;
  sources=("$merged")
  [ -d "$build/corpus/$name" ] && sources+=("$build/corpus/$name")
  "$build/tests/fuzz/$target" -set_cover_merge=1 -use_counters=0 -timeout=10 -rss_limit_mb=2048 "$base" "${sources[@]}" \
    >"$work/$name.log" 2>&1 || { tail -n 20 "$work/$name.log"; exit 1; }
  # The inputs the merge added beyond the seeds are the kept corpus.
  find "$kept" -maxdepth 1 -type f ! -name '*-*' -delete
  ( cd "$base" && ls ) | comm -13 "$work/$name.seeds" - | while read -r file; do
    cp "$base/$file" "$kept/$file"
  done
  for finding in "$build"/findings/"$name"-*; do
    [ -f "$finding" ] && cp "$finding" "$kept/${finding##*/$name-}"
  done
  echo "$target: $(find "$kept" -type f | wc -l) inputs kept ($(du -sh "$kept" | cut -f1))"
done
