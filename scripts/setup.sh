#!/usr/bin/env bash
# Shared set-up of ./run and ./test: install what is missing (Debian), then
# configure and build. Quiet when everything is already there.
set -euo pipefail

KEMLESS_PACKAGES=(
  g++ cmake make pkg-config
  qt6-base-dev qt6-translations-l10n libgl-dev
  fonts-ipafont-gothic
  libgtest-dev libbenchmark-dev
  xvfb xauth x11-utils imagemagick xclip
  desktop-file-utils appstream dpkg-dev
  clang-14 libclang-rt-14-dev
)

kemless_install_missing() {
  local missing=()
  for p in "${KEMLESS_PACKAGES[@]}"; do
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

# kemless_build DIR [cmake options...]
kemless_build() {
  local dir=$1
  shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  fi
  mkdir -p "$dir"
  if ! cmake --build "$dir" -j"$(nproc)" >"$dir/build.log" 2>&1; then
    cat "$dir/build.log"
    return 1
  fi
  grep -E 'warning' "$dir/build.log" || true
}
