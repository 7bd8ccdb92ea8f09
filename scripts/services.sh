# Sourced by scripts/test.sh and bench/run-all: starts an X server (Xvfb) and
# a PulseAudio server with a null sink for this shell, checks that both
# answer, and stops them again when the shell exits. Prints nothing unless a
# server cannot be had: then it says why and ends the shell.

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

services_fail() {
  echo "services.sh: $1" >&2
  [ -f "${2:-}" ] && tail -n 5 "$2" | sed 's/^/    /' >&2
  echo "services.sh: the tests need both servers; stopping here." >&2
  exit 1
}
for tool in Xvfb:xvfb xdpyinfo:x11-utils pulseaudio:pulseaudio pactl:pulseaudio-utils; do
  command -v "${tool%%:*}" >/dev/null 2>&1 ||
    services_fail "${tool%%:*} is missing (Debian package ${tool#*:}; bash scripts/install-deps.sh test installs it)"
done

# An X display of our own, on the first free number from 90 on. -noreset:
# the server must not reset between the test programs that connect to it.
# A server of a chroot or container that shares this network namespace
# shows only by its abstract socket, not in this /tmp: its clients would
# reach that one, and lose it when it stops.
services_display=""
for n in $(seq 90 120); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] ||
    grep -q "@/tmp/.X11-unix/X$n\$" /proc/net/unix 2>/dev/null || { services_display=":$n"; break; }
done
[ -n "$services_display" ] || services_fail "no free X display number between :90 and :120"
Xvfb "$services_display" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$services_runtime/xvfb.log" 2>&1 &
services_xvfb_pid=$!
export DISPLAY="$services_display"
for _ in $(seq 50); do
  kill -0 "$services_xvfb_pid" 2>/dev/null || break
  xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done
# Answered by our own server, not by another one on the same number.
kill -0 "$services_xvfb_pid" 2>/dev/null && xdpyinfo >/dev/null 2>&1 || services_fail "the X server (Xvfb on $DISPLAY) does not answer:" "$services_runtime/xvfb.log"

services_pulse=$("$services_top/scripts/pulse-start.sh") ||
  services_fail "the PulseAudio server did not start:" "$TAVRIN_PULSE_DIR/log"
eval "$services_pulse"
pactl info >/dev/null 2>&1 || services_fail "the PulseAudio server does not answer:" "$TAVRIN_PULSE_DIR/log"

# The display and sound tests fail rather than skip without their server.
export TAVRIN_REQUIRE_DISPLAY=1 TAVRIN_REQUIRE_SOUND=1
