#!/usr/bin/env python3
"""Start to first speech of the installed clipora-light (/usr/bin, data in /usr/share/fonix)
beside the build tree's, headless with the null sound device, each on a drive C of its own
made by a first start that is not counted (the figures are those of an everyday start).

Usage: start_installed.py BUILD_TREE_CLIPORA_LIGHT [TRIES]   (the fonix package installed)
"""
import os
import statistics
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "clipora"))
from start_and_search import first_say, world  # noqa: E402

INSTALLED = "/usr/bin/clipora-light"


def starts(exe, tries):
    times = []
    with tempfile.TemporaryDirectory() as tmp:
        env, _ = world(tmp)
        proc, _ = first_say(exe, [], env, "{ENTER}")
        proc.wait(timeout=60)
        for _ in range(tries):
            proc, t = first_say(exe, [], env, "{WAIT 300}{ENTER}")
            proc.wait(timeout=60)
            if t is not None:
                times.append(t)
    return times


def main():
    build = os.path.abspath(sys.argv[1])
    tries = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    if not os.path.exists(INSTALLED):
        sys.exit(f"{INSTALLED} is not installed (apt-get install ./fonix_*.deb)")
    ms = lambda xs: f"{statistics.median(xs) * 1000:.0f} ms (median of {len(xs)})" if xs else "n/a"
    # Interleaved rounds, so that the machine's load falls on both alike.
    installed, tree = [], []
    for _ in range(2):
        installed += starts(INSTALLED, tries // 2)
        tree += starts(build, tries // 2)
    print(f"start to first speech: installed {INSTALLED} {ms(installed)}; build tree {build} {ms(tree)}")


if __name__ == "__main__":
    main()
