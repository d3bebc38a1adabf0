#!/usr/bin/env bash
# check-versions.sh ROOT [CHANGELOG]
# Checks that an installed tree (ROOT/usr/...) names one version everywhere:
# the program's --version, the manual page and the AppStream release say the
# upstream version and date of the changelog's newest entry (by default the
# one installed in ROOT). Run on a plain install by the test desktop_install
# and on the package by scripts/package.sh.
set -uo pipefail
root=$1
changelog=${2:-$root/usr/share/doc/kemless/changelog.Debian.gz}

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

text=$(mktemp)
trap 'rm -f "$text"' EXIT
case $changelog in
  *.gz) zcat "$changelog" >"$text" ;;
  *) cat "$changelog" >"$text" ;;
esac
version=$(dpkg-parsechangelog -l "$text" -S Version)
upstream=${version%-*}
# The day as the entry writes it ("Thu, 10 Dec 2026 12:00:00 +0900"), in
# its own time zone.
date=$(date -u -d "$(dpkg-parsechangelog -l "$text" -S Date | awk '{ print $2, $3, $4 }')" +%F)

said=$("$root/usr/bin/kemless" --version 2>&1)
[ "$said" = "kemless $upstream" ] || fail "kemless --version says '$said', the changelog $version"

manpage=$root/usr/share/man/man1/kemless.1.gz
if [ -f "$manpage" ]; then
  # .TH KEMLESS 1 DATE "kemless VERSION" ...
  th=$(zcat "$manpage" | grep -m1 '^\.TH')
  [[ $th == *" $date \"kemless $upstream\""* ]] ||
    fail "the manual page's header '$th' does not name $date and kemless $upstream"
  named=$(zcat "$manpage" | grep -o 'kemless [0-9][0-9.]*' | sort -u)
  [ "$named" = "kemless $upstream" ] || fail "the manual page names '${named//$'\n'/, }', the changelog kemless $upstream"
else
  fail "no $manpage"
fi

# The newest release comes first.
metainfo=$root/usr/share/metainfo/jp.example.kemless.metainfo.xml
release=$(grep -m1 -o '<release [^>]*>' "$metainfo")
[[ $release == *"version=\"$upstream\""* && $release == *"date=\"$date\""* ]] ||
  fail "the newest AppStream release is '$release', the changelog's $upstream of $date"

[ $failures -eq 0 ] || exit 1
echo "OK: kemless $upstream of $date in the program, the manual page, the AppStream release and the changelog"
