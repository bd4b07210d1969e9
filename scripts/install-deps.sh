#!/usr/bin/env bash
# Installs the Debian packages that the build needs, with sudo when not root:
#   scripts/install-deps.sh demo   what the program and the demo need
#   scripts/install-deps.sh [all]  that and what the tests need (sanitizers, a database
#                                  server, an X server, the packaging tools)
# Does nothing when every package is already there.
set -euo pipefail

kind="${1:-all}"
packages=(
    build-essential cmake ninja-build pkg-config libcli11-dev nlohmann-json3-dev
    qt6-base-dev libgl-dev libsqlite3-dev unixodbc-dev
    libpwiz-dev libboost-dev libboost-filesystem-dev libboost-iostreams-dev libboost-thread-dev
    libssl-dev
)
case "$kind" in
    demo) ;;
    all)
        packages+=(
            clang libclang-rt-14-dev clang-format libgtest-dev libgmock-dev sqlite3
            odbc-postgresql postgresql xvfb jwm help2man dpkg-dev file lintian python3-pytest
            libpwiz-tools topp python3-pymzml
        )
        ;;
    *)
        echo "usage: scripts/install-deps.sh [demo|all]" >&2
        exit 2
        ;;
esac

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
