#!/usr/bin/env bash
# package_lintian_test.sh CPACK BUILD_DIR
#   Makes the Debian package from the build with CPack, as ./package does, in
#   a scratch folder, and checks it.
# package_lintian_test.sh --deb FILE
#   Checks a package made already (./package prints this verdict).
# Its version must agree with the Debian changelog and the manual page, and
# lintian must find no error and no warning.
set -uo pipefail

for tool in lintian dpkg-deb dpkg-shlibdeps; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

# Warnings that cannot be avoided, one a line with the reason; the README's
# "Install and package" section explains each. Errors are never accepted.
declare -A accepted=(
  [initial-upload-closes-no-bugs]="one changelog entry and no ITP bug: the package is not meant for the Debian archive"
)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if [ "$1" = --deb ]; then
  deb=$2
else
  if ! "$1" -G DEB --config "$2/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log"
    exit 1
  fi
  debs=("$scratch"/kemless_*.deb)
  if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "FAIL: expected one kemless_*.deb from cpack, found: ${debs[*]}"
    exit 1
  fi
  deb=${debs[0]}
fi
echo "Checking $(basename "$deb")"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The version must carry a Debian revision (a native one makes dpkg and lintian
# want changelog.gz instead) and be the newest changelog entry; the manual page
# must name the same program version, or it documents an older program.
version=$(dpkg-deb -f "$deb" Version)
upstream=${version%-*}
[ "$upstream" != "$version" ] || fail "version $version has no Debian revision"
root=$scratch/root
dpkg-deb -x "$deb" "$root"
changelog=$root/usr/share/doc/kemless/changelog.Debian.gz
manpage=$root/usr/share/man/man1/kemless.1.gz
if [ -f "$changelog" ]; then
  newest=$(zcat "$changelog" | sed -n '1s/^kemless (\([^)]*\)) .*/\1/p')
  [ "$newest" = "$version" ] || fail "package version $version, newest changelog entry '$newest'"
else
  fail "no /usr/share/doc/kemless/changelog.Debian.gz"
fi
if [ -f "$manpage" ]; then
  named=$(zcat "$manpage" | grep -o 'kemless [0-9][0-9.]*' | sort -u)
  [ "$named" = "kemless $upstream" ] || fail "manual page names '${named//$'\n'/, }', the package is kemless $upstream"
else
  fail "no /usr/share/man/man1/kemless.1.gz"
fi

# Debian's hardening, as the program was built: every line of hardening-check
# must say yes (PIE, stack protector, fortified functions, read-only
# relocations, immediate binding, stack-clash and control-flow protection).
if command -v hardening-check >/dev/null; then
  hardening=$(hardening-check "$root/usr/bin/kemless" 2>&1)
  echo "$hardening"
  if grep -q ': no' <<<"$hardening"; then
    fail "hardening-check: $(grep ': no' <<<"$hardening" | tr -s ' ' | tr '\n' ';')"
  fi
else
  fail "hardening-check (package devscripts) is not installed"
fi

# --pedantic only to show more; P: and I: tags never fail. Lintian's own exit
# status is kept for its failures (a broken package it cannot read).
out=$(lintian --display-info --pedantic --fail-on none "$deb" 2>&1)
rc=$?
echo "$out"
[ $rc -eq 0 ] || fail "lintian exited with $rc"
while read -r severity tag; do
  if [ "$severity" = W ] && [ -n "${accepted[$tag]:-}" ]; then
    echo "accepted: $tag (${accepted[$tag]})"
  else
    fail "lintian $severity: $tag (lintian --info explains it)"
  fi
done < <(sed -nE 's/^([EW]): kemless[^:]*: ([^ ]+).*/\1 \2/p' <<<"$out" | sort -u)

[ $failures -eq 0 ] || exit 1
echo "OK: $version: lintian finds no error and no warning that is not explained"
