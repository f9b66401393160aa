#!/usr/bin/env bash
# The command line with --by beside the same call without it, interleaved (farm-bench --vs),
# seven runs each, on the benchmark table: CLASS has 12 groups, YEAR 175.
#   bench/command_line_groups.sh [TABLE.dbf]
# The table defaults to a million records written by the shared table generator, which lives
# beside the repository, not in it.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
tools="$here/../shared/tools"
work="${TMPDIR:-/tmp}/quarvel-groups-bench"
mkdir -p "$work"
table="${1:-$work/big.dbf}"
if [ ! -f "$table" ]; then
    python3 "$tools/make_table.py" 1000000 "$table"
fi
make -C "$here" build PRESET=release >/dev/null
quarvel="$here/build/release/src/app/quarvel"
whole="$quarvel analyse $table --field POP --out-dir $work/whole"
for by in CLASS YEAR; do
    echo "== analyse --field POP --by $by  vs  analyse --field POP"
    farm-bench -n 7 --vs "$whole" -- "$quarvel" analyse "$table" --field POP --by "$by" \
        --out-dir "$work/$by"
done
