#!/usr/bin/env bash
# Ctrl-C during `lumbrook export`: the host cancels, says so, exits 1, and the file ends on a
# complete block. usage: host_interrupt.sh HOST DATABASE OUT
set -u
host=$1 db=$2 out=$3
rm -f "$out"
"$host" export --connect "Provider=SQLite;Data Source=$db" --job-run 12 --out "$out" \
    2>"$out.err" &
pid=$!
# Interrupt once the export has written its first piece, well before its end.
for _ in $(seq 1 600); do
    [ -s "$out" ] && break
    sleep 0.05
done
kill -INT "$pid"
wait "$pid"
status=$?
if [ "$status" -ne 1 ]; then
    echo "exit status $status, expected 1; stderr:"; cat "$out.err"; exit 1
fi
if ! grep -qx 'lumbrook export: cancelled' "$out.err"; then
    echo "no 'cancelled' on stderr:"; cat "$out.err"; exit 1
fi
if [ "$(tail -c 12 "$out" | od -An -c | tr -d ' \n')" != 'ENDIONS\r\n\r\n' ]; then
    echo "the file does not end on a complete block:"; tail -c 200 "$out" | od -c | tail -5; exit 1
fi
blocks=$(grep -c '^BEGIN IONS' "$out")
if [ "$blocks" -ge 30000 ]; then
    echo "all $blocks blocks were written: the interrupt came too late"; exit 1
fi
echo "cancelled after $blocks blocks"
