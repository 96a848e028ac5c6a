#!/usr/bin/env bash
# shellcheck disable=SC2317 # the checks are called by name, from a list
# Builds the 32-bit Windows tarnlix.exe with mingw-w64 and proves it on a real
# Win32 implementation: Wine, in a fresh prefix that is removed at the end.
#
# Every check prints one PASS or FAIL line; the script exits 1 when any check
# fails, and 0 with "skipped: ..." only when Wine or the cross compiler is not
# installed. Every Wine run has a time limit, so nothing here can hang.
#
# Environment (all optional):
#   TARNLIX_WINDOWS_BUILD  build directory of the Windows exe (build-windows)
#   TARNLIX_NATIVE_BUILD   build directory of the Linux tool the Windows results
#                          are compared with (build-windows-native)
#   TARNLIX_WINE_TIMEOUT   seconds one run may take (60)
#   JOBS                   parallel build jobs (nproc)
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
export LC_ALL=C

windows_build=${TARNLIX_WINDOWS_BUILD:-build-windows}
native_build=${TARNLIX_NATIVE_BUILD:-build-windows-native}
run_timeout=${TARNLIX_WINE_TIMEOUT:-60}
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
corpus=tests/data/corpus
registry_key='HKLM\SYSTEM\CurrentControlSet\Services\mssmbios\Data'
registry_key_long='HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\mssmbios\Data'

say() { echo "windows-tests: $*"; }
skip() { say "skipped: $*"; exit 0; }

# ---------------------------------------------------------------------------
# Tools. Only a missing Wine or cross compiler is a reason to skip.
command -v i686-w64-mingw32-g++-posix >/dev/null 2>&1 ||
  skip "the mingw-w64 i686 cross compiler (Debian g++-mingw-w64-i686-posix) is not installed"
command -v i686-w64-mingw32-objdump >/dev/null 2>&1 ||
  skip "i686-w64-mingw32-objdump (Debian binutils-mingw-w64-i686) is not installed"
if ! command -v wine >/dev/null 2>&1 || ! command -v wineserver >/dev/null 2>&1; then
  skip "wine is not installed (Debian wine and wine32)"
fi
for tool in cmake timeout setsid od awk sed cmp; do
  command -v "$tool" >/dev/null 2>&1 || { say "FAIL: $tool is missing"; exit 1; }
done

# The checks to run: all, or those named on the command line.
all_checks=(import_table firmware_all firmware_serial registry registry_source direct name help
            output_bytes closed_pipe from_bad_paths dump from)
selected=("$@")
[ ${#selected[@]} -eq 0 ] && selected=("${all_checks[@]}")
for wanted in "${selected[@]}"; do
  case " ${all_checks[*]} " in
    *" $wanted "*) ;;
    *) say "FAIL: no check named $wanted (checks: ${all_checks[*]})"; exit 2 ;;
  esac
done

# ---------------------------------------------------------------------------
# Builds: the Windows exe with the probe program, and the Linux tool.
say "building the Windows exe in $windows_build"
if ! cmake -S . -B "$windows_build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
       -DTARNLIX_WERROR=ON >/dev/null ||
   ! cmake --build "$windows_build" -j "$jobs" --target tarnlix tarnlix_wine_probe; then
  say "FAIL: the Windows build failed"
  exit 1
fi
say "building the Linux tool in $native_build"
# A build directory that is already configured (the test script's own) is
# only brought up to date, never reconfigured with other options.
native_configure=(cmake -S . -B "$native_build" -DTARNLIX_WERROR=ON -DTARNLIX_TESTS=OFF)
[ -f "$native_build/CMakeCache.txt" ] && native_configure=(true)
if ! "${native_configure[@]}" >/dev/null ||
   ! cmake --build "$native_build" -j "$jobs" --target tarnlix; then
  say "FAIL: the Linux build failed"
  exit 1
fi
exe=$windows_build/tarnlix.exe
probe=$windows_build/tests/wine/tarnlix_wine_probe.exe
native=$native_build/tarnlix
for built in "$exe" "$probe" "$native"; do
  [ -f "$built" ] || { say "FAIL: $built was not built"; exit 1; }
done

# ---------------------------------------------------------------------------
# A fresh Wine prefix in a temporary directory, without display, Mono or
# Gecko; its server is stopped and everything removed on the way out.
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnlix-wine.XXXXXX") || exit 1
export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

# shellcheck disable=SC2317 # called by the trap
cleanup() {
  timeout 30 wineserver -k >/dev/null 2>&1
  timeout 30 wineserver -w >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Runs a command without a controlling terminal or console, standard input
# from /dev/null, output to files; at most limit seconds and 32 MiB of output.
#   bounded LIMIT OUT ERR COMMAND...   -> the command's exit code (124: timed out)
bounded() {
  local limit=$1 out=$2 err=$3
  shift 3
  (
    ulimit -f 32768
    exec setsid -w timeout -k 5 "$limit" "$@" </dev/null >"$out" 2>"$err"
  )
}

# wine_tool OUT ARGS... : tarnlix.exe under Wine; sets $rc.
wine_tool() {
  local out=$1
  shift
  bounded "$run_timeout" "$out" "$work/stderr" wine "$exe" "$@"
  rc=$?
}

# native_tool OUT ARGS... : the Linux build; sets $rc.
native_tool() {
  local out=$1
  shift
  bounded "$run_timeout" "$out" "$work/stderr" "$native" "$@"
  rc=$?
}

# The Linux tool's output in the Windows build's bytes: the bullet is the
# UTF-8 square there and the byte 0xFE here.
windows_bytes_of_linux() { sed 's/\xE2\x96\xA0/\xFE/g' "$1"; }
# The Windows output with its text-mode line ends turned back into "\n".
lf_of_crlf() { sed 's/\r$//' "$1"; }

# Line-end faults in the bytes of a file: a LF without its CR, or CR CR LF.
line_end_faults() {
  od -An -v -tx1 "$1" | awk '
    { for (i = 1; i <= NF; i++) {
        if ($i == "0a" && p1 != "0d") bare++
        if ($i == "0a" && p1 == "0d" && p2 == "0d") doubled++
        p2 = p1; p1 = $i } }
    END {
      if (bare) printf "%d LF without CR; ", bare
      if (doubled) printf "%d CR CR LF; ", doubled }'
}

# Shows the first differing line of two files, for a FAIL line.
first_difference() {
  diff "$1" "$2" | head -4 | cat -v | tr '\n' ' '
}

checks=0
failures=0
failed_names=()
check_started=$SECONDS
took() { echo "$((SECONDS - check_started))s"; }
pass() { checks=$((checks + 1)); say "PASS: $1 [$(took)]"; }
fail() {
  checks=$((checks + 1))
  failures=$((failures + 1))
  failed_names+=("$1")
  say "FAIL: $1: $2 [$(took)]"
}
# Compares a file with the expected bytes given as a printf format.
bytes_are() {
  local file=$1
  shift
  # shellcheck disable=SC2059 # the expected bytes are given as a format
  printf "$@" >"$work/expected-bytes"
  cmp -s "$file" "$work/expected-bytes"
}
shown() { od -An -c "$1" | tr -s ' \n' ' ' | head -c 300; }

# ---------------------------------------------------------------------------
check_import_table() {
  local name="import table: only system DLLs, optional services looked up at run time"
  local dump dlls bad=""
  dump=$(i686-w64-mingw32-objdump -p "$exe") || { fail "$name" "objdump failed"; return; }
  if ! grep -q 'file format pei-i386' <<<"$dump"; then
    fail "$name" "not a 32-bit x86 PE file"
    return
  fi
  dlls=$(awk '/DLL Name:/ { print $3 }' <<<"$dump")
  for dll in $dlls; do
    case "${dll,,}" in
      kernel32.dll | advapi32.dll | oleaut32.dll | msvcrt.dll | user32.dll | ntdll.dll) ;;
      *) bad+="$dll " ;;
    esac
  done
  if [ -n "$bad" ]; then
    fail "$name" "imports non-system DLLs: $bad"
    return
  fi
  # Imported statically, these would stop the exe from loading at all on the
  # systems that lack them, instead of falling back to the next source.
  for entry in GetSystemFirmwareTable GetNetworkParams NtOpenSection \
               NtMapViewOfSection ZwOpenSection ZwMapViewOfSection; do
    if grep -qw "$entry" <<<"$dump"; then
      fail "$name" "$entry is imported instead of looked up at run time"
      return
    fi
  done
  pass "$name (${dlls//$'\n'/ })"
}

start_wine() {
  say "creating a fresh Wine prefix in $WINEPREFIX"
  timeout 30 wineserver -p >/dev/null 2>&1
  if ! bounded 300 "$work/wineboot.out" "$work/wineboot.err" wine wineboot --init; then
    say "FAIL: wineboot could not create the prefix: $(tail -3 "$work/wineboot.err")"
    exit 1
  fi
  # Without the 32-bit loader (Debian wine32) nothing below could run.
  bounded "$run_timeout" "$work/usage.out" "$work/usage.err" wine "$probe"
  local usage_rc=$?
  if [ "$usage_rc" -ne 2 ]; then
    say "FAIL: Wine cannot run the 32-bit probe (exit $usage_rc; is wine32 installed?): $(tail -3 "$work/usage.err")"
    exit 1
  fi
}

check_firmware_all() {
  local name="firmware table: /ALL prints the version line of Wine's RSMB header, exit 0"
  bounded "$run_timeout" "$work/version" "$work/stderr" wine "$probe" firmware-version
  local probe_rc=$? version
  version=$(tr -d '\r\n' <"$work/version")
  if [ "$probe_rc" -ne 0 ]; then
    fail "$name" "the probe could not read the system's firmware table (exit $probe_rc): $version"
    return
  fi
  wine_tool "$work/all" /ALL
  local first
  first=$(head -n 1 "$work/all")
  if [ "$rc" -ne 0 ]; then
    fail "$name" "exit code $rc"
  elif [ "${version%%.*}" -gt 0 ] && [ "$first" != "- SMBBios data v$version -"$'\r' ]; then
    fail "$name" "first line '$(printf '%s' "$first" | cat -v)', expected '- SMBBios data v$version -^M'"
  elif [ "${version%%.*}" -le 0 ] && [[ "$first" == "- SMBBios"* ]]; then
    fail "$name" "a version line for header version $version"
  elif [ -n "$(line_end_faults "$work/all")" ]; then
    fail "$name" "$(line_end_faults "$work/all")"
  else
    pass "$name (v$version)"
  fi
}

check_firmware_serial() {
  local name="firmware table: /PCSERIAL exits 0 with a bare value"
  wine_tool "$work/serial" /PCSERIAL
  if [ "$rc" -ne 0 ]; then
    fail "$name" "exit code $rc, output: $(shown "$work/serial")"
  elif [ "$(tr -d '\r\n' <"$work/serial" | wc -c)" -ne "$(wc -c <"$work/serial")" ]; then
    fail "$name" "a line end after the value: $(shown "$work/serial")"
  else
    pass "$name"
  fi
}

# Loads a file into the registry value the tool reads second.
#   registry_load FILE add|import
registry_load() {
  local file=$1 method=$2 hex
  if [ "$method" = add ]; then
    hex=$(od -An -v -tx1 "$file" | tr -d ' \n')
    bounded "$run_timeout" "$work/reg.out" "$work/reg.err" \
      wine reg add "$registry_key" /v SMBiosData /t REG_BINARY /d "$hex" /f
  else
    # A .reg import has no command-line length limit (32,767 characters,
    # which a hex string of a 16 KiB table exceeds).
    {
      printf 'REGEDIT4\r\n\r\n[%s]\r\n' "$registry_key_long"
      od -An -v -tx1 "$file" | awk '
        BEGIN { ORS = ""; print "\"SMBiosData\"=hex:" }
        { for (i = 1; i <= NF; i++) {
            if (n > 0) { print ","; if (n % 24 == 0) print "\\\r\n  " }
            print $i; n++ } }
        END { print "\r\n" }'
    } >"$work/value.reg"
    bounded "$run_timeout" "$work/reg.out" "$work/reg.err" \
      wine reg import "Z:$work/value.reg"
  fi
}

# The header form the platform stores: calling method, major, minor, DMI
# revision, 32-bit table length, then the table.
#   header_form BARE_TABLE MAJOR MINOR OUT
header_form() {
  local length
  length=$(wc -c <"$1")
  # shellcheck disable=SC2059 # the format is built of \x escapes
  printf "$(printf '\\x%02x' 0 "$2" "$3" 0 $((length & 255)) $((length >> 8 & 255)) \
    $((length >> 16 & 255)) $((length >> 24 & 255)))" >"$4"
  cat "$1" >>"$4"
}

# The registry values the two registry checks load: one as Windows stores
# it, one built from a 17 KB table, far past any fixed 4 KiB buffer.
registry_values() {
  [ -f "$work/hyperv-header.bin" ] ||
    header_form "$corpus/raw/hyperv.bin" 3 1 "$work/hyperv-header.bin"
  echo "$corpus/raw/laptop-rsmb-3.2.bin add"
  echo "$work/hyperv-header.bin import"
}

check_registry() {
  local name="registry reader: returns exactly the bytes of SMBiosData"
  local problems="" sizes="" file method
  while read -r file method; do
    if ! registry_load "$file" "$method"; then
      problems+="wine reg $method failed for $file: $(cat "$work/reg.err" "$work/reg.out" | head -3); "
      continue
    fi
    bounded "$run_timeout" "$work/probe.out" "$work/stderr" \
      wine "$probe" registry-bytes "$file"
    local probe_rc=$?
    [ "$probe_rc" -eq 0 ] ||
      problems+="$(basename "$file"): exit $probe_rc: $(tr -d '\r' <"$work/probe.out" | head -3); "
    sizes+="$(wc -c <"$file") "
  done < <(registry_values)
  if [ -z "$problems" ]; then pass "$name (${sizes% } bytes)"; else fail "$name" "$problems"; fi
}

check_registry_source() {
  local name="registry source: a run without the firmware-table service equals the Linux build on the same table"
  local problems="" file method
  while read -r file method; do
    if ! registry_load "$file" "$method"; then
      problems+="wine reg $method failed for $file: $(cat "$work/reg.err" "$work/reg.out" | head -3); "
      continue
    fi
    bounded "$run_timeout" "$work/reg-all" "$work/stderr" \
      wine "$probe" run-without-firmware /ALL
    local wine_rc=$?
    native_tool "$work/native-all" "/FROM:$file" /ALL
    lf_of_crlf "$work/reg-all" >"$work/reg-all.lf"
    windows_bytes_of_linux "$work/native-all" >"$work/native-all.fe"
    if [ "$wine_rc" -ne 0 ] || [ "$rc" -ne 0 ]; then
      problems+="$(basename "$file"): exit codes $wine_rc under Wine, $rc on Linux; "
    elif ! cmp -s "$work/reg-all.lf" "$work/native-all.fe"; then
      problems+="$(basename "$file"): $(first_difference "$work/reg-all.lf" "$work/native-all.fe"); "
    fi
  done < <(registry_values)
  if [ -z "$problems" ]; then pass "$name"; else fail "$name" "$problems"; fi
}

# Every corpus table read with /FROM gives the values of expected.tsv (the
# Linux build's results) and the same full report as the Linux build.
check_from() {
  local values="/FROM: every corpus table gives the expected values (expected.tsv)"
  local reports="/FROM: every corpus table gives the same /ALL report as the Linux build"
  : >"$work/actual.tsv"
  local report_failures=0 report_first="" file selectors iso_value
  # One line per table: the file, then its selectors in the order listed.
  awk -F'\t' 'NR > 1 && $2 != "/BIOSDATE+ISO" {
                if (!($1 in seen)) { seen[$1] = 1; order[++n] = $1 }
                list[$1] = list[$1] " " $2 }
              END { for (i = 1; i <= n; i++) print order[i] list[order[i]] }' \
    "$corpus/expected.tsv" >"$work/tables"
  while read -r file selectors; do
    # shellcheck disable=SC2086 # the selectors are words without spaces
    wine_tool "$work/values" "/FROM:$corpus/$file" /TAB $selectors
    lf_of_crlf "$work/values" | awk -F'\t' -v file="$file" -v selectors="$selectors" -v rc="$rc" '
      { text = text (NR > 1 ? "\n" : "") $0 }
      END {
        n = split(selectors, name, " ")
        count = split(text, value, "\t")
        if (rc != 0) printf "%s\t(exit code)\t%s\n", file, rc
        for (i = 1; i <= n; i++) printf "%s\t%s\t%s\n", file, name[i], value[i]
        if (count != n + 1 || value[n + 1] != "")
          printf "%s\t(separators)\t%d tab-separated fields for %d selectors\n", file, count, n
      }' >>"$work/actual.tsv"
    if grep -q $'^'"$file"$'\t/BIOSDATE+ISO\t' "$corpus/expected.tsv"; then
      wine_tool "$work/iso" "/FROM:$corpus/$file" /ISO /BIOSDATE
      iso_value=$(lf_of_crlf "$work/iso")
      printf '%s\t/BIOSDATE+ISO\t%s\n' "$file" "$iso_value" >>"$work/actual.tsv"
    fi

    wine_tool "$work/from-all" "/FROM:$corpus/$file" /ALL
    local wine_rc=$rc
    native_tool "$work/native-all" "/FROM:$corpus/$file" /ALL
    lf_of_crlf "$work/from-all" >"$work/from-all.lf"
    windows_bytes_of_linux "$work/native-all" >"$work/native-all.fe"
    if [ "$wine_rc" -ne "$rc" ] || ! cmp -s "$work/from-all.lf" "$work/native-all.fe" ||
       [ -n "$(line_end_faults "$work/from-all")" ]; then
      report_failures=$((report_failures + 1))
      if [ -z "$report_first" ]; then
        report_first="$file: exit codes $wine_rc/$rc; $(line_end_faults "$work/from-all")"
        report_first+="$(first_difference "$work/from-all.lf" "$work/native-all.fe")"
      fi
    fi
  done <"$work/tables"

  local tables
  tables=$(wc -l <"$work/tables")
  tail -n +2 "$corpus/expected.tsv" | sort >"$work/expected.sorted"
  sort "$work/actual.tsv" >"$work/actual.sorted"
  if cmp -s "$work/expected.sorted" "$work/actual.sorted"; then
    pass "$values ($tables tables, $(wc -l <"$work/expected.sorted") values)"
  else
    local wrong
    wrong=$(diff "$work/expected.sorted" "$work/actual.sorted" | grep -c '^>')
    fail "$values" "$wrong rows differ (< expected, > Windows): $(diff "$work/expected.sorted" "$work/actual.sorted" | grep '^[<>]' | head -6 | cat -v | tr '\n' ' ')"
  fi
  if [ "$report_failures" -eq 0 ]; then
    pass "$reports ($tables tables)"
  else
    fail "$reports" "$report_failures of $tables tables differ; first: $report_first"
  fi
}

check_closed_pipe() {
  local name="closed pipe: a failed write ends the run at once with exit code 1, not success"
  # Standard output is a pipe whose reader has already gone, so every write
  # fails: the tool must neither report success nor go on writing.
  (
    exec setsid -w timeout -k 5 "$run_timeout" bash -c \
      'exec 1> >(exit 0); sleep 0.5; exec wine "$@"' wine "$exe" \
      "/FROM:$corpus/raw/hyperv.bin" /ALL
  ) </dev/null 2>"$work/stderr"
  rc=$?
  if [ "$rc" -eq 1 ]; then pass "$name"; else fail "$name" "exit code $rc"; fi
}

# Paths that are not a table end the run with the read error and the
# load-failure line, at once.
check_from_bad_paths() {
  local name="/FROM: a directory, a missing or empty file, or a device is refused at once, exit 1"
  : >"$work/empty.bin"
  local path problems=""
  for path in tests/data "$corpus/raw/no-such-table.bin" "Z:$work/empty.bin" NUL CON COM1; do
    wine_tool "$work/bad" "/FROM:$path" /PCNAME
    local text
    text=$(cat "$work/bad")
    if [ "$rc" -ne 1 ]; then
      problems+="$path: exit code $rc; "
    elif [[ "$text" != "Error: cannot read SMBIOS table from $path: "*$'\r\n \xFE Error: Failed to retrieve BIOS information\r' ]]; then
      problems+="$path: $(shown "$work/bad"); "
    fi
  done
  if [ -z "$problems" ]; then pass "$name"; else fail "$name" "$problems"; fi
}

check_name() {
  local name="/NAME prints the unqualified host name Wine reports, exit 0"
  local expected
  expected=$(hostname -s 2>/dev/null || uname -n)
  expected=${expected%%.*}
  wine_tool "$work/name" /NAME
  if [ "$rc" -ne 0 ]; then
    fail "$name" "exit code $rc, output '$(shown "$work/name")', expected '$expected'"
  elif ! bytes_are "$work/name" "%s" "$expected"; then
    fail "$name" "printed '$(shown "$work/name")', expected '$expected'"
  else
    pass "$name ($expected)"
  fi
}

check_direct() {
  local name="/DIRECT /PCNAME: no physical-memory section, error 1 and the load-failure line, exit 1"
  wine_tool "$work/direct" /DIRECT /PCNAME
  if [ "$rc" -ne 1 ]; then
    fail "$name" "exit code $rc, output: $(shown "$work/direct")"
  elif ! bytes_are "$work/direct" 'Error: TarnlixDataNT2() failed (Error 1)\r\n \xFE Error: Failed to retrieve BIOS information\r\n'; then
    fail "$name" "output: $(shown "$work/direct")"
  else
    pass "$name"
  fi
}

check_help() {
  local name="/? with output to a file and no console: ends at once, exit 0, the help lines"
  local limit=30 started elapsed
  started=$(date +%s)
  bounded "$limit" "$work/help.txt" "$work/stderr" wine "$exe" '/?'
  local help_rc=$?
  elapsed=$(($(date +%s) - started))
  native_tool "$work/native-help.txt" '/?'
  local native_rc=$rc
  windows_bytes_of_linux "$work/native-help.txt" >"$work/native-help.fe"
  lf_of_crlf "$work/help.txt" >"$work/help.lf"
  local faults
  faults=$(line_end_faults "$work/help.txt")
  if [ "$elapsed" -ge "$limit" ]; then
    fail "$name" "still running after ${limit}s (waiting for a key?)"
  elif [ "$help_rc" -ne 0 ]; then
    fail "$name" "exit code $help_rc"
  elif ! grep -q $'^Syntax: Tarnlix \\[/switches\\]\r$' "$work/help.txt" ||
       ! grep -q $'^\xFE You can redirect to an environment variable in batch files as follows:\r$' "$work/help.txt" ||
       ! grep -qF '%%i in' "$work/help.txt"; then
    fail "$name" "the help lines are missing: $(shown "$work/help.txt")"
  elif [ -n "$faults" ]; then
    fail "$name" "line ends: $faults"
  elif [ "$native_rc" -ne 0 ] || ! cmp -s "$work/help.lf" "$work/native-help.fe"; then
    fail "$name" "differs from the Linux build's help (exit $native_rc): $(first_difference "$work/help.lf" "$work/native-help.fe")"
  else
    pass "$name ($(wc -l <"$work/help.txt") lines, ${elapsed}s)"
  fi
}

check_output_bytes() {
  local name="output bytes: text-mode CR LF line ends, bare values, the 0xFE bullet"
  local dell="/FROM:$corpus/raw/dell-r630.bin" problems=""
  wine_tool "$work/o1" "$dell" /PCSERIAL
  bytes_are "$work/o1" '790H8D2' || problems+="bare value: $(shown "$work/o1"); "
  wine_tool "$work/o2" "$dell" /CRLF /PCSERIAL
  bytes_are "$work/o2" '790H8D2\r\n' || problems+="/CRLF: $(shown "$work/o2"); "
  wine_tool "$work/o3" "$dell" /CSV /PCMAKER /PCSERIAL /NOSUCH
  bytes_are "$work/o3" '"Dell Inc.","790H8D2",""\r\n' || problems+="/CSV: $(shown "$work/o3"); "
  wine_tool "$work/o4" "$dell" /TAB /PCSERIAL /PCNAME
  bytes_are "$work/o4" '790H8D2\tPowerEdge R630\t' || problems+="/TAB: $(shown "$work/o4"); "
  wine_tool "$work/o5" "/FROM:$corpus/raw/no-such-table.bin" /PCSERIAL
  printf ' \xFE Error: Failed to retrieve BIOS information\r\n' >"$work/o5.want"
  tail -c "$(wc -c <"$work/o5.want")" "$work/o5" >"$work/o5.tail"
  cmp -s "$work/o5.tail" "$work/o5.want" ||
    problems+="load-failure line: $(shown "$work/o5"); "
  wine_tool "$work/o6" "$dell" /ALL
  local faults
  faults=$(line_end_faults "$work/o6")
  [ -z "$faults" ] && grep -q $'\r$' "$work/o6" || problems+="/ALL line ends: ${faults:-none CR LF}; "
  if [ -z "$problems" ]; then pass "$name"; else fail "$name" "$problems"; fi
}

# /DUMP writes through the Windows file calls: the saved file must be the
# Linux build's byte for byte, replace an existing file without leaving a
# temporary behind, and a save that cannot be made must fail the run.
check_dump() {
  local name="/DUMP: the saved table equals the Linux build's, replaces a file, reports a failed save"
  local dell="/FROM:$corpus/raw/dell-r630.bin" problems=""
  native_tool "$work/uuid.want" "$dell" "/DUMP:$work/linux.bin" /PCUUID
  wine_tool "$work/uuid" "$dell" "/DUMP:Z:$work/windows.bin" /PCUUID
  [ "$rc" -eq 0 ] || problems+="exit code $rc; "
  cmp -s "$work/uuid" "$work/uuid.want" || problems+="/PCUUID: $(shown "$work/uuid"); "
  cmp -s "$work/windows.bin" "$work/linux.bin" || problems+="saved files differ; "
  wine_tool "$work/again" "/FROM:Z:$work/windows.bin" "/DUMP:Z:$work/windows.bin" /PCSERIAL
  bytes_are "$work/again" '790H8D2' || problems+="read back: $(shown "$work/again"); "
  cmp -s "$work/windows.bin" "$work/linux.bin" || problems+="replaced file differs; "
  if compgen -G "$work/windows.bin.*" >/dev/null; then problems+="temporary file left; "; fi
  wine_tool "$work/nodir" "$dell" "/DUMP:Z:$work/no/such/dir/t.bin" /PCSERIAL
  [ "$rc" -eq 1 ] || problems+="failed save: exit code $rc; "
  grep -q "^Error: cannot write Z:$work/no/such/dir/t.bin: .*"$'\r$' "$work/nodir" ||
    problems+="failed save: $(shown "$work/nodir"); "
  if [ -z "$problems" ]; then pass "$name"; else fail "$name" "$problems"; fi
}

# ---------------------------------------------------------------------------
wine_started=0
for check in "${all_checks[@]}"; do
  case " ${selected[*]} " in *" $check "*) ;; *) continue ;; esac
  if [ "$check" != import_table ] && [ "$wine_started" = 0 ]; then
    start_wine
    wine_started=1
  fi
  check_started=$SECONDS
  "check_$check"
done

if [ "$failures" -eq 0 ]; then
  say "all $checks checks passed"
  exit 0
fi
say "$failures of $checks checks failed:"
for failed in "${failed_names[@]}"; do say "  $failed"; done
exit 1
