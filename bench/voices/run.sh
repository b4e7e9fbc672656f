#!/usr/bin/env bash
# How well an outside listener understands our voices beside eSpeak NG: renders a sentence
# set through eSpeak NG pt-br (the peer), the diphone voice and Sonora (fonix, headless, sound
# captured to files), scores them with the voice judge and prints the word error rates,
# speech times, peak levels and abrupt ends side by side.
# usage: bench/voices/run.sh [FONIX [SENTENCES]]
#   FONIX: the fonix binary (default build/release/app/fonix); SENTENCES: one sentence a line
#   (default bench/voices/sentences.txt). VOICE_JUDGE names the judge's folder
#   (default /work/shared/tools/voice-judge); KEEP=folder keeps the rendered files there;
#   VERBOSE=1 prints every sentence's transcript.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
fonix=$(realpath "${1:-$root/build/release/app/fonix}")
sentences=$(realpath "${2:-$here/sentences.txt}")
judge=${VOICE_JUDGE:-/work/shared/tools/voice-judge}
[ -x "$fonix" ] || { echo "no fonix at $fonix (build the release tree first)" >&2; exit 2; }
[ -x "$judge/run.sh" ] || { echo "no voice judge at $judge (set VOICE_JUDGE)" >&2; exit 2; }
for tool in sox espeak-ng; do command -v $tool >/dev/null || { echo "missing $tool: run scripts/deps.sh" >&2; exit 2; }; done
work=$(mktemp -d "${TMPDIR:-/tmp}/voices-bench.XXXX")
trap 'rm -rf "$work"' EXIT
# The judge keeps its word models beside itself: a copy of it works in our own folder.
cp -r "$judge" "$work/judge"
chmod -R u+w "$work/judge"
# One sentence a line, blank lines left out, as the judge counts them.
grep -v '^[[:space:]]*$' "$sentences" > "$work/sentences.txt"
sentences=$work/sentences.txt
raw=${KEEP:-$work/raw}
mkdir -p "$raw"
# fonix plays at the sound card's pace even into a file, so each voice renders its
# sentences in parallel slices (the runs mostly wait), numbered back into one folder.
slices=${SLICES:-12}
render() {  # voice
  local voice=$1 k i f line text
  mkdir -p "$raw/$voice"
  split -n "r/$slices" -d -a 2 "$sentences" "$work/$voice.slice."
  for k in "$work/$voice".slice.[0-9][0-9]; do
    "$work/judge/gen_fonix.sh" "$voice" "$k" "$k.out" "$fonix" 2>/dev/null &
  done
  wait
  # split -n r/N deals line i to slice (i-1) mod N: put each file back at its line.
  for k in "$work/$voice".slice.[0-9][0-9]; do
    i=0
    while IFS= read -r text || [ -n "$text" ]; do
      i=$((i + 1))
      line=$(( (i - 1) * slices + 10#${k##*.} + 1 ))
      f=$(printf %02d $i)
      for ext in wav events; do
        if [ -f "$k.out/$f.$ext" ]; then mv "$k.out/$f.$ext" "$raw/$voice/$(printf %02d $line).$ext"; fi
      done
    done < "$k"
  done
}
start=$(date +%s)
"$work/judge/gen_espeak.sh" "$sentences" "$raw/espeak-ng" 2>/dev/null &
render diphone &
render sonora &
wait
rendered=$(date +%s)
JSON="$work/scores.json" WORST=${WORST:-5} "$work/judge/run.sh" "$sentences" "$raw/espeak-ng" "$raw/diphone" "$raw/sonora" \
  > "$work/judge.txt"
if [ -n "${VERBOSE:-}" ]; then cat "$work/judge.txt"; else awk '/^=== summary/ {s = 1} s || /^--- / || /^  [0-9]/' "$work/judge.txt"; fi
/usr/bin/python3 "$here/table.py" "$work/scores.json"
echo "rendering $((rendered - start)) s, judging $(( $(date +%s) - rendered )) s"
