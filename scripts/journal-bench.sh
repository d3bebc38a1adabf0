#!/usr/bin/env bash
# The program with a journal far larger than any user writes by hand
# (700,000 urge lines, about 15 MB) against the same program with a journal
# of one line, on a private virtual display: the time from start to the
# record window mapped (started with --notify --record, so the journal is
# read and the milestones decided first), and resident memory a second
# later. The per-refresh cost is in tests/benchmark/journal_benchmark.cpp
# (core_benchmark --benchmark_filter=Journal|Refresh|Start).
#   scripts/journal-bench.sh [starts]   (default 5 of each)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
starts=${1:-5}
kemless_install_missing "${KEMLESS_RUN_PACKAGES[@]}" "${KEMLESS_HEADLESS_PACKAGES[@]}"
kemless_build normal --target kemless

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/runtime"
chmod 700 "$scratch/runtime"
for kind in small big; do
  mkdir -p "$scratch/$kind/kemlessdata"
  chmod 700 "$scratch/$kind/kemlessdata"
  cp tests/fuzz/corpus/initial_valid "$scratch/$kind/kemlessdata/initial.ini"
  sed '1s/^0,/1,/' tests/fuzz/corpus/option_default >"$scratch/$kind/kemlessdata/option.ini"
done
echo "2026-12-01 10:00 urge" >"$scratch/small/kemlessdata/journal.txt"
python3 - "$scratch/big/kemlessdata/journal.txt" <<'PY'
import sys
with open(sys.argv[1], "w") as f:
    for i in range(700_000):
        day = i // 320
        f.write("%04d-%02d-%02d %02d:%02d urge\n" % (2020 + day // 365, 1 + day % 365 // 31 % 12, 1 + day % 28, i % 24, i % 60))
PY
chmod 600 "$scratch"/*/kemlessdata/*
size=$(stat -c %s "$scratch/big/kemlessdata/journal.txt")

XDG_RUNTIME_DIR=$scratch/runtime xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  starts=$1 scratch=$2 program=$3 size=$4
  # "ms KiB" from start to the record window, and resident memory a second later.
  measure() {
    local started pid
    started=$EPOCHREALTIME
    "$program" --data-dir "$1" --notify --record >/dev/null 2>&1 &
    pid=$!
    until xwininfo -root -tree 2>/dev/null | grep -q "これまでの記録"; do sleep 0.01; done
    local mapped=$EPOCHREALTIME
    sleep 1
    local rss
    rss=$(awk "/^VmRSS:/ { print \$2 }" /proc/$pid/status)
    kill $pid; wait $pid 2>/dev/null || true
    local us=$(( ${mapped/./} - ${started/./} ))
    echo "$((us / 1000)) $rss"
  }
  median() { sort -n | awk "{ v[NR] = \$1 } END { print v[int((NR + 1) / 2)] }"; }
  "$program" --version >/dev/null
  : >"$scratch/small.txt"; : >"$scratch/big.txt"
  for i in $(seq "$starts"); do
    measure "$scratch/small" >>"$scratch/small.txt"
    measure "$scratch/big" >>"$scratch/big.txt"
  done
  sms=$(cut -d" " -f1 "$scratch/small.txt" | median); bms=$(cut -d" " -f1 "$scratch/big.txt" | median)
  srss=$(cut -d" " -f2 "$scratch/small.txt" | median); brss=$(cut -d" " -f2 "$scratch/big.txt" | median)
  echo "journal of 700,000 urge lines: $((size / 1024)) KiB"
  echo "start to the record window (median of $starts): one line $sms ms, 700,000 lines $bms ms"
  echo "resident memory: one line $srss KiB, 700,000 lines $brss KiB: $((brss - srss)) KiB more," \
       "$(awk -v d=$((brss - srss)) -v s=$((size / 1024)) "BEGIN { printf \"%.2f\", d / s }")x the file"
' bash "$starts" "$scratch" "$PWD/build/kemless" "$size"
