#!/bin/sh
# Stops the server that pulse-start.sh started (and only that one).
set -u

dir=${TAVRIN_PULSE_DIR:-/tmp/tavrin-pulse-$(id -u)}
[ -d "$dir" ] || exit 0

export PULSE_RUNTIME_PATH="$dir"
export PULSE_SERVER="unix:$dir/native"
export PULSE_COOKIE="$dir/cookie"

if [ -f "$dir/keeper.pid" ]; then
    kill "$(cat "$dir/keeper.pid")" 2>/dev/null || true
    rm -f "$dir/keeper.pid"
fi

if [ -f "$dir/pid" ]; then
    pid=$(cat "$dir/pid" 2>/dev/null || true)
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        i=0
        while kill -0 "$pid" 2>/dev/null && [ "$i" -lt 50 ]; do
            i=$((i + 1))
            sleep 0.1
        done
        kill -0 "$pid" 2>/dev/null && kill -9 "$pid" 2>/dev/null
    fi
fi
rm -f "$dir/pid" "$dir/native" "$dir/env"
exit 0
