#!/usr/bin/env bash
# The command line on the benchmark table beside the plain floor program, in one run,
# interleaved (farm-bench --vs), minimums and medians of seven runs each:
#   bench/command_line_vs_floor.sh [TABLE.dbf]
# The table defaults to a million records written by the shared table generator; the floor
# is built from the shared tools. Both live beside the repository, not in it.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
tools="$here/../shared/tools"
work="${TMPDIR:-/tmp}/quarvel-cli-bench"
mkdir -p "$work"
table="${1:-$work/big.dbf}"
if [ ! -f "$table" ]; then
    python3 "$tools/make_table.py" 1000000 "$table"
fi
g++ -O2 -std=c++17 "$tools/floor.cpp" -o "$work/floor"
make -C "$here" build PRESET=release >/dev/null
quarvel="$here/build/release/src/app/quarvel"
cd "$work"
echo "== analyse --field POP  vs  floor (pairs)"
farm-bench -n 7 --vs "$work/floor $table POP pairs.csv" -- "$quarvel" analyse "$table" --field POP --out-dir "$work/out"
echo "== analyse --field POP --join ID  vs  floor (pairs + join)"
farm-bench -n 7 --vs "$work/floor $table POP pairs.csv join.csv" -- "$quarvel" analyse "$table" --field POP --join ID --out-dir "$work/out"
ls -l "$table"
