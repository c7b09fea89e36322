#!/usr/bin/env python3
"""Fails on a project #include that points up the layers.

Every top-level folder is a layer; a file may include headers of its own folder and of the
folders below it in LAYERS, never of one above. Headers are included by bare name, so each
name is looked up among the project's headers to find its folder. tests/ may include
anything and is not read.

    tools/check_layers.py [SOURCE_DIR]
"""
import os
import re
import sys

# Bottom first.
LAYERS = ["contract", "solver", "game", "resources", "render", "besttimes", "config",
          "history", "review", "engine", "settingsdlg", "app", "cli"]
SKIP = {"tests", ".git", "build", "build-asan"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def sources(root):
    for folder in sorted(os.listdir(root)):
        if folder in SKIP or folder.startswith("build") or not os.path.isdir(os.path.join(root, folder)):
            continue
        for here, _, names in os.walk(os.path.join(root, folder)):
            for name in sorted(names):
                if name.endswith((".h", ".cpp", ".c")):
                    yield folder, os.path.join(here, name)


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else ".")
    files = list(sources(root))
    home = {}
    for folder, path in files:
        if path.endswith(".h"):
            home.setdefault(os.path.basename(path), set()).add(folder)
    faults = []
    for folder, path in files:
        if folder not in LAYERS:
            continue
        with open(path, encoding="utf-8") as text:
            for name in INCLUDE.findall(text.read()):
                for target in sorted(home.get(os.path.basename(name), ())):
                    if target in LAYERS and LAYERS.index(target) > LAYERS.index(folder):
                        faults.append(f"{os.path.relpath(path, root)}: includes {name} "
                                      f"from {target}/, a layer above {folder}/")
    unknown = sorted({f for f, _ in files} - set(LAYERS))
    for folder in unknown:
        faults.append(f"{folder}/: holds C++ but is not a layer in tools/check_layers.py")
    for fault in faults:
        print(fault)
    print(f"{len(files)} files read, {len(faults)} includes point up")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
