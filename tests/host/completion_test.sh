#!/usr/bin/env bash
# The bash completion as bash runs it: what it offers after each typed line, from the script
# the program writes.   completion_test.sh LUMBROOK WORK_DIR
set -euo pipefail
host=$1 work=$2
rm -rf "$work" && mkdir -p "$work/folder" && touch "$work/data.sqlite"
cd "$work"
"$host" completion bash >completion.bash
# shellcheck disable=SC1091 # written just above
source ./completion.bash

fail=0
# LINE (the words typed, the last one being completed) and what COMPREPLY must hold, sorted.
expect() {
    local line=$1 expected=$2
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _lumbrook || true  # compgen fails when nothing matches
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//')
    if [[ $got != "$expected" ]]; then
        echo "completion of '$line': got '$got', expected '$expected'" >&2
        fail=1
    fi
}

expect "lumbrook con" "config"
expect "lumbrook export --ms-type " "MS MS-MS"
expect "lumbrook export --job-run 12 --monoisotopic " "0 1"
expect "lumbrook list items --format j" "json"
expect "lumbrook config set " "--help -h connection filter"
expect "lumbrook config set connection " ""
expect "lumbrook export --job-run " ""             # a number: no file names
expect "lumbrook export --out da" "data.sqlite"    # a file
expect "lumbrook export --out-dir " "folder"       # a folder only
expect "lumbrook demo-db da" "data.sqlite"         # its positional is a file
expect "lumbrook export --skip" "--skip-existing"
exit $fail
