#!/usr/bin/env bash
# Builds Orvanne and opens it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target orvanne
mkdir -p build/demo
cp build/src/app/orvanne build/demo/orvanne
exec build/demo/orvanne /c
