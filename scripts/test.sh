#!/usr/bin/env bash
# Builds everything and runs every test: the normal build (GCC), the
# Qt-free code again under AddressSanitizer and UBSan, the picture
# worker's thread test under ThreadSanitizer, and the Windows build's tests
# under Wine.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh test || exit 1
# Minutes so far, so that a slow step shows in the log.
step() { printf "== %s (at %d:%02d)\n" "$1" $((SECONDS / 60)) $((SECONDS % 60)); }
step "Build"

jobs=${ORV_JOBS:-2}
# Line tables are all a failing test's stack trace needs, and they cut the
# time spent writing and linking debug info; sanitizers run at their usual
# -O1; gold links the many test programs about three times faster than bfd.
flags() {
  printf '%s\n' "-DCMAKE_C_FLAGS_RELWITHDEBINFO=$1" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=$1" \
    -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=gold
}
mapfile -t plain < <(flags "-O2 -g1 -DNDEBUG")
mapfile -t sanitized < <(flags "-O1 -g1 -DNDEBUG")
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${plain[@]}" >/dev/null || exit 1
cmake --build build -j"$jobs" || exit 1
cmake -S . -B build-asan -DORV_QT_FREE_ONLY=ON -DORV_SANITIZE=ON -DORV_BUILD_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "${sanitized[@]}" >/dev/null || exit 1
cmake --build build-asan -j"$jobs" || exit 1
# The picture worker's thread test alone, with the code it needs, under
# ThreadSanitizer: a decode stopped half-way by the program's end.
cmake -S . -B build-tsan -DORV_TSAN=ON -DORV_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "${sanitized[@]}" >/dev/null || exit 1
cmake --build build-tsan -j"$jobs" || exit 1

# Tests start their own X servers; the instance mark goes to a private folder.
export XDG_RUNTIME_DIR=$(mktemp -d)
chmod 700 "$XDG_RUNTIME_DIR"
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT

status=0
step "Tests (build/)"
ctest --test-dir build -j"$jobs" --output-on-failure --timeout 300 || status=1
step "Qt-free tests under AddressSanitizer and UBSan (build-asan/)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan -j"$jobs" --output-on-failure --timeout 600 || status=1
step "The picture worker under ThreadSanitizer (build-tsan/)"
ctest --test-dir build-tsan --output-on-failure --timeout 300 || status=1
step "The Windows build under Wine (build-win/)"
scripts/test-windows.sh build/tools/picdump || status=1
step "Done"
exit $status
