#!/usr/bin/env python3
"""Start to the first sound (its opening cue) and to the first speech (the version number)
of the installed clipora-light (/usr/bin, data in /usr/share/fonix) beside the build tree's,
headless with the null sound device, each on a drive C of its own made by a first start that
is not counted (the figures are those of an everyday start).

Usage: start_installed.py BUILD_TREE_CLIPORA_LIGHT [TRIES]   (the fonix package installed)
"""
import os
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "clipora"))
from start_and_search import watch, world  # noqa: E402

INSTALLED = "/usr/bin/clipora-light"


def start(exe, env):
    """Seconds from starting exe to its first sound and to its first speech."""
    if os.path.exists(env["FONIX_TRANSCRIPT"]):
        os.remove(env["FONIX_TRANSCRIPT"])
    proc = subprocess.Popen([exe], env=dict(env, FONIX_KEYS="{WAIT 300}{ENTER}"), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    seen = watch(proc, env["FONIX_TRANSCRIPT"], ["wav: ", "say: "])
    proc.wait(timeout=60)
    return seen.get("wav: "), seen.get("say: ")


def starts(exe, tries, sound, speech):
    with tempfile.TemporaryDirectory() as tmp:
        env, _ = world(tmp)
        start(exe, env)
        for _ in range(tries):
            first_sound, first_speech = start(exe, env)
            if first_sound is not None:
                sound.append(first_sound)
            if first_speech is not None:
                speech.append(first_speech)


def main():
    build = os.path.abspath(sys.argv[1])
    tries = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    if not os.path.exists(INSTALLED):
        sys.exit(f"{INSTALLED} is not installed (apt-get install ./fonix_*.deb)")
    ms = lambda xs: f"{statistics.median(xs) * 1000:.0f} ms (median of {len(xs)})" if xs else "n/a"
    # Interleaved rounds, so that the machine's load falls on both alike.
    figures = {INSTALLED: ([], []), build: ([], [])}
    for _ in range(2):
        for exe, (sound, speech) in figures.items():
            starts(exe, tries // 2, sound, speech)
    for what, i in (("first sound", 0), ("first speech", 1)):
        print(f"start to {what}: installed {INSTALLED} {ms(figures[INSTALLED][i])}; "
              f"build tree {build} {ms(figures[build][i])}")


if __name__ == "__main__":
    main()
