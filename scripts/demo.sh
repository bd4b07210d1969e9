#!/usr/bin/env bash
# The main job on the embedded demo database: sets everything up, builds, writes the demo
# database into build/ and exports all MS/MS spectra of its job run 12 into a peak list file,
# then says where the file went and what it holds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh demo
scripts/build.sh demo

demo=build/demo
database=$demo/demo.sqlite
out=$demo/job_run_12.qpk
mkdir -p "$demo"
build/bin/lumbrook demo-db "$database"

start=$(date +%s%N)
build/bin/lumbrook export --connect "Provider=SQLite;Data Source=$PWD/$database" \
    --job-run 12 --out "$out"
elapsed_ms=$((($(date +%s%N) - start) / 1000000))

blocks=$(grep -c '^BEGIN IONS' "$out" || true)
peak_lines=$(grep -c $'\t' "$out" || true)
bytes=$(stat -c %s "$out")
echo "Exported job run 12 to $out"
printf '  %s blocks, %s peak lines, %s bytes in %d.%03d s\n' "$blocks" "$peak_lines" "$bytes" \
    $((elapsed_ms / 1000)) $((elapsed_ms % 1000))
