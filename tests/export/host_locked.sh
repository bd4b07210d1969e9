#!/usr/bin/env bash
# Ctrl-C while another process keeps the database locked: `lumbrook export` ends at once
# rather than after the 15 s the lock would otherwise be waited for.
# usage: host_locked.sh HOST DATABASE FOLDER (the test locks a copy of DATABASE in FOLDER)
# The output is a FIFO, whose opening waits for a reader after the spectrum query: the lock
# is taken then, so the export's first peak query is the one that meets it.
set -u
host=$1 db=$2 dir=$3
rm -rf "$dir" && mkdir -p "$dir"
cp "$2" "$dir/db.sqlite" && db=$dir/db.sqlite
out=$dir/out.fifo
mkfifo "$out"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; }
trap cleanup EXIT
fail() { echo "$*"; [ -f "$dir/err" ] && { echo "stderr:"; cat "$dir/err"; }; exit 1; }

"$host" export --connect "Provider=SQLite;Data Source=$db" --job-run 12 --out "$out" \
    2>"$dir/err" &
host_pid=$!
python3 -c 'import sqlite3, sys, time
c = sqlite3.connect(sys.argv[1], isolation_level=None, timeout=60)
c.execute("BEGIN EXCLUSIVE")
print("locked", flush=True)
time.sleep(60)' "$db" >"$dir/lock" &
pids+=($!)
for _ in $(seq 1 200); do
    grep -q locked "$dir/lock" && break
    sleep 0.05
done
grep -q locked "$dir/lock" || fail "the lock was not taken"
cat "$out" >/dev/null &
pids+=($!)
sleep 1
start=$(date +%s.%N)
kill -INT "$host_pid"
wait "$host_pid"
status=$?
seconds=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.2f", e - s }')
[ "$status" -eq 1 ] || fail "exit status $status, expected 1"
grep -qx 'lumbrook export: cancelled' "$dir/err" || fail "no 'cancelled' on stderr"
awk -v s="$seconds" 'BEGIN { exit !(s < 2) }' || fail "the host ended $seconds s after Ctrl-C"
left=$(ls -A "$dir" | grep -c 'lumbrook-tmp$')
[ "$left" -eq 0 ] || fail "$left temporary files were left"
echo "ended $seconds s after Ctrl-C"
