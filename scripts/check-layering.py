#!/usr/bin/env python3
"""Fails when a file includes a header of a layer above its own.

The layers follow the table in docs/ARCHITECTURE.md. Each source file belongs
to the deepest listed folder that holds it; an include is resolved beside the
including file first, then from the repository root (and, for tests, from
tests/). Tests, fuzz targets and benchmarks of a folder follow that folder's
rule (tests/engine/core may include what engine/core may). Folders that do not
exist yet are listed so the check holds the day they appear.

Usage: scripts/check-layering.py [repository root]
"""
import os
import re
import sys

# Each layer and the layers it may include besides itself.
BELOW = {
    "platform": set(),
    "net": {"platform"},
    "game/rules": {"platform"},
    "engine/core": {"platform"},
    "engine/media": {"engine/core", "platform"},
    "engine/widgets": {"engine/media", "engine/core", "platform"},
    "client": {"engine/widgets", "engine/media", "engine/core", "net", "game/rules", "platform"},
    "client/panel": {"client", "engine/widgets", "engine/media", "engine/core", "net", "game/rules",
                     "platform"},
    "game/scene": {"client/panel", "client", "engine/widgets", "engine/media", "engine/core", "net",
                   "game/rules", "platform"},
}
BELOW["app"] = set(BELOW["game/scene"]) | {"game/scene"}
# The asset tools and the stand-in peers are programs: they may use any
# library. Nothing includes the peers; only their tests include the tools.
BELOW["tools"] = set(BELOW["app"])
BELOW["peers"] = set(BELOW["app"]) | {"tools"}

# Mirror trees whose subfolders follow the rule of the folder they are named
# after; their own support files (tests/platform/TempFolder.h) count as part
# of that folder's layer. Folders that name no layer (fuzz/media-image) take
# the layer their name starts with.
MIRRORS = ("tests", "fuzz", "bench")
MIRROR_ALIASES = {"rules": "game/rules", "core": "engine/core", "media": "engine/media",
                  "pictures": "engine/core", "widgets": "engine/widgets", "scene": "game/scene",
                  "panel": "client/panel", "foundation": "platform"}
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c", ".inl")
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]')


def layer_of_path(rel):
    """The layer of a repository-relative path, or None when it is outside them."""
    parts = rel.split("/")
    if parts[0] in MIRRORS and len(parts) > 1:
        rest = "/".join(parts[1:])
        layer = layer_of_path(rest)
        if layer is None:
            first = parts[1].split("-")[0]
            layer = MIRROR_ALIASES.get(first)
        return layer
    best = None
    for layer in BELOW:
        if rel == layer or rel.startswith(layer + "/"):
            if best is None or len(layer) > len(best):
                best = layer
    return best


def resolve(root, including_dir, name):
    for base in (including_dir, root, os.path.join(root, "tests")):
        candidate = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(candidate):
            return os.path.relpath(candidate, root)
    return None


def source_files(root):
    tops = sorted({layer.split("/")[0] for layer in BELOW} | set(MIRRORS))
    for top in tops:
        for dirpath, dirnames, filenames in os.walk(os.path.join(root, top)):
            dirnames[:] = sorted(d for d in dirnames if not d.startswith("."))
            for name in sorted(filenames):
                if name.endswith(SOURCE_SUFFIXES):
                    yield os.path.join(dirpath, name)


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                           os.path.join(os.path.dirname(__file__), ".."))
    faults = []
    checked = 0
    for path in source_files(root):
        rel = os.path.relpath(path, root)
        own = layer_of_path(rel)
        if own is None:
            continue
        allowed = BELOW[own] | {own}
        checked += 1
        with open(path, encoding="utf-8", errors="replace") as source:
            for number, line in enumerate(source, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = resolve(root, os.path.dirname(path), match.group(1))
                if target is None:
                    continue  # a system header
                theirs = layer_of_path(target)
                if theirs is None or theirs in allowed:
                    continue
                faults.append(f"{rel}:{number}: {own} includes {target} ({theirs}), a layer it may not use")
    for fault in sorted(faults):
        print(fault)
    if faults:
        print(f"layering: {len(faults)} include(s) against docs/ARCHITECTURE.md", file=sys.stderr)
        return 1
    print(f"layering: {checked} files follow docs/ARCHITECTURE.md")
    return 0


if __name__ == "__main__":
    sys.exit(main())
