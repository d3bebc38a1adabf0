#!/usr/bin/env python3
"""The core's folders point one way: each includes only the folders that
core/CMakeLists.txt lists before it (and itself). Prints every include that
runs up or sideways and exits 1; exits 0 when there is none."""
import pathlib
import re
import sys

core = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent / "core")
listed = re.findall(r"^#   ([a-z]+)/", (core / "CMakeLists.txt").read_text(encoding="utf-8"), re.M)
rank = {folder: i for i, folder in enumerate(listed)}
wrong = []
for source in sorted(core.rglob("*")):
    if source.suffix not in (".h", ".cpp"):
        continue
    here = source.relative_to(core).parts[0]
    if here not in rank:
        wrong.append(f"{source.relative_to(core)}: its folder is not in the list of core/CMakeLists.txt")
        continue
    for number, line in enumerate(source.read_text(encoding="utf-8").splitlines(), 1):
        m = re.match(r'#include "([a-z]+)/', line)
        if m and m.group(1) != here and rank.get(m.group(1), len(rank)) > rank[here]:
            wrong.append(f"{source.relative_to(core)}:{number}: {here}/ includes {m.group(1)}/, listed after it")
print("\n".join(wrong) if wrong else f"{len(listed)} folders, every include points down")
sys.exit(1 if wrong else 0)
