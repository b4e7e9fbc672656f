#!/usr/bin/env bash
# Lines read per second with LE #n: a program reads a file of 1 000 000 lines to its end,
# counting them, and dash reads the same file with `while read` in the same run. Nothing is
# spoken (the audio device is null and the program ends with TERMINA MUDO).
# Usage: bench/files/read_lines.sh [path/to/fonix] [lines]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
fonix=${1:-$here/../../build/release/app/fonix}
lines=${2:-1000000}
[ -x "$fonix" ] || { echo "no fonix at $fonix" >&2; exit 1; }
fonix=$(cd "$(dirname "$fonix")" && pwd)/$(basename "$fonix")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Short lines ended by CR LF, as a downloaded list has them (dash's read takes one system
# call per byte, so long lines would only lengthen its run).
awk -v n="$lines" 'BEGIN { for (i = 1; i <= n; i++) printf "item %d\r\n", i }' >linhas.txt

cat >ler.fnx <<'FNX'
abre #1 "linhas.txt"
seja n 0
@ler
le #1 x
checa s
se s = 0 soma n 1
se s = 0 desvia @ler
fecha #1
escreve mudo n
termina mudo
FNX
sed -e 's/^abre #1 "linhas.txt"$/abre #1 "vazio.txt"/' ler.fnx >vazio.fnx
: >vazio.txt

cat >ler.sh <<'SH'
n=0
while IFS= read -r x; do
  n=$((n + 1))
done <linhas.txt
echo "$n" >dash_count.txt
SH

calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }
# CPU seconds (user + system) a command takes: on a machine shared with other work the
# wall clock measures the neighbours, the processor time measures the program.
seconds() {
  local t
  t=$( { TIMEFORMAT='%3U %3S'; time "$@" >/dev/null 2>&1; } 2>&1 ) || true
  awk -v t="$t" 'BEGIN { split(t, p, " "); printf "%.6f", p[1] + p[2] }'
}
# The lower of two figures; the first alone when the second is empty.
lower() {
  if [ -z "$2" ]; then echo "$1"; else awk -v a="$1" -v b="$2" 'BEGIN { print (a + 0 < b + 0) ? a : b }'; fi
}

export FONIX_CONSOLE=headless FONIX_AUDIO=null FONIX_DRIVE_C="$work/c" XDG_CONFIG_HOME="$work/config"
unset FONIX_SCREEN FONIX_KEYS
# One run with a transcript proves that every line was read.
FONIX_TRANSCRIPT="$work/transcript" "$fonix" ler.fnx >/dev/null 2>&1 || { echo "fonix failed" >&2; exit 1; }
counted=$(sed -n 's/^line: //p' transcript | tail -n 1)
if [ "$counted" != "$lines" ]; then
  echo "fonix counted '$counted' lines, not $lines" >&2
  exit 1
fi
unset FONIX_TRANSCRIPT
# Five rounds of the empty program and the reading program in turn, so that a busy moment
# of the machine weighs on both alike; the least time counts. dash's read takes one system
# call per byte, so its run is long enough to be timed once, in the middle of the rounds.
base="" total="" dash_time=""
for round in 1 2 3 4 5; do
  base=$(lower "$(seconds "$fonix" vazio.fnx)" "$base")
  total=$(lower "$(seconds "$fonix" ler.fnx)" "$total")
  if [ "$round" = 3 ]; then dash_time=$(seconds dash ler.sh); fi
done
dash_counted=$(cat dash_count.txt)
[ "$dash_counted" = "$lines" ] || { echo "dash counted $dash_counted lines" >&2; exit 1; }
ours=$(calc "$lines / ($total - $base)")
theirs=$(calc "$lines / $dash_time")

printf 'file                   %d lines, %d bytes, CR LF ends\n' "$lines" "$(stat -c %s linhas.txt)"
printf 'fonix  LE #1 lines/s   %.0f  (%.3f s, start-up %.3f s excluded; CPU time, least of 5 rounds)\n' "$ours" "$total" "$base"
printf 'dash   read lines/s    %.0f  (%.3f s; CPU time, one run)\n' "$theirs" "$dash_time"
printf 'ratio fonix/dash       %.2f\n' "$(calc "$ours / $theirs")"
