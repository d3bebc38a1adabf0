#!/usr/bin/env bash
# Compares the program's start-up with a bare Qt window of the same kind
# (tools/startup_floor.cpp) on a private virtual display, so the figures mean
# the same on any machine: ratios, not times, are what to compare.
#   scripts/startup-bench.sh [starts]   (default 7 of each)
# Floor and program take turns (floor, program, floor, ...); for each it
# prints the median of: the time from start to the first window mapped,
# resident memory and CPU time one second after mapping. The program starts
# with a started record in a scratch folder, so it opens its main window.
# KEMLESS_BENCH_RAW=1 prints every start too (ms, KiB, CPU ms).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
starts=${1:-7}
kemless_install_missing "${KEMLESS_RUN_PACKAGES[@]}" "${KEMLESS_HEADLESS_PACKAGES[@]}"
kemless_build normal --target kemless
kemless_build normal --target kemless_startup_floor

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/data/kemlessdata" "$scratch/runtime"
chmod 700 "$scratch/runtime"
cp tests/fuzz/corpus/initial_valid "$scratch/data/kemlessdata/initial.ini"
# The default option record with its first field, `quitStarted`, set.
sed '1s/^0,/1,/' tests/fuzz/corpus/option_default >"$scratch/data/kemlessdata/option.ini"

XDG_RUNTIME_DIR=$scratch/runtime xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  starts=$1 data=$2 root=$3
  cd "$(dirname "$data")"
  # measure COMMAND...: "ms KiB cpu-ms" for one start.
  measure() {
    coproc XEV { exec stdbuf -oL xev -root -event substructure; }
    local line started mapped pid
    sleep 0.3  # until xev listens
    started=$EPOCHREALTIME
    "$@" >/dev/null 2>&1 &
    pid=$!
    while IFS= read -r -t 20 line <&"${XEV[0]}"; do
      [[ $line == MapNotify* ]] && break
    done
    mapped=$EPOCHREALTIME
    sleep 1
    local rss ticks
    rss=$(awk "/^VmRSS:/ { print \$2 }" /proc/$pid/status)
    ticks=$(awk "{ print \$14 + \$15 }" /proc/$pid/stat)
    kill $pid; wait $pid 2>/dev/null || true
    kill $XEV_PID 2>/dev/null; wait $XEV_PID 2>/dev/null || true
    local us=$(( (${mapped/./} - ${started/./}) ))
    echo "$((us / 1000)).$(( (us % 1000) / 100 )) $rss $((ticks * 1000 / $(getconf CLK_TCK)))"
  }
  median() { sort -n | awk "{ v[NR] = \$1 } END { print v[int((NR + 1) / 2)] }"; }
  : >floor.txt; : >program.txt
  floor=$root/build/kemless_startup_floor program=$root/build/kemless
  "$floor" >/dev/null 2>&1 & sleep 1; kill $!; wait $! 2>/dev/null || true  # warm the caches
  measure "$floor" >>floor.txt
  for i in $(seq "$starts"); do
    measure "$program" --data-dir "$data" >>program.txt
    measure "$floor" >>floor.txt
  done
  if [ -n "${KEMLESS_BENCH_RAW:-}" ]; then echo "raw (ms KiB cpu-ms):"; paste floor.txt program.txt; fi
  for what in floor program; do
    printf "%-8s %8s ms %8s KiB %6s ms CPU\n" "$what" \
      "$(cut -d" " -f1 $what.txt | median)" "$(cut -d" " -f2 $what.txt | median)" "$(cut -d" " -f3 $what.txt | median)"
  done
  f=$(cut -d" " -f1 floor.txt | median); p=$(cut -d" " -f1 program.txt | median)
  fr=$(cut -d" " -f2 floor.txt | median); pr=$(cut -d" " -f2 program.txt | median)
  echo "program / floor: start to mapped x$(awk "BEGIN { printf \"%.2f\", $p / $f }"), resident memory x$(awk "BEGIN { printf \"%.2f\", $pr / $fr }")"
' bash "$starts" "$scratch/data" "$PWD"
