#!/usr/bin/env bash
# Runs one end-to-end case of Clipora-light: clipora-light headless with a key script, as a
# user would, on a drive C of its own whose downloader is the fake of fake_downloader.sh and
# whose default player records its arguments; the real wget fetches from the real local
# service, the real ffmpeg converts. Usage: run_e2e.sh CASE CLIPORA_LIGHT
set -u
case_name=$1
clipora=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export FAKE_DIR="$work/fake" FAKE_STEP=0.3
drive="$work/c"
app="$drive/clipora-light"
mkdir -p "$FAKE_DIR" "$app" "$work/home"
cp "$here/fake_downloader.sh" "$app/youtube-dl.exe"
cp "$here/fake_player.sh" "$app/tocador"
cp "$here/video.json" "$FAKE_DIR/video.json"
# A current downloader, and a release site that cannot be reached (the update cases start
# their own and make the downloader Debian's).
echo 2026.08.19 >"$FAKE_DIR/version"
export FONIX_RESOLVE="github.com:443:127.0.0.1"
# The JavaScript runtime beside the downloader: a stand-in that only says its version.
printf '#!/bin/sh\necho "deno 2.5.6"\n' >"$app/deno"
chmod +x "$app/deno"
# Sounds and speech take no time (the key scripts wait on what is said, {UNTIL}); a case
# that needs the pace of speech sets FONIX_AUDIO=null itself.
export FONIX_CONSOLE=headless FONIX_AUDIO=instant FONIX_DRIVE_C="$drive" HOME="$work/home"
export XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export FONIX_TRANSCRIPT="$work/transcript" FONIX_SCREEN="$work/screen"
downloads="$work/home/Downloads"
failed=0
status=0

fail() { echo "FALHOU: $*"; failed=1; }
# run KEYS: one start of clipora-light; its exit status is kept in $status.
run() {
  FONIX_KEYS=$1 timeout 180 "$clipora" >"$work/stdout" 2>"$work/stderr"
  status=$?
  cp "$work/transcript" "$work/transcript.$((++runs))"
}
runs=0
has() { grep -qxF -- "$1" "$work/transcript"; }
expect() { has "$1" || fail "esperado no que foi dito e escrito: $1"; }
expect_not() { ! has "$1" || fail "não esperado: $1"; }
expect_grep() { grep -q -- "$1" "$2" 2>/dev/null || fail "esperado em $(basename "$2"): $1"; }
expect_status() { [ "$status" = "$1" ] || fail "saída $status, esperada $1"; }
expect_file() { [ -f "$1" ] || fail "arquivo esperado: $1"; }
# The order of events: each text must come after the one before it.
expect_order() {
  local line=0 n
  for text in "$@"; do
    n=$(grep -nxF -- "$text" "$work/transcript" | cut -d: -f1 | awk -v l="$line" '$1 > l { print; exit }')
    if [ -z "$n" ]; then fail "fora de ordem ou ausente: $text"; return; fi
    line=$n
  done
}
make_video() {
  ffmpeg -loglevel error -f lavfi -i "sine=frequency=440:duration=2" -f lavfi -i "color=c=blue:s=64x48:d=2" \
    -shortest -c:v mpeg4 -c:a aac -y "$FAKE_DIR/video.mp4" || fail "ffmpeg não gerou o vídeo de teste"
}
# The calls recorded in a .argv file (count line, then each argument and a zero byte), one a
# line, as JSON lists.
calls() {
  python3 - "$1" <<'PY'
import json, sys
try:
    data = open(sys.argv[1], "rb").read()
except OSError:
    data = b""
while data:
    count, _, data = data.partition(b"\n")
    args = []
    for _ in range(int(count)):
        arg, _, data = data.partition(b"\0")
        args.append(arg.decode("utf-8", "replace"))
    print(json.dumps(args, ensure_ascii=False))
PY
}
# expect_call FILE ARG...: some call recorded in FILE had exactly these arguments.
expect_call() {
  local file=$1; shift
  local want; want=$(python3 -c 'import json, sys; print(json.dumps(sys.argv[1:], ensure_ascii=False))' "$@")
  calls "$file" | grep -xF -- "$want" >/dev/null || fail "chamada esperada em $(basename "$file"): $want; houve: $(calls "$file")"
}
searches() { grep -o 'ytsearch' "$FAKE_DIR/downloader.log" 2>/dev/null | wc -l; }

# shellcheck source=cases.sh
source "$here/cases.sh"
if ! declare -f "case_$case_name" >/dev/null; then echo "caso desconhecido: $case_name"; exit 2; fi
"case_$case_name"
if [ "$failed" != 0 ]; then
  echo "--- transcrição ---"; cat "$work"/transcript.* 2>/dev/null | grep -v '^\(phrase\|word\|char\):' | tail -80
  echo "--- erros ---"; cat "$work/stderr"
fi
exit $failed
