# Sourced by scripts/test.sh and bench/run-all: starts an X server (Xvfb) and
# a PulseAudio server with a null sink for this shell, and stops them again
# when the shell exits. Prints nothing.

services_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
services_runtime=$(mktemp -d /tmp/tavrin-services.XXXXXX)
chmod 700 "$services_runtime"
export XDG_RUNTIME_DIR="$services_runtime"
export TAVRIN_PULSE_DIR="$services_runtime/pulse"
services_xvfb_pid=""

stop_services() {
  "$services_top/scripts/pulse-stop.sh" >/dev/null 2>&1 || true
  [ -n "$services_xvfb_pid" ] && kill "$services_xvfb_pid" >/dev/null 2>&1 || true
  rm -rf "$services_runtime"
}
trap stop_services EXIT

# An X display of our own, on the first free number from 90 on. -noreset:
# the server must not reset between the test programs that connect to it.
for n in $(seq 90 120); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { services_display=":$n"; break; }
done
Xvfb "$services_display" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$services_runtime/xvfb.log" 2>&1 &
services_xvfb_pid=$!
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X${services_display#:}" ] && break
  sleep 0.1
done
export DISPLAY="$services_display"

eval "$("$services_top/scripts/pulse-start.sh")"
export TAVRIN_REQUIRE_SOUND=1 # the sound tests fail rather than skip without a server
