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

# shellcheck source=services.sh
source "$top/scripts/services.sh"

ctest --test-dir "$build" --output-on-failure -j2 "$@"
