#!/usr/bin/env bash
# Builds the packages and checks them as a user receives them:
#   1. the .deb of the native build: its name, fields and files, lintian, and
#      (as root, with apt) an install with apt-get, a run of the installed
#      tool, its manual page and its JSON Schema, and the removal;
#   2. the Windows zips (32-bit and 64-bit builds): their names and files.
# Every check prints one PASS or FAIL line, a part that cannot run says
# "skipped: ..." and why; the script exits 1 when any check fails.
#
# Options: --no-windows (leave out the zips)
# Environment (all optional):
#   TARNLIX_NATIVE_BUILD   configured native build directory (build)
#   TARNLIX_WINDOWS_BUILD  32-bit Windows build directory (build-windows)
#   TARNLIX_WINDOWS64_BUILD 64-bit Windows build directory (build-windows-x64)
#   JOBS                   parallel build jobs (nproc)
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
export LC_ALL=C

native_build=${TARNLIX_NATIVE_BUILD:-build}
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
windows=1
for option in "$@"; do
  case "$option" in
    --no-windows) windows=0 ;;
    *) echo "package-tests: unknown option $option" >&2; exit 2 ;;
  esac
done

failures=0
say() { echo "package-tests: $*"; }
pass() { say "PASS: $1"; }
fail() { say "FAIL: $1: $2"; failures=$((failures + 1)); }
skip() { say "skipped: $*"; }

# The version the build was configured with, as --version prints it.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$native_build/CMakeCache.txt" 2>/dev/null)

# ---------------------------------------------------------------------------
check_deb_contents() {
  local deb=$1 name="the .deb: named the Debian way, section admin, no dependencies, the files Debian expects"
  local arch problems="" listing file
  arch=$(dpkg --print-architecture)
  [ "$(basename "$deb")" = "tarnlix_${version}-1_${arch}.deb" ] ||
    problems+="named $(basename "$deb"); "
  [ "$(dpkg-deb -f "$deb" Section)" = admin ] || problems+="section $(dpkg-deb -f "$deb" Section); "
  [ -z "$(dpkg-deb -f "$deb" Depends)" ] || problems+="depends on $(dpkg-deb -f "$deb" Depends); "
  [ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || problems+="no maintainer; "
  [ -n "$(dpkg-deb -f "$deb" Description)" ] || problems+="no description; "
  listing=$(dpkg-deb -c "$deb" | awk '{print $1, $2, $6}')
  for file in ./usr/bin/tarnlix ./usr/share/man/man1/tarnlix.1.gz \
              ./usr/share/tarnlix/tarnlix.schema.json \
              ./usr/share/doc/tarnlix/copyright ./usr/share/doc/tarnlix/changelog.Debian.gz; do
    grep -q " root/root $file\$" <<<"$listing" || problems+="no $file owned by root; "
  done
  if [ -z "$problems" ]; then pass "$name"; else fail "$name" "$problems"; fi
}

check_lintian() {
  local deb=$1 name="lintian reports no error on the .deb"
  if ! command -v lintian >/dev/null 2>&1; then
    skip "lintian: it is not installed (Debian lintian)"
    return
  fi
  local report
  report=$(lintian --fail-on error "$deb" 2>&1)
  local rc=$?
  report=$(grep -v 'running with root privileges' <<<"$report")
  [ -n "$report" ] && echo "$report"
  if [ "$rc" -eq 0 ]; then pass "$name"; else fail "$name" "exit code $rc"; fi
}

# Installs the package with apt-get, runs what it installed from the path a
# user has, and removes it again.
check_install() {
  local deb=$1 name="apt-get installs the .deb; tarnlix --version and man -w tarnlix work; apt-get removes it"
  if [ "$(id -u)" -ne 0 ]; then
    skip "install and removal of the .deb: not running as root"
    return
  fi
  if ! command -v apt-get >/dev/null 2>&1; then
    skip "install and removal of the .deb: apt-get is not available"
    return
  fi
  if dpkg -s tarnlix >/dev/null 2>&1; then
    skip "install and removal of the .deb: tarnlix is already installed here and is left alone"
    return
  fi
  local problems="" out
  if ! out=$(cd "$(dirname "$deb")" && DEBIAN_FRONTEND=noninteractive \
               apt-get install -y -q --no-install-recommends "./$(basename "$deb")" 2>&1); then
    fail "$name" "apt-get install failed: $(tail -3 <<<"$out" | tr '\n' ' ')"
    return
  fi
  # The installed files themselves, whatever else a user put on the path.
  out=$(/usr/bin/tarnlix --version 2>&1)
  [ "$out" = "tarnlix $version" ] || problems+="tarnlix --version printed '$out'; "
  cmp -s <(/usr/bin/tarnlix /SCHEMA) /usr/share/tarnlix/tarnlix.schema.json ||
    problems+="the installed schema is not what tarnlix /SCHEMA prints; "
  if command -v man >/dev/null 2>&1; then
    out=$(man -aw tarnlix 2>&1)
    grep -qx /usr/share/man/man1/tarnlix.1.gz <<<"$out" ||
      problems+="man -w tarnlix printed '$out'; "
  else
    skip "man -w tarnlix: man is not installed (Debian man-db)"
  fi
  if ! out=$(DEBIAN_FRONTEND=noninteractive apt-get remove -y -q --purge tarnlix 2>&1); then
    problems+="apt-get remove failed: $(tail -3 <<<"$out" | tr '\n' ' '); "
  fi
  ! dpkg -s tarnlix >/dev/null 2>&1 && [ ! -e /usr/bin/tarnlix ] &&
    [ ! -e /usr/share/man/man1/tarnlix.1.gz ] && [ ! -e /usr/share/tarnlix ] ||
    problems+="not removed; "
  if [ -z "$problems" ]; then pass "$name"; else fail "$name" "$problems"; fi
}

deb_stage() {
  if ! command -v dpkg-deb >/dev/null 2>&1 || ! command -v dpkg >/dev/null 2>&1; then
    skip "the .deb: dpkg is not available"
    return
  fi
  if [ -z "$version" ]; then
    fail "the .deb" "$native_build is not a configured build directory"
    return
  fi
  rm -f "$native_build"/tarnlix_*.deb
  local out
  if ! out=$(cd "$native_build" && cpack -G DEB 2>&1); then
    fail "cpack -G DEB" "$(tail -5 <<<"$out" | tr '\n' ' ')"
    return
  fi
  local debs=("$native_build"/tarnlix_*.deb)
  if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    fail "cpack -G DEB" "made ${#debs[@]} packages: ${debs[*]}"
    return
  fi
  say "built ${debs[0]}"
  check_deb_contents "${debs[0]}"
  check_lintian "${debs[0]}"
  check_install "${debs[0]}"
}

# ---------------------------------------------------------------------------
#   zip_stage TOOLCHAIN COMPILER BUILD_DIR SUFFIX
zip_stage() {
  local toolchain=$1 compiler=$2 dir=$3 suffix=$4
  local name="the $suffix zip: tarnlix-$version-$suffix.zip holding tarnlix.exe, README.md, LICENSE and tarnlix.schema.json"
  if [ ! -f "$toolchain" ]; then
    skip "the $suffix zip: $toolchain is not in this tree"
    return
  fi
  if ! command -v "$compiler" >/dev/null 2>&1; then
    skip "the $suffix zip: the cross compiler $compiler is not installed"
    return
  fi
  # The Windows test stage's options, as it may share the directory; one that
  # is already configured keeps its own. Only the exe is built for the zip,
  # not the tests that directory may hold (where they cannot run here, they
  # were never built).
  local configure=(cmake -S . -B "$dir" -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON)
  [ -f "$dir/CMakeCache.txt" ] ||
    configure+=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTARNLIX_WERROR=ON)
  local out
  if ! out=$("${configure[@]}" 2>&1 && cmake --build "$dir" -j "$jobs" --target tarnlix 2>&1); then
    fail "$name" "the build failed: $(tail -5 <<<"$out" | tr '\n' ' ')"
    return
  fi
  rm -f "$dir"/tarnlix-*.zip
  if ! out=$(cd "$dir" && cpack -G ZIP 2>&1); then
    fail "$name" "cpack failed: $(tail -5 <<<"$out" | tr '\n' ' ')"
    return
  fi
  local zip="$dir/tarnlix-$version-$suffix.zip" files
  if [ ! -f "$zip" ]; then
    fail "$name" "made $(cd "$dir" && echo tarnlix-*.zip)"
    return
  fi
  files=$(cmake -E tar tf "$zip" | sort | tr '\n' ' ')
  if [ "$files" = "LICENSE README.md tarnlix.exe tarnlix.schema.json " ]; then
    pass "$name"
  else
    fail "$name" "it holds: $files"
  fi
}

# ---------------------------------------------------------------------------
deb_stage
if [ "$windows" = 1 ]; then
  zip_stage cmake/mingw-i686.cmake i686-w64-mingw32-g++-posix \
    "${TARNLIX_WINDOWS_BUILD:-build-windows}" win32
  zip_stage cmake/mingw-x86_64.cmake x86_64-w64-mingw32-g++-posix \
    "${TARNLIX_WINDOWS64_BUILD:-build-windows-x64}" win64
else
  skip "the Windows zips: --no-windows"
fi

if [ "$failures" -ne 0 ]; then
  say "$failures checks failed"
  exit 1
fi
say "all checks passed"
