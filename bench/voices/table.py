"""The voices' figures side by side from the judge's JSON: word error rate, speech time
(frames above the judge's silence level) against the peer's, peak, abrupt ends, clipping."""
import json
import sys


def main(path):
    data = json.load(open(path, encoding="utf-8"))
    results = data["results"]
    peer = next(iter(results))
    peer_speech = sum(r["audio"]["speech_s"] for r in results[peer] if r.get("audio"))
    print(f"\n{'voice':<12} {'WER %':>6} {'speech s':>9} {'x peer':>7} {'peak':>6} {'abrupt':>7} {'clipped':>8} {'missing':>8}")
    for name, rows in results.items():
        words = sum(len(r["ref"]) for r in rows)
        errors = sum(r["s"] + r["d"] + r["i"] for r in rows)
        audio = [r["audio"] for r in rows if r.get("audio")]
        speech = sum(a["speech_s"] for a in audio)
        peak = max((a["peak"] for a in audio), default=0)
        flags = [f for r in rows for f in r.get("flags", [])]
        abrupt = sum(f.startswith("ABRUPT-END") for f in flags)
        clipped = sum(f.startswith("CLIP") for f in flags)
        missing = sum(1 for r in rows if not r.get("audio"))
        ratio = speech / peer_speech if peer_speech else 0
        print(f"{name:<12} {100.0 * errors / max(words, 1):6.1f} {speech:9.1f} {ratio:7.2f} {peak:6.3f} "
              f"{abrupt:4d}/{len(rows):<3d}{clipped:4d}/{len(rows):<3d} {missing:5d}")


if __name__ == "__main__":
    main(sys.argv[1])
