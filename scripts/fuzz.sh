#!/usr/bin/env bash
# Fuzzes the readers of initial.ini and option.ini: builds the libFuzzer target
# with clang (AddressSanitizer + UndefinedBehaviorSanitizer) in build-fuzz/,
# outside the main build, and runs it for a bounded time. Any crash, hang,
# leak, sanitizer report or round-trip mismatch fails the script.
#   scripts/fuzz.sh [seconds]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
dir=build-fuzz
cxx=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$cxx" ]; then
  echo "fuzz: clang++ not found (scripts/setup.sh installs it)" >&2
  exit 1
fi

# The preset "fuzz" of CMakePresets.json (fuzzer-no-link gives the library
# under test coverage feedback too), with the clang found here. A folder an
# older checkout configured with Makefiles is configured anew.
if [ -f "$dir/CMakeCache.txt" ] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$dir/CMakeCache.txt"; then
  rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake --preset fuzz -DCMAKE_CXX_COMPILER="$cxx" >/dev/null
fi
jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2
built=$SECONDS
if ! cmake --build "$dir" --target settings_fuzzer -j"$jobs" >"$dir/build.log" 2>&1; then
  cat "$dir/build.log"
  exit 1
fi
echo "fuzz: settings_fuzzer built in $((SECONDS - built)) s; fuzzing for $seconds s"

# New inputs go to a working corpus; the committed seeds stay as they are.
mkdir -p "$dir/corpus" "$dir/artifacts"
log="$dir/fuzz.log"
start=$SECONDS
if ! "$dir/tests/fuzz/settings_fuzzer" "$dir/corpus" tests/fuzz/corpus \
  -dict=tests/fuzz/settings.dict -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=4096 -artifact_prefix="$dir/artifacts/" -print_final_stats=1 >"$log" 2>&1; then
  tail -n 60 "$log"
  echo "fuzz: FAILED after $((SECONDS - start)) s; the input is in $dir/artifacts/" >&2
  exit 1
fi
runs=$(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
echo "fuzz: settings readers, $runs inputs in $((SECONDS - start)) s, no failure"
