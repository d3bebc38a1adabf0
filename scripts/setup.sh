#!/usr/bin/env bash
# Shared set-up of ./run, ./test and ./package: install what is missing
# (Debian), then configure and build. Quiet when everything is already there.
set -euo pipefail

# What building and running the program needs, and nothing more: a newcomer's
# ./run should not pull in test or packaging tools.
KEMLESS_RUN_PACKAGES=(
  g++ cmake make pkg-config
  qt6-base-dev libgl-dev
  qt6-translations-l10n fonts-ipafont-gothic
)
# ./run on a machine without a display starts the program on Xvfb and takes a
# screenshot of it.
KEMLESS_HEADLESS_PACKAGES=(xvfb xauth x11-utils imagemagick)
# Everything ./test uses on top: GoogleTest and Benchmark, the desktop file
# validators, the package tools, clang for the fuzzer, xclip for clipboard checks.
KEMLESS_TEST_PACKAGES=(
  "${KEMLESS_RUN_PACKAGES[@]}" "${KEMLESS_HEADLESS_PACKAGES[@]}"
  libgtest-dev libbenchmark-dev xclip python3
  dbus-daemon python3-dbus python3-gi openbox trayer weston qt6-wayland
  desktop-file-utils appstream dpkg-dev lintian
  clang-14 libclang-rt-14-dev
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

# kemless_build DIR [--target T] [cmake options...]
# Configures every time (a no-op when nothing changed), so the options given
# here always hold, also for a build folder another command configured. The
# options come after the default Release type, so a caller's type wins.
kemless_build() {
  local dir=$1
  shift
  local target=()
  if [ "${1:-}" = --target ]; then
    target=(--target "$2")
    shift 2
  fi
  mkdir -p "$dir"
  if ! cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >"$dir/configure.log" 2>&1; then
    cat "$dir/configure.log"
    return 1
  fi
  if ! cmake --build "$dir" "${target[@]}" -j"$(nproc)" >"$dir/build.log" 2>&1; then
    cat "$dir/build.log"
    return 1
  fi
  grep -E 'warning' "$dir/build.log" || true
}
