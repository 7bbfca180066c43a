#!/usr/bin/env bash
# Runs a command on the X display of the environment with openbox managing its windows,
# and ends openbox after it. Exit status 77 (skipped) without openbox.
set -euo pipefail
command -v openbox >/dev/null || { echo "openbox is not installed" >&2; exit 77; }
openbox --sm-disable >/dev/null 2>&1 &
manager=$!
trap 'kill "$manager" 2>/dev/null || true; wait "$manager" 2>/dev/null || true' EXIT
# The window manager owns the screen's WM_S0 selection once it is ready.
for _ in $(seq 100); do
    # Read whole into a variable: a reader that stops early could kill xprop with SIGPIPE.
    check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null || true)
    if [[ "$check" == *"window id"* ]]; then
        break
    fi
    sleep 0.05
done
"$@"
