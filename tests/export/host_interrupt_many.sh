#!/usr/bin/env bash
# SIGTERM during the first of two exports into a folder: the first is cancelled, the second
# never starts, the host says so and exits 1.
# usage: host_interrupt_many.sh HOST DATABASE DIR
set -u
host=$1 db=$2 dir=$3
rm -rf "$dir"
"$host" export --connect "Provider=SQLite;Data Source=$db" --job-run 12 --job-run 40 \
    --out-dir "$dir" 2>"$dir.err" &
pid=$!
# Wait until the first export writes its temporary file in the folder.
for _ in $(seq 1 600); do
    [ -n "$(ls -A "$dir" 2>/dev/null)" ] && break
    sleep 0.05
done
kill -TERM "$pid"
wait "$pid"
status=$?
fail() { echo "$*"; echo "stderr:"; cat "$dir.err"; exit 1; }
[ "$status" -eq 1 ] || fail "exit status $status, expected 1"
grep -qx 'lumbrook export: cancelled' "$dir.err" || fail "no 'cancelled' on stderr"
[ ! -e "$dir/job_run_40.qpk" ] || fail "the second export ran after the signal"
echo "stopped after the first export"
