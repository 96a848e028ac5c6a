#!/usr/bin/env bash
# Installs what building and testing tarnlix needs on Debian 12 (run as root).
#
# The 32-bit Windows exe runs under Debian's 32-bit Wine (wine32, an i386
# package), which only a machine that runs 32-bit programs can use. Whether
# this one can is found out by trying: the i386 C library is installed and
# its loader run. Where it cannot run, wine32 is left out, which is said
# plainly; the 32-bit exe is still built and checked, its runs skipped.
set -euo pipefail

packages=(
  cmake make g++ googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64
  tmux
  dmidecode
  mandoc groff-base man-db lintian dpkg-dev file
  python3 python3-jsonschema nlohmann-json3-dev ansible-core
  prometheus prometheus-node-exporter facter
)

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: run as root (apt-get needs it)" >&2
  exit 1
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# The Prometheus packages would start their servers where the system lets
# services start; the tests start the exporter themselves, on a port of
# their own. A policy already in place is left as it is.
policy=/usr/sbin/policy-rc.d
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' >"$policy"
  chmod 0755 "$policy"
  trap 'rm -f "$policy"' EXIT
fi
apt-get update -q
apt-get install -y -q --no-install-recommends "${packages[@]}"

# systemd's udev helper that decodes the memory devices for every user is
# run by a test from the package's files, unpacked there: udev is a service
# and is never installed. The package is kept here for it.
cache=/var/cache/tarnlix
mkdir -p "$cache"
rm -f "$cache"/udev_*.deb
(cd "$cache" && apt-get download -q udev)

# The try: the i386 loader, run on its own. A failed set-up of the package
# itself is looked at only if the loader then cannot run either.
libc32_installed=1
apt-get install -y -q --no-install-recommends libc6:i386 || libc32_installed=0
if reason=$(/lib/ld-linux.so.2 --version 2>&1 >/dev/null); then
  [ "$libc32_installed" = 1 ] || { echo "install-deps: libc6:i386 failed to install" >&2; exit 1; }
  apt-get install -y -q --no-install-recommends wine32:i386
  echo "install-deps: this machine runs 32-bit programs: wine32 is installed"
else
  reason=${reason:-/lib/ld-linux.so.2 does not run}
  if [ "$libc32_installed" = 0 ]; then
    # Leave no half-configured package behind to fail every later install.
    apt-get purge -y -q libc6:i386 || dpkg --purge --force-depends libc6:i386 || true
  fi
  echo "install-deps: this machine cannot run 32-bit programs (${reason##*: }): wine32 is not installed, so the 32-bit Windows exe is built and checked but not run"
fi
