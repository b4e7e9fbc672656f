#!/usr/bin/env bash
# Lines executed per second by the interpreter, in wall-clock time, beside dash and bash
# running the same loops as shell code in the same run:
#   counter  SOMA, SE, DESVIA to a label 280 lines below line 1 (every jump finds a far label)
#   strings  SEJA POS, COPIA and CONCATENA on a text of 1 KB
#   calls    CHAMA to a routine 95 lines further down and its RETORNA
#   lists    LISTA ADICIONA, TAMANHO, ITEM, an EM test and LISTA DELETA on a list of 21 items
# Each program runs three times and the median counts; the start-up of each program (the
# same program with one pass) is measured the same way and taken off. Nothing is spoken: the
# programs end with TERMINA MUDO and the audio device is null.
# Usage: bench/interp/run.sh [path/to/fonix] [passes of the counter loop]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
fonix=${1:-$here/../../build/release/app/fonix}
n=${2:-3000000}
[ -x "$fonix" ] || { echo "no fonix at $fonix" >&2; exit 1; }
command -v dash >/dev/null && command -v bash >/dev/null || { echo "dash and bash are needed" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export FONIX_CONSOLE=headless FONIX_AUDIO=null FONIX_DRIVE_C="$work/c" XDG_CONFIG_HOME="$work/config"
unset FONIX_TRANSCRIPT FONIX_SCREEN FONIX_KEYS

text=$(printf 'abcdefghij%.0s' $(seq 1 100))fim  # 1003 characters, "fim" at the end
skip=$(printf '?%.0s' $(seq 1 499))              # dash: the first 499 characters, as a pattern
keep=$(printf '?%.0s' $(seq 1 21))

preparation() { for i in $(seq 1 138); do echo "* preparação $i"; echo "seja \$v$i \"valor $i\""; done; }
after() { for i in $(seq 1 95); do echo "escreve \"depois $i\""; done; }

# FONIX programs: $1 = passes. Lines per pass are counted as the shells' statements are:
# the label line (the loop head) and each line the pass runs.
counter() { echo "seja n 0"; preparation; echo "desvia @laço"; echo "escreve \"nunca\""; echo "@laço"
  echo "soma n 1"; echo "se n < $1 desvia @laço"; echo "termina mudo"; after; }
strings() { echo "seja \$texto \"$text\""; echo "seja i 0"; preparation; echo "@laço"; echo "soma i 1"
  echo "seja \$p pos \"fim\" \$texto"; echo "copia \$c \$texto 500 520"; echo "concatena \$c \"x\""
  echo "se i < $1 desvia @laço"; echo "termina mudo"; after; }
calls() { echo "seja i 0"; preparation; echo "@laço"; echo "soma i 1"; echo "chama @rotina"
  echo "se i < $1 desvia @laço"; echo "termina mudo"; after; echo "@rotina"; echo "soma j 1"; echo "retorna"; }
lists() { echo "lista [l] cria"; for k in $(seq 1 20); do echo "lista [l] adiciona \"item $k\""; done
  echo "seja i 0"; preparation; echo "@laço"; echo "soma i 1"; echo "lista [l] adiciona i"
  echo "lista [l] tamanho \$t"; echo "lista [l] item 20 \$x"; echo "se \$x em [l] lista [l] deleta \$x"
  echo "se i < $1 desvia @laço"; echo "termina mudo"; after; }

# The same loops in shell: dash and bash run them (bash copies with its substring expansion).
sh_counter() { echo "n=0; while :; do n=\$((n + 1)); [ \$n -lt $1 ] || break; done"; }
sh_strings() { echo "t='$text'; i=0; while :; do i=\$((i + 1)); pre=\${t%%fim*}; p=\$((\${#pre} + 1))"
  if [ "$2" = bash ]; then echo "c=\${t:499:21}"; else echo "r=\${t#$skip}; c=\${r%\"\${r#$keep}\"}"; fi
  echo "c=\"\${c}x\"; [ \$i -lt $1 ] || break; done"; }
sh_calls() { echo "rotina() { j=\$((j + 1)); return; }; i=0; j=0"
  echo "while :; do i=\$((i + 1)); rotina; [ \$i -lt $1 ] || break; done"; }
sh_lists() { echo "base='$(for k in $(seq 1 20); do printf 'item%s ' "$k"; done)'; set -- \$base; i=0"
  echo "while :; do i=\$((i + 1)); set -- \"\$@\" \"\$i\"; t=\$#; x=\${21}"
  echo "case \" \$* \" in *\" \$x \"*) set -- \$base;; esac; [ \$i -lt $1 ] || break; done"; }

# Wall-clock seconds of a command, the median of three runs.
median3() {
  local a=() t0 t1
  for _ in 1 2 3; do
    t0=$(date +%s%N); "$@" >/dev/null 2>&1 || true; t1=$(date +%s%N)
    a+=("$(( t1 - t0 ))")
  done
  printf '%s\n' "${a[@]}" | sort -n | sed -n 2p | awk '{ printf "%.6f", $1 / 1e9 }'
}

rate() { awk -v l="$1" -v p="$2" -v t="$3" -v b="$4" 'BEGIN { d = t - b; if (d <= 0) d = 1e-9; printf "%.0f", l * p / d }'; }

printf 'wall-clock lines per second, median of 3 runs, start-up taken off (load average %s)\n' \
  "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-9s %14s %14s %14s %10s %10s\n' loop fonix dash bash fonix/dash fonix/bash
for loop in counter strings calls lists; do
  case $loop in
    counter) passes=$n; lines=3; shlines=3 ;;
    strings) passes=$((n / 10)); lines=6; shlines=6 ;;
    calls) passes=$((n / 3)); lines=7; shlines=6 ;;
    lists) passes=$((n / 6)); lines=7; shlines=7 ;;
  esac
  shpasses=$((passes / 3)); [ "$loop" = strings ] && shpasses=$((passes / 100))
  "$loop" "$passes" >"$work/$loop.fnx"
  "$loop" 1 >"$work/$loop.1.fnx"
  ours=$(rate "$lines" "$passes" "$(median3 "$fonix" "$work/$loop.fnx")" "$(median3 "$fonix" "$work/$loop.1.fnx")")
  row=("$ours")
  for shell in dash bash; do
    "sh_$loop" "$shpasses" "$shell" >"$work/$loop.$shell"
    "sh_$loop" 1 "$shell" >"$work/$loop.1.$shell"
    row+=("$(rate "$shlines" "$shpasses" "$(median3 "$shell" "$work/$loop.$shell")" "$(median3 "$shell" "$work/$loop.1.$shell")")")
  done
  printf '%-9s %14s %14s %14s %10.2f %10.2f\n' "$loop" "${row[0]}" "${row[1]}" "${row[2]}" \
    "$(awk -v a="${row[0]}" -v b="${row[1]}" 'BEGIN { print a / b }')" \
    "$(awk -v a="${row[0]}" -v b="${row[2]}" 'BEGIN { print a / b }')"
done
printf 'passes: counter %d (label at line %d of %d), strings %d, calls %d, lists %d; the shells a third of each (of strings a hundredth)\n' \
  "$n" "$(grep -n '^@laço' "$work/counter.fnx" | cut -d: -f1)" "$(wc -l <"$work/counter.fnx")" \
  $((n / 10)) $((n / 3)) $((n / 6))
