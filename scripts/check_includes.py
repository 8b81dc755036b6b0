#!/usr/bin/env python3
"""Fails when a file of the configurator or the CLI includes from a room above its own.

The rooms, from the ground to the roof, are listed once, in ROOMS: a file may include
files of its own room and of the rooms below it. The logic rooms stay toolkit-free:
no Qt header, nothing of ui/, of a windows/ folder or of the main window.

    scripts/check_includes.py [--root FOLDER]

FOLDER holds configurator/ and cli/ (default: the project's root). Exit 0 when every
include goes down or sideways, 1 with one line per wrong include, 2 on a usage error.
"""

import os
import re
import sys

# Ground first. A windows/ folder sits above all logic; the main window (shell) on top.
ROOMS = [
    "station",          # the model, project files, catalogue, text helpers
    "access",           # the library layer, diagnosis and restart logic
    "ui",               # the toolkit boundary every window uses
    "tools",            # BOOTP, ping, ICMP
    "docs",             # tag names, plan, reports, exports
    "dialogs",          # the module dialogs' logic
    "online",           # connection, check, I/O cycle, worker, test record, plant work
    "station/windows",
    "access/windows",
    "tools/windows",
    "online/windows",
    "dialogs/windows",
    "docs/windows",
    "cli",              # the korvo commands; PDFs through the documents' painters
    "shell",            # program start and the main window
]
LOGIC = {"station", "access", "tools", "dialogs", "docs", "online"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')


def room_of(path):
    """The room of a path relative to configurator/ (or 'cli/...'), or None."""
    parts = path.split("/")
    if parts[0] == "cli":
        return "cli"
    if len(parts) == 1:
        return "shell"  # main.cpp
    if parts[0] == "shell":
        return "shell"
    if len(parts) > 2 and parts[1] == "windows":
        room = parts[0] + "/windows"
    else:
        room = parts[0]
    return room if room in ROOMS else None


def target_of(root, source_dir, included):
    """The included file relative to configurator/, or None when it is none of ours."""
    configurator = os.path.join(root, "configurator")
    for base in (source_dir, configurator):
        candidate = os.path.normpath(os.path.join(base, included))
        if os.path.isfile(candidate):
            relative = os.path.relpath(candidate, configurator)
            if relative.startswith(".."):
                relative = os.path.relpath(candidate, root)
                return relative if relative.startswith("cli/") else None
            return relative
    return None


def check(root):
    problems = []
    for top in ("configurator", "cli"):
        for folder, _, files in os.walk(os.path.join(root, top)):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(folder, name)
                own = os.path.relpath(path, os.path.join(root, "configurator"))
                if own.startswith(".."):
                    own = os.path.relpath(path, root)
                room = room_of(own)
                if room is None:
                    problems.append(f"{own}: lies in no room; add its folder to ROOMS")
                    continue
                with open(path, encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        bracket, included = match.groups()
                        if bracket == "<":
                            if room in LOGIC and re.match(r"Q[A-Za-z]", included):
                                problems.append(f"{own}:{number}: {room} is toolkit-free but includes <{included}>")
                            continue
                        target = target_of(root, folder, included)
                        if target is None:
                            continue
                        other = room_of(target)
                        if other is None or other == room:
                            continue
                        if room in LOGIC and (other == "ui" or other.endswith("/windows") or other == "shell"):
                            problems.append(f"{own}:{number}: {room} is toolkit-free but includes {target} ({other})")
                        elif ROOMS.index(other) > ROOMS.index(room):
                            problems.append(f"{own}:{number}: {room} includes {target} from {other}, above it")
    return problems


def main(argv):
    root = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    args = argv[1:]
    if args[:1] in (["-h"], ["--help"]):
        print(__doc__.strip())
        return 0
    if len(args) == 2 and args[0] == "--root":
        root = args[1]
    elif args:
        print("check_includes: usage: check_includes.py [--root FOLDER]", file=sys.stderr)
        return 2
    if not os.path.isdir(os.path.join(root, "configurator")):
        print(f"check_includes: no configurator/ in {root}", file=sys.stderr)
        return 2
    problems = check(root)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
