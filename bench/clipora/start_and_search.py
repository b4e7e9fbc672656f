#!/usr/bin/env python3
"""Clipora-light's own time, headless with the null sound device (FONIX_AUDIO=null takes as
long as a sound card would, so sounds and speech keep their real length):

- start to first speech: from starting clipora-light to its greeting (its first sound or text
  handed to the voice, whichever comes first: the opening cue, before the version is said),
  and from starting fonix to the one number a program says, beside `espeak-ng -q` starting
  and speaking one word (a talking program's floor);
- search key to the first result spoken, with a downloader that answers at once, beside the
  same downloader run alone as a ytfzf-style search (`--flat-playlist --print ... ytsearch20:`);
  the difference is what the application adds, and the part of it that is the sounds and
  words the application plays on the way (04, "Registros lidos", the count, the results cue)
  is given apart.

Usage: start_and_search.py CLIPORA_LIGHT [TRIES]
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
FAKE = os.path.join(HERE, "..", "..", "tests", "clipora_e2e", "fake_downloader.sh")


def watch(proc, path, wanted, limit=60.0, stop_at_first=False):
    """Seconds from now until a line of the transcript starts with each wanted text (with
    stop_at_first, until the first of them)."""
    start = time.monotonic()
    found = {}
    while len(found) < (1 if stop_at_first else len(wanted)) and time.monotonic() - start < limit \
            and proc.poll() is None:
        try:
            with open(path, encoding="utf-8", errors="replace") as f:
                lines = f.read().splitlines()
        except FileNotFoundError:
            lines = []
        for key in wanted:
            if key not in found and any(l.startswith(key) for l in lines):
                found[key] = time.monotonic() - start
        time.sleep(0.0005)
    return found


def world(tmp):
    drive = os.path.join(tmp, "c")
    app = os.path.join(drive, "clipora-light")
    os.makedirs(app, exist_ok=True)
    shutil.copy(FAKE, os.path.join(app, "youtube-dl.exe"))
    env = dict(os.environ, FONIX_CONSOLE="headless", FONIX_AUDIO="null", FONIX_DRIVE_C=drive, HOME=tmp,
               XDG_CONFIG_HOME=os.path.join(tmp, "cfg"), XDG_DATA_HOME=os.path.join(tmp, "data"),
               FAKE_DIR=os.path.join(tmp, "fake"), FONIX_TRANSCRIPT=os.path.join(tmp, "t"))
    os.makedirs(env["FAKE_DIR"], exist_ok=True)
    return env, app


def wav_seconds(path):
    with wave.open(path) as w:
        return w.getnframes() / w.getframerate()


def first_say(exe, args, env, keys, cues=("say: ",)):
    """Seconds from starting exe to the first of the cues in its transcript (by default its
    first text handed to the voice)."""
    if os.path.exists(env["FONIX_TRANSCRIPT"]):
        os.remove(env["FONIX_TRANSCRIPT"])
    proc = subprocess.Popen([exe] + args, env=dict(env, FONIX_KEYS=keys), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    seen = watch(proc, env["FONIX_TRANSCRIPT"], list(cues), stop_at_first=True)
    return proc, min(seen.values()) if seen else None


def main():
    exe = sys.argv[1]
    tries = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    fonix = os.path.join(os.path.dirname(exe), "fonix")
    first_speech, runtime, to_result, alone, espeak = [], [], [], [], []
    with tempfile.TemporaryDirectory() as tmp:
        # One drive C for every try, made by a first start that is not counted: the
        # figures are those of a user's everyday start.
        env, app = world(tmp)
        program = os.path.join(tmp, "fala.fnx")
        with open(program, "w") as f:
            f.write('fala "14"\ntermina mudo\n')
        proc, _ = first_say(exe, [], env, "{ENTER}")
        proc.wait(timeout=60)
        for _ in range(tries):
            proc, t = first_say(exe, [], env, "{WAIT 1500}tom jobim{ENTER}{WAIT 8000}{ESC}{ESC}", ("wav: ", "say: "))
            if t is not None:
                first_speech.append(t)
            seen = watch(proc, env["FONIX_TRANSCRIPT"], ["line: tom jobim", "say: Resultado 1 de"])
            proc.wait(timeout=60)
            if len(seen) == 2:
                to_result.append(seen["say: Resultado 1 de"] - seen["line: tom jobim"])
            proc, t = first_say(fonix, [program], env, "")
            proc.wait(timeout=60)
            if t is not None:
                runtime.append(t)
            t1 = time.monotonic()
            subprocess.run([os.path.join(app, "youtube-dl.exe"), "--ignore-config", "--no-warnings", "--flat-playlist",
                            "--print", "%(title)s\\%(id)s\\%(duration_string|AO VIVO)s\\%(channel,uploader|)s",
                            "ytsearch20:tom jobim"], env=env, stdout=subprocess.DEVNULL, check=False)
            alone.append(time.monotonic() - t1)
            t2 = time.monotonic()
            subprocess.run(["espeak-ng", "-q", "Clipora"], check=False)
            espeak.append(time.monotonic() - t2)
        som = os.path.join(app, "som")
        sounds = sum(wav_seconds(os.path.join(som, n)) for n in ("04.wav", "clnumlid.wav", "blimblimblom.wav"))
    ms = lambda xs: f"{statistics.median(xs) * 1000:.0f} ms" if xs else "n/a"
    print(f"start to first speech: clipora-light's greeting {ms(first_speech)} (median of {len(first_speech)}); "
          f"fonix saying one number {ms(runtime)}; espeak-ng -q one word (whole process) {ms(espeak)}")
    print(f"search key to first result spoken: clipora-light {ms(to_result)}; "
          f"the downloader's search alone {ms(alone)}")
    if to_result and alone:
        added = statistics.median(to_result) - statistics.median(alone)
        print(f"added by the application: {added * 1000:.0f} ms, with the sounds it plays on the way "
              f"(04, clnumlid, blimblimblom: {sounds * 1000:.0f} ms at the sound card's pace) and the count it says")


if __name__ == "__main__":
    main()
