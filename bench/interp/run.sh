#!/usr/bin/env bash
# Lines executed per second by the interpreter: a counting loop (SOMA, SE, DESVIA) whose
# label stands 280 lines below line 1, so that every jump has to find a label far down the
# program. The same loop runs in dash in the same run. Nothing is spoken: the program ends
# with TERMINA MUDO before the 95 lines that follow the loop, and the audio device is null.
# Usage: bench/interp/run.sh [path/to/fonix] [iterations]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
fonix=${1:-$here/../../build/release/app/fonix}
n=${2:-3000000}
[ -x "$fonix" ] || { echo "no fonix at $fonix" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

program() {  # $1 = iterations, $2 = file
  {
    echo "seja n 0"
    for i in $(seq 1 138); do echo "* preparação $i"; echo "seja \$v$i \"valor $i\""; done
    echo "desvia @laço"
    echo "escreve \"nunca\""
    echo "* o laço"
    echo "@laço"
    echo "soma n 1"
    echo "se n < $1 desvia @laço"
    echo "termina mudo"
    for i in $(seq 1 95); do echo "escreve \"depois $i\""; done
  } >"$2"
}

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

program "$n" "$work/loop.fnx"
program 1 "$work/empty.fnx"
export FONIX_CONSOLE=headless FONIX_AUDIO=null FONIX_DRIVE_C="$work/c" XDG_CONFIG_HOME="$work/config"
unset FONIX_TRANSCRIPT FONIX_SCREEN FONIX_KEYS
# Five rounds, each running the empty program, the loop and dash's loop in turn, so that a
# busy moment of the machine weighs on all of them alike; the least time of each counts.
cat >"$work/loop.sh" <<SH
n=0
while :; do
  n=\$((n + 1))
  [ \$n -lt $n ] || break
done
SH
base="" total="" dash_time=""
for _ in 1 2 3 4 5; do
  base=$(lower "$(seconds "$fonix" "$work/empty.fnx")" "$base")
  total=$(lower "$(seconds "$fonix" "$work/loop.fnx")" "$total")
  dash_time=$(lower "$(seconds dash "$work/loop.sh")" "$dash_time")
done
# Each pass executes three lines: the label line, SOMA and SE (with the DESVIA it runs).
ours=$(calc "3 * $n / ($total - $base)")

# The shell loop runs three statements a pass: the loop test, the increment and the test.
theirs=$(calc "3 * $n / $dash_time")

printf 'iterations             %d (program of %d lines, label at line %d)\n' "$n" "$(wc -l <"$work/loop.fnx")" \
  "$(grep -n '^@laço' "$work/loop.fnx" | cut -d: -f1)"
printf 'fonix  lines/second    %.0f  (%.3f s, start-up %.3f s excluded; CPU time, least of 5 rounds)\n' "$ours" "$total" "$base"
printf 'dash   lines/second    %.0f  (%.3f s; CPU time, least of 5 rounds)\n' "$theirs" "$dash_time"
printf 'ratio fonix/dash       %.2f\n' "$(calc "$ours / $theirs")"
