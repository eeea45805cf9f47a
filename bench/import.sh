#!/usr/bin/env bash
# Reading bank statements, vyx against its peers on the same files, in one
# run: a QIF and an OFX file of 10,000 and 100,000 transactions (and the
# same transactions as CSV) generated from a seed by import_bench, then read
# from a fresh process each time under hyperfine:
#   vyx's QIF and OFX readers (import_bench --lire), to statement lines;
#   the Finance::QIF Perl module, every record read;
#   libofx's ofxdump, the statement parsed and printed (to /dev/null);
#   the sqlite3 shell's .import of the CSV into an in-memory table.
# Then import_bench's own measures, in one process (no start-up).
# The files are removed at the end. Usage: bench/import.sh [RUNS]
# (OFXDUMP_LIMITE: seconds given to ofxdump on the largest file, 300).
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-10}"

"./scripts/setup.sh"
missing=()
for p in hyperfine ofx libfinance-qif-perl sqlite3; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installation des paquets des mesures : ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

# VYX_BUILD: a build folder already configured (build/, say) instead.
build="${VYX_BUILD:-build-release}"
[ -n "${VYX_BUILD:-}" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target import_bench
bench="$PWD/$build/bench/import_bench"

files="$(mktemp -d "${TMPDIR:-/tmp}/vyx-import.XXXXXX")"
trap 'rm -rf "$files"' EXIT
"$bench" --ecrire "$files"

cat >"$files/qif.pl" <<'PERL'
use strict;
use warnings;
use Finance::QIF;
my $qif = Finance::QIF->new(file => $ARGV[0]);
my $n = 0;
while (my $record = $qif->next) { $n++ }
print "$n\n";
PERL

# hyperfine's results as a table: elapsed (mean ± deviation), then the
# processor time of the program (user + system).
summary() {
  perl -MJSON::PP -e '
    local $/; my $r = decode_json(<STDIN>);
    printf "%-32s %12s %14s %6s\n", "", "écoulé (ms)", "processeur (ms)", "runs";
    for my $x (@{$r->{results}}) {
      printf "%-32s %7.0f ± %-4.0f %14.0f %6d\n", $x->{command}, 1000 * $x->{mean},
        1000 * ($x->{stddev} // 0), 1000 * ($x->{user} + $x->{system}), scalar @{$x->{times}};
    }' <"$1"
}

echo "Machine : $(nproc) cœurs, charge $(cut -d' ' -f1-3 /proc/loadavg)"
ls -l "$files"
# ofxdump is told to keep its progress messages for itself: printing them
# would slow it down more.
ofxdump="ofxdump --msg_info --msg_status --msg_warning"
for size in 10000 100000; do
  base="$files/releve-$size"
  peers=(-n "ofxdump ($size)" "$ofxdump '$base.ofx'")
  # Past some tens of thousands of transactions ofxdump's time grows much
  # faster than the file: at 100,000 it is timed once, within a limit.
  [ "$size" -gt 10000 ] && peers=()
  hyperfine --runs "$runs" --warmup 1 --style basic --export-json "$files/resultats-$size.json" \
    -n "vyx QIF ($size)" "'$bench' --lire '$base.qif'" \
    -n "Finance::QIF ($size)" "perl '$files/qif.pl' '$base.qif'" \
    -n "vyx OFX ($size)" "'$bench' --lire '$base.ofx'" \
    "${peers[@]}" \
    -n "sqlite3 .import CSV ($size)" \
    "sqlite3 :memory: '.import --csv $base.csv lignes' 'SELECT count(*) FROM lignes;'"
  summary "$files/resultats-$size.json"
done
limit="${OFXDUMP_LIMITE:-300}"
start=$(date +%s%N)
if timeout "$limit" $ofxdump "$files/releve-100000.ofx" >/dev/null 2>&1; then
  echo "ofxdump (100000), une fois : $((($(date +%s%N) - start) / 1000000)) ms"
else
  echo "ofxdump (100000), une fois : pas fini après $limit s"
fi
echo "Machine : charge $(cut -d' ' -f1-3 /proc/loadavg)"
"$bench"
