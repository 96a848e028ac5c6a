#!/usr/bin/env bash
# Runs the programs of a Windows cross build under Wine. The toolchain files
# name this script as the build's emulator, so CTest puts it before every
# Windows program a test runs; the test fixtures use it to keep the prefix.
#
#   wine-run.sh 32|64 PROGRAM ARGS...    runs PROGRAM in $WINEPREFIX
#   wine-run.sh 32|64 --create-prefix    makes $WINEPREFIX afresh
#   wine-run.sh 32|64 --remove-prefix    stops its Wine server, removes it
#   wine-run.sh 32|64 --probe TOOL       finds out whether the tool runs here
#
# 64-bit programs run under wine64, 32-bit ones under wine. Whether this
# machine can run the 32-bit ones is found out by trying (--probe, which
# runs "TOOL --version" and expects its answer): when it cannot, the probe
# and every later run in the prefix print why and exit 77, which CTest
# reports as skipped. A 64-bit program that cannot run is a failure.
#
# Every run ends within TARNLIX_WINE_TIMEOUT seconds (300), detached from
# any terminal, with standard input from /dev/null. TARNLIX_WINE32 and
# TARNLIX_WINE64 name other Wine commands to use.
set -uo pipefail

bits=${1:-}
shift || true
case "$bits" in
  32 | 64) ;;
  *) echo "wine-run: the first argument is 32 or 64, not '$bits'" >&2; exit 2 ;;
esac
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run: WINEPREFIX is not set (run the Windows tests with ctest)" >&2
  exit 2
fi
export WINEPREFIX
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# Why this build's programs cannot run here; kept after the prefix is gone,
# for the test script to repeat.
skipped="$WINEPREFIX.skipped"
limit=${TARNLIX_WINE_TIMEOUT:-300}

wine64_command() {
  if [ -n "${TARNLIX_WINE64:-}" ]; then echo "$TARNLIX_WINE64"; return; fi
  local candidate
  for candidate in /usr/bin/wine64 /usr/lib/wine/wine64 "$(command -v wine64)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then echo "$candidate"; return; fi
  done
}

loader() {
  if [ "$bits" = 64 ]; then wine64_command; else echo "${TARNLIX_WINE32:-wine}"; fi
}

# bounded SECONDS COMMAND... : at most SECONDS, without a terminal.
bounded() {
  local seconds=$1
  shift
  setsid -w timeout -k 5 "$seconds" "$@" </dev/null
}

case "${1:-}" in
  --create-prefix)
    # A run that was cut short left its server up: it is stopped first, as
    # a removed prefix would leave it running with no way to reach it.
    if [ -d "$WINEPREFIX" ]; then timeout 30 wineserver -k >/dev/null 2>&1 </dev/null; fi
    rm -rf "$WINEPREFIX" "$skipped"
    mkdir -p "$WINEPREFIX" || exit 1
    # The prefix is made by the 64-bit loader where there is one: the 32-bit
    # one may be installed yet unable to run at all.
    boot=$(wine64_command)
    boot=${boot:-${TARNLIX_WINE32:-wine}}
    # A server that stays up for the whole run: tests then never wait for
    # one started with their own output. Should the removal never come (a
    # run cut short), it still ends five idle minutes after the last program.
    timeout 30 wineserver -p300 >/dev/null 2>&1 </dev/null
    if ! WINEDEBUG=-all bounded "$limit" "$boot" wineboot --init \
         >"$WINEPREFIX.log" 2>&1; then
      echo "wine-run: wineboot could not create the prefix: $(tail -3 "$WINEPREFIX.log")"
      exit 1
    fi
    rm -f "$WINEPREFIX.log"
    echo "wine-run: created $WINEPREFIX with $boot"
    exit 0
    ;;
  --remove-prefix)
    timeout 30 wineserver -k >/dev/null 2>&1 </dev/null
    timeout 30 wineserver -w >/dev/null 2>&1 </dev/null
    rm -rf "$WINEPREFIX" "$WINEPREFIX.log"
    exit 0
    ;;
  --probe)
    program=${2:?wine-run: --probe needs the tool}
    wine=$(loader)
    if [ -z "$wine" ]; then
      output="" error="wine64 is not installed" rc=127
    else
      # Wine's own messages are kept here: they say why a program cannot run.
      output=$(WINEDEBUG=fixme-all bounded 60 "$wine" "$program" --version \
               2>"$WINEPREFIX/probe.err")
      rc=$?
      error=$(grep -v '^[[:space:]]*$' "$WINEPREFIX/probe.err" | head -1)
    fi
    if [ "$rc" -eq 0 ] && [[ "$output" == "tarnlix "* ]]; then
      echo "wine-run: $wine runs $(basename "$program")"
      exit 0
    fi
    reason=${error:-exit code $rc, and no answer from the program}
    if [ "$bits" = 32 ]; then
      echo "skipped: this machine cannot run 32-bit programs: $reason" | tee "$skipped"
      exit 77
    fi
    echo "wine-run: FAIL: Wine cannot run the 64-bit program $(basename "$program"): $reason"
    exit 1
    ;;
esac

if [ -f "$skipped" ]; then
  cat "$skipped"
  exit 77
fi
wine=$(loader)
if [ -z "$wine" ]; then
  echo "wine-run: wine64 is not installed" >&2
  exit 1
fi
WINEDEBUG=-all bounded "$limit" "$wine" "$@"
