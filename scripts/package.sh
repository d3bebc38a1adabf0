#!/usr/bin/env bash
# The Debian packaging steps that ./package runs and the package tests share.
#   scripts/package.sh build DIR        source and binary packages of this tree in DIR
#   scripts/package.sh verify DIR       file list, versions, hardening and lintian
#   scripts/package.sh autopkgtest DIR  installs the packages, runs debian/tests
#   scripts/package.sh reproducible DIR DIR2
#                                       builds again in DIR2 and compares the .debs
# DIR is made if missing; a build replaces what an earlier one left there.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

# Warnings that cannot be avoided, one a line with the reason; the README's
# "Install and package" section explains each. Errors are never accepted.
declare -A accepted=(
  [initial-upload-closes-no-bugs]="one changelog entry and no ITP bug: the package is not meant for the Debian archive"
)

die() {
  echo "$*" >&2
  exit 1
}

# The changelog's newest entry: what every version in the tree must agree with.
debian_version() { dpkg-parsechangelog -l "$here/debian/changelog" -S Version; }
upstream_version() {
  local v
  v=$(debian_version)
  echo "${v%-*}"
}

# The files the package is made of: what git knows in this tree (tracked, or
# new and not ignored), as they stand now, so a change not yet committed is
# packaged too. Without git (an unpacked source package) every file but the
# build folders.
source_files() {
  if git -C "$here" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -C "$here" ls-files -z --cached --others --exclude-standard --deduplicate |
      while IFS= read -r -d '' f; do [ -e "$here/$f" ] && printf '%s\0' "$f"; done
  else
    (cd "$here" && find . -path ./debian/.debhelper -prune -o -path './build*' -prune -o \
      -path './obj-*' -prune -o \( -type f -o -type l \) -printf '%P\0')
  fi
}

# tar options that give the same bytes for the same files: names sorted, one
# owner, one time (the changelog's, as dpkg-buildpackage's SOURCE_DATE_EPOCH).
deterministic_tar() {
  local epoch
  epoch=$(dpkg-parsechangelog -l "$here/debian/changelog" -S Timestamp)
  tar --sort=name --mtime="@$epoch" --owner=0 --group=0 --numeric-owner \
    --pax-option=exthdr.name=%d/PaxHeaders/%f,delete=atime,delete=ctime "$@"
}

cmd_build() {
  local dir=$1 upstream tree
  upstream=$(upstream_version)
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  tree=$dir/kemless-$upstream
  rm -rf "$tree" "$dir"/kemless_* "$dir"/kemless-dbgsym_*
  mkdir -p "$tree"
  local list=$dir/files.list
  source_files >"$list"
  (cd "$here" && tar --null -T "$list" -cf -) | tar -xf - -C "$tree" || die "copying the tree to $tree failed"
  # The modes of a checkout follow the umask it was made under, and so would
  # the tarballs: every folder and executable 755, every other file 644.
  chmod -R u=rwX,go=rX "$tree" || die "setting the modes in $tree failed"
  # The upstream tarball is the tree without debian/, so the source package
  # is an upstream tarball and the packaging beside it, as Debian keeps them.
  (cd "$dir" && deterministic_tar --exclude="kemless-$upstream/debian" -cf - "kemless-$upstream") |
    gzip -9n >"$dir/kemless_$upstream.orig.tar.gz"
  echo "Building the packages in $tree (log: $dir/build.log)"
  # umask 022: what dpkg-source and the build make has the same modes too.
  if ! (cd "$tree" && umask 022 && dpkg-buildpackage -us -uc -jauto) >"$dir/build.log" 2>&1; then
    tail -n 60 "$dir/build.log"
    die "dpkg-buildpackage failed; the whole log is $dir/build.log"
  fi
  ls "$dir"/kemless_*.changes
}

# The one .changes, .deb and so on of a build folder.
one() {
  local found=("$@")
  [ ${#found[@]} -eq 1 ] && [ -e "${found[0]}" ] || die "expected one of $*"
  echo "${found[0]}"
}

cmd_verify() {
  local dir=$1 changes deb failures=0
  fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
  }
  changes=$(one "$dir"/kemless_*.changes) || exit 1
  deb=$(one "$dir"/kemless_*.deb) || exit 1
  echo "Checking $(basename "$changes"): $(awk '/^Files:/ { on = 1; next } /^[^ ]/ { on = 0 } on { printf "%s ", $5 }' "$changes")"

  # Exactly the files of cmake/installed_files.txt, which the test
  # desktop_install checks a plain install against.
  local actual expected
  actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort)
  expected=$(sed -n 's|^\([^#].*\)|usr/\1|p' "$here/cmake/installed_files.txt" | sort)
  if [ "$actual" != "$expected" ]; then
    fail "the files of $(basename "$deb") differ from cmake/installed_files.txt (< missing, > unexpected):"
    diff <(echo "$expected") <(echo "$actual") | grep '^[<>]'
  fi
  dpkg-deb -f "$deb" Package Version Architecture Depends Recommends

  # The version must carry a Debian revision (a native one makes dpkg and
  # lintian want changelog.gz instead); the program, its manual page and its
  # AppStream release must name the version of the changelog.
  local version root
  version=$(dpkg-deb -f "$deb" Version)
  [ "${version%-*}" != "$version" ] || fail "version $version has no Debian revision"
  root=$(mktemp -d)
  dpkg-deb -x "$deb" "$root"
  "$here/scripts/check-versions.sh" "$root" || fail "the versions in the package disagree"

  # Debian's hardening, as the program was built: no line of hardening-check
  # may say no (PIE, stack protector, fortified functions, read-only
  # relocations, immediate binding, control-flow protection).
  local hardening
  hardening=$(hardening-check "$root/usr/bin/kemless" 2>&1)
  echo "$hardening"
  grep -q ': no' <<<"$hardening" && fail "hardening-check: $(grep ': no' <<<"$hardening" | tr -s ' ' | tr '\n' ';')"
  rm -rf "$root"

  # Source and binary packages, as an archive would see them. --pedantic only
  # to show more; P: and I: tags never fail. Lintian's own exit status is kept
  # for its failures (a package it cannot read).
  local out rc
  out=$(lintian --display-info --pedantic --fail-on none "$changes" 2>&1)
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
  echo "OK: $version: the files, the versions and the hardening hold; lintian finds no error and no warning that is not explained"
}

cmd_autopkgtest() {
  local dir=$1 changes
  changes=$(one "$dir"/kemless_*.changes) || exit 1
  # The null server runs the tests on this machine, on the packages the
  # .changes names, which it installs (with the tests' dependencies) first.
  # A package that was not installed before is removed again afterwards.
  local out=$dir/autopkgtest had=()
  dpkg-query -W -f='${Status}' kemless 2>/dev/null | grep -q 'install ok installed' && had=(kemless)
  rm -rf "$out" "$out.log"
  echo "Running debian/tests on the installed package (log: $out.log)"
  autopkgtest --output-dir "$out" "$changes" -- null >"$out.log" 2>&1
  local rc=$?
  cat "$out/summary" 2>/dev/null || tail -n 40 "$out.log"
  if [ ${#had[@]} -eq 0 ]; then
    local sudo=() installed=() p
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    for p in kemless kemless-dbgsym; do
      dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' && installed+=("$p")
    done
    if [ ${#installed[@]} -gt 0 ] && ! "${sudo[@]}" apt-get remove -y -qq "${installed[@]}" >>"$out.log" 2>&1; then
      echo "warning: could not remove ${installed[*]} again (see $out.log)" >&2
    fi
  fi
  # 0: every test passed; 2 (one skipped) or 8 (none ran) is no pass either.
  case $rc in
    0) echo "OK: autopkgtest passed ($out/summary)" ;;
    *) die "autopkgtest failed with $rc (each test's output is in $out/, the whole run in $out.log)" ;;
  esac
}

cmd_reproducible() {
  local first=$1 second=$2
  local debs=("$first"/*.deb)
  [ -e "${debs[0]}" ] || die "no .deb in $first: build it first"
  # The second build differs where a careless build would pick it up: another
  # folder, another time, another time zone, character set, umask and HOME.
  local locale=POSIX
  [ "$(locale charmap 2>/dev/null)" = UTF-8 ] || locale=C.UTF-8
  echo "Building again in $second to compare (TZ=Asia/Tokyo LC_ALL=$locale umask 0002)"
  (
    umask 0002
    HOME=$(mktemp -d)
    trap 'rm -rf "$HOME"' EXIT
    export TZ=Asia/Tokyo LC_ALL=$locale HOME
    cmd_build "$second" >/dev/null
  ) || exit 1
  # The source package too: the upstream tarball, the packaging's tarball.
  local failures=0 deb other
  for deb in "${debs[@]}" "$first"/*.tar.* "$first"/*.dsc; do
    other=$second/$(basename "$deb")
    if cmp -s "$deb" "$other"; then
      echo "identical: $(basename "$deb") ($(sha256sum <"$deb" | cut -c1-16)…)"
    else
      failures=$((failures + 1))
      echo "FAIL: $(basename "$deb") differs between $first and $second:"
      if command -v diffoscope >/dev/null; then diffoscope "$deb" "$other" | head -n 200; fi
    fi
  done
  [ $failures -eq 0 ] || exit 1
  echo "OK: two builds give byte-identical packages, source and binary"
}

[ $# -ge 2 ] || die "usage: scripts/package.sh build|verify|autopkgtest DIR, or reproducible DIR DIR2"
case $1 in
  build) cmd_build "$2" ;;
  verify) cmd_verify "$2" ;;
  autopkgtest) cmd_autopkgtest "$2" ;;
  reproducible) [ $# -eq 3 ] || die "usage: scripts/package.sh reproducible DIR DIR2"; cmd_reproducible "$2" "$3" ;;
  *) die "unknown step $1" ;;
esac
