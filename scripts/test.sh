#!/usr/bin/env bash
# Installs what is missing, builds Tavrin with its tests and runs every test
# through CTest, with the services the tests need: an X server (Xvfb) for the
# real window and a PulseAudio server with a null sink for the real sound.
# The services are stopped again on the way out. CTest's summary is the last
# thing printed. A test that cannot run here fails, it never skips.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIN_TEST_BUILD:-$top/build-ci}

"$top/scripts/install-deps.sh" test

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIN_WERROR=ON -DTAVRIN_NO_SKIPS=ON -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" -j2
# The same suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
asan=${TAVRIN_TEST_ASAN_BUILD:-$top/build-ci-asan}
cmake -S "$top" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIN_WERROR=ON -DTAVRIN_NO_SKIPS=ON -DTAVRIN_SANITIZE=ON -DBUILD_TESTING=ON >/dev/null
cmake --build "$asan" -j2

# shellcheck source=services.sh
source "$top/scripts/services.sh"

status=0
echo "== The tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS="suppressions=$top/tests/sanitizer/lsan.supp" \
  ctest --test-dir "$asan" --output-on-failure -j2 "$@" || status=$?
echo "== The tests"
ctest --test-dir "$build" --output-on-failure -j2 "$@" || status=$?
exit "$status"
