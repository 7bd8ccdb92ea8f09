#!/usr/bin/env bash
# Installs what is missing, builds Tavrin with its tests and runs every test
# through CTest, with the services the tests need: an X server (Xvfb) for the
# real window and a PulseAudio server with a null sink for the real sound.
# The services are stopped again on the way out. CTest's summary is the last
# thing printed. A test that cannot run here fails, it never skips.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIN_TEST_BUILD:-$top/build-ci}

# What a bare root (a chroot, say) must give before anything is built: the
# tests read /proc, and the journal's tests mount faults over folders for
# temporary files, which in a root that is no mount point of its own must
# lie on a mount inside it.
needs() { echo "scripts/test.sh: $1" >&2; exit 1; }
[ -r /proc/self/mountinfo ] || needs "/proc is not mounted (in a chroot, from outside: mount -t proc proc ROOT/proc)"
[ -c /dev/null ] || needs "/dev/null is missing (in a chroot, from outside: mount --rbind /dev ROOT/dev)"
# The browser test's driver is reached by the name localhost.
getent hosts localhost >/dev/null ||
  needs "the name localhost does not resolve: /etc/hosts is missing or lacks it (in a chroot: echo '127.0.0.1 localhost' >> ROOT/etc/hosts)"
if ! awk '$5 == "/" { found = 1 } END { exit !found }' /proc/self/mountinfo; then
  tmp=$(realpath "${TMPDIR:-/tmp}")
  awk -v t="$tmp" '$5 != "/" && (t == $5 || index(t, $5 "/") == 1) { found = 1 } END { exit !found }' /proc/self/mountinfo ||
    needs "this root is no mount point of its own (a chroot?) and $tmp lies on no mount inside it; the journal's tests need one there (from outside: mount -t tmpfs tmpfs ROOT/tmp)"
fi

"$top/scripts/install-deps.sh" test

# Line tables are all a failing test's backtrace needs: full debug
# information would cost a third of the build time.
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" -DTAVRIN_WERROR=ON -DTAVRIN_NO_SKIPS=ON -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" -j2
# The same suite once more under AddressSanitizer and UndefinedBehaviorSanitizer,
# at -O1 as the sanitizers advise (and a fifth faster to build). As a unity
# build it takes 3 min instead of 4.8 here; at -O2 that gained nothing.
asan=${TAVRIN_TEST_ASAN_BUILD:-$top/build-ci-asan}
cmake -S "$top" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" -DTAVRIN_WERROR=ON -DTAVRIN_NO_SKIPS=ON -DTAVRIN_SANITIZE=ON -DCMAKE_UNITY_BUILD=ON -DBUILD_TESTING=ON >/dev/null

# shellcheck source=services.sh
source "$top/scripts/services.sh"

# The sanitizer tree is built only once the normal build's tests are done:
# built beside them, even at the lowest priority, it made the real-time
# tests miss their cues on a machine of two cores (a cue 53 ms late after a
# resume, a sound cut short), and a run that fails for its own load tells
# nothing.
trap stop_services EXIT

status=0
echo "== The tests"
ctest --test-dir "$build" --output-on-failure -j2 "$@" || status=$?

echo "== The sanitizer build"
asan_log=$(mktemp /tmp/tavrin-asan-build.XXXXXX)
if ! cmake --build "$asan" -j2 >"$asan_log" 2>&1; then
  tail -n 40 "$asan_log"
  rm -f "$asan_log"
  echo "scripts/test.sh: the sanitizer build failed"
  exit 1
fi
tail -n 1 "$asan_log"
rm -f "$asan_log"
# The tests labelled "once" (end to end, the package) only in the normal
# build; see tests/CMakeLists.txt.
echo "== The tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS="suppressions=$top/tests/sanitizer/lsan.supp" \
  ctest --test-dir "$asan" --output-on-failure -j2 -LE '^once$' "$@" || status=$?
exit "$status"
