#!/bin/sh
# Builds the fuzz tree (clang, libFuzzer, ASan + UBSan) and runs every fuzz
# target -- each folder under fuzz/ with a CMakeLists.txt -- for SECONDS each.
#   scripts/fuzz.sh SECONDS [TARGET...]
# New inputs go to build-fuzz/corpus/<name>/ (the checked-in seeds stay as
# they are); crash files to build-fuzz/artifacts/<name>/. Exits non-zero when
# a target found a crash.
set -eu

seconds=${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}
shift
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORV_FUZZ_BUILD:-$root/build-fuzz}

"$root/scripts/deps.sh" fuzz

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DORV_FUZZ=ON -DORV_BUILD_TESTS=OFF \
  -DORV_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

if [ $# -eq 0 ]; then
  for dir in "$root"/fuzz/*/; do
    [ -f "$dir/CMakeLists.txt" ] && set -- "$@" "$(basename "$dir")"
  done
fi

status=0
for name in "$@"; do
  bin=$build/fuzz/$name/${name}_fuzzer
  corpus=$build/corpus/$name
  artifacts=$build/artifacts/$name
  mkdir -p "$corpus" "$artifacts"
  echo "== $name: $seconds s"
  if ! "$bin" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$artifacts/" "$corpus" "$root/fuzz/$name/corpus"; then
    echo "== $name: crash, see $artifacts" >&2
    status=1
  fi
done
exit $status
