#!/usr/bin/env bash
# Grows the kept fuzz corpus (tests/fuzz/corpus/TARGET) with what a run of
# scripts/fuzz.sh found: the inputs of build-fuzzers/corpus/TARGET, and the
# findings, that reach coverage which neither the seeds made from
# tests/data/corpus nor the inputs kept already reach, each minimized by
# libFuzzer's merge. Run it after a long fuzzing run, then commit the new
# files:
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
  findings=()
  for finding in "$build"/findings/"$name"-*; do [ -f "$finding" ] && findings+=("$finding"); done
  sources=("$kept")
  [ -d "$build/corpus/$name" ] && sources+=("$build/corpus/$name")
  if [ ${#findings[@]} -gt 0 ]; then
    mkdir -p "$work/findings-$name"
    cp "${findings[@]}" "$work/findings-$name/"
    sources+=("$work/findings-$name")
  fi
  "$build/tests/fuzz/$target" -merge=1 -timeout=10 -rss_limit_mb=2048 "$base" "${sources[@]}" \
    >"$work/$name.log" 2>&1 || { tail -n 20 "$work/$name.log"; exit 1; }
  # The inputs the merge added beyond the seeds are the kept corpus.
  rm -f "$kept"/*
  ( cd "$base" && ls ) | comm -13 "$work/$name.seeds" - | while read -r file; do
    cp "$base/$file" "$kept/$file"
  done
  echo "$target: $(find "$kept" -type f | wc -l) inputs kept ($(du -sh "$kept" | cut -f1))"
done
