#!/usr/bin/env bash
# Shared set-up of ./run, ./test and ./package: install what is missing
# (Debian), then configure and build. Quiet when everything is already there.
set -euo pipefail

# What building and running the program needs, and nothing more: a newcomer's
# ./run should not pull in test or packaging tools.
KEMLESS_RUN_PACKAGES=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  # The notification area's comings and goings arrive as XFixes events.
  libxcb-xfixes0-dev
  qt6-translations-l10n fonts-ipafont-gothic
)
# ./run on a machine without a display starts the program on Xvfb and takes a
# screenshot of it.
KEMLESS_HEADLESS_PACKAGES=(xvfb xauth x11-utils imagemagick)
# Everything ./test uses on top: GoogleTest and Benchmark, the desktop file
# validators, the package tools, clang for the fuzzer, xclip for clipboard
# checks, clang-format for the style check, ccache so rebuilds reuse what was
# compiled before.
KEMLESS_TEST_PACKAGES=(
  "${KEMLESS_RUN_PACKAGES[@]}" "${KEMLESS_HEADLESS_PACKAGES[@]}"
  libgtest-dev libbenchmark-dev xclip python3
  # The companion's tests: a session bus with a fake notification service,
  # a window manager and a notification area on Xvfb, and a Wayland compositor.
  dbus-daemon python3-dbus openbox trayer weston qt6-wayland
  desktop-file-utils appstream
  # The package test makes the Debian packages; asked for, it also runs their
  # autopkgtests (on a fixed clock) and compares two builds.
  dpkg-dev debhelper lintian autopkgtest faketime diffoscope-minimal
  clang-14 libclang-rt-14-dev clang-format-14 ccache devscripts
  # The hostile-world test types through the first-run setup on Xvfb.
  xdotool
  # The accessibility test reads the windows over AT-SPI on a bus of its own;
  # the speech test hears them through Orca in Japanese (the ja_JP locale is
  # built from the locales package), pressing keys with xdotool, on a clock
  # fixed by libfaketime.
  at-spi2-core gir1.2-atspi-2.0 python3-gi dbus
  orca locales
  # Notices to a real notification daemon (dunst) in the notices test; the
  # wake-up benchmark counts a running copy's poll timeouts with strace.
  dunst strace
)

# ./package: the source package's Build-Depends (debian/control) and the
# tools that build, check and test the packages.
KEMLESS_PACKAGE_PACKAGES=(
  "${KEMLESS_RUN_PACKAGES[@]}" debhelper dpkg-dev lintian devscripts
  autopkgtest faketime diffoscope-minimal
  # What the autopkgtests depend on (debian/tests/control).
  desktop-file-utils appstream xvfb xauth x11-utils python3
)

# kemless_install_missing PACKAGE...
kemless_install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# kemless_build PRESET [--dir DIR] [--target T] [cmake options...]
# Configures with a preset of CMakePresets.json (normal, sanitize, fuzz: the
# options of each build live there) every time (a no-op when nothing
# changed), so they always hold, also for a build folder another command
# configured. --dir puts the build elsewhere than the preset's folder; the
# options given here come after the preset's, so a caller's win.
kemless_build() {
  local preset=$1
  shift
  local dir
  dir=$(sed -n "/\"name\": \"$preset\"/,/binaryDir/s|.*\"binaryDir\": \"\\\${sourceDir}/\([^\"]*\)\".*|\1|p" CMakePresets.json | head -n 1)
  if [ "${1:-}" = --dir ]; then
    dir=$2
    shift 2
  fi
  local target=()
  if [ "${1:-}" = --target ]; then
    target=(--target "$2")
    shift 2
  fi
  mkdir -p "$dir"
  # A folder an older checkout configured with Makefiles is configured anew.
  if [ -f "$dir/CMakeCache.txt" ] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$dir/CMakeCache.txt"; then
    rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
  fi
  if ! cmake --preset "$preset" -B "$dir" "$@" >"$dir/configure.log" 2>&1; then
    cat "$dir/configure.log"
    return 1
  fi
  # With KEMLESS_PROGRESS set (./test sets it) a long build says how far it
  # got every 30 seconds; otherwise it is quiet until it ends.
  cmake --build "$dir" "${target[@]}" -j"$(nproc)" >"$dir/build.log" 2>&1 &
  local pid=$! waited=0 rc=0
  while kill -0 $pid 2>/dev/null; do
    sleep 1
    waited=$((waited + 1))
    if [ -n "${KEMLESS_PROGRESS:-}" ] && [ $((waited % 30)) -eq 0 ]; then
      echo "    $(grep -o '^\[[0-9]*/[0-9]*\]' "$dir/build.log" | tail -n 1 | tr -d '[]') steps built after $(kemless_duration $waited)"
    fi
  done
  wait $pid || rc=$?
  if [ $rc -ne 0 ]; then
    cat "$dir/build.log"
    return 1
  fi
  grep -E 'warning' "$dir/build.log" || true
}

# kemless_check_tiers: the test presets of CMakePresets.json, run once
# against build/: every test is in one tier, the core and quick presets list
# tests of theirs, and quick holds the whole core tier.
kemless_check_tiers() {
  local core quick all untiered
  core=$(ctest --preset core -N | sed -n 's/^ *Test *#[0-9]*: //p')
  quick=$(ctest --preset quick -N | sed -n 's/^ *Test *#[0-9]*: //p')
  all=$(ctest --preset all -N | sed -n 's/^ *Test *#[0-9]*: //p')
  untiered=$(ctest --preset all -N -LE '^(core|window|desktop|package)$' | sed -n 's/^ *Test *#[0-9]*: //p')
  echo "    core $(grep -c . <<<"$core"), quick $(grep -c . <<<"$quick"), all $(grep -c . <<<"$all") tests"
  if [ -n "$untiered" ]; then
    echo "tests in no tier:" $untiered
    return 1
  fi
  if ! grep -qx core_tests <<<"$core" && ! grep -q '^[A-Za-z0-9_]*\.' <<<"$core"; then
    echo "the core preset lists no test of the core"
    return 1
  fi
  if ! grep -qx main_window_qtest <<<"$quick"; then
    echo "the quick preset lists no window test"
    return 1
  fi
  if grep -qx -e main_window_qtest -e orca_speech_test -e desktop_package_lintian <<<"$core" ||
    grep -qx -e orca_speech_test -e desktop_package_lintian <<<"$quick"; then
    echo "the core or quick preset lists a test of a slower tier"
    return 1
  fi
  if [ -n "$(comm -23 <(sort <<<"$core") <(sort <<<"$quick"))" ]; then
    echo "the quick preset misses tests of the core preset"
    return 1
  fi
}

# kemless_duration SECONDS: "1 min 05 s" or "42 s".
kemless_duration() {
  if [ "$1" -ge 60 ]; then printf '%d min %02d s' $(($1 / 60)) $(($1 % 60)); else printf '%d s' "$1"; fi
}

# kemless_phase NAME COMMAND...: runs one step of ./test, announcing it and
# printing its time when it ends, so the log says where the time goes. Every
# phase is added to KEMLESS_PHASES for the summary at the end.
KEMLESS_PHASES=()
kemless_phase() {
  local name=$1
  shift
  local start=$SECONDS rc=0
  echo "==> $name"
  "$@" || rc=$?
  local took
  took=$(kemless_duration $((SECONDS - start)))
  if [ $rc -eq 0 ]; then
    echo "==> $name: done in $took"
    KEMLESS_PHASES+=("$(printf '%-24s %s' "$name" "$took")")
  else
    echo "==> $name: FAILED after $took"
    KEMLESS_PHASES+=("$(printf '%-24s %s (failed)' "$name" "$took")")
  fi
  return $rc
}
