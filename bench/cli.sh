#!/usr/bin/env bash
# The commands people type, timed beside the sqlite3 program doing the same
# work on the same rows: a dossier of 30,000 operations (one in ten split)
# made from a seed through the library (vyx_bench_dossier), the same rows in
# a SQLite database, then each command in fresh processes under hyperfine
# (Debian's), medians and ratios, and the peak memory of one run of each
# (/usr/bin/time). Run by hand, never by CI:
#
#   bench/cli.sh [OPERATIONS [RUNS [SEED]]]
#
# VYX_BUILD names the build to time (default build-release, built in Release
# when missing). The temporary folder is removed at the end, whatever happens.
set -euo pipefail
cd "$(dirname "$0")/.."
operations=${1:-30000}
runs=${2:-30}
seed=${3:-20261211}
build=${VYX_BUILD:-build-release}

missing=()
for p in hyperfine sqlite3 time; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
if [ ! -x "$build/src/cli/vyx" ] || [ ! -x "$build/bench/vyx_bench_dossier" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target vyx vyx_bench_dossier
fi
vyx=$(realpath "$build/src/cli/vyx")

work=$(mktemp -d /tmp/vyx-cli-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data"
export TZ=Europe/Paris LANG=C.UTF-8
mkdir -p "$HOME"
"$build/bench/vyx_bench_dossier" "$work" "$operations" "$seed"
dossier="$work/Bench.grp"
db="$work/bench.sqlite"

# name | vyx command | sqlite3 command, each run as it is (no shell)
cases=(
  "--version|$vyx --version|sqlite3 --version"
  "soldes|$vyx --dossier $dossier soldes|sqlite3 $db 'SELECT status, SUM(montant) FROM operations GROUP BY status'"
  "ope liste --json|$vyx --dossier $dossier ope liste Courant --json|sqlite3 -json $db 'SELECT * FROM operations ORDER BY date, id'"
  "ope ajouter|$vyx --dossier $dossier ope ajouter Courant --date 15/06/24 --montant -12,5 --libelle Essai|sqlite3 $db \"INSERT INTO operations (date, libelle, montant, status) VALUES ('2024-06-15', 'Essai', -12.5, 0)\""
)

echo "$("$vyx" --version), sqlite3 $(sqlite3 --version | cut -d' ' -f1), $operations opérations (graine $seed), $runs mesures par commande, charge avant : $(cut -d' ' -f1-3 /proc/loadavg)"
printf '| %s | %s | %s | %s | %s | %s | %s |\n' commande vyx sqlite3 rapport "vyx, CPU" "sqlite3, CPU" "mémoire vyx / sqlite3"
printf '|---|---|---|---|---|---|---|\n'
for c in "${cases[@]}"; do
  IFS='|' read -r name vcmd scmd <<<"$c"
  hyperfine -N --warmup 3 --runs "$runs" --style none --export-json "$work/h.json" \
    "$vcmd" "$scmd" >/dev/null 2>&1
  peak() { /usr/bin/time -f %M bash -c "$1 >/dev/null" 2>&1 | tail -1; }
  vmem=$(peak "$vcmd")
  smem=$(peak "$scmd")
  python3 - "$work/h.json" "$name" "$vmem" "$smem" <<'PY'
import json, sys
v, s = json.load(open(sys.argv[1]))["results"]
fr = lambda x, d: f"{x:.{d}f}".replace(".", ",")
cpu = lambda r: r["user"] + r["system"]  # means over the runs
mib = lambda kb: fr(int(kb) / 1024, 1)
print(f"| `{sys.argv[2]}` | {fr(v['median'] * 1000, 1)} ms | {fr(s['median'] * 1000, 1)} ms | "
      f"{fr(v['median'] / s['median'], 2)} | {fr(cpu(v) * 1000, 1)} ms | {fr(cpu(s) * 1000, 1)} ms | "
      f"{mib(sys.argv[3])} / {mib(sys.argv[4])} Mio |")
PY
done
echo "charge après : $(cut -d' ' -f1-3 /proc/loadavg)"
