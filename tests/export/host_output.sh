#!/usr/bin/env bash
# Where `lumbrook export` writes, and what a target holds afterwards.
# usage: host_output.sh HOST DATABASE WORK_DIR CASE
#   full_disk    a file system that fills up: a file error, the old file byte-identical, no
#                temporary file left (needs root for a small tmpfs; skipped with 77 otherwise)
#   database     --out naming the SQLite database, directly or through a link: refused, the
#                database byte-identical
#   pipe         into a pipe and into a FIFO while stderr is a terminal (progress on): every
#                byte arrives; --out - equals the file export
#   concurrent   two exports with different filters into one target at once: the target is
#                one of the two complete outputs
set -u
host=$1 db=$2 work=$3 case=$4
connect="Provider=SQLite;Data Source=$db"
mkdir -p "$work"
fail() { echo "$*"; for f in "$work"/*.err; do [ -s "$f" ] && { echo "$f:"; cat "$f"; }; done; exit 1; }
export_to() {  # export_to OUT [OPTIONS...]: the job run of the database, quietly
    local target=$1
    shift
    "$host" export --connect "$connect" --job-run 12 --out "$target" --quiet "$@"
}
temporaries() { ls -A "$1" | grep -c '\.lumbrook-tmp$'; }

case $case in
full_disk)
    mnt=$work/full
    mkdir -p "$mnt"
    mountpoint -q "$mnt" && umount "$mnt"
    mount -t tmpfs -o size=64k tmpfs "$mnt" 2>/dev/null || { echo "cannot mount a tmpfs"; exit 77; }
    trap 'umount "$mnt"' EXIT
    printf 'the old peak list\r\n' >"$mnt/out.qpk"
    before=$(sha256sum <"$mnt/out.qpk")
    export_to "$mnt/out.qpk" 2>"$work/full.err"
    status=$?
    [ "$status" -eq 3 ] || fail "exit status $status, expected 3"
    grep -q "Disk full: $mnt/out.qpk (0x800A003D)" "$work/full.err" || fail "no disk-full error"
    [ "$(sha256sum <"$mnt/out.qpk")" = "$before" ] || fail "the old file was changed"
    [ "$(temporaries "$mnt")" -eq 0 ] || fail "a temporary file was left: $(ls -A "$mnt")"
    echo "disk full: the old file stands, nothing left beside it" ;;
database)
    before=$(sha256sum <"$db")
    ln -sf "$db" "$work/link.sqlite"
    for target in "$db" "$work/link.sqlite"; do
        export_to "$target" 2>"$work/database.err"
        status=$?
        [ "$status" -eq 3 ] || fail "--out $target: exit status $status, expected 3"
        grep -q "Path/File access error: $target is the database being read (0x800A004B)" \
            "$work/database.err" || fail "--out $target: no clear error"
        [ "$(sha256sum <"$db")" = "$before" ] || fail "--out $target changed the database"
    done
    ls -A "$(dirname "$db")" | grep -q "^\.$(basename "$db")\." && fail "a temporary file was left"
    echo "the database was refused as the output, and is unchanged" ;;
pipe)
    export_to "$work/file.qpk" 2>"$work/file.err" || fail "the file export failed"
    # script(1) gives the host a terminal as stderr, so the progress line is on.
    timeout 120 script -qefc "'$host' export --connect '$connect' --job-run 12 --out - |
        cat >'$work/piped.qpk'" /dev/null >"$work/pipe.tty" ||
        fail "the export into a pipe failed or hung"
    grep -q 'of 30000 spectra' "$work/pipe.tty" || fail "no progress line on the terminal"
    cmp "$work/file.qpk" "$work/piped.qpk" || fail "--out - differs from the file export"
    rm -f "$work/fifo"
    mkfifo "$work/fifo"
    cat "$work/fifo" >"$work/fifo.qpk" &
    reader=$!
    timeout 120 script -qefc "'$host' export --connect '$connect' --job-run 12 \
        --out '$work/fifo'" /dev/null >"$work/fifo.tty" || fail "the export into a FIFO failed or hung"
    wait "$reader"
    cmp "$work/file.qpk" "$work/fifo.qpk" || fail "the FIFO's reader got other bytes"
    echo "pipe and FIFO with a terminal's progress line: every byte arrived" ;;
concurrent)
    export_to "$work/first.qpk" 2>"$work/first.err" || fail "the first reference failed"
    export_to "$work/second.qpk" --min-mass 110 --s2n 0 2>"$work/second.err" ||
        fail "the second reference failed"
    cmp -s "$work/first.qpk" "$work/second.qpk" && fail "the two filters give the same file"
    for round in 1 2 3; do
        export_to "$work/both.qpk" 2>"$work/a.err" &
        a=$!
        export_to "$work/both.qpk" --min-mass 110 --s2n 0 2>"$work/b.err" &
        b=$!
        wait "$a" || fail "round $round: the first export failed"
        wait "$b" || fail "round $round: the second export failed"
        cmp -s "$work/both.qpk" "$work/first.qpk" || cmp -s "$work/both.qpk" "$work/second.qpk" ||
            fail "round $round: the target is neither complete output"
    done
    [ "$(temporaries "$work")" -eq 0 ] || fail "a temporary file was left"
    echo "two exports at once: the target is always one complete output" ;;
*)
    fail "unknown case $case" ;;
esac
