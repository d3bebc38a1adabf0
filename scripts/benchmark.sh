#!/usr/bin/env bash
# Start-up time, memory and idle CPU of ケムレス against a minimal Qt Widgets
# window of the same size, on a virtual display. Not part of ./test.
#   scripts/benchmark.sh [idle-seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
idle=${1:-60}
build=build
[ -x "$build/kemless" ] || { echo "build first: ./run or ./test"; exit 1; }

export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/kemlessdata"
printf '2026,9,21,7,45,20,580,85\r\n' >"$work/kemlessdata/initial.ini"
printf '1,58,5,0,5,1,1500,1500,9241372,16777215,"kemless.example.jp/",0,0,0,"\x83\x5c\x83\x8b\x83\x57\x83\x83\x81\x5b"\r\n' \
  >"$work/kemlessdata/option.ini"

measure() {  # measure NAME TITLE COMMAND...
  local name=$1 title=$2
  shift 2
  local start end pid
  start=$(date +%s%N)
  (cd "$work" && exec "$@") &
  pid=$!
  until xwininfo -root -tree 2>/dev/null | grep -q "$title"; do sleep 0.005; done
  end=$(date +%s%N)
  sleep 1
  local rss
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  local t0 t1
  t0=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  sleep "$idle"
  t1=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  printf '%-16s start-up %5d ms   memory %6d KiB   CPU while idle %ss: %d ticks (1/%s s)\n' \
    "$name" $(((end - start) / 1000000)) "$rss" "$idle" $((t1 - t0)) "$(getconf CLK_TCK)"
}

if [ -z "${KEMLESS_BENCH_DISPLAY:-}" ]; then
  exec env KEMLESS_BENCH_DISPLAY=1 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$idle"
fi
measure minimal-window minimal "$PWD/$build/kemless_minimal_window"
measure minimal-japanese minimal "$PWD/$build/kemless_minimal_window" --japanese
measure kemless "ケムレス" "$PWD/$build/kemless"
