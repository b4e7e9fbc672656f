#!/usr/bin/env bash
# Lines executed per second by the interpreter: a counting loop (SOMA, SE, DESVIA) placed
# after 200 lines of a 300-line program, so that every jump scans the program for its
# label as it always does. The same loop runs in dash in the same run.
# Usage: bench/interp/run.sh [path/to/fonix] [iterations]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
fonix=${1:-$here/../../build/release/app/fonix}
n=${2:-2000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

program() {  # $1 = iterations
  {
    echo "seja n 0"
    for i in $(seq 1 100); do echo "* preparação $i"; echo "seja \$v$i \"valor $i\""; done
    echo "desvia @laço"
    echo "escreve \"nunca\""
    echo "@laço"
    echo "soma n 1"
    echo "se n < $1 desvia @laço"
    for i in $(seq 1 95); do echo "escreve \"depois $i\""; done
  } >"$2"
}

calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }

seconds() {  # runs a command, prints elapsed seconds
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  calc "$end - $start"
}

program "$n" "$work/loop.fnx"
program 1 "$work/empty.fnx"
export FONIX_CONSOLE=headless FONIX_DRIVE_C="$work/c" XDG_CONFIG_HOME="$work/config"
base=$(seconds "$fonix" "$work/empty.fnx")
total=$(seconds "$fonix" "$work/loop.fnx")
# Each pass executes three lines: the label line, SOMA and SE (with the DESVIA it runs).
ours=$(calc "3 * $n / ($total - $base)")

cat >"$work/loop.sh" <<SH
n=0
while :; do
  n=\$((n + 1))
  [ \$n -lt $n ] || break
done
SH
dash_time=$(seconds dash "$work/loop.sh")
# The shell loop runs three statements a pass: the loop test, the increment and the test.
theirs=$(calc "3 * $n / $dash_time")

printf 'iterations             %d (program of %d lines, loop at line %d)\n' "$n" "$(wc -l <"$work/loop.fnx")" \
  "$(grep -n '^@laço' "$work/loop.fnx" | cut -d: -f1)"
printf 'fonix  lines/second    %.0f  (%.3f s, start-up %.3f s excluded)\n' "$ours" "$total" "$base"
printf 'dash   lines/second    %.0f  (%.3f s)\n' "$theirs" "$dash_time"
printf 'ratio fonix/dash       %.2f\n' "$(calc "$ours / $theirs")"
