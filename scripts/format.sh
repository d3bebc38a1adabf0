#!/usr/bin/env bash
# Checks every C++ file git knows of (tracked or new, not ignored) against
# .clang-format, except those .clang-format-ignore names, and lists the files
# that differ with how many lines would change. ./test runs it.
#   scripts/format.sh         check; exits 1 when a file differs
#   scripts/format.sh --fix   rewrite the files that differ in place
#   scripts/format.sh --diff  check and show each difference
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-check}
case $mode in
  check | --fix | --diff) ;;
  *) echo "usage: scripts/format.sh [--fix | --diff]" >&2; exit 2 ;;
esac
# The version the style was written for: another version formats some
# constructs differently and would report files as wrong that are not.
tool=$(command -v clang-format-14 || true)
if [ -z "$tool" ]; then
  echo "format: clang-format-14 not found (scripts/setup.sh installs it)" >&2
  exit 1
fi

mapfile -t ignored < <(sed -e 's/#.*//' -e 's/[[:space:]]*$//' -e '/^$/d' .clang-format-ignore)
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t all < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' | sort -u)
else  # an unpacked copy without git: every source outside the build folders
  mapfile -t all < <(find . -path './build*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print \
    | sed 's|^\./||' | sort)
fi
files=()
skipped=()
for f in "${all[@]}"; do
  [ -f "$f" ] || continue  # deleted but not yet staged
  skip=
  for pattern in "${ignored[@]}"; do
    # shellcheck disable=SC2053  # the pattern is a glob on purpose
    if [[ $f == $pattern ]]; then skip=1; break; fi
  done
  if [ -n "$skip" ]; then skipped+=("$f"); else files+=("$f"); fi
done
# A pattern that matches nothing is a stale entry: say so rather than keep it.
for pattern in "${ignored[@]}"; do
  found=
  for f in "${skipped[@]}"; do
    # shellcheck disable=SC2053
    if [[ $f == $pattern ]]; then found=1; break; fi
  done
  [ -n "$found" ] || echo "format: .clang-format-ignore names '$pattern', which matches no file"
done

if [ "$mode" = --fix ]; then
  printf '%s\0' "${files[@]}" | xargs -0 -P"$(nproc)" -n 8 "$tool" -i --style=file
  echo "format: ${#files[@]} files formatted with $("$tool" --version | grep -o '[0-9][0-9.]*' | head -1)," \
    "${#skipped[@]} left as they are (.clang-format-ignore)"
  exit 0
fi

# One clang-format per file, on both cores; each prints "N file" when it differs.
report=$(printf '%s\0' "${files[@]}" | xargs -0 -P"$(nproc)" -I{} sh -c '
  n=$("$0" --style=file "$1" | diff "$1" - | grep -c "^>")
  [ "$n" -eq 0 ] || echo "$n $1"' "$tool" {} | sort -k2)
echo "format: ${#files[@]} files checked, ${#skipped[@]} skipped by .clang-format-ignore (${skipped[*]})"
if [ -z "$report" ]; then
  echo "format: every checked file matches .clang-format"
  exit 0
fi
count=$(wc -l <<<"$report")
echo "format: $count files differ from .clang-format (lines that would change, file):"
sed 's/^/  /' <<<"$report"
if [ "$mode" = --diff ]; then
  while read -r _ f; do
    "$tool" --style=file "$f" | diff -u --label "a/$f" --label "b/$f" "$f" - || true
  done <<<"$report"
else
  echo "format: scripts/format.sh --diff shows the changes; scripts/format.sh --fix makes them"
fi
exit 1
