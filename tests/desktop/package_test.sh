#!/usr/bin/env bash
# package_test.sh lintian|check SOURCE_DIR
#   lintian: makes the source and binary packages of the tree once, in a
#            scratch folder, and runs the checks of ./package on them: the
#            file list, one version everywhere, the hardening, lintian.
#   check:   the same, then the autopkgtests against the installed package
#            and a second build compared byte for byte. It installs the
#            package on this machine (as ./package does) and builds twice,
#            so it runs only when KEMLESS_PACKAGE_CHECK=1 asks for it.
set -uo pipefail
mode=$1
source=$2

if [ "$mode" = check ] && [ "${KEMLESS_PACKAGE_CHECK:-}" != 1 ]; then
  echo "SKIP: set KEMLESS_PACKAGE_CHECK=1 to build twice, install and run the autopkgtests"
  exit 77
fi
tools=(dpkg-buildpackage dh lintian hardening-check)
[ "$mode" = check ] && tools+=(autopkgtest faketime xvfb-run)
for tool in "${tools[@]}"; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# At the lowest priority: beside the other tests it takes what they leave.
package=(nice -n 19 "$source/scripts/package.sh")
"${package[@]}" build "$scratch/first" || exit 1
"${package[@]}" verify "$scratch/first" || exit 1
if [ "$mode" = check ]; then
  "${package[@]}" autopkgtest "$scratch/first" || exit 1
  "${package[@]}" reproducible "$scratch/first" "$scratch/second" || exit 1
fi
