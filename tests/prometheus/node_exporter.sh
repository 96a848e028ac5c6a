#!/usr/bin/env bash
# Debian's node_exporter, started here on 127.0.0.1 and a free port with its
# textfile collector on a directory the contrib writer filled (what the
# systemd service runs), must serve the inventory; then it is stopped.
#   node_exporter.sh TOOL TABLE SERIAL
# Exits 77 (skipped) when prometheus-node-exporter is not installed.
set -euo pipefail
tool=$1 table=$2 serial=$3
here=$(cd "$(dirname "$0")" && pwd)
exporter=$(command -v prometheus-node-exporter || command -v node_exporter || true)
if [ -z "$exporter" ]; then
  echo "skipped: prometheus-node-exporter is not installed (Debian prometheus-node-exporter)"
  exit 77
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnlix-node-exporter.XXXXXX")
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

mkdir "$work/textfile"
TARNLIX_BIN=$tool TARNLIX_FROM=$table TARNLIX_BASELINE=$work/baseline.bin \
  "$here/../../contrib/prometheus/tarnlix-textfile" "$work/textfile"
ls -l "$work/textfile"

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$exporter" --web.listen-address="127.0.0.1:$port" --collector.disable-defaults \
  --collector.textfile --collector.textfile.directory="$work/textfile" >"$work/exporter.log" 2>&1 &
pid=$!

metrics=
for _ in $(seq 100); do
  if metrics=$(python3 -c 'import sys, urllib.request; sys.stdout.write(urllib.request.urlopen(sys.argv[1], timeout=2).read().decode())' \
               "http://127.0.0.1:$port/metrics" 2>/dev/null); then
    break
  fi
  kill -0 "$pid" 2>/dev/null || { cat "$work/exporter.log"; echo "FAIL: the exporter ended"; exit 1; }
  sleep 0.1
done
line=$(printf '%s\n' "$metrics" | grep '^tarnlix_system_info{' || true)
echo "$line"
case "$line" in
  *"system_serial=\"$serial\""*"} 1") ;;
  *) echo "FAIL: no tarnlix_system_info with system_serial=\"$serial\""; cat "$work/exporter.log"; exit 1 ;;
esac
if printf '%s\n' "$metrics" | grep -qx 'node_textfile_scrape_error 1'; then
  echo "FAIL: the textfile collector could not read the file"; exit 1
fi
echo "node_exporter served the inventory"
