#!/usr/bin/env bash
# Speed of the Sonora text stages: `sonora --pho` on a 10 000-word Portuguese text, timed
# beside eSpeak NG's phoneme output (`espeak-ng -v pt-br -x -q`) on the same text.
# usage: speed.sh SONORA_BINARY
set -euo pipefail
sonora=${1:?usage: speed.sh SONORA_BINARY}
here=$(cd "$(dirname "$0")" && pwd)
text=$(mktemp)
trap 'rm -f "$text"' EXIT
# Sentences of twelve words from the sample, one of them a number followed by a comma,
# so that every stage has work: 10 000 words in all.
awk 'BEGIN { n = 0 }
     { w[n++] = $0 }
     END {
       for (i = 0; i < 10000; i++) {
         if (i % 12 == 5) printf "%d,", i; else printf "%s", w[(i * 7) % n]
         printf "%s", (i % 12 == 11) ? ".\n" : " "
       }
       printf "\n"
     }' "$here/sample-words.txt" > "$text"
words=$(wc -w < "$text")
now() { date +%s.%N; }
t0=$(now); "$sonora" --pho < "$text" > /dev/null; t1=$(now)
espeak-ng -v pt-br -x -q -f "$text" > /dev/null; t2=$(now)
awk -v w="$words" -v a="$t0" -v b="$t1" -v c="$t2" 'BEGIN {
  printf "text: %d words (numbers included)\n", w
  printf "sonora --pho:          %.3f s\n", b - a
  printf "espeak-ng -x -q pt-br: %.3f s\n", c - b
}'
