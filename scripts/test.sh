#!/usr/bin/env bash
# Builds tarnlix and runs every test:
#   1. unit and end-to-end tests of the native (Linux) build;
#   2. the same suite under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the Windows build (mingw-w64) and its tests under Wine;
#   4. a short run of each fuzz target;
#   5. the packages: the .deb (as root also installed, run and removed) and
#      the Windows zips.
# Stages whose tools are missing say so and are skipped; run
# scripts/install-deps.sh first on a fresh machine.
#
# Options: --fuzz-seconds N (default 10), --no-sanitize, --no-windows, --no-fuzz
set -euo pipefail
cd "$(dirname "$0")/.."

fuzz_seconds=10
sanitize=1
windows=1
fuzz=1
while [ $# -gt 0 ]; do
  case "$1" in
    --fuzz-seconds) fuzz_seconds="$2"; shift 2 ;;
    --no-sanitize) sanitize=0; shift ;;
    --no-windows) windows=0; shift ;;
    --no-fuzz) fuzz=0; shift ;;
    *) echo "test.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

jobs=$(nproc 2>/dev/null || echo 2)

echo "== native build and tests"
cmake -S . -B build -DTARNLIX_WERROR=ON -DTARNLIX_TESTS=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

if [ "$sanitize" = 1 ]; then
  echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
  cmake -S . -B build-asan -DTARNLIX_WERROR=ON -DCMAKE_BUILD_TYPE=Debug \
    -DTARNLIX_SANITIZE=address,undefined -DTARNLIX_TESTS=ON
  cmake --build build-asan -j "$jobs"
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
fi

if [ "$windows" = 1 ] && [ -x scripts/windows-tests.sh ]; then
  echo "== Windows build and its tests under Wine"
  TARNLIX_NATIVE_BUILD=build scripts/windows-tests.sh
fi

if [ "$fuzz" = 1 ] && [ -x scripts/fuzz.sh ]; then
  echo "== fuzz targets, ${fuzz_seconds}s each"
  scripts/fuzz.sh "$fuzz_seconds"
fi

if [ -x scripts/package-tests.sh ]; then
  echo "== packages"
  package_options=()
  [ "$windows" = 1 ] || package_options+=(--no-windows)
  TARNLIX_NATIVE_BUILD=build scripts/package-tests.sh "${package_options[@]}"
fi

echo "== all tests passed"
