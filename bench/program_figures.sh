#!/usr/bin/env bash
# Measures the real program in a real X window: time from launch to the first
# painted window, CPU share and resident memory while an examination runs.
# Needs DISPLAY (Xvfb), xdotool and imagemagick. Prints "name value unit".
set -euo pipefail
bin=$(realpath "${1:?usage: program_figures.sh <path to tavrin> [seconds]}")
seconds=${2:-30}
cues=$(cd "$(dirname "$0")/../sound/cues" && pwd)
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$cues"/*.wav "$work/"
cd "$work"

start=$(date +%s%N)
QT_QPA_PLATFORM=xcb "$bin" >/dev/null 2>&1 &
pid=$!
# The window counts as painted once its start button shows its light cyan face.
while :; do
  id=$(xdotool search --onlyvisible --pid "$pid" --name 'Tavrin ver' 2>/dev/null | head -n1 || true)
  if [ -n "$id" ]; then
    colour=$(import -window "$id" -crop 1x1+200+27 -depth 8 txt:- 2>/dev/null | tail -n1 | grep -o '#[0-9A-F]\{6\}' || true)
    [ "$colour" = "#80FFFF" ] && break
  fi
  [ $(( ($(date +%s%N) - start) / 1000000 )) -gt 20000 ] && { echo "startup.window_painted timeout"; exit 1; }
  sleep 0.005
done
printf '%-28s %10.3f %s\n' startup.first_paint "$(echo "($(date +%s%N) - $start) / 1000000" | bc -l)" ms

read -r x y < <("$(dirname "$bin")/click_point" command1)
xdotool mousemove --window "$id" "$x" "$y" click 1   # start a run
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
t0=$(ticks); w0=$(date +%s%N)
sleep "$seconds"
t1=$(ticks); w1=$(date +%s%N)
printf '%-28s %10.3f %s\n' run.cpu_share "$(echo "100 * ($t1 - $t0) / $hz / (($w1 - $w0) / 1000000000)" | bc -l)" %
printf '%-28s %10.3f %s\n' run.resident_memory "$(awk '/VmRSS/ {print $2 / 1024}' "/proc/$pid/status")" MiB
