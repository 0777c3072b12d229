#!/bin/sh
# The benchmark: korvex-bench in a warm Wine session, then korvex's start-up
# right after a fresh Wine session starts (a new session for every pair).
# Figures, never a verdict.  Needs a build; on a kernel without 32-bit
# programs, run it as  sh tools/vm-run.sh sh tools/bench.sh
set -e
cd "$(dirname "$0")/.."
run=build/wine-run.sh
rounds=${1:-7}
$run --start
$run build/tests/korvex-bench.exe
out=$(mktemp)
i=0
while [ $i -lt "$rounds" ]; do
    $run --stop
    $run --start
    # The first program after a new session pays for it: take turns.
    first=korvex
    [ $((i % 2)) -eq 1 ] && first=peer
    $run build/tests/korvex-bench.exe startup 1 $first | tr -d '\r' | tee -a "$out"
    i=$((i + 1))
done
$run --stop
# Medians of the fresh rounds.
awk '/^startup/ { k[n] = $3; p[n] = $5; n++ }
     function median(a, n,   i, j, t) {
         for (i = 0; i < n; i++) for (j = i + 1; j < n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
         return a[int(n / 2)]
     }
     END { if (n) { mk = median(k, n); mp = median(p, n)
           printf "%-44s %10.1f ms %10.1f ms   ratio %.2f  (%d fresh sessions)\n",
                  "start-up to the ready notice / trivial (fresh)", mk, mp, mk / mp, n } }' "$out"
rm -f "$out"
