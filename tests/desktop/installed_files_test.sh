#!/usr/bin/env bash
# installed_files_test.sh CMAKE BUILD_DIR SOURCE_DIR
# Installs the build under /usr in a scratch DESTDIR, then checks the file list,
# the icon sizes, that the launcher points at what was installed, that the
# copyright file carries the licence of LICENSE, that the program, its manual
# page, its AppStream release and the Debian changelog name one version, and
# runs the desktop-entry and AppStream validators on the result.
set -uo pipefail
cmake=$1
build=$2
source=$3

for tool in desktop-file-validate appstreamcli dpkg-parsechangelog; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
if ! DESTDIR="$dest" "$cmake" --install "$build" --prefix /usr >"$dest.log" 2>&1; then
  cat "$dest.log"; rm -f "$dest.log"
  exit 1
fi
rm -f "$dest.log"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

desktop=usr/share/applications/kemless.desktop
metainfo=usr/share/metainfo/jp.example.kemless.metainfo.xml
doc=usr/share/doc/kemless
# The list ./package checks the package against too.
mapfile -t expected < <(sed -n 's|^\([^#].*\)|usr/\1|p' "$source/cmake/installed_files.txt")
# The icon sizes are the ones the list names.
mapfile -t sizes < <(printf '%s\n' "${expected[@]}" | sed -n 's|^usr/share/icons/hicolor/\([0-9]*\)x[0-9]*/.*|\1|p')

# Exactly these files: a missing one breaks the launcher, an extra one (a test
# program, a tool) would end up in the package.
actual=$(cd "$dest" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$actual" != "$wanted" ]; then
  fail "installed files differ from the expected list (< missing, > unexpected):"
  diff <(echo "$wanted") <(echo "$actual") | grep '^[<>]'
fi

[ -x "$dest/usr/bin/kemless" ] || fail "usr/bin/kemless is not executable"

# A PNG in the wrong size folder is blurred or ignored by the icon theme.
for n in "${sizes[@]}"; do
  png="$dest/usr/share/icons/hicolor/${n}x${n}/apps/kemless.png"
  [ -f "$png" ] || continue
  read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$png")
  [ "$w" = "$n" ] && [ "$h" = "$n" ] || fail "${n}x${n} icon is ${w}x${h}"
done

# The launcher must start the installed binary and find the installed icon.
entry_value() { sed -n "s/^$1=//p" "$dest/$desktop" | head -1; }
# Every Exec=, the entry's and each of its actions', starts the installed
# program, and each action opens its window (--craving, --record, --health, --plan).
while read -r exec_line; do
  [ -x "$dest/usr/bin/${exec_line%% *}" ] || fail "Exec=$exec_line is not an installed program"
done < <(sed -n 's/^Exec=//p' "$dest/$desktop")
for action in craving record health plan; do
  grep -qxF "[Desktop Action $action]" "$dest/$desktop" || fail "no [Desktop Action $action]"
  grep -qxF "Exec=kemless --$action" "$dest/$desktop" || fail "no action runs kemless --$action"
done
icon=$(entry_value Icon)
[ -f "$dest/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon=$icon has no installed icon"

# The copyright file restates LICENSE in Debian's format; when one changes the
# other must follow: the same holder and year, the same licence text.
copyright=$dest/$doc/copyright
if [ -f "$copyright" ]; then
  holder=$(sed -n 's/^Copyright (c) //p' "$source/LICENSE")
  grep -qxF "Copyright: $holder" "$copyright" || fail "copyright file does not name '$holder' as LICENSE does"
  # The body of LICENSE after its copyright line, against the lines that
  # continue a License field (" ." stands for an empty line there).
  licence=$(sed '1,/^Copyright (c) /d' "$source/LICENSE" | sed '/./,$!d')
  text=$(awk '/^License: Expat$/ { on = 1; next } /^[^ ]/ { on = 0 }
    on && /^ / { sub(/^ /, ""); if ($0 == ".") $0 = ""; print }' "$copyright")
  if [ "$text" != "$licence" ]; then
    fail "the copyright file's licence text differs from LICENSE (< LICENSE, > copyright):"
    diff <(echo "$licence") <(echo "$text") | grep '^[<>]'
  fi
fi

# One version everywhere; the package is checked the same way.
"$source/scripts/check-versions.sh" "$dest" "$source/debian/changelog" || fail "the installed files name different versions"

# Errors and warnings fail; hints are only advice.
if [ -f "$dest/$desktop" ]; then
  out=$(desktop-file-validate "$dest/$desktop" 2>&1)
  rc=$?
  [ -n "$out" ] && echo "$out"
  if [ $rc -ne 0 ] || grep -qE '(error|warning):' <<<"$out"; then fail "desktop-file-validate"; fi
fi

# validate checks the metainfo alone; validate-tree also that its launchable
# desktop entry and icon are installed and the file is named after its id.
# --pedantic too: the one note accepted is <developer>, the AppStream 1.0
# form that Debian 12's AppStream 0.16 does not know yet.
if [ -f "$dest/$metainfo" ]; then
  out=$(appstreamcli validate --pedantic --no-net "$dest/$metainfo" 2>&1)
  rc=$?
  echo "$out"
  [ $rc -eq 0 ] || fail "appstreamcli validate"
  notes=$(grep -E '^[EWIP]: ' <<<"$out" | grep -vE '^I: [^ ]+ unknown-tag developer$')
  [ -z "$notes" ] || fail "appstreamcli validate --pedantic: $notes"
  appstreamcli validate-tree --no-net "$dest" || fail "appstreamcli validate-tree"
fi

[ $failures -eq 0 ] || exit 1
echo "OK: ${#expected[@]} files installed and valid"
