#!/usr/bin/env bash
# Installs what is missing, builds Tavrin with its tests and runs every test
# through CTest, with the services the tests need: an X server (Xvfb) for the
# real window and a PulseAudio server with a null sink for the real sound.
# The services are stopped again on the way out. CTest's summary is the last
# thing printed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIN_TEST_BUILD:-$top/build-ci}

"$top/scripts/install-deps.sh" test

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIN_WERROR=ON -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" -j2

runtime=$(mktemp -d /tmp/tavrin-test.XXXXXX)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
export TAVRIN_PULSE_DIR="$runtime/pulse"
xvfb_pid=""
cleanup() {
  "$top/scripts/pulse-stop.sh" >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
  rm -rf "$runtime"
}
trap cleanup EXIT

# An X display of our own, on the first free number from 90 on.
for n in $(seq 90 120); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$runtime/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.1
done
export DISPLAY="$display"

eval "$("$top/scripts/pulse-start.sh")"

ctest --test-dir "$build" --output-on-failure -j2 "$@"
