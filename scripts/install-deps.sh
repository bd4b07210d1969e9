#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, with sudo when not root.
# Does nothing when every package is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format
    libgtest-dev libgmock-dev libcli11-dev
    qt6-base-dev libgl-dev
    libsqlite3-dev sqlite3
    unixodbc-dev odbc-postgresql postgresql
    xvfb jwm
    help2man dpkg-dev file lintian
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
