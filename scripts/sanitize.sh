#!/usr/bin/env bash
# Builds everything the tests need with AddressSanitizer + UndefinedBehavior-
# Sanitizer in build-asan/ and runs the whole test suite there, window tests
# included, with leak checking on. Any sanitizer report fails a test and the
# script.
#   scripts/sanitize.sh          build, then run the suite
#   scripts/sanitize.sh build    only build (./test times the two apart)
#   scripts/sanitize.sh test     only run the suite of the last build
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
dir=build-asan
step=${1:-all}

if [ "$step" = all ] || [ "$step" = build ]; then
  # The preset "sanitize" of CMakePresets.json, configured every time (a
  # no-op when nothing changed) so an older build-asan/ picks it up too:
  #  - -O1 -g1: the optimisation AddressSanitizer's documentation recommends,
  #    and the line tables its reports need; both compile faster than -O2 -g.
  #  - GCC leaves float-to-integer overflow out of "undefined"; it is
  #    undefined behaviour all the same.
  #  - no benchmarks, tools or package test: nothing here runs them.
  #  - each GoogleTest executable runs whole, as one test: a process per case
  #    under the sanitizers spent more time starting than testing.
  kemless_build sanitize
fi

if [ "$step" = all ] || [ "$step" = test ]; then
  export QT_QPA_PLATFORM=offscreen
  export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
  # Leaks that are not ours are suppressed: what Qt 6.4's Wayland plugin
  # binds at connection and never frees, and libdbus's own buffer
  # (tests/sanitizer/lsan.supp says which).
  export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp"
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  jobs=$(nproc)
  [ "$jobs" -gt 2 ] && jobs=2
  ctest --test-dir "$dir" --output-on-failure -j"$jobs"
fi
