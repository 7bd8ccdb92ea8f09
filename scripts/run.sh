#!/usr/bin/env bash
# Installs what is missing, builds Tavrin and starts it. The program works in
# run/ beside the checkout: its settings file and cue sounds live there.
# Options are passed on to the program (tavrin --help lists them).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh" run
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build "$top/build" -j2
mkdir -p "$top/run"
for f in "$top"/sound/cues/*.wav; do
  [ -e "$top/run/$(basename "$f")" ] || cp "$f" "$top/run/"
done
cd "$top/run"
exec "$top/build/bin/tavrin" "$@"
