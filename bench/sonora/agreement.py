#!/usr/bin/env python3
"""Agreement of Sonora's letter-to-sound with eSpeak NG on Brazilian Portuguese words.

Converts a fixed sample of 2000 words from Debian's Brazilian word list (sample-words.txt
beside this script, drawn by make_sample() from /usr/share/dict/brazilian) with
`sonora --phonemes` and with `espeak-ng -v pt-br -x -q`, maps both transcriptions onto one
common phoneme set and prints the share of words whose transcriptions agree exactly and
the phoneme error rate (edit distance over eSpeak NG's phoneme count).

The mapping (stress ignored; both sides go through it):
  * stress and syllable marks are dropped (Sonora ">" and the "¨" duration marker;
    eSpeak ' , # and the hiatus mark ;).
  * reduced vowels fold into full ones, glides into their vowels:
      Sonora  @ -> a,  I y -> i,  U w -> u
      eSpeak  & -> a,  I j y -> i,  U w -> u
  * nasal vowels are vowel+"~": Sonora an en in on un; eSpeak V~ or a vowel followed by
    the nasal mark N (eSpeak's eIN, the nasal diphthong of "em", is e~).
    A vowel written before m or n and a consonant is nasal (eSpeak o m b -> o~ b).
    The glide after e~ is not distinguished (e~ i -> e~), nor is nasality of a vowel
    before a nasal consonant (a~ m -> a m), nor a nasal consonant written after a nasal
    vowel before a consonant (a~ m b -> a~ b).
  * r sounds: tap r (Sonora r, eSpeak * and R) -> r; strong r (Sonora R, eSpeak x) -> R;
    syllable-final r (Sonora r2 and a tap r before a consonant, eSpeak *@- and a
    word-final * or r) -> r2.
  * Sonora s2 (syllable-final s) -> s; L (lh) -> l i; J (nh) and eSpeak n^ -> J;
    affricates tS and dZ are single phonemes on both sides.
Open and closed mid vowels (E/e, O/o) stay distinct.

usage: agreement.py SONORA_BINARY [WORD_FILE] [--show N]
"""
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
VOWELS = set("aeiouEO")


def make_sample(path="/usr/share/dict/brazilian", count=2000, offset=0):
    """Every k-th lower-case word with a vowel, k = words // count."""
    with open(path, encoding="utf-8") as f:
        words = [w.strip() for w in f]
    words = [w for w in words if re.fullmatch(r"[a-zàáâãçéêíóôõúü]+", w) and re.search(r"[aeiouàáâãéêíóôõúü]", w)]
    k = len(words) // count
    return [words[i * k + offset] for i in range(count)]


def normalise(tokens):
    """Shared folds of nasality, applied to both sides."""
    marked = []
    for i, t in enumerate(tokens):
        nxt = tokens[i + 1] if i + 1 < len(tokens) else None
        if t in ("m", "n") and marked and marked[-1] in VOWELS and nxt is not None and nxt[0] not in VOWELS:
            if marked[-1] == "i" and len(marked) >= 2 and marked[-2] == "e":
                marked.pop()  # e i m p: the nasal diphthong is e~
            marked[-1] += "~"  # o m b: m before a consonant is the vowel's nasality
            continue
        marked.append(t)
    out = []
    for t in marked:
        if t == "i" and out and out[-1] == "e~":
            continue  # e~ i -> e~
        out.append(t)
    res = []
    for i, t in enumerate(out):
        nxt = out[i + 1] if i + 1 < len(out) else None
        if t in ("m", "n") and res and res[-1].endswith("~") and (nxt is None or nxt[0] not in VOWELS):
            continue  # a~ m b -> a~ b
        res.append(t)
    for i in range(len(res) - 1):
        if res[i].endswith("~") and res[i + 1] in ("m", "n", "J"):
            res[i] = res[i][:-1]  # a~ m -> a m
    return res


SONORA = {"@": "a", "I": "i", "y": "i", "U": "u", "w": "u", "an": "a~", "en": "e~", "in": "i~",
          "on": "o~", "un": "u~", "s2": "s", "L": ["l", "i"]}


def map_sonora(phonemes):
    out = []
    for p in phonemes:
        p = p.lstrip(">\u00a8")
        m = SONORA.get(p, p)
        out.extend(m if isinstance(m, list) else [m])
    for i in range(len(out) - 1):
        if out[i] == "r" and out[i + 1][0] not in VOWELS and out[i + 1] not in ("i", "u"):
            out[i] = "r2"  # a tap closing a syllable inside the word
    return normalise(out)


ESPEAK_MULTI = ["*@-", "tS", "dZ", "n^", "&U~", "U~", "o~", "u~", "&~", "e~", "i~", "a~"]


def map_espeak(text):
    s = re.sub(r"[',#;]", "", text.strip())
    out = []
    i = 0
    while i < len(s):
        for m in ESPEAK_MULTI:
            if s.startswith(m, i):
                i += len(m)
                if m == "*@-":
                    out.append("r2")
                elif m == "&U~":
                    out += ["a~", "u"]
                elif m == "U~":
                    if out and out[-1] in VOWELS:
                        out[-1] += "~"
                    out.append("u")
                elif m == "n^":
                    out.append("J")
                elif m.endswith("~"):
                    out.append({"&": "a"}.get(m[0], m[0]) + "~")
                else:
                    out.append(m)
                break
        else:
            c = s[i]
            i += 1
            if c == "N":
                if len(out) >= 2 and out[-1] == "i" and out[-2] in VOWELS:
                    out.pop()  # eIN: the nasal diphthong is e~
                if out and out[-1] in VOWELS:
                    out[-1] += "~"
                continue
            if c == "-":
                continue
            out.append({"&": "a", "I": "i", "j": "i", "y": "i", "U": "u", "w": "u", "*": "r", "R": "r",
                        "x": "R"}.get(c, c))
    if out and out[-1] == "r" and (s.endswith("*") or s.endswith("r")):
        out[-1] = "r2"
    return normalise(out)


def edit_distance(a, b):
    prev = list(range(len(b) + 1))
    for i, x in enumerate(a, 1):
        cur = [i]
        for j, y in enumerate(b, 1):
            cur.append(min(prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + (x != y)))
        prev = cur
    return prev[-1]


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    show = int(sys.argv[sys.argv.index("--show") + 1]) if "--show" in sys.argv else 0
    if show:
        args = [a for a in args if a != str(show)]
    if not args:
        sys.exit(__doc__)
    sonora = args[0]
    sample = args[1] if len(args) > 1 else os.path.join(HERE, "sample-words.txt")
    with open(sample, encoding="utf-8") as f:
        words = [w.strip() for w in f if w.strip()]
    text = "\n".join(words) + "\n"
    ours = subprocess.run([sonora, "--phonemes"], input=text.encode(), capture_output=True, check=True).stdout.decode()
    ours = [line.split(":", 1) for line in ours.splitlines()]
    peer = subprocess.run(["espeak-ng", "-v", "pt-br", "-x", "-q"], input=("\n".join(w + "." for w in words) + "\n").encode(),
                          capture_output=True, check=True).stdout.decode().splitlines()
    peer = [p for p in peer if p.strip()]
    if len(ours) != len(words) or len(peer) != len(words):
        sys.exit(f"sample of {len(words)} words, sonora gave {len(ours)}, espeak-ng gave {len(peer)}")
    agree = errors = total = 0
    shown = 0
    for w, (_, ph), pe in zip(words, ours, peer):
        a, b = map_sonora(ph.split()), map_espeak(pe)
        d = edit_distance(a, b)
        agree += d == 0
        errors += d
        total += len(b)
        if d and shown < show:
            print(f"{w:20} sonora {' '.join(a):40} espeak {' '.join(b):40} ({pe.strip()})")
            shown += 1
    print(f"words: {len(words)}")
    print(f"sonora vs espeak-ng agreement: {100.0 * agree / len(words):.1f}% of words (target >= 85%)")
    print(f"phoneme error rate: {100.0 * errors / total:.2f}% (target <= 5%)")


if __name__ == "__main__":
    main()
