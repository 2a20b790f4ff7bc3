#!/usr/bin/env bash
# Installs everything the program needs to build, run and be tested on Debian 12. Idempotent: packages
# already present are left alone. Needs root (or sudo).
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config clang libclang-rt-14-dev clang-format
  qt6-base-dev qt6-qpa-plugins libgl1-mesa-dev libmariadb-dev
  libgtest-dev libgmock-dev googletest
  # run
  libqt6network6 libssl3 ca-certificates fonts-liberation2 fonts-dejavu-core
  # tests, sandbox and benchmarks: private servers, a real X server, a fixed clock
  mariadb-server mariadb-client python3 python3-aiosmtpd openssl xvfb xauth xdotool faketime x11-utils
  time procps desktop-file-utils dpkg-dev file
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: everything is installed"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"

# Debian starts the packaged MariaDB server on install; nothing here uses it (the tests and the sandbox
# start private servers), so do not leave it running.
if command -v systemctl >/dev/null 2>&1 && systemctl is-active --quiet mariadb 2>/dev/null; then
  $SUDO systemctl stop mariadb || true
fi
