#!/usr/bin/env bash
# Configures and builds vyx into build/ (or build-asan/ with --sanitize).
set -euo pipefail
cd "$(dirname "$0")/.."
"./scripts/setup.sh"

dir=build
# Line tables only: enough for backtraces and profiles, and the build takes a
# third less than with full debug information.
args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-asan
  args=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DVYX_SANITIZE=ON -DVYX_BENCH=OFF)
fi
# A compiler cache makes rebuilds cheap, also those of other checkouts: paths
# under the checkout are hashed relative to it, wherever it lies.
if command -v ccache >/dev/null; then
  args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
fi
cmake -S . -B "$dir" -G Ninja "${args[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"
