#!/usr/bin/env bash
# Builds vyx for speed (Release, into build-release/) and runs every benchmark,
# or those whose names match the first argument (a regular expression).
set -euo pipefail
cd "$(dirname "$0")/.."
"./scripts/setup.sh"
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release
for bench in build-release/bench/*_bench; do
  "$bench" ${1:+--benchmark_filter="$1"}
done
