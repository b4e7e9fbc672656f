#!/usr/bin/env bash
# Runs one hostile case against fonix (headless, null audio, a throw-away home): endless
# inputs, huge texts, bad settings, outputs that cannot be written, stop signals. Every run
# is bounded (time, file size, and memory: address space for a build without sanitizers,
# resident memory for a sanitized one), so that a regression fails instead of swapping.
# Usage: run.sh FONIX CASE [plain]
set -u
fonix=$1
case_name=$2
flavour=${3:-sanitized}
if [ ! -x "$fonix" ]; then
  echo "no fonix at $fonix (the build without sanitizers is made by scripts/test.sh)"; exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export FONIX_CONSOLE=headless FONIX_AUDIO=null FONIX_KEYS= FONIX_TRANSCRIPT="$work/transcript" FONIX_SCREEN="$work/screen"
export FONIX_DRIVE_C="$work/c" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" HOME="$work"
cd "$work"
ulimit -f $((512 * 1024))  # KiB: no output of these cases comes near
if [ "$flavour" = plain ]; then
  ulimit -v $((1536 * 1024))
else
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}hard_rss_limit_mb=2048"
fi

fail() { echo "FAIL: $*"; [ -f "$work/stderr" ] && sed -n 1,20p "$work/stderr"; exit 1; }

# run SECONDS ARGS...: fonix with a time bound; sets $status.
run() {
  local seconds=$1; shift
  timeout -s KILL "$seconds" "$fonix" "$@" >"$work/stdout" 2>"$work/stderr"
  status=$?
  [ "$status" = 137 ] && fail "did not end within $seconds s"
  return 0
}
expect_status() { [ "$status" = "$1" ] || fail "exit status $status, expected $1"; }
expect_event() { grep -qxF -- "$1" "$work/transcript" || fail "no event \"$1\" in the transcript"; }
expect_stderr() { grep -qF -- "$1" "$work/stderr" || fail "stderr lacks \"$1\""; }
program() { printf '%s\n' "$@" >"$work/p.fnx"; }
# Lines that leave variable $1 holding 2^$2 letters a.
doubled() { printf 'seja %s "a"\nrepete i %s\nconcatena %s %s\nfim repete\n' "$1" "$2" "$1" "$1"; }

case "$case_name" in
  dev_zero)  # an endless device is not read to its end
    run 60 /dev/zero
    expect_status 2; expect_stderr "mais de 16 MiB" ;;
  endless_pipe)  # fonix <(yes)
    run 60 <(yes)
    expect_status 2; expect_stderr "mais de 5000 linhas" ;;
  fifo_without_writer)
    mkfifo "$work/fifo"
    run 60 "$work/fifo"
    expect_status 2; expect_stderr "nenhum dado chegou" ;;
  nested_se)  # 40 000 SE on one line: an error at that line, not a crash
    { echo 'escreve "antes"'; printf 'SE 1 = 1 %.0s' $(seq 40000); echo 'escreve "x"'; } >"$work/p.fnx"
    run 120 p.fnx
    expect_status 1; expect_event "end: error 2" ;;
  list_growth)  # 32 MiB added to a list again and again
    { doubled x 25; printf 'lista [l] cria\n@mais\nlista [l] adiciona x\ndesvia @mais\n'; } >"$work/p.fnx"
    run 300 p.fnx
    expect_status 1; expect_event "line: Texto longo demais para a memória"; expect_event "end: error 7" ;;
  joined_values)  # ESCREVE and FALA join values into one text
    { doubled x 25; echo 'escreve x x x x x x x x x x'; } >"$work/p.fnx"
    run 300 p.fnx
    expect_status 1; expect_event "line: Texto longo demais para a memória"; expect_event "end: error 5"
    { doubled x 25; echo 'fala x x x x x x x x x x'; } >"$work/p.fnx"
    run 300 p.fnx
    expect_status 1; expect_event "end: error 5" ;;
  substitui_4mib)  # replacing in a 4 MiB text is one pass, whatever the pattern
    # (a^N b)^2 with N = 2^21: each b travels to the start of its run, one replacement
    # matched again by the window to its left; then each "ba" goes; then each a doubles.
    { doubled x 21; printf 'concatena x "b"\nconcatena x x\n'
      echo 'substitui x "ab" "ba"'; echo 'substitui x "ba" ""'; echo 'substitui x "a" "xy"'
      echo 'seja t tamanho x'; echo 'escreve mudo t'; echo 'termina mudo'; } >"$work/p.fnx"
    run 120 p.fnx
    expect_status 0; expect_event "line: 8388604" ;;
  interpal_setting)  # a gap between words of 2 GB is no gap the voice will make
    mkdir -p "$work/config/Auris"
    printf '[SINTETIZADOR]\nINTERPAL3=2147483647\nPAUSAPONTO3=2147483647\n' >"$work/config/Auris/Auris.ini"
    program 'fala "casa bonita. casa"' 'termina mudo'
    run 120 p.fnx
    expect_status 0; expect_event "end: normal" ;;
  outputs_refused)  # outputs that cannot be written are refused at start, as a bad console is
    program 'escreve "oi"'
    FONIX_AUDIO=bogus run 60 p.fnx; expect_status 2; expect_stderr "FONIX_AUDIO desconhecido: bogus"
    FONIX_AUDIO=capture:"$work/nao/existe.wav" run 60 p.fnx; expect_status 2
    expect_stderr "não foi possível criar o arquivo de som"
    FONIX_SCREEN="$work/nao/tela" run 60 p.fnx; expect_status 2; expect_stderr "arquivo de tela"
    FONIX_TRANSCRIPT="$work/nao/eventos" run 60 p.fnx; expect_status 2; expect_stderr "arquivo de eventos"
    # A file that takes nothing: known at the end, and not reported as success.
    FONIX_SCREEN=/dev/full run 60 p.fnx; expect_status 2; expect_stderr "gravar o arquivo de tela"
    FONIX_TRANSCRIPT=/dev/full run 60 p.fnx; expect_status 2; expect_stderr "gravar o arquivo de eventos"
    FONIX_AUDIO=capture:"$work/som.wav" run 60 p.fnx; expect_status 0 ;;
  stop_signal)  # SIGTERM ends a headless run that never waits, its files written
    program 'escreve mudo "antes"' '@volta' 'soma i 1' 'desvia @volta'
    "$fonix" p.fnx >"$work/stdout" 2>"$work/stderr" &
    pid=$!
    for _ in $(seq 300); do grep -q "line: antes" "$work/transcript" 2>/dev/null && break; sleep 0.2; done
    kill -TERM "$pid"
    # Killed after 60 s if the signal did not end it.
    ( for _ in $(seq 600); do kill -0 "$pid" 2>/dev/null || exit 0; sleep 0.1; done; kill -KILL "$pid" ) >/dev/null 2>&1 &
    wait "$pid"; status=$?
    expect_status 143; expect_event "end: closed"
    [ "$(head -n 1 "$work/screen")" = "antes" ] || fail "the screen file lacks the program's line" ;;
  out_of_memory)  # memory running out ends the run with the error report, not an abort
    ulimit -v $((160 * 1024))
    { doubled x 25; printf 'seja a x\nseja b x\nseja c x\nseja d x\nseja e x\nseja f x\n'; } >"$work/p.fnx"
    run 300 p.fnx
    expect_status 1; expect_event "line: Memória insuficiente"; grep -q "^end: error " "$work/transcript" || fail "no end event" ;;
  *) echo "unknown case $case_name"; exit 2 ;;
esac
echo "ok: $case_name ($flavour)"
