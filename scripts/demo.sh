#!/usr/bin/env bash
# The main job on the embedded demo database: sets everything up, builds, and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh release
build/bin/lumbrook props
