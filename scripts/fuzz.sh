#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, with AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzzers/, replays each one's kept
# corpus (tests/fuzz/corpus/TARGET: inputs earlier runs found, see
# scripts/fuzz-keep.sh), then runs it for the given number of seconds on one
# core, seeded from the real tables in tests/data/corpus and the kept corpus.
# Targets run side by side, as many at once as the machine has cores.
# Fails on the first crash, leak, sanitizer report or broken check; the input
# that caused it is left in build-fuzzers/findings/. New inputs go to
# build-fuzzers/corpus/TARGET.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]     (default: 60 seconds, all targets)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
shift || true
build="${FUZZ_BUILD_DIR:-build-fuzzers}"
targets=("$@")

clangxx="$(command -v clang++ || true)"
if [ -z "$clangxx" ]; then
  echo "fuzz.sh: skipped: clang++ is not installed (apt-get install clang)"
  exit 0
fi
probe="$(mktemp -d)"
trap 'rm -rf "$probe"' EXIT
printf '%s\n' '#include <cstdint>' '#include <cstddef>' \
  'extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }' \
  > "$probe/probe.cpp"
if ! "$clangxx" -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" \
     -o "$probe/probe" 2>/dev/null; then
  echo "fuzz.sh: skipped: the libFuzzer runtime is missing (apt-get install libclang-rt-14-dev)"
  exit 0
fi

if [ ! -f /usr/include/nlohmann/json.hpp ]; then
  echo "fuzz.sh: skipped: the JSON checker is missing (apt-get install nlohmann-json3-dev)"
  exit 0
fi

CXX="$clangxx" cmake -S . -B "$build" -DTARNLIX_FUZZ=ON -DTARNLIX_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ ${#targets[@]} -eq 0 ]; then
  for source in tests/fuzz/*_fuzzer.cpp; do
    targets+=("$(basename "$source" .cpp)")
  done
fi
cmake --build "$build" -j 2 --target fuzz_make_seeds "${targets[@]}"

seeds="$build/seeds"
rm -rf "$seeds"
"$build/tests/fuzz/fuzz_make_seeds" tests/data/corpus "$seeds"

mkdir -p "$build/findings"

# fuzz_target TARGET: replays its kept corpus, then fuzzes it; its summary
# goes to $build/NAME.result, its whole log to $build/NAME.log.
fuzz_target() {
  local target=$1 name="${1%_fuzzer}"
  local work="$build/corpus/$name" log="$build/$name.log" result="$build/$name.result"
  local kept="tests/fuzz/corpus/$name" seed_dirs=() runs coverage
  mkdir -p "$work"
  [ -d "$seeds/$name" ] && seed_dirs+=("$seeds/$name")
  if [ "$name" = dump_file ]; then
    seed_dirs+=(tests/data/corpus/raw tests/data/corpus/machines)
  fi
  if [ -d "$kept" ]; then
    # Every input kept, once: what earlier runs found must stay fixed.
    if ! ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1 \
         UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
         "$build/tests/fuzz/$target" -runs=0 -timeout=10 -rss_limit_mb=2048 \
           -artifact_prefix="$build/findings/$name-" "$kept" >"$log" 2>&1; then
      { echo "$target: the kept corpus FAILED; last lines of $log:"; tail -n 40 "$log"; } >"$result"
      return 1
    fi
    echo "$target: kept corpus replayed, $(find "$kept" -type f | wc -l) inputs" >"$result"
    seed_dirs+=("$kept")
  fi
  if ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1 \
     UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
     "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 \
       -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
       -dict=tests/fuzz/smbios.dict -artifact_prefix="$build/findings/$name-" \
       "$work" "${seed_dirs[@]}" >"$log" 2>&1; then
    runs="$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || true)"
    coverage="$(grep -Eo 'DONE +cov: [0-9]+ ft: [0-9]+' "$log" | grep -Eo 'cov: [0-9]+ ft: [0-9]+' || true)"
    echo "$target: ${seconds}s clean, ${runs:-?} executions, ${coverage:-coverage not reported}" >>"$result"
  else
    { echo "$target: FAILED; last lines of $log:"; tail -n 40 "$log"; } >>"$result"
    return 1
  fi
}

# As many targets at once as there are cores: each has one core of its own.
cores=$(nproc 2>/dev/null || echo 1)
status=0
pending=("${targets[@]}")
while [ ${#pending[@]} -gt 0 ]; do
  batch=("${pending[@]:0:$cores}")
  pending=("${pending[@]:$cores}")
  echo "== ${batch[*]}: ${seconds}s"
  pids=()
  for target in "${batch[@]}"; do
    fuzz_target "$target" &
    pids+=($!)
  done
  for i in "${!batch[@]}"; do
    wait "${pids[$i]}" || status=1
    cat "$build/${batch[$i]%_fuzzer}.result"
  done
done
exit "$status"
