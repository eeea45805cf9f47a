#!/usr/bin/env bash
# Builds vyx for speed (Release, into build-release/) and runs every benchmark,
# or those whose names match the first argument (a regular expression).
set -euo pipefail
cd "$(dirname "$0")/.."
"./scripts/setup.sh"
# The totals are compared with the sqlite3 shell and with ledger, which only
# the benchmarks need.
missing=()
for p in ledger sqlite3; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installation des paquets des mesures : ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release
for bench in build-release/bench/*_bench; do
  "$bench" ${1:+--benchmark_filter="$1"}
done
