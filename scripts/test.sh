#!/usr/bin/env bash
# Builds tarnlix and runs every test:
#   1. unit and end-to-end tests of the native (Linux) build;
#   2. the same suite under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the Windows builds (mingw-w64: the 64-bit exe, then the 32-bit one)
#      and their tests under Wine, run by ctest in each build tree;
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

# How long each stage took, printed at the end.
timings=()
stage_start=$SECONDS
stage_name=
stage() {
  if [ -n "$stage_name" ]; then timings+=("$stage_name: $((SECONDS - stage_start)) s"); fi
  stage_name=$1
  stage_start=$SECONDS
  echo "== $1"
}

stage "native build and tests"
cmake -S . -B build -DTARNLIX_WERROR=ON -DTARNLIX_TESTS=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

if [ "$sanitize" = 1 ]; then
  stage "tests under AddressSanitizer and UndefinedBehaviorSanitizer"
  cmake -S . -B build-asan -DTARNLIX_WERROR=ON -DCMAKE_BUILD_TYPE=Debug \
    -DTARNLIX_SANITIZE=address,undefined -DTARNLIX_TESTS=ON
  cmake --build build-asan -j "$jobs"
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
fi

# windows_stage NAME TOOLCHAIN BUILD COMPILER PACKAGE: one Windows build and
# its tests. The tests compare the exe with the Linux build made above.
windows_stage() {
  local name=$1 toolchain=$2 build=$3 compiler=$4 package=$5
  stage "Windows build ($name) and its tests under Wine"
  if ! command -v "$compiler" >/dev/null 2>&1; then
    echo "skipped: the cross compiler $compiler (Debian $package) is not installed"
    return
  fi
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="cmake/$toolchain" \
    -DTARNLIX_WERROR=ON -DTARNLIX_TESTS=ON -DTARNLIX_NATIVE_TOOL="$PWD/build/tarnlix"
  rm -f "$build/tests/wine/wineprefix.skipped"
  if command -v wine >/dev/null 2>&1 || command -v wine64 >/dev/null 2>&1; then
    # The exe first, and whether it runs here: the tests are built only
    # where they can run.
    cmake --build "$build" -j "$jobs" --target tarnlix
    ctest --test-dir "$build" --output-on-failure -R '^windows[.]runs_here$'
    if [ -f "$build/tests/wine/wineprefix.skipped" ]; then
      ctest --test-dir "$build" --output-on-failure -R '^windows[.]import_table$'
    else
      cmake --build "$build" -j "$jobs"
      ctest --test-dir "$build" --output-on-failure -j "$jobs"
    fi
  else
    cmake --build "$build" -j "$jobs" --target tarnlix
    echo "skipped: Wine is not installed (Debian wine, wine64): only the import table is checked"
    ctest --test-dir "$build" --output-on-failure -R '^windows[.]import_table$'
  fi
  # Why the programs of this build could not run here, when they could not.
  if [ -f "$build/tests/wine/wineprefix.skipped" ]; then
    echo "Windows build ($name): $(cat "$build/tests/wine/wineprefix.skipped")"
  fi
}

if [ "$windows" = 1 ]; then
  windows_stage "64-bit exe" mingw-x86_64.cmake build-windows-x64 \
    x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix
  windows_stage "32-bit exe" mingw-i686.cmake build-windows \
    i686-w64-mingw32-g++-posix g++-mingw-w64-i686-posix
fi

if [ "$fuzz" = 1 ] && [ -x scripts/fuzz.sh ]; then
  stage "fuzz targets, ${fuzz_seconds}s each"
  scripts/fuzz.sh "$fuzz_seconds"
fi

if [ -x scripts/package-tests.sh ]; then
  stage "packages"
  package_options=()
  [ "$windows" = 1 ] || package_options+=(--no-windows)
  TARNLIX_NATIVE_BUILD=build scripts/package-tests.sh "${package_options[@]}"
fi

stage "all tests passed"
printf '  %s\n' "${timings[@]}"
