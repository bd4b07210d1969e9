#!/usr/bin/env bash
# Stopping `lumbrook export` in the middle, the ways a lab does it.
# usage: host_interrupt.sh HOST DATABASE OUT HOW
#   INT, TERM, HUP  one signal: the host cancels, says so, exits 1, and the file ends on a
#                   complete block, well before the job run's end
#   TWICE           a second signal while the cancel is under way: the process ends at once
#                   and the file holds what it held before
#   KILL            SIGKILL: the file holds what it held before; the next export to it removes
#                   the temporary file the killed one left
#   SLOW            DATABASE's peak queries each run until their time-out: Ctrl-C still ends
#                   the host within seconds
set -u
host=$1 db=$2 out=$3 how=$4
connect="Provider=SQLite;Data Source=$db"
dir=$(dirname "$out") name=$(basename "$out")
old="an older file that only a complete export may replace"
printf '%s\n' "$old" >"$out"
rm -f "$dir/.$name".*.lumbrook-tmp

fail() { echo "$*"; [ -f "$out.err" ] && { echo "stderr:"; cat "$out.err"; }; exit 1; }
temporaries() { ls -A "$dir" | grep -c "^\.$name\..*\.lumbrook-tmp$"; }
unchanged() { [ "$(cat "$out")" = "$old" ] || fail "the old file was changed"; }

"$host" export --connect "$connect" --job-run 12 --out "$out" 2>"$out.err" &
pid=$!
# Wait until the export writes, into its temporary file beside the target.
if [ "$how" = SLOW ]; then
    sleep 1
else
    for _ in $(seq 1 600); do
        [ -n "$(find "$dir" -maxdepth 1 -name ".$name.*.lumbrook-tmp" -size +0 2>/dev/null)" ] &&
            break
        sleep 0.05
    done
fi
start=$(date +%s.%N)
case $how in
    TWICE) kill -TERM "$pid"; kill -HUP "$pid" ;;
    SLOW) kill -INT "$pid" ;;
    *) kill "-$how" "$pid" ;;
esac
wait "$pid"
status=$?
seconds=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s }')

case $how in
    TWICE)
        # Ended by the second signal: the kernel hands pending signals over lowest number
        # first, so that is SIGTERM (128 + 15) after SIGHUP.
        [ "$status" -eq 143 ] || [ "$status" -eq 129 ] ||
            fail "exit status $status, expected 143 or 129 (killed by the second signal)"
        unchanged
        echo "ended at once by the second signal; the old file stands" ;;
    KILL)
        [ "$status" -eq 137 ] || fail "exit status $status, expected 137 (SIGKILL)"
        unchanged
        [ "$(temporaries)" -eq 1 ] || fail "expected one stray temporary file, found $(temporaries)"
        "$host" export --connect "$connect" --item 1000000 --ms-type MS --out "$out" \
            2>"$out.err" || fail "the next export failed"
        [ "$(temporaries)" -eq 0 ] || fail "the next export left $(temporaries) temporary files"
        [ "$(printf '200.25\t2\r\n300.5\t1\r\n900.125\t3\r\n')" = "$(cat "$out")" ] ||
            fail "the next export did not write its file"
        echo "killed: the old file stood, and the next export removed the stray file" ;;
    *)
        [ "$status" -eq 1 ] || fail "exit status $status, expected 1"
        grep -qx 'lumbrook export: cancelled' "$out.err" || fail "no 'cancelled' on stderr"
        [ "$(temporaries)" -eq 0 ] || fail "a temporary file was left"
        if [ "$how" = SLOW ]; then
            # Each peak query would run 15 s; the first takes the signal within one.
            awk -v s="$seconds" 'BEGIN { exit !(s < 5) }' ||
                fail "the host ended $seconds s after Ctrl-C"
            echo "ended $seconds s after Ctrl-C"
            exit 0
        fi
        [ "$(tail -c 12 "$out" | od -An -c | tr -d ' \n')" = 'ENDIONS\r\n\r\n' ] ||
            fail "the file does not end on a complete block: $(tail -c 100 "$out" | od -c | tail -3)"
        blocks=$(grep -c '^BEGIN IONS' "$out")
        [ "$blocks" -lt 30000 ] || fail "all $blocks blocks were written: the signal came too late"
        echo "SIG$how: cancelled after $blocks blocks" ;;
esac
