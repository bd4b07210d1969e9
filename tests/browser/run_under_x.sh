#!/usr/bin/env bash
# Runs a test program under a private Xvfb display with the window manager jwm, on Qt's X11
# platform:   run_under_x.sh PROGRAM [ARGUMENTS...]
# Exits 77 (skipped) when Xvfb or jwm is not installed (scripts/install-deps.sh installs both).
set -uo pipefail
for tool in Xvfb jwm; do
    if ! command -v "$tool" >/dev/null; then
        echo "run_under_x.sh: $tool is not installed; skipped" >&2
        exit 77
    fi
done
work=$(mktemp -d)
server=""
manager=""
cleanup() {
    [ -n "$manager" ] && kill "$manager" 2>/dev/null
    [ -n "$server" ] && kill "$server" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number to the pipe once it accepts clients.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
server=$!
if ! read -r -t 20 number <"$work/display"; then
    echo "run_under_x.sh: Xvfb did not start" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$number"
unset WAYLAND_DISPLAY
HOME="$work" jwm >"$work/jwm.log" 2>&1 &
manager=$!
# A window manager that fails (another one runs, the display went away) ends at once.
sleep 1
if ! kill -0 "$manager" 2>/dev/null; then
    echo "run_under_x.sh: jwm did not start" >&2
    cat "$work/jwm.log" >&2
    exit 1
fi
LUMBROOK_TEST_QPA_PLATFORM=xcb "$@"
